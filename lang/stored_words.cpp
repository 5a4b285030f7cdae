#include "lang/stored_words.h"

namespace velmaro {

std::string ShownTrigger(const std::string& stored) { return stored; }
std::string ShownAction(const std::string& name) { return name; }
std::string ShownVerb(const std::string& verb) { return verb; }

}  // namespace velmaro
