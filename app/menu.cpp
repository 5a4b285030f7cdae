#include "app/menu.h"

namespace velmaro {

const char kLogOffCaption[] = "注销(&L)";

}  // namespace velmaro
