#include "app/services_win.h"

namespace velmaro {

ProgramServices MakeSystemServices() {
  return ProgramServices{MakeSystemRegistry(),   MakeSystemShell(),     MakeSystemSession(),    MakeSystemPower(),
                         MakeSystemProcesses(),  MakeSystemClock(),     MakeSystemDialUp(),     MakeSystemSound(),
                         MakeSystemFileDialog(), MakeSystemAutoStart(), MakeSystemRecordFiles(), MakeSystemLoad(),
                         MakeSystemWake()};
}

}  // namespace velmaro
