// The hand-over of a command line to the running copy, both ends in this
// process: the receiver on a thread of its own, as the running copy is
// another process's thread, and the sender on the test's.
#include "app/command_channel_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/text_files_win.h"

namespace velmaro {
namespace {

std::vector<CommandArg> Args(std::initializer_list<const wchar_t*> texts) {
  std::vector<CommandArg> args;
  for (const wchar_t* text : texts) args.push_back(ToCommandArg(text, wcslen(text)));
  return args;
}

// Stands in for the running copy's parser and host: what it was handed,
// and the reply it gives, after a pause when the copy is to seem hung.
class FakeExecutor : public CommandExecutor {
 public:
  CommandReply Execute(const std::vector<CommandArg>& args) override {
    handed.push_back(args);
    if (pauseMs) Sleep(pauseMs);
    return reply;
  }
  std::vector<std::vector<CommandArg>> handed;
  CommandReply reply{ExitCode::NothingToCancel, "没有定时可以取消\r\n"};
  DWORD pauseMs = 0;
};

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    auto* executor = reinterpret_cast<CommandExecutor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return ReceiveCommand(hwnd, wParam, lParam, *executor);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A receiver window of a test class on a thread with its own message loop.
class ReceiverThread {
 public:
  explicit ReceiverThread(CommandExecutor& executor) : executor_(executor) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &ReceiverThread::Run, this, 0, &id_);
    WaitForSingleObject(ready_, 10000);
  }
  ~ReceiverThread() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    PostThreadMessageW(id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }
  HWND Window() const { return window_; }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* me = static_cast<ReceiverThread*>(self);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ReceiverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmaroChannelTestReceiver";
    RegisterClassW(&wc);
    me->window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(me->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&me->executor_));
    SetEvent(me->ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(me->window_);
    return 0;
  }

  CommandExecutor& executor_;
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD id_ = 0;
  HWND window_ = nullptr;
};

TEST(CommandChannelTest, ArgumentsGoOverAndTheReplyAndItsCodeComeBack) {
  FakeExecutor executor;
  ReceiverThread receiver(executor);
  const std::vector<CommandArg> args = Args({L"/remind", L"a b", L"", L"x\uD55C.txt"});
  const CommandReply reply = HandOverCommand(receiver.Window(), args);
  EXPECT_EQ(reply.code, ExitCode::NothingToCancel);
  EXPECT_EQ(reply.text, "没有定时可以取消\r\n");
  ASSERT_EQ(executor.handed.size(), 1u);
  ASSERT_EQ(executor.handed[0].size(), args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    EXPECT_EQ(executor.handed[0][i].wide, args[i].wide);
    EXPECT_EQ(executor.handed[0][i].text, args[i].text);
    EXPECT_EQ(executor.handed[0][i].lossy, args[i].lossy);
  }

  // A reply too long for the channel comes cut, never refused.
  executor.reply = CommandReply{ExitCode::Done, std::string(kMaxReplyBytes + 10, 'x')};
  const CommandReply cut = HandOverCommand(receiver.Window(), args);
  EXPECT_EQ(cut.code, ExitCode::Done);
  EXPECT_LE(cut.text.size(), kMaxReplyBytes);
  EXPECT_GT(cut.text.size(), kMaxReplyBytes - 10);
}

TEST(CommandChannelTest, CopyThatDoesNotAnswerInTimeEndsInCodeFour) {
  FakeExecutor executor;
  executor.pauseMs = 1500;
  ReceiverThread receiver(executor);
  const DWORD start = GetTickCount();
  const CommandReply reply = HandOverCommand(receiver.Window(), Args({L"/status"}), 200);
  EXPECT_LT(GetTickCount() - start, 1400u);
  EXPECT_EQ(reply.code, ExitCode::StoreFailed);
  EXPECT_FALSE(reply.text.empty());
}

TEST(CommandChannelTest, MalformedPayloadIsRefusedAndNothingRuns) {
  FakeExecutor executor;
  ReceiverThread receiver(executor);
  WideString good;
  ASSERT_TRUE(EncodeCommandArgs(Args({L"/status"}), &good));
  WideString tooMany;
  for (std::size_t i = 0; i <= kMaxCommandArgs; ++i) tooMany += L"x" + WideString(1, L'\0');
  const WideString tooLong = WideString(kMaxArgUnits + 1, L'x') + WideString(1, L'\0');
  const struct {
    ULONG_PTR tag;
    const wchar_t* data;
    DWORD bytes;
  } kCases[] = {
      {kCommandArgsTag, nullptr, 0},
      {kCommandArgsTag, good.data(), 1},                            // an odd byte count
      {kCommandArgsTag, good.data(), DWORD(good.size() * 2 - 2)},  // no closing NUL
      {kCommandArgsTag, tooMany.data(), DWORD(tooMany.size() * 2)},
      {kCommandArgsTag, tooLong.data(), DWORD(tooLong.size() * 2)},
      {kCommandArgsTag + 1, good.data(), DWORD(good.size() * 2)},  // not ours
  };
  HWND replyTo = receiver.Window();  // any window of this process
  for (const auto& c : kCases) {
    COPYDATASTRUCT data = {c.tag, c.bytes, const_cast<wchar_t*>(c.data)};
    EXPECT_EQ(SendMessageW(receiver.Window(), WM_COPYDATA, reinterpret_cast<WPARAM>(replyTo),
                           reinterpret_cast<LPARAM>(&data)),
              0)
        << c.bytes;
  }
  COPYDATASTRUCT noReplyWindow = {kCommandArgsTag, DWORD(good.size() * 2), &good[0]};
  EXPECT_EQ(SendMessageW(receiver.Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&noReplyWindow)), 0);
  EXPECT_TRUE(executor.handed.empty());
  // The well-formed one runs.
  EXPECT_EQ(SendMessageW(receiver.Window(), WM_COPYDATA, reinterpret_cast<WPARAM>(replyTo),
                         reinterpret_cast<LPARAM>(&noReplyWindow)),
            static_cast<LRESULT>(ExitCode::NothingToCancel) + 1);
}

// Only the window the running copy marked is sent to: other programs' main
// windows may be of the same class.
TEST(CommandChannelTest, RunningCopyIsFoundByItsMarkNotByItsClassAlone) {
  if (FindRunningCopy()) GTEST_SKIP() << "a copy of Velmaro runs in this prefix";
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TForm1";
  if (!RegisterClassW(&wc)) GTEST_SKIP() << "the program's own TForm1 class is registered in this process";
  HWND other = CreateWindowExW(0, L"TForm1", L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  HWND ours = CreateWindowExW(0, L"TForm1", L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  EXPECT_EQ(FindRunningCopy(), nullptr);
  OpenCommandChannel(ours);
  EXPECT_EQ(FindRunningCopy(), ours);
  CloseCommandChannel(ours);
  EXPECT_EQ(FindRunningCopy(), nullptr);
  DestroyWindow(other);
  DestroyWindow(ours);
}

TEST(CommandChannelTest, ExportFileIsSentAsAFullPath) {
  const std::vector<CommandArg> args = Args({L"/export", L"任务导出.txt"});
  Command command;
  command.kind = CommandKind::Export;
  command.file = args[1].wide;
  wchar_t folder[MAX_PATH];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
  WideString expected(folder, length);
  if (expected.back() != L'\\') expected += L'\\';
  expected += L"任务导出.txt";
  const std::vector<CommandArg> sent = WithAbsoluteFile(args, command);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].wide, args[0].wide);
  EXPECT_EQ(sent[1].wide, U16Of(expected.data(), expected.size()));
}

}  // namespace
}  // namespace velmaro
