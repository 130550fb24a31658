// Undo and redo for the ROM image, and the one account of what every edit
// changed.
//
// Every edit of the image is an Edit: made at the start of an action, it is
// one step of the history when it closes (at the end of its scope, or at the
// release that ends a stroke):
//
//   {
//     Edit edit(history, "Put metatile");
//     ... change bytes of the image ...
//     edit.flush();   // optional: views show what changed so far
//   }                 // one step, or none if no byte changed
//
// A step is found by comparing the image with a copy taken when it began,
// over the locations the editor reads and writes (the ROM location table); so
// any edit is recorded exactly, whatever code made it. Every change of the
// image that the history sees, whether a stroke going on, a step closing, an
// undo or a redo, is announced to the listeners as the byte ranges that
// changed, so that each view redraws only what those ranges touch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/rom_image.h"

namespace tarvo {

// `length` bytes of the image from file offset `offset`.
struct ByteRange {
  std::int64_t offset = 0;
  std::int64_t length = 0;

  std::int64_t end() const { return offset + length; }
  bool contains(std::int64_t at) const { return at >= offset && at < end(); }
  friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

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

  // What the views of the image are told.
  class Listener {
   public:
    virtual ~Listener() = default;
    // Bytes of the image changed. The ranges are sorted, never overlap, and
    // each lies within one location of the ROM location table.
    virtual void imageChanged(const std::vector<ByteRange>& ranges) = 0;
    // What undo and redo would do, or whether the image is saved, may have
    // changed.
    virtual void historyChanged() {}
  };

  explicit EditHistory(ByteArray& image);

  // The image whose edits the history keeps.
  ByteArray& image() { return image_; }

  // The bytes the history follows: every location of the ROM location
  // table, in file order.
  static const std::vector<ByteRange>& trackedRanges();

  // Listeners are told in the order they were added. A listener must not
  // edit the image while it is told.
  void addListener(Listener* listener);
  void removeListener(Listener* listener);

  // Forgets every step: a new image was loaded. The image as it is now counts
  // as saved.
  void clear();

  // Starts a step. A step already open stays open (a stroke that another
  // action interrupts is still one step). Edit calls these; nothing else
  // should.
  void begin(const std::string& name);
  // Ends the open step; returns whether it changed any byte (only then is it
  // kept). Steps that could be redone are dropped by a new step.
  bool commit();
  bool isOpen() const { return open_; }

  // Announces what the open step has changed since it began or was last
  // flushed.
  void flush();

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
  // The image differs from its file whatever is undone or done again (a
  // header added on load): only a save makes it saved.
  void markUnsaved();
  // Whether the image differs from the file: the history is not at the step
  // that was saved, or a stroke under way has changed something.
  bool isModified() const;

  std::size_t size() const { return steps_.size(); }
  std::size_t index() const { return index_; }
  const std::vector<Step>& steps() const { return steps_; }

 private:
  friend class Edit;
  static constexpr std::size_t kNotReachable = static_cast<std::size_t>(-1);

  // An Edit opens (a step begins unless one is open) and closes (the step
  // ends when the last open Edit closes, else what changed is announced).
  void openEdit(const std::string& name);
  bool closeEdit();

  // Undo (backward) or redo (forward) one step.
  bool travel(bool forward);

  // The tracked bytes of the image, one location after another.
  void copyTracked(ByteArray& out) const;
  // Where the tracked bytes differ from `copy` (made by copyTracked): runs
  // of changed bytes, in file offsets.
  std::vector<ByteRange> changedSince(const ByteArray& copy) const;
  // Whether the open step has changed a byte so far.
  bool openStepChanged() const;

  void announce(const std::vector<ByteRange>& ranges);
  void announceHistory();

  ByteArray& image_;
  std::vector<Listener*> listeners_;
  std::vector<Step> steps_;
  std::size_t index_ = 0;       // steps_[0..index_) are done
  std::size_t savedIndex_ = 0;  // index_ at the last save, or kNotReachable
  bool open_ = false;
  std::string openName_;
  ByteArray snapshot_;            // the tracked bytes when the step began
  ByteArray announced_;           // the tracked bytes as last announced
  std::size_t snapshotSize_ = 0;  // the image's size when the step began
  std::size_t openEdits_ = 0;     // Edits made and not yet closed
  std::uint64_t generation_ = 0;  // one more at every clear()
};

// One edit of the image: begins a step when made, and closes it when it goes
// out of scope or close() is called. Made while another edit is open (a
// right press during a left drag), it joins that step: the step ends when
// the last of the edits in it closes, whichever was made first.
class Edit {
 public:
  Edit(EditHistory& history, const std::string& name);
  ~Edit();
  Edit(const Edit&) = delete;
  Edit& operator=(const Edit&) = delete;

  // Views show what the edit has changed so far.
  void flush();
  // Ends the edit: the step closes if no other edit is open in it (returns
  // whether it was kept); otherwise what changed is announced. Later calls,
  // and a close after the history was cleared (a new image), do nothing.
  bool close();

 private:
  EditHistory& history_;
  std::uint64_t generation_;
  bool closed_ = false;
};

}  // namespace tarvo
