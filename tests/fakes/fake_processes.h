// Processes and windows held in vectors; terminations, posts and runs are
// recorded. Names are read from code page 936 by the C library's converter,
// as strictly as the system does.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <map>

#include "platform/processes.h"

namespace velmaro {

class FakeProcesses : public ProcessService {
 public:
  std::vector<ProcessEntry> processes;
  std::vector<WindowFacts> windows;
  WindowHandle desktop = 0x10010;
  std::vector<WindowHandle> shellWindows;
  std::map<WindowHandle, std::uint32_t> windowProcess;  // for WindowProcessId
  std::string interpreter = "C:\\WINDOWS\\system32\\cmd.exe";
  RunOutcome runOutcome = RunOutcome::Finished;
  bool stillRunning = false;  // a run left running; a test ends it by clearing this

  std::vector<std::uint32_t> terminated;
  std::vector<WindowHandle> closed;
  struct Run {
    std::string commandLine;
    std::uint32_t timeoutMs;
    std::size_t unicodeTextsBefore;  // how many StartUnicodeText calls came before it
  };
  std::vector<Run> runs;
  std::vector<std::string> unicodeTexts;  // StartUnicodeText, in order

  int snapshots = 0;  // calls of Processes
  std::vector<ProcessEntry> Processes() override {
    ++snapshots;
    return processes;
  }
  void Terminate(std::uint32_t processId) override {
    terminated.push_back(processId);
    processes.erase(std::remove_if(processes.begin(), processes.end(),
                                   [&](const ProcessEntry& entry) { return entry.id == processId; }),
                    processes.end());
  }
  std::u16string SystemName(const std::string& text) override {
    std::u16string name;
    iconv_t converter = iconv_open("UTF-16LE", "CP936");
    if (converter == reinterpret_cast<iconv_t>(-1)) return name;
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char* inPos = &in[0];
    char* outPos = &out[0];
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const bool converted = iconv(converter, &inPos, &inLeft, &outPos, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted) return name;
    for (std::size_t i = 0; i + 1 < out.size() - outLeft; i += 2) {
      name.push_back(static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                           static_cast<unsigned char>(out[i + 1]) << 8));
    }
    return name;
  }
  std::string CodePageName(const std::u16string& name) override {
    iconv_t converter = iconv_open("CP936", "UTF-16LE");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string in;
    for (char16_t c : name) {
      in.push_back(static_cast<char>(c & 0xFF));
      in.push_back(static_cast<char>(c >> 8));
    }
    std::string out(name.size() * 2 + 4, '\0');
    char* inPos = &in[0];
    char* outPos = &out[0];
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const bool converted =
        in.empty() || iconv(converter, &inPos, &inLeft, &outPos, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    return converted ? out.substr(0, out.size() - outLeft) : std::string();
  }
  std::string CommandInterpreterPath() override { return interpreter; }
  RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs) override {
    runs.push_back(Run{commandLine, timeoutMs, unicodeTexts.size()});
    if (runOutcome == RunOutcome::StillRunning) stillRunning = true;
    return runOutcome;
  }
  bool HiddenRunStillRunning() override { return stillRunning; }
  bool StartUnicodeText(const std::string& path) override {
    unicodeTexts.push_back(path);
    return true;
  }
  std::vector<WindowFacts> TopLevelWindows() override { return windows; }
  WindowHandle DesktopWindow() override { return desktop; }
  std::vector<WindowHandle> ShellWindows() override { return shellWindows; }
  std::uint32_t WindowProcessId(WindowHandle window) override {
    auto found = windowProcess.find(window);
    return found == windowProcess.end() ? 0 : found->second;
  }
  void PostClose(WindowHandle window) override { closed.push_back(window); }
};

}  // namespace velmaro
