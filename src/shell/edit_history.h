// Undo and redo for the ROM image: every edit is a step that records which
// bytes it changed, what they were and what they became.
//
// Usage, around any edit of the image:
//
//   history.begin("Paint");   // at the press
//   ... edit the image, as often as the stroke goes on ...
//   history.commit();          // at the release: one step, or none if
//                              // nothing changed
//
// A step is found by comparing the image with a copy taken at begin(), over
// the part of the image where every location the editor writes lies; so any
// edit is recorded exactly, whatever code made it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/rom_image.h"

namespace tarvo {

class EditHistory {
 public:
  // The bytes at `offset` were `before` and became `after`.
  struct Change {
    std::int64_t offset;
    ByteArray before;
    ByteArray after;
  };
  struct Step {
    std::string name;
    std::vector<Change> changes;
  };

  explicit EditHistory(ByteArray& image);

  // Forgets every step: a new image was loaded. The image as it is now counts
  // as saved.
  void clear();

  // Starts a step. A step already open stays open (a stroke that another
  // action interrupts is still one step).
  void begin(const std::string& name);
  // Ends the open step; returns whether it changed any byte (only then is it
  // kept). Steps that could be redone are dropped by a new step.
  bool commit();
  bool isOpen() const { return open_; }

  // Ends the open step as commit does, and opens the next at once if a step
  // was open: a stroke that a save or a question interrupts goes on being
  // recorded. Returns whether a step was kept.
  bool checkpoint();

  // Whether undo would change the image: a step is done, or the open one
  // (a stroke under way) has changed something, which undo takes back first
  // whether or not steps came before it.
  bool canUndo() const { return index_ > 0 || openStepChanged(); }
  bool canRedo() const { return index_ < steps_.size(); }
  // Names of the steps that undo and redo would take back or do again.
  std::string undoName() const;
  std::string redoName() const;

  // Take back the last step, or do the next one again. An open step (a
  // stroke under way) is committed first, and a new one opened after, so
  // that what the stroke does next is recorded too. Return whether the image
  // changed.
  bool undo();
  bool redo();

  // The image now is what its file holds (after a save).
  void markSaved();
  // Whether the image differs from the file: the history is not at the step
  // that was saved, or a stroke under way has changed something.
  bool isModified() const;

  std::size_t size() const { return steps_.size(); }
  std::size_t index() const { return index_; }
  const std::vector<Step>& steps() const { return steps_; }

 private:
  static constexpr std::size_t kNotReachable = static_cast<std::size_t>(-1);

  // Undo (backward) or redo (forward) one step.
  bool travel(bool forward);

  // The bytes a step can touch.
  std::size_t trackedLength() const;
  // Whether the open step has changed a byte so far.
  bool openStepChanged() const;

  ByteArray& image_;
  std::vector<Step> steps_;
  std::size_t index_ = 0;       // steps_[0..index_) are done
  std::size_t savedIndex_ = 0;  // index_ at the last save, or kNotReachable
  bool open_ = false;
  std::string openName_;
  ByteArray snapshot_;
  std::size_t snapshotSize_ = 0;  // the image's size when the step began
};

}  // namespace tarvo
