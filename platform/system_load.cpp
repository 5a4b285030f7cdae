#include "platform/system_load.h"

#include <algorithm>
#include <iterator>

namespace velmaro {

namespace {

// The IANA types of links that carry a computer's own traffic: Ethernet,
// token ring, dial-up (PPP), ATM, wireless LAN and mobile broadband. Not
// loopback (24) nor tunnels (131), whose bytes also cross a card.
constexpr std::uint32_t kCountedTypes[] = {6, 9, 23, 37, 71, 243, 244};

}  // namespace

bool CountsInterface(const InterfaceRow& row) {
  return row.up && row.hardware && !row.filter &&
         std::find(std::begin(kCountedTypes), std::end(kCountedTypes), row.type) != std::end(kCountedTypes);
}

}  // namespace velmaro
