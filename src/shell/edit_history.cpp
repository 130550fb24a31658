#include "shell/edit_history.h"

#include <algorithm>
#include <cstring>

#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// The part of `range` that lies within an image of `size` bytes.
ByteRange clipped(const ByteRange& range, std::size_t size) {
  const auto limit = static_cast<std::int64_t>(size);
  const std::int64_t from = std::min(range.offset, limit);
  return {from, std::min(range.end(), limit) - from};
}

}  // namespace

const std::vector<ByteRange>& EditHistory::trackedRanges() {
  static const std::vector<ByteRange> ranges = [] {
    std::vector<ByteRange> all;
    for (const rom::Location& location : rom::kLocationTable) {
      all.push_back({location.offset, location.length});
    }
    std::sort(all.begin(), all.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
    return all;
  }();
  return ranges;
}

EditHistory::EditHistory(ByteArray& image) : image_(image) {}

void EditHistory::addListener(Listener* listener) {
  listeners_.push_back(listener);
}

void EditHistory::removeListener(Listener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void EditHistory::announce(const std::vector<ByteRange>& ranges) {
  if (ranges.empty()) {
    return;
  }
  // A copy: a listener may remove itself (a window that closes).
  const std::vector<Listener*> listeners = listeners_;
  for (Listener* listener : listeners) {
    listener->imageChanged(ranges);
  }
}

void EditHistory::announceHistory() {
  const std::vector<Listener*> listeners = listeners_;
  for (Listener* listener : listeners) {
    listener->historyChanged();
  }
}

void EditHistory::copyTracked(ByteArray& out) const {
  out.clear();
  for (const ByteRange& range : trackedRanges()) {
    const ByteRange part = clipped(range, image_.size());
    out.insert(out.end(), image_.begin() + part.offset, image_.begin() + part.end());
  }
}

std::vector<ByteRange> EditHistory::changedSince(const ByteArray& copy) const {
  std::vector<ByteRange> changed;
  std::size_t at = 0;  // where the location's bytes start in `copy`
  for (const ByteRange& range : trackedRanges()) {
    const ByteRange part = clipped(range, image_.size());
    const auto length = static_cast<std::size_t>(part.length);
    const std::uint8_t* before = copy.data() + at;
    const std::uint8_t* now = image_.data() + part.offset;
    at += length;
    if (length == 0 || std::memcmp(before, now, length) == 0) {
      continue;  // most locations are untouched by any one edit
    }
    std::size_t i = 0;
    while (i < length) {
      if (before[i] == now[i]) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < length && before[end] != now[end]) {
        ++end;
      }
      changed.push_back(
          {part.offset + static_cast<std::int64_t>(i), static_cast<std::int64_t>(end - i)});
      i = end;
    }
  }
  return changed;
}

bool EditHistory::openStepChanged() const {
  if (!open_ || image_.size() != snapshotSize_) {
    return false;
  }
  std::size_t at = 0;
  for (const ByteRange& range : trackedRanges()) {
    const ByteRange part = clipped(range, image_.size());
    const auto length = static_cast<std::size_t>(part.length);
    if (std::memcmp(snapshot_.data() + at, image_.data() + part.offset, length) != 0) {
      return true;
    }
    at += length;
  }
  return false;
}

void EditHistory::clear() {
  ++generation_;
  openEdits_ = 0;
  steps_.clear();
  index_ = 0;
  savedIndex_ = 0;
  open_ = false;
  snapshot_.clear();
  announced_.clear();
  announceHistory();
}

void EditHistory::begin(const std::string& name) {
  if (open_) {
    return;
  }
  open_ = true;
  openName_ = name;
  snapshotSize_ = image_.size();
  copyTracked(snapshot_);
  announced_ = snapshot_;
}

void EditHistory::flush() {
  if (!open_ || image_.size() != snapshotSize_) {
    return;
  }
  const std::vector<ByteRange> changed = changedSince(announced_);
  if (changed.empty()) {
    return;
  }
  copyTracked(announced_);
  announce(changed);
  announceHistory();
}

bool EditHistory::commit() {
  if (!open_) {
    return false;
  }
  flush();
  open_ = false;
  if (image_.size() != snapshotSize_) {
    clear();  // the image was replaced under the step: nothing to undo into
    return false;
  }
  Step step{openName_, {}};
  for (const ByteRange& range : changedSince(snapshot_)) {
    // Where the range's bytes lie in the snapshot.
    std::size_t at = 0;
    for (const ByteRange& tracked : trackedRanges()) {
      if (tracked.contains(range.offset)) {
        at += static_cast<std::size_t>(range.offset - tracked.offset);
        break;
      }
      at += static_cast<std::size_t>(clipped(tracked, image_.size()).length);
    }
    const auto from = image_.begin() + range.offset;
    const auto before = snapshot_.begin() + static_cast<std::ptrdiff_t>(at);
    step.changes.push_back({range.offset, ByteArray(before, before + range.length),
                            ByteArray(from, from + range.length)});
  }
  snapshot_.clear();
  announced_.clear();
  if (step.changes.empty()) {
    announceHistory();  // a stroke that changed bytes back again
    return false;
  }
  steps_.resize(index_);  // what could be redone is gone
  if (savedIndex_ != kNotReachable && savedIndex_ > index_) {
    savedIndex_ = kNotReachable;
  }
  steps_.push_back(std::move(step));
  ++index_;
  announceHistory();
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
    std::vector<ByteRange> changed;
    for (const Change& change : step.changes) {
      const ByteArray& bytes = forward ? change.after : change.before;
      std::copy(bytes.begin(), bytes.end(),
                image_.begin() + static_cast<std::ptrdiff_t>(change.offset));
      changed.push_back({change.offset, static_cast<std::int64_t>(bytes.size())});
    }
    index_ = forward ? index_ + 1 : index_ - 1;
    announce(changed);
  }
  if (stroke) {
    begin(name);
  }
  if (possible) {
    announceHistory();
  }
  return possible;
}

void EditHistory::markUnsaved() {
  savedIndex_ = kNotReachable;
  announceHistory();
}

void EditHistory::markSaved() {
  savedIndex_ = index_;
  announceHistory();
}

bool EditHistory::isModified() const {
  return savedIndex_ != index_ || openStepChanged();
}

void EditHistory::openEdit(const std::string& name) {
  begin(name);
  ++openEdits_;
}

bool EditHistory::closeEdit() {
  if (openEdits_ > 0) {
    --openEdits_;
  }
  if (openEdits_ > 0) {
    flush();
    return false;
  }
  return commit();
}

Edit::Edit(EditHistory& history, const std::string& name)
    : history_(history), generation_(history.generation_) {
  history_.openEdit(name);
}

Edit::~Edit() {
  close();
}

void Edit::flush() {
  if (!closed_ && generation_ == history_.generation_) {
    history_.flush();
  }
}

bool Edit::close() {
  if (closed_) {
    return false;
  }
  closed_ = true;
  return generation_ == history_.generation_ && history_.closeEdit();
}

}  // namespace tarvo
