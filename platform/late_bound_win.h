// The rows of the late-bound function lists. Each list names one library's
// functions once, one row per function: X(result type, export name,
// (parameter types)). From a list come the pointers of a calls table
// (VELMARO_CALL_POINTER), their names for the loading (VELMARO_CALL_NAME) and
// the check that all are present (VELMARO_CALL_PRESENT).
#pragma once

#include <windows.h>

#define VELMARO_CALL_POINTER(result, name, params) result(WINAPI* name) params = nullptr;
#define VELMARO_CALL_NAME(result, name, params) #name,
#define VELMARO_CALL_COUNT(result, name, params) +1
#define VELMARO_CALL_PRESENT(result, name, params) &&found.name
