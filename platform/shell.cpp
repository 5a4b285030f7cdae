#include "platform/shell.h"

#include <cstring>

namespace velmaro {

void SetTip(NotifyIconData& data, const std::string& tip) {
  std::memset(data.szTip, 0, sizeof data.szTip);
  std::memcpy(data.szTip, tip.data(), tip.size() < sizeof data.szTip ? tip.size() : sizeof data.szTip - 1);
}

}  // namespace velmaro
