#include <windows.h>

#include "platform/system_library_win.h"
#include "platform/system_load.h"

namespace velmaro {

namespace {

std::uint64_t Units(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class SystemLoad : public SystemLoadService {
 public:
  bool Interfaces(std::vector<InterfaceBytes>* interfaces) override {
    interfaces->clear();
    const auto getIfTable = Load().GetIfTable;
    if (!getIfTable) return false;
    // Interfaces come and go between the size query and the read: grow and ask again.
    ULONG size = static_cast<ULONG>(table_.size());
    DWORD result = getIfTable(Table(), &size, FALSE);
    for (int tries = 0; result == ERROR_INSUFFICIENT_BUFFER && tries < 4; ++tries) {
      table_.resize(size);
      size = static_cast<ULONG>(table_.size());
      result = getIfTable(Table(), &size, FALSE);
    }
    if (result != NO_ERROR || table_.size() < sizeof(DWORD)) return false;
    const MIB_IFTABLE& table = *Table();
    // The count must fit the bytes the system wrote.
    const std::size_t room = (table_.size() - sizeof(DWORD)) / sizeof(MIB_IFROW);
    for (DWORD i = 0; i < table.dwNumEntries && i < room; ++i) {
      const MIB_IFROW& row = table.table[i];
      if (row.dwType == MIB_IF_TYPE_LOOPBACK) continue;
      interfaces->push_back(InterfaceBytes{row.dwIndex, row.dwInOctets, row.dwOutOctets});
    }
    return true;
  }

  bool Processor(ProcessorTimes* times) override {
    const auto getSystemTimes = Load().GetSystemTimes;
    FILETIME idle, kernel, user;
    if (!getSystemTimes || !getSystemTimes(&idle, &kernel, &user)) return false;
    *times = ProcessorTimes{Units(idle), Units(kernel), Units(user)};
    return true;
  }

 private:
  MIB_IFTABLE* Table() { return table_.empty() ? nullptr : reinterpret_cast<MIB_IFTABLE*>(table_.data()); }

  // Kept between ticks: the table's size rarely changes.
  std::vector<unsigned char> table_;
};

}  // namespace

std::unique_ptr<SystemLoadService> MakeSystemLoad() { return std::make_unique<SystemLoad>(); }

}  // namespace velmaro
