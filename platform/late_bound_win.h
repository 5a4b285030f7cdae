// The rows of the late-bound function lists. Each list names one library's
// functions once, one row per function: X(result type, export name,
// (parameter types)). From a list come the pointers of a calls table
// (VELMARO_CALL_POINTER), their loading (VELMARO_FIND_CALL, with `module` and
// `found` in scope) and the check that all are present (VELMARO_CALL_PRESENT).
#pragma once

#include <windows.h>

#define VELMARO_CALL_POINTER(result, name, params) result(WINAPI* name) params = nullptr;
#define VELMARO_FIND_CALL(result, name, params) Find(found.name, module, #name);
#define VELMARO_CALL_PRESENT(result, name, params) &&found.name
