#include "screens/help_text.h"

namespace tarvo {

namespace {

constexpr const char* kMain = "Main window";
constexpr const char* kEditor = "Graphics editor window";

}  // namespace

const std::vector<HelpSection>& keyboardAndMouseHelp() {
  static const std::vector<HelpSection> sections{
      {kMain,
       "Field map: tools (the tool bar below the palette, or the Tools menu)",
       {
           {"B",
            "Brush: a left press or drag puts the selected metatile into every cell "
            "the pointer passes (the tool at every start)"},
           {"R",
            "Rectangle select: a left drag selects a rectangle of cells (a press "
            "selects one cell); a drag past the edge stops there"},
           {"F",
            "Fill: a left press gives the cells joined to the pressed one (side by "
            "side) that hold its metatile the selected metatile; with a selection, "
            "only inside it"},
           {"I", "Pick: a left press selects the cell's metatile in the table"},
           {"P",
            "Sub-palette brush: a left press or drag gives every 16 x 16 quadrant the "
            "pointer passes the chosen sub-palette"},
           {"1, 2, 3, 4", "choose sub-palette 0, 1, 2 or 3 for that brush"},
           {"Right press", "next sub-palette (0, 1, 2, 3) for the quadrant, in every tool"},
           {"Alt+left press",
            "pick, in every tool, when Edit > Preferences says so (off at "
            "first: a press ignores Shift, Ctrl and Alt)"},
           {"Wheel", "scroll up and down; Shift+wheel: across"},
           {"Ctrl+wheel", "zoom in or out about the pointer"},
       },
       "The cell under the pointer is outlined, its quadrant marked; the selection has a "
       "blue frame. The status bar's right end names the tool and the selection's or "
       "paste's first cell and size."},
      {kMain,
       "Selection, copy and paste (Edit menu)",
       {
           {"Ctrl+A", "select the whole field"},
           {"Esc, Ctrl+Shift+A", "cancel a paste or a selection drag, else deselect"},
           {"Ctrl+C",
            "copy the selection: its metatiles and the sub-palettes of its "
            "quadrants"},
           {"Del", "fill the selection with the selected metatile"},
           {"Ctrl+V",
            "paste: the block follows the pointer, which holds its middle cell (for "
            "an even width or height, the cell right of or below the middle); each "
            "left press places it, the part beyond the field's edge dropped, until "
            "Esc or another tool"},
       },
       "The clipboard holds the block as text too (\"tarvo-field-block 1 COLUMNS ROWS\", see "
       "the README), so it can be kept in a file or pasted into a second editor, and as a "
       "picture for image editors. A block naming a metatile beyond the table (above 84) is "
       "refused."},
      {kMain,
       "Metatile table",
       {
           {"Left press", "select the metatile to paint with"},
           {"Double-click", "open the metatile in the graphics editor"},
           {"Ctrl+drag to another metatile", "swap the two metatiles; the map follows"},
           {"Arrow keys", "move the selection (click the table to give it the focus)"},
           {"Ctrl+wheel", "zoom in or out about the pointer"},
       }},
      {kMain,
       "Palette",
       {
           {"Double-click a colour of the first row", "choose another NES colour"},
       }},
      {kMain,
       "Keys",
       {
           {"Ctrl+O", "Load Rom"},
           {"Ctrl+S", "Save Rom"},
           {"Ctrl+E", "Export the field map"},
           {"Ctrl+Shift+E", "Export Patch"},
           {"Ctrl+Z", "Undo"},
           {"Ctrl+Shift+Z, Ctrl+Y", "Redo"},
           {"Ctrl+T", "Tile Data (metatile editor)"},
           {"Ctrl+B", "Batter's View editor"},
           {"Ctrl+G, Ctrl+Shift+G, Ctrl+Alt+G", "field grid, tile grid, quadrant grid"},
           {"Ctrl++, Ctrl+=", "Zoom In, of the view the pointer or the focus was in last"},
           {"Ctrl+-", "Zoom Out"},
           {"Ctrl+0", "Actual Size"},
           {"F5",
            "Play in Emulator: the image as it is, unsaved edits included, from a "
            "private copy (the emulator's command: Edit > Preferences)"},
           {"F6",
            "Console Colours: colour 0 of every sub-palette shows the palette's first "
            "colour, as on the console (both windows)"},
           {"Ctrl+U",
            "Show Uses: frame the map cells and metatiles that use the selected metatile, or "
            "the tile selected in the graphics editor"},
           {"F3, Shift+F3", "Next Use, Previous Use: bring each use into sight in turn"},
           {"F1", "this list"},
           {"Ctrl+Q", "Exit"},
           {"Alt+letter", "open a menu; the underlined letter chooses an item"},
       }},
      {kEditor,
       "Pattern table",
       {
           {"Left press", "select a tile"},
           {"Drag to another tile", "copy the pressed tile onto the tile where it is let go"},
           {"Ctrl+drag to another tile", "swap the two tiles; every reference follows"},
           {"Arrow keys", "move the selection (click the table to give it the focus)"},
           {"Wheel, Shift+wheel", "scroll when zoomed; Ctrl+wheel: zoom about the pointer"},
       }},
      {kEditor,
       "Enlarged tile",
       {
           {"Left or right press and drag",
            "paint with the left or right pen (Brush, B): "
            "every pixel the pointer passes"},
           {"F, then a press",
            "fill: the pixels joined side by side to the pressed one that "
            "share its colour take that button's pen"},
           {"I, then a press", "take the pixel's colour as that button's pen"},
           {"Arrows around it", "shift the tile one pixel; the buttons below mirror and turn it"},
       }},
      {kEditor,
       "Colours",
       {
           {"Left or right press on a swatch", "make it the left or right pen"},
           {"Double-click a swatch", "choose another NES colour"},
           {"< and >", "the previous or next sub-palette"},
       }},
      {kEditor,
       "Metatile (metatile editor)",
       {
           {"Press or drag",
            "put the selected tile into every cell of the metatile the pointer "
            "passes"},
           {"I, then a press", "select the cell's tile"},
           {"Scroll bar", "choose the metatile"},
       }},
      {kEditor,
       "Batter's view (batter's view editor)",
       {
           {"Press or drag",
            "put the selected tile into every cell the pointer passes "
            "(Brush, B)"},
           {"F, then a press",
            "fill: the cells joined to the pressed one that hold its tile "
            "take the selected tile"},
           {"R, then a drag", "select a rectangle of cells (Ctrl+A: all of them)"},
           {"I, then a press", "select the cell's tile"},
           {"Ctrl+C", "copy the selection (without one: the selected tile)"},
           {"Ctrl+V",
            "paste a copied block: it follows the pointer, which holds its middle "
            "cell; each left press places it until Esc"},
           {"Del", "fill the selection with the selected tile"},
           {"Esc, Ctrl+Shift+A", "cancel a paste or a selection drag, else deselect"},
           {"Ctrl+wheel", "zoom about the pointer"},
       }},
      {kEditor,
       "Tiles",
       {
           {"Ctrl+C",
            "copy the selected tile's 16 bytes (as text \"tarvo-tile 1\" and a "
            "picture too)"},
           {"Ctrl+V", "paste a copied tile onto the selected tile"},
       }},
      {kEditor,
       "Keys",
       {
           {"Ctrl+S", "Save Rom"},
           {"Ctrl+E", "Export the window's tiles"},
           {"Ctrl+W", "Close"},
           {"Ctrl+Z", "Undo"},
           {"Ctrl+Shift+Z, Ctrl+Y", "Redo"},
           {"Ctrl+G", "grid"},
           {"Ctrl++, Ctrl+=, Ctrl+-, Ctrl+0", "zoom"},
           {"F5", "Play in Emulator"},
           {"F6", "Console Colours"},
           {"Ctrl+Shift+B",
            "Budget: the tiles and metatiles used, unused and duplicated; click a figure to "
            "select them"},
           {"F1", "this list"},
       }},
  };
  return sections;
}

}  // namespace tarvo
