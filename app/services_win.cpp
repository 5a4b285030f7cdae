#include "app/services_win.h"

namespace velmaro {

ProgramServices MakeSystemServices() {
  ProgramServices services;
  services.registry = MakeSystemRegistry();
  services.shell = MakeSystemShell();
  services.session = MakeSystemSession();
  services.power = MakeSystemPower();
  services.processes = MakeSystemProcesses();
  services.clock = MakeSystemClock();
  services.dialUp = MakeSystemDialUp();
  services.sound = MakeSystemSound();
  services.files = MakeSystemFileDialog();
  services.autoStart = MakeSystemAutoStart();
  services.records = MakeSystemRecordFiles();
  services.load = MakeSystemLoad();
  return services;
}

}  // namespace velmaro
