// The program runs elevated, so a library looked up at run time must never be
// found in the program's own folder or the current folder, where anyone could
// plant one: it is loaded by its full path in the system folder.
#pragma once

#include <windows.h>

namespace velmaro {

// The module of `fileName` (for example L"winmm.dll") from the system folder,
// kept loaded for the life of the process; null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The export `procName` of the system library `fileName`, cast to `Fn`; null
// when the library or the export is missing.
template <class Fn>
Fn SystemFunction(const wchar_t* fileName, const char* procName) {
  HMODULE module = LoadSystemLibrary(fileName);
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, procName))) : nullptr;
}

}  // namespace velmaro
