#include "app/command_args_win.h"

#include <windows.h>
#include <shellapi.h>

#include "base/text_win.h"
#include "lang/texts.h"
#include "platform/text_files_win.h"

namespace velmaro {

CommandArg ToCommandArg(const wchar_t* text, std::size_t length) {
  CommandArg arg;
  arg.wide = U16Of(text, length);
  if (std::optional<std::string> exact = FromWideExact(text, length)) {
    arg.text = *exact;
    return arg;
  }
  // The texts that are stored keep what code page 936 has, "?" for the
  // rest; the parser refuses those where a stored text would be wrong,
  // while a path goes on by its UTF-16.
  arg.lossy = true;
  std::string narrow(length * 2, '\0');
  const int size = WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), &narrow[0],
                                       static_cast<int>(narrow.size()), nullptr, nullptr);
  narrow.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  arg.text = narrow;
  return arg;
}

bool SplitCommandLine(const wchar_t* commandLine, std::vector<CommandArg>* args, std::string* error) {
  args->clear();
  // An empty line would be split into the program's own path.
  if (!commandLine || !*commandLine) return true;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine, &count);
  if (!argv) {
    *error = Format(Text::CmdCannotReadLine, {SystemErrorText(GetLastError())});
    return false;
  }
  bool ok = true;
  if (count > 0 && static_cast<std::size_t>(count - 1) > kMaxCommandArgs) {
    *error = Format(Text::CmdTooManyArgsMax, {std::to_string(kMaxCommandArgs)});
    ok = false;
  }
  for (int i = 1; ok && i < count; ++i) {
    const std::size_t length = wcslen(argv[i]);
    if (length > kMaxArgUnits) {
      *error = Format(Text::CmdArgTooLong, {std::to_string(i)});
      ok = false;
    } else {
      args->push_back(ToCommandArg(argv[i], length));
    }
  }
  LocalFree(argv);
  if (!ok) args->clear();
  return ok;
}

bool ProgramArguments(std::vector<CommandArg>* args, std::string* error) {
  return SplitCommandLine(GetCommandLineW(), args, error);
}

}  // namespace velmaro
