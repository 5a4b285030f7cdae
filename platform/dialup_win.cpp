#include "platform/dialup_win.h"

#include "platform/system_library_win.h"

namespace velmaro {

namespace {

constexpr DWORD kRasBufferTooSmall = 603;
constexpr std::size_t kFirstRecordCount = 10;
// Connections may come up between two calls; a few rounds of growing are enough.
constexpr int kEnumAttempts = 4;

class DialUp : public DialUpService {
 public:
  explicit DialUp(const RasEntryPoints& entryPoints) : ras_(entryPoints) {}

  std::uint32_t EnumConnections(std::vector<ConnectionHandle>* connections) override {
    connections->clear();
    if (!ras_.RasEnumConnectionsA) return ERROR_CALL_NOT_IMPLEMENTED;
    std::vector<RasConnection412> records(kFirstRecordCount);
    DWORD result = ERROR_CALL_NOT_IMPLEMENTED;
    for (int attempt = 0; attempt < kEnumAttempts; ++attempt) {
      records[0].dwSize = sizeof(RasConnection412);
      DWORD bytes = static_cast<DWORD>(records.size() * sizeof(RasConnection412));
      DWORD count = 0;
      result = ras_.RasEnumConnectionsA(records.data(), &bytes, &count);
      if (result == kRasBufferTooSmall && bytes > records.size() * sizeof(RasConnection412)) {
        // More connections than records: the service says how many bytes it needs.
        records.resize((bytes + sizeof(RasConnection412) - 1) / sizeof(RasConnection412));
        continue;
      }
      if (result != 0) return result;
      for (DWORD i = 0; i < count && i < records.size(); ++i) {
        connections->push_back(reinterpret_cast<ConnectionHandle>(records[i].hrasconn));
      }
      return 0;
    }
    return result;
  }

  std::uint32_t HangUp(ConnectionHandle connection) override {
    if (!ras_.RasHangUpA) return ERROR_CALL_NOT_IMPLEMENTED;
    return ras_.RasHangUpA(reinterpret_cast<HANDLE>(connection));
  }

  void Autodial(std::uint32_t flags, WindowHandle parent) override {
    if (ras_.InternetAutodial) ras_.InternetAutodial(flags, reinterpret_cast<HWND>(parent));
  }

 private:
  RasEntryPoints ras_;
};

}  // namespace

std::unique_ptr<DialUpService> MakeDialUp(const RasEntryPoints& entryPoints) {
  return std::make_unique<DialUp>(entryPoints);
}

std::unique_ptr<DialUpService> MakeSystemDialUp() { return MakeDialUp(DialUpCalls()); }

}  // namespace velmaro
