// Velmaro.exe's services: the system's own, as they are.
#include "app/services_win.h"

namespace velmaro {

ProgramServices MakeProgramServices() { return MakeSystemServices(); }

}  // namespace velmaro
