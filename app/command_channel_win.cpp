#include "app/command_channel_win.h"

#include <cstring>
#include <new>

#include "base/error.h"
#include "base/gbk.h"
#include "lang/texts.h"
#include "platform/text_files_win.h"

namespace velmaro {

const wchar_t kInstanceMutexName[] = L"Local\\Drennik.Velmaro";

namespace {

constexpr wchar_t kMainClass[] = L"TForm1";
constexpr wchar_t kChannelProp[] = L"Drennik.Velmaro.Commands";
constexpr wchar_t kReplyClass[] = L"VelmaroCommandReply";
constexpr DWORD kPollMs = 50;
constexpr int kLastExitCode = static_cast<int>(ExitCode::StoreFailed);

CommandReply Failed(std::string text) { return CommandReply{ExitCode::StoreFailed, std::move(text)}; }

// Milliseconds since `start` by the wrapping millisecond counter: the
// unsigned difference stays right across the wrap after 49.7 days.
DWORD Since(DWORD start) { return GetTickCount() - start; }

// What the reply window takes in while its sender waits.
struct ReplyBox {
  HWND from = nullptr;  // the running copy's window; any other sender is refused
  bool received = false;
  std::string text;
};

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  } else if (message == WM_COPYDATA) {
    auto* box = reinterpret_cast<ReplyBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!box || !data || data->dwData != kCommandReplyTag || reinterpret_cast<HWND>(wParam) != box->from ||
        data->cbData > kMaxReplyBytes || (!data->lpData && data->cbData != 0)) {
      return FALSE;
    }
    box->text.assign(static_cast<const char*>(data->lpData), data->cbData);
    box->received = true;
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A message-only window for the one reply, for as long as the sender waits.
class ReplyWindow {
 public:
  explicit ReplyWindow(ReplyBox& box) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, kReplyClass, &wc)) {
      wc.lpfnWndProc = &ReplyProc;
      wc.hInstance = instance;
      wc.lpszClassName = kReplyClass;
      RegisterClassW(&wc);
    }
    hwnd_ = CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, &box);
  }
  ~ReplyWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  ReplyWindow(const ReplyWindow&) = delete;
  ReplyWindow& operator=(const ReplyWindow&) = delete;
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

bool FullPath(const std::u16string& path, WideString* full) {
  const WideString wide = WideOf(path);
  if (wide.empty() || wide.find(L'\0') != WideString::npos) return false;
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0 || needed > kMaxArgUnits + 1) return false;
  full->assign(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, &(*full)[0], nullptr);
  if (length == 0 || length >= needed) return false;
  full->resize(length);
  return true;
}

// The folder part of a full path, the backslash included.
WideString FolderOf(const WideString& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == WideString::npos ? WideString() : path.substr(0, slash + 1);
}

bool OwnExePath(WideString* path) {
  // The path may be longer than MAX_PATH; each try doubles the buffer.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    path->assign(size, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &(*path)[0], size);
    if (length == 0) return false;
    if (length < size) {
      path->resize(length);
      return true;
    }
  }
  return false;
}

}  // namespace

bool EncodeCommandArgs(const std::vector<CommandArg>& args, WideString* payload) {
  payload->clear();
  if (args.empty() || args.size() > kMaxCommandArgs) return false;
  for (const CommandArg& arg : args) {
    if (arg.wide.size() > kMaxArgUnits || arg.wide.find(u'\0') != std::u16string::npos) return false;
    if (payload->size() + arg.wide.size() + 1 > kMaxPayloadUnits) return false;
    payload->append(arg.wide.begin(), arg.wide.end());
    payload->push_back(L'\0');
  }
  return true;
}

bool DecodeCommandArgs(const void* data, std::size_t bytes, std::vector<CommandArg>* args) {
  args->clear();
  if (!data || bytes == 0 || bytes % sizeof(wchar_t) != 0 || bytes > kMaxPayloadUnits * sizeof(wchar_t)) return false;
  // The data is the system's copy, aligned as it pleases: read it as bytes.
  WideString units(bytes / sizeof(wchar_t), L'\0');
  std::memcpy(&units[0], data, bytes);
  if (units.back() != L'\0') return false;
  for (std::size_t start = 0; start < units.size();) {
    const std::size_t end = units.find(L'\0', start);
    if (end - start > kMaxArgUnits || args->size() == kMaxCommandArgs) {
      args->clear();
      return false;
    }
    args->push_back(ToCommandArg(units.data() + start, end - start));
    start = end + 1;
  }
  return true;
}

CommandReply BadCommandLineReply(const std::string& error) {
  std::string text = error;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return CommandReply{ExitCode::BadCommandLine, text + "\r\n" + Tr(Text::CmdSeeHelp) + "\r\n"};
}

CommandReply GuardedRunCommand(const Command& command, const CommandServices& services, CommandHost& host) {
  try {
    return RunCommand(command, services, host);
  } catch (const AppError& error) {
    return Failed(error.what());
  } catch (const std::bad_alloc&) {
    return Failed(Tr(Text::CmdOutOfMemory));
  }
}

CommandReply HostedCommands::Execute(const std::vector<CommandArg>& args) {
  const ParsedCommand parsed = ParseCommandLine(args);
  if (!parsed.command) return BadCommandLineReply(parsed.error);
  if (parsed.command->kind == CommandKind::Help) return CommandReply{ExitCode::Done, CommandLineHelp()};
  return GuardedRunCommand(*parsed.command, services_, host_);
}

void OpenCommandChannel(HWND window) { SetPropW(window, kChannelProp, reinterpret_cast<HANDLE>(1)); }

void CloseCommandChannel(HWND window) { RemovePropW(window, kChannelProp); }

LRESULT ReceiveCommand(HWND receiver, WPARAM wParam, LPARAM lParam, CommandExecutor& executor) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  HWND replyTo = reinterpret_cast<HWND>(wParam);
  if (!data || data->dwData != kCommandArgsTag || !replyTo || !IsWindow(replyTo)) return 0;
  try {
    std::vector<CommandArg> args;
    if (!DecodeCommandArgs(data->lpData, data->cbData, &args)) return 0;
    CommandReply reply = executor.Execute(args);
    if (reply.text.size() > kMaxReplyBytes) reply.text = CutToColumns(reply.text, kMaxReplyBytes);
    COPYDATASTRUCT back = {kCommandReplyTag, static_cast<DWORD>(reply.text.size()), &reply.text[0]};
    DWORD_PTR taken = 0;
    // A sender gone meanwhile loses only the text: the command was carried out.
    SendMessageTimeoutW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(receiver), reinterpret_cast<LPARAM>(&back),
                        SMTO_ABORTIFHUNG, kReplyTimeoutMs, &taken);
    return static_cast<LRESULT>(reply.code) + 1;
  } catch (const std::bad_alloc&) {
    return 0;  // never across the window procedure
  }
}

bool CopyRuns() {
  // Opened, never created: a mutex made here would keep the copy this
  // process starts from running. The elevated copy's mutex may refuse a
  // process of lower rights access, which still says that it is there.
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName);
  if (mutex) {
    CloseHandle(mutex);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

HWND FindRunningCopy() {
  for (HWND window = FindWindowExW(nullptr, nullptr, kMainClass, nullptr); window;
       window = FindWindowExW(nullptr, window, kMainClass, nullptr)) {
    if (GetPropW(window, kChannelProp)) return window;
  }
  return nullptr;
}

HWND WaitForRunningCopy(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND copy = FindRunningCopy()) return copy;
    if (Since(start) >= timeoutMs || !CopyRuns()) return nullptr;
    Sleep(kPollMs);
  }
}

HWND StartRunningCopy(DWORD timeoutMs, std::string* error) {
  WideString exe;
  if (!OwnExePath(&exe)) {
    *error = Format(Text::CmdNoOwnPath, {SystemErrorText(GetLastError())});
    return nullptr;
  }
  WideString line = L"\"" + exe + L"\"";
  // Started in its own folder: a copy that runs for weeks must not hold
  // the folder the command was typed in, which could then not be removed.
  const WideString folder = FolderOf(exe);
  // No handle inherited, and no standard handles either: the copy must
  // not hold the pipe or file this process's output goes to, or a "| more"
  // would wait for it for ever (Wine passes the starter's on otherwise).
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    *error = Format(Text::CmdCannotStart, {SystemErrorText(GetLastError())});
    return nullptr;
  }
  CloseHandle(process.hThread);
  const DWORD start = GetTickCount();
  HWND copy = nullptr;
  for (;;) {
    copy = FindRunningCopy();
    if (copy || Since(start) >= timeoutMs) break;
    // The copy ended: another one, started beside it, won the session's
    // mutex, and is the one to wait for; or none runs, and it failed.
    if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0) {
      const DWORD waited = Since(start);
      copy = waited < timeoutMs ? WaitForRunningCopy(timeoutMs - waited) : nullptr;
      break;
    }
  }
  CloseHandle(process.hProcess);
  if (!copy) *error = Format(Text::CmdStartTimeout, {std::to_string(timeoutMs / 1000)});
  return copy;
}

std::vector<CommandArg> WithAbsoluteFile(const std::vector<CommandArg>& args, const Command& command) {
  if (command.kind != CommandKind::Export && command.kind != CommandKind::Import) return args;
  WideString full;
  if (!FullPath(command.file, &full)) return args;
  const std::u16string fullPath = U16Of(full.data(), full.size());
  // The parser decides which argument was the file: each one that reads
  // the same is tried in its place until the command names the full path.
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].wide != command.file) continue;
    std::vector<CommandArg> absolute = args;
    absolute[i] = ToCommandArg(full.data(), full.size());
    const ParsedCommand parsed = ParseCommandLine(absolute);
    if (parsed.command && parsed.command->file == fullPath) return absolute;
  }
  return args;
}

CommandReply HandOverCommand(HWND runningCopy, const std::vector<CommandArg>& args, DWORD timeoutMs) {
  WideString payload;
  if (!EncodeCommandArgs(args, &payload)) return Failed(Tr(Text::CmdLineTooLong));
  ReplyBox box;
  box.from = runningCopy;
  ReplyWindow reply(box);
  if (!reply.Handle()) return Failed(Format(Text::CmdCannotWait, {SystemErrorText(GetLastError())}));
  COPYDATASTRUCT data = {kCommandArgsTag, static_cast<DWORD>(payload.size() * sizeof(wchar_t)), &payload[0]};
  DWORD_PTR answer = 0;
  // While it waits, this thread takes the reply the running copy sends.
  SetLastError(0);
  if (!SendMessageTimeoutW(runningCopy, WM_COPYDATA, reinterpret_cast<WPARAM>(reply.Handle()),
                           reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeoutMs, &answer)) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      return Failed(Tr(Text::CmdRunningElevated));
    }
    if (error == ERROR_TIMEOUT || error == 0) {
      return Failed(Format(Text::CmdReplyTimeout, {std::to_string(timeoutMs / 1000)}));
    }
    return Failed(Format(Text::CmdCannotHand, {SystemErrorText(error)}));
  }
  if (answer == 0 || answer > static_cast<DWORD_PTR>(kLastExitCode) + 1) {
    return Failed(Tr(Text::CmdNotAccepted));
  }
  return CommandReply{static_cast<ExitCode>(static_cast<int>(answer) - 1), std::move(box.text)};
}

}  // namespace velmaro
