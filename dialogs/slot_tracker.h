// Task slot numbers that follow deletions. A deletion moves every slot above
// it down by one, so a number remembered by a list row or an open editor
// would name another task afterwards; a tracked number moves with its task.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace velmaro {

// The slot number of one task; 0 once that task is deleted.
using SlotRef = std::shared_ptr<std::int32_t>;

class SlotTracker {
 public:
  SlotRef Track(std::int32_t slot);
  // Slot `slot` was deleted: its refs fall to 0, those above it move down.
  void Deleted(std::int32_t slot);

 private:
  std::vector<std::weak_ptr<std::int32_t>> refs_;
};

}  // namespace velmaro
