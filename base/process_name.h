// Process names as this program compares them: in UTF-16, so a name matches
// only the processes that really carry it, with ASCII letters folded.
#pragma once

#include <string>

namespace velmaro {

// "a" to "z" become "A" to "Z"; every other character stays as it is.
std::u16string FoldAsciiUpper(std::u16string text);

// The file-name part of a process's executable entry (the text after the
// last "\" or ":"), ASCII letters folded: what a name without a path is
// compared with.
std::u16string FoldedFileName(const std::u16string& exeFile);

}  // namespace velmaro
