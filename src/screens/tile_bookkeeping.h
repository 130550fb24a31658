// Tile and metatile bookkeeping: commands that free tiles and metatiles or
// put them in order, with every reference following, so that the field and
// the batter's view look exactly as before (Reduce Tiles excepted: it merges
// tiles that are only alike).
//
// Each command changes `image` in place and says what it did; a refused
// command says why and leaves the image as it was. The field's tile
// commands are refused while the map shows a metatile beyond the table: its
// definition lies in other data, whose tile numbers cannot follow.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "screens/tile_budget.h"
#include "shell/edit_history.h"
#include "shell/rom_image.h"

namespace tarvo {

enum class TileOrder { FirstUse, Frequency };

struct BookkeepingResult {
  bool done = false;  // false: refused, nothing changed
  std::string message;
};

// Every reference to a duplicate tile names its first copy; the freed tiles
// are cleared.
BookkeepingResult mergeDuplicateTiles(ByteArray& image, TileScreen screen);
// Clears the unused tiles, but for tile 0 with `keepTile0` (blank tiles are
// often used by the game outside the screen).
BookkeepingResult removeUnusedTiles(ByteArray& image, TileScreen screen, bool keepTile0 = true);
// Puts the used tiles first: in the order the map (or the name table) first
// shows them, reading row by row, or the most shown first. Tiles only
// unused metatiles name follow in the table's order, then the unused ones.
// With `keepTile0`, tile 0 stays.
BookkeepingResult sortTiles(ByteArray& image, TileScreen screen, TileOrder order,
                            bool keepTile0 = true);
BookkeepingResult swapTiles(ByteArray& image, TileScreen screen, int first, int second);
// Merges the most alike used tiles (by their colours' difference, each tile
// in the sub-palette of its first use) until at most `most` are used. The
// merged tile's references name the one that stays, which is the more used.
BookkeepingResult reduceTiles(ByteArray& image, TileScreen screen, int most, bool keepTile0 = true);

// Every map cell naming a duplicate metatile names its first copy.
BookkeepingResult mergeDuplicateMetatiles(ByteArray& image);
// Clears the entries of the metatiles the map does not name to zero.
BookkeepingResult removeUnusedMetatiles(ByteArray& image);
BookkeepingResult swapMetatiles(ByteArray& image, int first, int second);

// The commands of `tarvo-cli optimise`, in this order: merge duplicate
// tiles, merge duplicate metatiles, clear unused metatiles, clear unused
// tiles, reduce, sort. The metatile steps are the field's only.
struct OptimiseOptions {
  bool mergeDuplicates = false;
  bool removeUnused = false;
  std::optional<TileOrder> sort;
  std::optional<int> reduce;
};
BookkeepingResult optimise(ByteArray& image, TileScreen screen, const OptimiseOptions& options);

// Runs `command` on the history's image as one step named `stepName`; a
// refused command, or one with nothing to do, leaves no step.
BookkeepingResult runBookkeeping(EditHistory& history, const char* stepName,
                                 const std::function<BookkeepingResult(ByteArray&)>& command);

}  // namespace tarvo
