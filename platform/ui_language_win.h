// The system's display language for the user, as the language of the windows.
#pragma once

#include "lang/texts.h"

namespace velmaro {

// The first of the user's preferred display languages where the system keeps
// a list (Vista and later), else the user's display language (XP).
Language SystemLanguage();

// The language in force at start: the choice kept in the store, else the
// system's; made current.
class RegistryService;
Language UseLanguageInForce(RegistryService& registry);

}  // namespace velmaro
