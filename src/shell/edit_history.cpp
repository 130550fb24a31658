#include "shell/edit_history.h"

#include <algorithm>

#include "shell/rom_locations.h"

namespace tarvo {

EditHistory::EditHistory(ByteArray& image) : image_(image) {}

std::size_t EditHistory::trackedLength() const {
  // Every location the editor writes ends by the end of the last CHR bank.
  return std::min(image_.size(), static_cast<std::size_t>(rom::kMinImageSize));
}

void EditHistory::clear() {
  steps_.clear();
  index_ = 0;
  savedIndex_ = 0;
  open_ = false;
  snapshot_.clear();
}

void EditHistory::begin(const std::string& name) {
  if (open_) {
    return;
  }
  open_ = true;
  openName_ = name;
  snapshotSize_ = image_.size();
  snapshot_.assign(image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(trackedLength()));
}

bool EditHistory::commit() {
  if (!open_) {
    return false;
  }
  open_ = false;
  if (image_.size() != snapshotSize_) {
    clear();  // the image was replaced under the step: nothing to undo into
    return false;
  }
  Step step{openName_, {}};
  const std::size_t length = snapshot_.size();
  std::size_t i = 0;
  while (i < length) {
    if (snapshot_[i] == image_[i]) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < length && snapshot_[end] != image_[end]) {
      ++end;
    }
    const auto from = static_cast<std::ptrdiff_t>(i);
    const auto to = static_cast<std::ptrdiff_t>(end);
    step.changes.push_back({static_cast<std::int64_t>(i),
                            ByteArray(snapshot_.begin() + from, snapshot_.begin() + to),
                            ByteArray(image_.begin() + from, image_.begin() + to)});
    i = end;
  }
  snapshot_.clear();
  if (step.changes.empty()) {
    return false;
  }
  steps_.resize(index_);  // what could be redone is gone
  if (savedIndex_ != kNotReachable && savedIndex_ > index_) {
    savedIndex_ = kNotReachable;
  }
  steps_.push_back(std::move(step));
  ++index_;
  return true;
}

bool EditHistory::checkpoint() {
  const bool stroke = open_;
  const std::string name = openName_;
  const bool kept = commit();
  if (stroke) {
    begin(name);
  }
  return kept;
}

bool EditHistory::openStepChanged() const {
  return open_ && image_.size() == snapshotSize_ &&
         !std::equal(snapshot_.begin(), snapshot_.end(), image_.begin());
}

std::string EditHistory::undoName() const {
  if (openStepChanged()) {
    return openName_;
  }
  return index_ > 0 ? steps_[index_ - 1].name : "";
}

std::string EditHistory::redoName() const {
  return canRedo() ? steps_[index_].name : "";
}

bool EditHistory::undo() {
  return travel(false);
}

bool EditHistory::redo() {
  return travel(true);
}

bool EditHistory::travel(bool forward) {
  // A stroke still under way is a step of its own, and what it does after
  // this is the next one.
  const bool stroke = open_;
  const std::string name = openName_;
  commit();
  const bool possible = forward ? canRedo() : canUndo();
  if (possible) {
    const Step& step = steps_[forward ? index_ : index_ - 1];
    for (const Change& change : step.changes) {
      const ByteArray& bytes = forward ? change.after : change.before;
      std::copy(bytes.begin(), bytes.end(),
                image_.begin() + static_cast<std::ptrdiff_t>(change.offset));
    }
    index_ = forward ? index_ + 1 : index_ - 1;
  }
  if (stroke) {
    begin(name);
  }
  return possible;
}

void EditHistory::markSaved() {
  savedIndex_ = index_;
}

bool EditHistory::isModified() const {
  return savedIndex_ != index_ || openStepChanged();
}

}  // namespace tarvo
