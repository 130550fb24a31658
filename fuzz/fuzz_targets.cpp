#include "fuzz_targets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "demo/demo_rom.h"
#include "editor/tile_editor.h"
#include "editor/tile_edits.h"
#include "gfx/png_image.h"
#include "screens/batview_renderer.h"
#include "screens/block_text.h"
#include "screens/chr_import.h"
#include "screens/field_renderer.h"
#include "screens/field_views.h"
#include "screens/grid_tools.h"
#include "screens/map_editing.h"
#include "screens/metatile_picker.h"
#include "screens/picture_import.h"
#include "screens/status_text.h"
#include "screens/tile_usage.h"
#include "screens/views.h"
#include "shell/edit_history.h"
#include "shell/patches.h"
#include "shell/rom_info.h"
#include "shell/rom_locations.h"

namespace tarvo::fuzz {

namespace {

const ByteArray& demo() {
  static const ByteArray image = makeDemoRom();
  return image;
}

// Reads the fuzzer's bytes as numbers; past the end, zeros.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return at_ >= size_; }
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  // A position on a view `span` pixels wide or high: mostly inside it, and
  // otherwise just past one of its edges or anywhere at all, as a drag
  // reports the pointer outside the view.
  int coordinate(int span) {
    const std::uint8_t how = byte();
    const int low = byte();
    const int value = low | byte() << 8;
    switch (how & 3) {
      case 0:
        return static_cast<std::int16_t>(value);
      case 1:
        return (how >> 3) % 32 - 16 + ((how & 4) != 0 ? span : 0);
      default:
        return value % span;
    }
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The locations the editor writes; every other byte must stay as loaded.
bool editable(std::size_t offset) {
  for (const rom::Location& location :
       {rom::kBatViewNameTable, rom::kFieldMap, rom::kFieldAttributeMap, rom::kMetatileTable,
        rom::kFieldPalette, rom::kBatViewPalette, rom::kFieldChrBank, rom::kBatViewChrBank}) {
    if (offset >= static_cast<std::size_t>(location.offset) &&
        offset < static_cast<std::size_t>(location.end())) {
      return true;
    }
  }
  return false;
}

}  // namespace

void romViews(const std::uint8_t* data, std::size_t size) {
  ByteArray rom(data, data + size);
  const ByteArray original = rom;

  // The main window.
  // Either colour mode, by the image's first byte.
  const ColourMode mode = size > 0 && (data[0] & 1) != 0 ? ColourMode::Console : ColourMode::Editor;
  BankGraphics field;
  loadBankGraphics(field, rom, rom::kFieldChrBank, rom::kFieldPalette, mode);
  Surface table(512, 512);
  drawMetatileTable(table, rom, field.surfaces, 0);
  Surface map(768, 768);
  drawFieldMap(map, rom, field.surfaces);
  for (std::int16_t cell = 0; cell < 576; cell += 37) {
    drawMapCell(map, static_cast<std::int16_t>(cell % 24), static_cast<std::int16_t>(cell / 24),
                rom, field.tiles, field.palette);
  }
  Surface preview(64, 64);
  drawMetatilePreview(preview, table, 132);
  (void)mapStatus(rom, 767, 767);
  (void)describeRomImage("fuzz.nes", rom);
  (void)fieldTileUsage(rom);
  (void)batViewTileUsage(rom);

  // The editor window in both modes, with everything it draws.
  for (const int paneMode : {0, 1}) {
    TileEditor editor(rom);
    editor.setColourMode(mode);
    editor.initGUI(paneMode, size > 0 ? data[0] : 0);
    editor.setShowUnused(true);
    editor.patternTablePress(255, 255);
    editor.nextPalette();
    (void)editor.usageText();
    (void)metatileCellStatus(rom, editor.selMeta(), 127, 127);
    (void)batViewStatus(rom, 255, 239);
  }
  // The pictures' own drawing is covered above; of the PNG files only the
  // indexed ones have code of their own (compressing the large ones would
  // only slow the fuzzer down).
  for (const View view : {View::FieldChr, View::BatViewChr}) {
    ByteArray png;
    FUZZ_CHECK(encodeViewPng(rom, view, size > 1 ? data[1] : 0, png, nullptr, mode));
  }
  // Drawing never writes into the image.
  FUZZ_CHECK(rom == original);
}

// How often the edit target compares the pictures with a full draw: after
// every step in the tests; the fuzzers, slowed down by their sanitizers,
// check every few steps and at the end, to try more sequences.
#ifdef TARVO_VIEW_CHECK_EVERY
constexpr int kViewCheckEvery = TARVO_VIEW_CHECK_EVERY;
#else
constexpr int kViewCheckEvery = 1;
#endif

// Whether every picture `views` and `editor` keep equals what a full draw of
// the image gives now: what their partial redraws after each change must
// come to.
bool viewsAreFresh(const FieldViews& views, const TileEditor& editor) {
  // Copies kept from one check to the next: their buffers are reused.
  static FieldViews field = views;
  static TileEditor tiles = editor;
  field = views;
  field.refreshGFX();
  auto same = [](const Surface& a, const Surface& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.pixels(), a.pixels() + a.width() * a.height(), b.pixels());
  };
  auto sameSheets = [&](const PaletteSurfaces& a, const PaletteSurfaces& b) {
    return std::equal(a.begin(), a.end(), b.begin(), same);
  };
  if (field.tilePixels != views.tilePixels || field.fieldPalette != views.fieldPalette ||
      !sameSheets(field.picPatTbl, views.picPatTbl) || !same(field.mapSurface, views.mapSurface) ||
      !same(field.metaTableSurface, views.metaTableSurface) ||
      !same(field.selMetaSurface, views.selMetaSurface)) {
    return false;
  }
  tiles = editor;
  tiles.reload();
  return tiles.editTiles() == editor.editTiles() && tiles.palData() == editor.palData() &&
         sameSheets(tiles.picPatTbl, editor.picPatTbl) &&
         same(tiles.picPatternTable, editor.picPatternTable) &&
         same(tiles.picSelectedTile, editor.picSelectedTile) &&
         same(tiles.pic_4x4metatile, editor.pic_4x4metatile) &&
         same(tiles.picBatView, editor.picBatView);
}

void edits(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  ByteArray rom = demo();
  const ByteArray& loaded = demo();
  EditHistory history(rom);
  // Both windows' pictures, kept in step through the history as the windows
  // keep theirs.
  FieldViews views(rom);
  views.refreshGFX();
  TileEditor editor(rom);
  editor.initGUI(in.byte() & 1, in.byte());
  history.addListener(&views);
  history.addListener(&editor);
  // The windows' tools, which hold the edits of drags and strokes from press
  // to release.
  ImageGrid field = fieldGrid(rom);
  GridTools map(history, field);
  SelectedTilePixels pixels(editor);
  GridTools pen(history, pixels);
  ImageGrid batView = batViewGrid(rom);
  GridTools pane(history, batView);
  ShownMetatileCells metatile(rom, editor);
  GridTools metatileTools(history, metatile);
  TileEdits tileEdits(editor, history);
  auto penOf = [&](int buttons) {
    return buttons == kLeftButton ? editor.leftColor() : editor.rightColor();
  };

  // Where the step's edit may write: the cell, tile or block it names.
  struct Range {
    std::int64_t offset;
    std::int64_t length;
  };
  std::vector<Range> allowed;
  auto allowMapCell = [&](int x, int y) {
    if (const auto cell = mapCellAt(x, y)) {
      const int index = cell->row * rom::kMapColumns + cell->column;
      allowed.push_back({rom::kFieldMap.offset + index, 1});
      allowed.push_back({rom::kFieldAttributeMap.offset + index, 1});
    }
  };
  auto allowTile = [&](int tile) {
    allowed.push_back({editor.bank().offset + tile * rom::kTileBytes, rom::kTileBytes});
  };
  // The map tools other than a plain brush press write anywhere on the field.
  auto allowMapTool = [&](int x, int y) {
    if (map.tool() == Tool::Brush && !map.pasting()) {
      allowMapCell(x, y);
    } else {
      allowed.push_back({rom::kFieldMap.offset, rom::kFieldMap.length});
      allowed.push_back({rom::kFieldAttributeMap.offset, rom::kFieldAttributeMap.length});
    }
  };

  for (int step = 0; step < 40 && !in.done(); ++step) {
    const ByteArray before = rom;
    allowed.clear();
    bool anyEditable = false;  // an undo or redo may touch any editable byte
    switch (in.byte() % 20) {
      case 0: {  // a press on the map: the left button begins a stroke
        const int button = in.byte() % 8;
        const int x = in.coordinate(768);
        const int y = in.coordinate(768);
        allowMapTool(x, y);
        map.press(button, 0, x, y, in.byte() % rom::kMetatileCount);
        break;
      }
      case 1: {
        const std::uint8_t how = in.byte();
        const int buttons = how % 8;
        const bool inView = (how & 0x40) == 0;  // a drag writes nothing out of view
        const int x = in.coordinate(768);
        const int y = in.coordinate(768);
        if (inView) {
          // A brush paints the cells on the way from the last position too.
          allowed.push_back({rom::kFieldMap.offset, rom::kFieldMap.length});
          allowed.push_back({rom::kFieldAttributeMap.offset, rom::kFieldAttributeMap.length});
        }
        map.move(buttons, x, y, inView, in.byte() % rom::kMetatileCount);
        break;
      }
      case 2:  // the left button's release ends a stroke
        map.release(in.byte() % 8);
        break;
      case 3: {
        const int button = in.byte() % 8;
        const int x = in.coordinate(128);
        allowTile(editor.selTile());
        const auto result = pen.press(button, 0, x, in.coordinate(128), penOf(button));
        if (result.picked) {
          editor.swatchPress(*result.picked, button);
        }
        break;
      }
      case 4: {
        const int buttons = in.byte() % 8;
        const int x = in.coordinate(128);
        allowTile(editor.selTile());
        pen.move(buttons, x, in.coordinate(128), true, penOf(buttons));
        break;
      }
      case 5:
        pen.release(kLeftButton);
        break;
      case 6: {
        const int k = in.byte() % 6 - 1;  // -1 and 4 are no swatches
        editor.swatchPress(k, in.byte() % 8);
        break;
      }
      case 7:
        (in.byte() & 1) != 0 ? editor.nextPalette() : editor.previousPalette();
        break;
      case 8: {
        Edit edit(history, "transform");
        allowTile(editor.selTile());
        editor.applyTileOperation(static_cast<TileOperation>(in.byte() % 7));
        break;
      }
      case 9: {
        const int x = in.coordinate(256);
        const int y = in.coordinate(256);
        const std::uint8_t how = in.byte();
        const auto used = editor.usedTiles();
        const auto unused = std::find(used.begin(), used.end(), false);
        if ((how & 8) != 0 && unused != used.end()) {
          // A tile nothing uses yet, to place somewhere.
          const auto tile = static_cast<int>(unused - used.begin());
          editor.patternTablePress((tile % 16) * 16, (tile / 16) * 16);
        } else if ((how & 4) != 0) {
          // A tile the preview shows, as a user picks what they see.
          const std::uint8_t tile =
              romByte(rom, rom::kMetatileTable.offset +
                               views.selectedMetatile() * rom::kMetatileTiles + (how >> 4));
          editor.patternTablePress((tile % 16) * 16, (tile / 16) * 16);
        } else {
          editor.patternTablePress(x, y);
        }
        if ((how & 3) == 0) {
          editor.patternTableDoubleClick();
        }
        break;
      }
      case 10: {
        const int x = in.coordinate(256);
        const int y = in.coordinate(256);
        Edit edit(history, "copy");
        if (x >= 0 && y >= 0 && x < 256 && y < 256) {
          allowTile((y / 16) * 16 + x / 16);
        }
        editor.patternTableRelease(x, y);
        break;
      }
      case 11: {
        const int x = in.coordinate(128);
        allowed.push_back({rom::kMetatileTable.offset + editor.selMeta() * rom::kMetatileTiles,
                           rom::kMetatileTiles});
        metatileTools.press(kLeftButton, 0, x, in.coordinate(128), editor.selTile());
        metatileTools.release(kLeftButton);
        break;
      }
      case 12: {
        const int x = in.coordinate(256);
        Edit edit(history, "placement");
        allowed.push_back({rom::kBatViewNameTable.offset, rom::kBatViewNameTable.length});
        const int y = in.coordinate(240);
        if (const auto cell = batView.cellAt(x, y)) {
          batView.setCell(cell->first, cell->second, editor.selTile());
        }
        break;
      }
      case 13: {
        const int k = in.byte();
        Edit edit(history, "colour");
        allowed.push_back({editor.palette().offset + editor.selPal() * 4 + (k & 3), 1});
        editor.setPaletteColour(k, in.byte());
        break;
      }
      case 14:
        anyEditable = true;
        history.undo();
        break;
      case 15:
        anyEditable = true;
        history.redo();
        break;
      case 16: {  // the picker, and the unused tiles shown or not
        const int x = in.coordinate(512);
        const int y = in.coordinate(288);
        const std::uint8_t how = in.byte();
        if ((how & 2) != 0) {
          views.selectMetatile(editor.selMeta());  // the one the editor shows
        } else if (const auto metatile = metatileAt(x, y)) {
          views.selectMetatile(*metatile);
        }
        editor.setShowUnused((how & 1) != 0);
        break;
      }
      case 17: {  // the map tools' choices, the selection, copy, paste and Delete
        const std::uint8_t how = in.byte();
        const int x = in.coordinate(768);
        const int y = in.coordinate(768);
        allowMapTool(x, y);
        allowed.push_back({rom::kFieldMap.offset, rom::kFieldMap.length});
        switch (how % 8) {
          case 0:
            map.setTool(static_cast<Tool>((how >> 3) % 5));
            map.setSubPalette(how >> 6);
            map.setAltPicks((how & 0x20) != 0);
            break;
          case 1:
            map.escape();
            break;
          case 2:
            (how & 8) != 0 ? map.selectAll() : map.clearSelection();
            break;
          case 3:
            map.deleteSelection(in.byte() % rom::kMetatileCount);
            break;
          case 4:
            if (const auto block = map.copySelection()) {
              std::optional<CellRect> at;
              if (const auto cell = field.cellAt(x, y)) {
                at = CellRect{cell->first, cell->second, 1, 1};
              }
              map.startPaste(*block, at, CellRect{});
            }
            break;
          case 5:  // Alt and a press: a pick, whatever the tool, when Alt picks
            map.setAltPicks(true);
            map.press(kLeftButton, 4, x, y, 0);
            break;
          default:
            map.endGesture();  // a tool key or the focus lost mid-drag
            break;
        }
        break;
      }
      case 18: {  // the editor window's tools on the batter's view
        const std::uint8_t how = in.byte();
        const int x = in.coordinate(256);
        const int y = in.coordinate(240);
        allowed.push_back({rom::kBatViewNameTable.offset, rom::kBatViewNameTable.length});
        allowTile(editor.selTile());
        switch (how % 8) {
          case 0:
            pane.setTool(static_cast<Tool>((how >> 3) % 4));
            pen.setTool(pane.tool());
            break;
          case 1:
            if (const auto picked =
                    pane.press(1 + (how >> 3) % 4, (how >> 5) & 4, x, y, editor.selTile()).picked) {
              editor.selectTile(static_cast<std::uint8_t>(*picked));
            }
            break;
          case 2:
            pane.move(kLeftButton, x, y, true, editor.selTile());
            break;
          case 3:
            pane.release(kLeftButton);
            break;
          case 4:
            pane.escape();
            break;
          case 5:
            if ((how & 8) != 0) {
              pane.selectAll();
            } else {
              pane.deleteSelection(editor.selTile());
            }
            break;
          case 6:
            if (const auto block = pane.copySelection()) {
              pane.startPaste(*block, CellRect{x / 8, y / 8, 1, 1}, CellRect{});
            }
            break;
          default: {
            TileBytes bytes{};
            for (std::uint8_t& b : bytes) {
              b = in.byte();
            }
            pen.endGesture();
            tileEdits.pasteTile(bytes);
            break;
          }
        }
        break;
      }
      default: {  // another opening: another mode or metatile
        pane.reset();
        pen.reset();
        metatileTools.reset();
        const int mode = in.byte() & 1;
        editor.initGUI(mode, in.byte());
        editor.metatileRefresh(in.coordinate(rom::kMetatileCount));
        break;
      }
    }
    // A step writes only where it says; nothing ever leaves the editable
    // locations.
    FUZZ_CHECK(rom.size() == loaded.size());
    for (std::size_t i = 0; i < rom.size(); ++i) {
      if (rom[i] != loaded[i]) {
        FUZZ_CHECK(editable(i));
      }
      if (rom[i] != before[i] && !anyEditable) {
        bool inside = false;
        for (const Range& range : allowed) {
          inside = inside || (static_cast<std::int64_t>(i) >= range.offset &&
                              static_cast<std::int64_t>(i) < range.offset + range.length);
        }
        FUZZ_CHECK(inside);
      }
    }
    // Every picture of both windows shows the image as it is now, though
    // only what changed was drawn again.
    if ((step + 1) % kViewCheckEvery == 0) {
      FUZZ_CHECK(viewsAreFresh(views, editor));
    }
  }

  // Undo everything, do it all again, and undo it again.
  map.endGesture();
  pane.endGesture();
  const ByteArray last = rom;
  std::size_t undone = 0;
  while (history.undo()) {
    ++undone;
  }
  FUZZ_CHECK(rom == loaded);
  FUZZ_CHECK(!history.isModified());
  FUZZ_CHECK(viewsAreFresh(views, editor));
  for (std::size_t i = 0; i < undone; ++i) {
    FUZZ_CHECK(history.redo());
  }
  FUZZ_CHECK(rom == last);
  FUZZ_CHECK(viewsAreFresh(views, editor));
  while (history.undo()) {
  }
  FUZZ_CHECK(rom == loaded);
}

void pngImport(const std::uint8_t* data, std::size_t size) {
  const ByteArray png(data, data + size);
  PaletteArray palette{};
  readPalette(demo(), palette, rom::kFieldPalette.offset);
  TilePixels tiles(7, 9);
  std::string reason;
  const int sub = size > 0 ? data[size - 1] & 3 : 0;
  if (importPatternTable(png, palette, sub, tiles, &reason)) {
    FUZZ_CHECK(tiles.size() == static_cast<std::size_t>(rom::kBankTiles) * rom::kTilePixels);
    for (const std::uint8_t slot : tiles) {
      FUZZ_CHECK(slot <= 3);
    }
  } else {
    FUZZ_CHECK(tiles == TilePixels(7, 9));
    FUZZ_CHECK(!reason.empty());
  }
}

void pictureFit(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return;
  }
  // Byte 0: the view (bit 0: the field, only one input in eight, as a field
  // takes long) and the options; byte 1: how many colours, each from three
  // bytes after it; the rest, repeated, the colour of each pixel.
  const bool field = (data[0] & 7) == 7;
  const ImportTarget target = field ? ImportTarget::Field : ImportTarget::BatView;
  ImportOptions options;
  options.keepPalette = (data[0] & 8) != 0;
  options.sharedBackground = (data[0] & 16) != 0;
  options.dither = (data[0] & 32) != 0 ? Dither::Ordered : Dither::None;
  const std::size_t count = 1 + data[1] % 16;
  std::vector<Color> colours;
  for (std::size_t c = 0; c < count; ++c) {
    const auto at = [&](std::size_t k) { return data[(2 + 3 * c + k) % size]; };
    colours.push_back(rgb(at(0), at(1), at(2)));
  }
  const std::size_t first = std::min(size - 1, 2 + 3 * count);
  std::vector<Color> picture(static_cast<std::size_t>(importWidth(target) * importHeight(target)));
  for (std::size_t i = 0; i < picture.size(); ++i) {
    picture[i] = colours[data[first + i % (size - first)] % count];
  }
  const std::optional<FittedPicture> fitted = fitPicture(demo(), target, picture, options);
  FUZZ_CHECK(fitted.has_value());
  const ByteArray& image = fitted->image;
  FUZZ_CHECK(image.size() == demo().size());
  const rom::Location& palette = field ? rom::kFieldPalette : rom::kBatViewPalette;
  const std::vector<rom::Location> written =
      field ? std::vector<rom::Location>{rom::kFieldMap, rom::kFieldAttributeMap,
                                         rom::kMetatileTable, rom::kFieldChrBank}
            : std::vector<rom::Location>{rom::kBatViewNameTable, rom::kBatViewChrBank};
  for (std::size_t i = 0; i < image.size(); ++i) {
    const auto at = static_cast<std::int32_t>(i);
    const bool inside =
        std::any_of(written.begin(), written.end(),
                    [at](const rom::Location& l) { return at >= l.offset && at < l.end(); }) ||
        (!options.keepPalette && at >= palette.offset && at < palette.offset + (field ? 16 : 4));
    FUZZ_CHECK(inside || image[i] == demo()[i]);
  }
  FUZZ_CHECK(fitted->figures.tiles >= 1 && fitted->figures.tiles <= rom::kBankTiles);
  if (field) {
    FUZZ_CHECK(fitted->figures.metatiles >= 1 && fitted->figures.metatiles <= rom::kMetatileCount);
    for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
      FUZZ_CHECK(image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)] <
                 fitted->figures.metatiles);
    }
  } else {
    for (int cell = 0; cell < rom::kBatViewNameTable.length; ++cell) {
      FUZZ_CHECK(image[static_cast<std::size_t>(rom::kBatViewNameTable.offset + cell)] <
                 fitted->figures.tiles);
    }
  }
  if (!options.keepPalette) {
    for (int k = 0; k < (field ? 16 : 4); ++k) {
      FUZZ_CHECK(image[static_cast<std::size_t>(palette.offset + k)] < 64);
    }
  }
  const Surface drawn = renderView(image, field ? View::Field : View::BatView, 0);
  FUZZ_CHECK(std::equal(drawn.pixels(), drawn.pixels() + picture.size(), fitted->picture.pixels()));
  FUZZ_CHECK(fitted->figures.exact ==
             std::equal(picture.begin(), picture.end(), fitted->picture.pixels()));
}

void patchApply(const std::uint8_t* data, std::size_t size) {
  const ByteArray patch(data, data + size);
  ByteArray result(5, 1);
  std::string reason;
  if (applyPatch(patch, demo(), result, &reason)) {
    FUZZ_CHECK(result.size() <= static_cast<std::size_t>(rom::kMaxImageSize));
  } else {
    FUZZ_CHECK(result == ByteArray(5, 1));
    FUZZ_CHECK(!reason.empty());
  }
}

void mapBlockText(const std::uint8_t* data, std::size_t size) {
  // The first two bytes place the paste, the rest is the text.
  if (size < 2) {
    return;
  }
  const int column = static_cast<int>(data[0] % 64) - 32;
  const int row = static_cast<int>(data[1] % 64) - 32;
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  // The batter's view's blocks and tiles are read by the same rules.
  CellBlock cells;
  std::string why;
  if (parseBlockText(batViewShape(), text, cells, &why)) {
    CellBlock again;
    FUZZ_CHECK(parseBlockText(batViewShape(), blockText(batViewShape(), cells), again) &&
               again == cells);
    ByteArray rom = demo();
    ImageGrid names = batViewGrid(rom);
    pasteBlock(names, cells, column, row);
    const CellRect area = pasteArea(names, cells, column, row);
    for (std::size_t i = 0; i < rom.size(); ++i) {
      const auto cell = static_cast<std::int32_t>(i) - rom::kBatViewNameTable.offset;
      const bool inArea = cell >= 0 && cell < rom::kBatViewNameTable.length &&
                          area.contains(cell % rom::kBatViewColumns, cell / rom::kBatViewColumns);
      FUZZ_CHECK(inArea || rom[i] == demo()[i]);
    }
  } else {
    FUZZ_CHECK(!why.empty());
  }
  TileBytes tile{};
  if (parseTileText(text, tile)) {
    TileBytes again{};
    FUZZ_CHECK(parseTileText(tileText(tile), again) && again == tile);
  }
  CellBlock block;
  std::string reason;
  if (!parseBlockText(fieldShape(), text, block, &reason)) {
    FUZZ_CHECK(!reason.empty());
    return;
  }
  FUZZ_CHECK(block.columns >= 1 && block.columns <= 24 && block.rows >= 1 && block.rows <= 24);
  // Written again, it reads back the same.
  CellBlock again;
  FUZZ_CHECK(parseBlockText(fieldShape(), blockText(fieldShape(), block), again) && again == block);
  FUZZ_CHECK(std::all_of(block.cells.begin(), block.cells.end(),
                         [](std::uint8_t m) { return m < rom::kMetatileCount; }));
  // A paste writes the field's bytes in its area and nothing else.
  ByteArray rom = demo();
  ImageGrid grid = fieldGrid(rom);
  pasteBlock(grid, block, column, row);
  const CellRect area = pasteArea(grid, block, column, row);
  for (std::size_t i = 0; i < rom.size(); ++i) {
    const auto offset = static_cast<std::int32_t>(i);
    const bool map = offset >= rom::kFieldMap.offset && offset < rom::kFieldMap.end();
    const bool attributes =
        offset >= rom::kFieldAttributeMap.offset && offset < rom::kFieldAttributeMap.end();
    if (!map && !attributes) {
      FUZZ_CHECK(rom[i] == demo()[i]);
      continue;
    }
    const int cell = offset - (map ? rom::kFieldMap.offset : rom::kFieldAttributeMap.offset);
    if (!area.contains(cell % 24, cell / 24)) {
      FUZZ_CHECK(rom[i] == demo()[i]);
    }
  }
}

Target targetNamed(std::string_view name) {
  if (name == "map_block_text") {
    return mapBlockText;
  }
  if (name == "rom_views") {
    return romViews;
  }
  if (name == "edits") {
    return edits;
  }
  if (name == "png_import") {
    return pngImport;
  }
  if (name == "patch_apply") {
    return patchApply;
  }
  if (name == "picture_fit") {
    return pictureFit;
  }
  if (name == "bookkeeping") {
    return bookkeeping;
  }
  return nullptr;
}

}  // namespace tarvo::fuzz
