#include "dialogs/slot_tracker.h"

#include <algorithm>

namespace velmaro {

SlotRef SlotTracker::Track(std::int32_t slot) {
  SlotRef ref = std::make_shared<std::int32_t>(slot);
  refs_.push_back(ref);
  return ref;
}

void SlotTracker::Deleted(std::int32_t slot) {
  refs_.erase(std::remove_if(refs_.begin(), refs_.end(), [](const auto& ref) { return ref.expired(); }), refs_.end());
  for (const auto& weak : refs_) {
    SlotRef ref = weak.lock();
    if (*ref == slot) {
      *ref = 0;
    } else if (*ref > slot) {
      *ref -= 1;
    }
  }
}

}  // namespace velmaro
