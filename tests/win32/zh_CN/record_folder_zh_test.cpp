// The record folder's cases under a zh_CN locale (code page 936), as on the
// Chinese systems the program serves.
#include "tests/win32/record_folder_cases.h"
