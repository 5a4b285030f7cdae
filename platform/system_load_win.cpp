#include "platform/system_load_win.h"

#include <algorithm>

namespace velmaro {

namespace {

std::uint64_t Units(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class SystemLoad : public SystemLoadService {
 public:
  explicit SystemLoad(const LoadCalls& calls) : calls_(calls) {}

  bool Interfaces(std::vector<InterfaceBytes>* interfaces) override {
    interfaces->clear();
    if (calls_.GetIfTable2 && calls_.FreeMibTable) return ReadTable2(interfaces);
    return ReadTable(interfaces);
  }

  bool Processor(ProcessorTimes* times) override {
    FILETIME idle, kernel, user;
    if (!calls_.GetSystemTimes || !calls_.GetSystemTimes(&idle, &kernel, &user)) return false;
    *times = ProcessorTimes{Units(idle), Units(kernel), Units(user)};
    return true;
  }

 private:
  bool ReadTable2(std::vector<InterfaceBytes>* interfaces) {
    MIB_IF_TABLE2* table = nullptr;
    if (calls_.GetIfTable2(&table) != NO_ERROR || !table) return false;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
      const MIB_IF_ROW2& row = table->Table[i];
      if (!CountsInterface(RowOf(row))) continue;
      interfaces->push_back(InterfaceBytes{row.InterfaceIndex, row.InOctets, row.OutOctets, false,
                                           std::max(row.ReceiveLinkSpeed, row.TransmitLinkSpeed)});
    }
    calls_.FreeMibTable(table);
    return true;
  }

  bool ReadTable(std::vector<InterfaceBytes>* interfaces) {
    if (!calls_.GetIfTable) return false;
    // Interfaces come and go between the size query and the read: grow and ask again.
    ULONG size = static_cast<ULONG>(table_.size());
    DWORD result = calls_.GetIfTable(Table(), &size, FALSE);
    for (int tries = 0; result == ERROR_INSUFFICIENT_BUFFER && tries < 4; ++tries) {
      table_.resize(size);
      size = static_cast<ULONG>(table_.size());
      result = calls_.GetIfTable(Table(), &size, FALSE);
    }
    if (result != NO_ERROR || table_.size() < sizeof(DWORD)) return false;
    const MIB_IFTABLE& table = *Table();
    // The count must fit the bytes the system wrote.
    const std::size_t room = (table_.size() - sizeof(DWORD)) / sizeof(MIB_IFROW);
    for (DWORD i = 0; i < table.dwNumEntries && i < room; ++i) {
      const MIB_IFROW& row = table.table[i];
      if (!CountsInterface(RowOf(row))) continue;
      interfaces->push_back(InterfaceBytes{row.dwIndex, row.dwInOctets, row.dwOutOctets, true, row.dwSpeed});
    }
    return true;
  }

  MIB_IFTABLE* Table() { return table_.empty() ? nullptr : reinterpret_cast<MIB_IFTABLE*>(table_.data()); }

  LoadCalls calls_;
  // Kept between ticks: the table's size rarely changes.
  std::vector<unsigned char> table_;
};

}  // namespace

InterfaceRow RowOf(const MIB_IF_ROW2& row) {
  InterfaceRow counted;
  counted.type = row.Type;
  counted.hardware = row.InterfaceAndOperStatusFlags.HardwareInterface;
  counted.filter = row.InterfaceAndOperStatusFlags.FilterInterface;
  counted.up = row.OperStatus == IfOperStatusUp && row.MediaConnectState == MediaConnectStateConnected;
  return counted;
}

InterfaceRow RowOf(const MIB_IFROW& row) {
  InterfaceRow counted;
  counted.type = row.dwType;
  // Windows XP lists no filter rows and says nothing of hardware: the type decides.
  counted.up = row.dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL || row.dwOperStatus == MIB_IF_OPER_STATUS_CONNECTED;
  return counted;
}

std::unique_ptr<SystemLoadService> MakeSystemLoad(const LoadCalls& calls) { return std::make_unique<SystemLoad>(calls); }

std::unique_ptr<SystemLoadService> MakeSystemLoad() { return MakeSystemLoad(Load()); }

}  // namespace velmaro
