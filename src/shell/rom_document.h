// The ROM image being edited together with its file: where it came from,
// what the file held when it was loaded or last saved, and the history of
// edits since.
#pragma once

#include <cstdint>
#include <string>

#include "shell/edit_history.h"
#include "shell/rom_image.h"

namespace tarvo {

class RomDocument {
 public:
  // `image` is the buffer the editor works on (romImage).
  explicit RomDocument(ByteArray& image);

  // Loads `path` into the image (see loadBinaryFile); on success the history
  // starts afresh and the file's bytes are remembered. On failure nothing
  // changes and `reason` says why.
  bool load(const std::string& path, std::string* reason = nullptr);

  // The two halves of a load, for a caller that must do something between
  // reading the file and replacing the image (close the editor window into
  // the old image): read the file as load would, then take it.
  static bool read(const std::string& path, ByteArray& bytes, std::string* reason = nullptr);
  void adopt(const std::string& path, ByteArray bytes);

  // Another program wrote `bytes` to the file: the image takes them as one
  // step named `step` (undo gives back what the image held), and they are
  // what the file holds now. False, changing nothing, when they are of
  // another length than the image.
  bool takeOutsideChange(const ByteArray& bytes, const char* step);

  // A headerless dump of the game (rom::kHeaderlessDumpSize bytes that do
  // not start with an iNES header), which read() refuses as too short.
  static bool isHeaderlessDump(const ByteArray& bytes);
  // Reads such a dump at `path` into `bytes`; false with the reason when the
  // file is not one.
  static bool readHeaderlessDump(const std::string& path, ByteArray& bytes,
                                 std::string* reason = nullptr);
  // Takes the dump `dump` of `path` as if it had the game's header: the image
  // is the header and the dump, marked unsaved, so that the next save writes
  // the header; the file is not touched before.
  void adoptWithHeader(const std::string& path, const ByteArray& dump);

  // Saves the image to the file it came from (see saveBinaryFile) and marks
  // it saved.
  bool save(std::string* reason = nullptr);

  bool isLoaded() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  // The file's name without its folder.
  std::string fileName() const;

  EditHistory& history() { return history_; }
  const EditHistory& history() const { return history_; }

  // Whether the image differs from its file as last loaded or saved.
  bool isModified() const { return history_.isModified(); }

  // Whether another program changed (or removed) the file since it was
  // loaded or last saved: its bytes are no longer those this editor read or
  // wrote.
  bool changedOnDisk() const;

  // The file's bytes as last loaded or saved.
  const ByteArray& fileBytes() const { return fileBytes_; }
  // The file's bytes as they were loaded: what a patch starts from.
  const ByteArray& loadedBytes() const { return loadedBytes_; }

 private:
  ByteArray& image_;
  std::string path_;
  ByteArray fileBytes_;
  ByteArray loadedBytes_;
  EditHistory history_;
};

}  // namespace tarvo
