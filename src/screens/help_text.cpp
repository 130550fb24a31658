#include "screens/help_text.h"

namespace tarvo {

std::string keyboardAndMouseHelp() {
  return R"(MAIN WINDOW

Field map
  Left press or drag    put the selected metatile into each cell entered
  Right press           next sub-palette (0, 1, 2, 3) for the 16 x 16 quadrant
  Middle press          put the selected metatile into the cell
  Wheel                 scroll up and down; Shift+wheel: across
  Ctrl+wheel            zoom in or out about the pointer
  The cell under the pointer is outlined, its quadrant marked.

Metatile table
  Left press            select the metatile to paint with
  Double-click          open the metatile in the graphics editor
  Arrow keys            move the selection (click the table to give it the focus)
  Ctrl+wheel            zoom in or out about the pointer

Palette
  Double-click a colour of the first row   choose another NES colour

Keys
  Ctrl+O  Load Rom                 Ctrl+S        Save Rom
  Ctrl+E  Export the field map     Ctrl+Shift+E  Export Patch
  Ctrl+Z  Undo                     Ctrl+Shift+Z, Ctrl+Y  Redo
  Ctrl+T  Tile Data (metatile editor)
  Ctrl+B  Batter's View editor
  Ctrl+G  field grid    Ctrl+Shift+G  tile grid    Ctrl+Alt+G  quadrant grid
  Ctrl++, Ctrl+=  Zoom In    Ctrl+-  Zoom Out    Ctrl+0  Actual Size
          (of the view the pointer or the focus was in last)
  F1      this list        Ctrl+Q  Exit
  Alt+letter opens a menu; the underlined letter chooses an item.

GRAPHICS EDITOR WINDOW

Pattern table
  Left press            select a tile
  Drag to another tile  copy the pressed tile onto the tile where it is let go
  Arrow keys            move the selection (click the table to give it the focus)
  Wheel, Shift+wheel    scroll when zoomed; Ctrl+wheel: zoom about the pointer

Enlarged tile
  Left or right press and drag   paint with the left or right pen
  Arrows around it      shift the tile one pixel; the buttons below mirror
                        and turn it

Colours
  Left or right press on a swatch   make it the left or right pen
  Double-click a swatch             choose another NES colour
  < and >               the previous or next sub-palette

Metatile (metatile editor)
  Left press            put the selected tile into the metatile's 8 x 8 cell
  Scroll bar            choose the metatile

Batter's view (batter's view editor)
  Left press            put the selected tile into the name table's cell
  Ctrl+wheel            zoom about the pointer

Keys
  Ctrl+S  Save Rom       Ctrl+E  Export the window's tiles     Ctrl+W  Close
  Ctrl+Z  Undo           Ctrl+Shift+Z, Ctrl+Y  Redo
  Ctrl+G  grid           Ctrl++, Ctrl+=, Ctrl+-, Ctrl+0  zoom
  F1      this list
)";
}

}  // namespace tarvo
