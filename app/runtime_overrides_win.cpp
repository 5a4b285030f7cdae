// Pieces of the static C++ runtime that Velmaro.exe replaces with its own,
// for size. Linked into the exe itself rather than a library, so these
// definitions are there before the runtime's archives are searched.
//
// The default terminate handler prints the exception's demangled type to
// standard error, which a GUI program does not have, and brings the whole
// demangler (about 60 KB with the formatting it uses). Ending the process is
// all either does for the user.
//
// The library's own throw helpers (a string asked to grow past its largest
// size, a position past its end) construct std::logic_error and its kin,
// whose text is a second, reference-counted string type with all of its code
// (about 45 KB). These throw the program's own failure instead, which the
// handler boundary shows in the general error box like any other failure;
// running out of memory stays std::bad_alloc.
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include "base/error.h"

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

namespace {

[[noreturn]] void ThrowInternal(const char* what) {
  throw velmaro::AppError(std::string("Internal error: ") + (what ? what : ""));
}

}  // namespace

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { ThrowInternal(what); }
void __throw_logic_error(const char* what) { ThrowInternal(what); }
void __throw_out_of_range(const char* what) { ThrowInternal(what); }
void __throw_out_of_range_fmt(const char* format, ...) { ThrowInternal(format); }
void __throw_invalid_argument(const char* what) { ThrowInternal(what); }

}  // namespace std
