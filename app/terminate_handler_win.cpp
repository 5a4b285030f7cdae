// The C++ runtime's default terminate handler, replaced: the static runtime's
// own prints the exception's demangled type to standard error, which a GUI
// program does not have, and brings the whole demangler (about 60 KB with the
// formatting it uses) into Velmaro.exe. Ending the process is all either does
// for the user. Linked into the exe itself rather than a library, so the
// definition is there before the runtime's archive is searched.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
