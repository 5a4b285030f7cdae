// The arguments the program was started with, after its own name, as the
// command line's parser takes them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace velmaro {

// No command has more than a handful of words; a line of thousands is a
// mistake or an attack, and is refused before anything is converted.
constexpr std::size_t kMaxCommandArgs = 64;
// The system's own bound for a whole command line, in UTF-16 units.
constexpr std::size_t kMaxArgUnits = 32767;

// One argument: its code page 936 text, and whether that lost a character.
CommandArg ToCommandArg(const wchar_t* text, std::size_t length);

// The arguments of `commandLine` after the program's name, split as the
// system splits them (CommandLineToArgvW); false with a code page 936 text
// when there are too many or one is too long.
bool SplitCommandLine(const wchar_t* commandLine, std::vector<CommandArg>* args, std::string* error);

// The same for this process's own command line.
bool ProgramArguments(std::vector<CommandArg>* args, std::string* error);

}  // namespace velmaro
