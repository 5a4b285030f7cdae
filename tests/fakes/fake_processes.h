// Processes and windows held in vectors; terminations, posts and runs are recorded.
#pragma once

#include <algorithm>
#include <map>

#include "platform/processes.h"

namespace velmaro {

class FakeProcesses : public ProcessService {
 public:
  std::vector<ProcessEntry> processes;
  std::vector<WindowFacts> windows;
  WindowHandle desktop = 0x10010;
  std::map<WindowHandle, std::uint32_t> windowProcess;  // for WindowProcessId
  std::string interpreter = "C:\\WINDOWS\\system32\\cmd.exe";
  RunOutcome runOutcome = RunOutcome::Finished;

  std::vector<std::uint32_t> terminated;
  std::vector<WindowHandle> closed;
  struct Run {
    std::string commandLine;
    std::uint32_t timeoutMs;
  };
  std::vector<Run> runs;

  std::vector<ProcessEntry> Processes() override { return processes; }
  void Terminate(std::uint32_t processId) override {
    terminated.push_back(processId);
    processes.erase(std::remove_if(processes.begin(), processes.end(),
                                   [&](const ProcessEntry& entry) { return entry.id == processId; }),
                    processes.end());
  }
  std::string CommandInterpreterPath() override { return interpreter; }
  RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs) override {
    runs.push_back(Run{commandLine, timeoutMs});
    return runOutcome;
  }
  std::vector<WindowFacts> TopLevelWindows() override { return windows; }
  WindowHandle DesktopWindow() override { return desktop; }
  std::uint32_t WindowProcessId(WindowHandle window) override {
    auto found = windowProcess.find(window);
    return found == windowProcess.end() ? 0 : found->second;
  }
  void PostClose(WindowHandle window) override { closed.push_back(window); }
};

}  // namespace velmaro
