#pragma once
// Slots whose face grid has been handed out as Identity. Identity is the only
// way a stored face grid leaves the recogniser, so only these grids can be
// changed from outside, and only their sums and differences need watching.
// A slot stays watched until it gets a new grid: a caller may keep a plain
// reference to a grid long after its shared reference is gone.

#include <vector>

#include "face/face_record.h"
#include "imaging/bounded_arrays.h"

namespace tavro {

class ExposedFaces {
 public:
  void expose(int slot) {
    if (flags_.at(slot)) return;
    flags_.at(slot) = true;
    slots_.push_back(slot);
  }
  // The slot's face grid was replaced by a new one, not yet handed out.
  void forget(int slot) {
    if (!flags_.at(slot)) return;
    flags_.at(slot) = false;
    std::erase(slots_, slot);
  }
  const std::vector<int>& slots() const noexcept { return slots_; }

 private:
  FixedArray<bool, kFaceSlots> flags_;
  std::vector<int> slots_;
};

}  // namespace tavro
