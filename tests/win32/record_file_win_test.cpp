// The record folder's cases under the prefix's own locale (code page 1252 by
// default); tests/win32/zh_CN/ runs the same under code page 936.
#include "tests/win32/record_folder_cases.h"
