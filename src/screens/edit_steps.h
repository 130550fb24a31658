// The names of the history's steps, as the Edit menu shows them after
// "Undo" and "Redo". Every edit of either window opens its step with one of
// these.
#pragma once

namespace tarvo::step {

// The tools, on any grid.
inline constexpr const char* kPutMetatile = "Put Metatile";
inline constexpr const char* kPlaceBatViewTile = "Place Tile in Batter's View";
inline constexpr const char* kPlaceMetatileTile = "Place Tile in Metatile";
inline constexpr const char* kPaint = "Paint";
inline constexpr const char* kSubPalette = "Change Sub-palette";
inline constexpr const char* kPaintSubPalette = "Paint Sub-palette";
inline constexpr const char* kFill = "Fill";
inline constexpr const char* kPaste = "Paste";
inline constexpr const char* kDelete = "Delete";

// The graphics editor's tiles and palette.
inline constexpr const char* kPasteTile = "Paste Tile";
inline constexpr const char* kCopyTile = "Copy Tile";
inline constexpr const char* kChangeColour = "Change Colour";
inline constexpr const char* kImportTiles = "Import Tiles";
inline constexpr const char* kShiftLeft = "Shift Left";
inline constexpr const char* kShiftRight = "Shift Right";
inline constexpr const char* kShiftUp = "Shift Up";
inline constexpr const char* kShiftDown = "Shift Down";
inline constexpr const char* kMirrorTopToBottom = "Mirror Top to Bottom";
inline constexpr const char* kMirrorLeftToRight = "Mirror Left to Right";
inline constexpr const char* kRotate = "Rotate";

// Pictures imported in the main window.
inline constexpr const char* kImportField = "Import Picture as Field";
inline constexpr const char* kImportBatView = "Import Picture as Batter's View";

// Work given back: a recovery copy, an earlier version.
inline constexpr const char* kRestoreUnsavedChanges = "Restore Unsaved Changes";
inline constexpr const char* kRestoreEarlierVersion = "Restore Earlier Version";
inline constexpr const char* kReloadFromDisk = "Reload from Disk";

// Tile and metatile bookkeeping.
inline constexpr const char* kMergeDuplicateTiles = "Merge Duplicate Tiles";
inline constexpr const char* kRemoveUnusedTiles = "Remove Unused Tiles";
inline constexpr const char* kSortTilesByFirstUse = "Sort Tiles by First Use";
inline constexpr const char* kSortTilesByFrequency = "Sort Tiles by Frequency";
inline constexpr const char* kSwapTiles = "Swap Tiles";
inline constexpr const char* kReduceTiles = "Reduce Tiles";
inline constexpr const char* kMergeDuplicateMetatiles = "Merge Duplicate Metatiles";
inline constexpr const char* kRemoveUnusedMetatiles = "Remove Unused Metatiles";
inline constexpr const char* kSwapMetatiles = "Swap Metatiles";

}  // namespace tarvo::step
