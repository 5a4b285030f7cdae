// The counters of the running system through both paths: the interface
// table of Vista and later and the older one of Windows XP, each on the real
// system and on tables made here, where each row's kind is known.
#include "platform/system_load_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "scheduler/conditions.h"

namespace velmaro {
namespace {

std::set<std::uint32_t> Indexes(const std::vector<InterfaceBytes>& interfaces) {
  std::set<std::uint32_t> indexes;
  for (const InterfaceBytes& entry : interfaces) indexes.insert(entry.index);
  return indexes;
}

LoadCalls XpCalls() {
  LoadCalls calls = Load();
  calls.GetIfTable2 = nullptr;
  calls.FreeMibTable = nullptr;
  return calls;
}

TEST(Win32SystemLoad, BothPathsReadTheRealCountersAndAgreeOnTheInterfaces) {
  ASSERT_TRUE(Load().GetIfTable2 && Load().FreeMibTable) << "the system has the newer table";
  std::vector<InterfaceBytes> newer, older;
  ASSERT_TRUE(MakeSystemLoad()->Interfaces(&newer));
  ASSERT_TRUE(MakeSystemLoad(XpCalls())->Interfaces(&older));
  for (const InterfaceBytes& entry : newer) {
    std::printf("counted %u: %llu in, %llu out, %llu bit/s\n", entry.index,
                static_cast<unsigned long long>(entry.received), static_cast<unsigned long long>(entry.sent),
                static_cast<unsigned long long>(entry.linkBitsPerSecond));
    EXPECT_FALSE(entry.wraps32);
  }
  for (const InterfaceBytes& entry : older) EXPECT_TRUE(entry.wraps32);
  EXPECT_EQ(Indexes(newer).size(), newer.size()) << "each interface once";
  EXPECT_EQ(Indexes(newer), Indexes(older));

  // Loopback never counts, on either path.
  MIB_IF_TABLE2* table = nullptr;
  ASSERT_EQ(Load().GetIfTable2(&table), static_cast<DWORD>(NO_ERROR));
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    if (table->Table[i].Type == IF_TYPE_SOFTWARE_LOOPBACK) {
      EXPECT_EQ(Indexes(newer).count(table->Table[i].InterfaceIndex), 0u);
    }
  }
  Load().FreeMibTable(table);

  auto load = MakeSystemLoad();
  ProcessorTimes before;
  ASSERT_TRUE(load->Processor(&before));
  EXPECT_GE(before.kernel, before.idle) << "kernel time includes the idle time";
  LoadMeter meter;
  meter.SampleProcessor(GetTickCount(), true, before);
  // Keep a processor busy for a while, so the times move.
  const DWORD start = GetTickCount();
  volatile std::uint64_t spin = 0;
  while (GetTickCount() - start < 300) spin = spin + 1;
  ProcessorTimes after;
  ASSERT_TRUE(load->Processor(&after));
  const LoadRates rates = meter.SampleProcessor(GetTickCount(), true, after);
  ASSERT_TRUE(rates.busyPerMille);
  EXPECT_LE(*rates.busyPerMille, 1000u);
}

// One card listed four times over, with a tunnel, loopback, a virtual
// adapter and a card with its cable out beside it.
std::vector<MIB_IF_ROW2> MadeRows2() {
  std::vector<MIB_IF_ROW2> rows(8);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    MIB_IF_ROW2& row = rows[i];
    std::memset(&row, 0, sizeof row);
    row.InterfaceIndex = static_cast<NET_IFINDEX>(i + 1);
    row.Type = IF_TYPE_ETHERNET_CSMACD;
    row.InterfaceAndOperStatusFlags.HardwareInterface = TRUE;
    row.OperStatus = IfOperStatusUp;
    row.MediaConnectState = MediaConnectStateConnected;
    row.InOctets = 0x123456789ABull + i;  // beyond 32 bits
    row.OutOctets = 0x500000000ull + i;
    row.ReceiveLinkSpeed = row.TransmitLinkSpeed = 10000000000ull;
  }
  rows[1].InterfaceAndOperStatusFlags.FilterInterface = TRUE;  // a filter driver on card 1
  rows[2].InterfaceAndOperStatusFlags.FilterInterface = TRUE;
  rows[3].InterfaceAndOperStatusFlags.HardwareInterface = FALSE;  // a virtual switch's port
  rows[4].Type = IF_TYPE_TUNNEL;
  rows[4].InterfaceAndOperStatusFlags.HardwareInterface = FALSE;
  rows[5].Type = IF_TYPE_SOFTWARE_LOOPBACK;
  rows[5].InterfaceAndOperStatusFlags.HardwareInterface = FALSE;
  rows[6].MediaConnectState = MediaConnectStateDisconnected;  // cable out
  rows[6].OperStatus = IfOperStatusDown;
  rows[7].Type = IF_TYPE_IEEE80211;  // wireless, connected
  return rows;
}

std::vector<unsigned char> g_table2;
int g_freed = 0;

DWORD WINAPI MadeGetIfTable2(_MIB_IF_TABLE2** table) {
  const std::vector<MIB_IF_ROW2> rows = MadeRows2();
  g_table2.assign(offsetof(MIB_IF_TABLE2, Table) + rows.size() * sizeof(MIB_IF_ROW2), 0);
  auto* made = reinterpret_cast<MIB_IF_TABLE2*>(g_table2.data());
  made->NumEntries = static_cast<ULONG>(rows.size());
  std::memcpy(made->Table, rows.data(), rows.size() * sizeof(MIB_IF_ROW2));
  *table = made;
  return NO_ERROR;
}
void WINAPI MadeFreeMibTable(void*) { ++g_freed; }

TEST(Win32SystemLoad, TheNewerTableCountsEachConnectedCardOnceOnItsSixtyFourBitCounters) {
  LoadCalls calls = Load();
  calls.GetIfTable2 = MadeGetIfTable2;
  calls.FreeMibTable = MadeFreeMibTable;
  g_freed = 0;
  std::vector<InterfaceBytes> interfaces;
  ASSERT_TRUE(MakeSystemLoad(calls)->Interfaces(&interfaces));
  EXPECT_EQ(g_freed, 1);
  ASSERT_EQ(interfaces.size(), 2u);
  EXPECT_EQ(interfaces[0].index, 1u);
  EXPECT_EQ(interfaces[0].received, 0x123456789ABull);
  EXPECT_EQ(interfaces[0].sent, 0x500000000ull);
  EXPECT_FALSE(interfaces[0].wraps32);
  EXPECT_EQ(interfaces[0].linkBitsPerSecond, 10000000000ull);
  EXPECT_EQ(interfaces[1].index, 8u);
}

std::vector<unsigned char> g_table;

DWORD WINAPI MadeGetIfTable(MIB_IFTABLE* table, ULONG* size, BOOL) {
  const DWORD types[] = {IF_TYPE_ETHERNET_CSMACD, IF_TYPE_SOFTWARE_LOOPBACK, IF_TYPE_ETHERNET_CSMACD, IF_TYPE_PPP,
                         IF_TYPE_TUNNEL};
  const DWORD status[] = {MIB_IF_OPER_STATUS_OPERATIONAL, MIB_IF_OPER_STATUS_OPERATIONAL,
                          MIB_IF_OPER_STATUS_NON_OPERATIONAL, MIB_IF_OPER_STATUS_CONNECTED,
                          MIB_IF_OPER_STATUS_OPERATIONAL};
  const ULONG needed = static_cast<ULONG>(offsetof(MIB_IFTABLE, table) + 5 * sizeof(MIB_IFROW));
  if (!table || *size < needed) {
    *size = needed;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memset(table, 0, needed);
  table->dwNumEntries = 5;
  for (DWORD i = 0; i < 5; ++i) {
    table->table[i].dwIndex = i + 1;
    table->table[i].dwType = types[i];
    table->table[i].dwOperStatus = status[i];
    table->table[i].dwInOctets = 0xFFFFFFF0u;
    table->table[i].dwOutOctets = 7;
    table->table[i].dwSpeed = 100000000;
  }
  return NO_ERROR;
}

TEST(Win32SystemLoad, WindowsXpsTableCountsConnectedCardsAndDialUpOnWrappingCounters) {
  LoadCalls calls = XpCalls();
  calls.GetIfTable = MadeGetIfTable;
  std::vector<InterfaceBytes> interfaces;
  auto load = MakeSystemLoad(calls);
  ASSERT_TRUE(load->Interfaces(&interfaces));
  ASSERT_TRUE(load->Interfaces(&interfaces)) << "the second read reuses the buffer";
  ASSERT_EQ(Indexes(interfaces), (std::set<std::uint32_t>{1, 4}));
  EXPECT_TRUE(interfaces[0].wraps32);
  EXPECT_EQ(interfaces[0].received, 0xFFFFFFF0u);
  EXPECT_EQ(interfaces[0].linkBitsPerSecond, 100000000u);

  // Without either table the system says nothing: no reading, not 0 KB/s.
  calls.GetIfTable = nullptr;
  EXPECT_FALSE(MakeSystemLoad(calls)->Interfaces(&interfaces));
  EXPECT_TRUE(interfaces.empty());
}

}  // namespace
}  // namespace velmaro
