// The fuzz targets, as plain functions: the libFuzzer programs call them, and
// the tests run them again on every input that ever broke one (the
// regression cases under tests/fuzz_regressions/). A broken promise aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// A broken promise: say which, and stop, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                      \
  do {                                                                             \
    if (!(condition)) {                                                            \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                \
    }                                                                              \
  } while (false)

namespace tarvo::fuzz {

// Any bytes taken as a ROM image: every view of both windows is drawn from
// them, and nothing reads or writes outside the image.
void romViews(const std::uint8_t* data, std::size_t size);

// A sequence of edits decoded from the bytes, on the demo image, as the two
// windows make them (presses and drags anywhere, quadrant cycling,
// placements, strokes, transforms, copies, palette edits, undo and redo). No
// byte outside the locations the editor writes may change; after every step
// each picture of both windows, redrawn only where the history said bytes
// changed, equals a full draw of the image; and undoing everything gives
// back the loaded bytes.
void edits(const std::uint8_t* data, std::size_t size);

// Any bytes as a picture of a CHR bank to import.
void pngImport(const std::uint8_t* data, std::size_t size);

// Any bytes as a picture of a few colours, fitted to the batter's view or
// the field of the demo image: only the view's own locations change, the
// limits hold, the fitted picture is what the renderer draws from the
// bytes, and "exact" means exactly that.
void pictureFit(const std::uint8_t* data, std::size_t size);

// Any bytes as a patch applied to the demo image.
void patchApply(const std::uint8_t* data, std::size_t size);

// The first two bytes as a place on the field, the rest as a map block's
// text: a block read back is written and read again the same, and its paste
// changes only the field's bytes in the pasted area.
void mapBlockText(const std::uint8_t* data, std::size_t size);

// The first bytes crowd the demo image with duplicate and unused tiles and
// metatiles, the rest are tile and metatile commands: each does what it says
// and leaves the field and the batter's view as they were (Reduce Tiles
// leaves at most the tiles asked for).
void bookkeeping(const std::uint8_t* data, std::size_t size);

// The target of a name ("rom_views", "edits", "png_import", "patch_apply",
// "map_block_text", "picture_fit", "bookkeeping"), or nullptr.
using Target = void (*)(const std::uint8_t*, std::size_t);
Target targetNamed(std::string_view name);

}  // namespace tarvo::fuzz
