// NES colour numbers and the screen colours they are shown in.
#pragma once

#include <array>
#include <cstdint>

namespace tarvo {

// A screen colour: red in bits 0-7, green in 8-15, blue in 16-23, top byte
// zero (0x00BBGGRR). Every pixel of every surface is one of these.
using Color = std::uint32_t;

constexpr Color rgb(int red, int green, int blue) {
  return static_cast<Color>(red) | static_cast<Color>(green) << 8 | static_cast<Color>(blue) << 16;
}
constexpr int redOf(Color c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(Color c) {
  return static_cast<int>(c >> 8 & 0xFF);
}
constexpr int blueOf(Color c) {
  return static_cast<int>(c >> 16 & 0xFF);
}

// Eight sub-palettes of four NES colour numbers; colour slot k of sub-palette
// p is element p * 4 + k. Only sub-palettes 0 to 3 are ever read from the ROM
// image; elements 16 to 31 stay zero.
using PaletteArray = std::array<std::uint8_t, 32>;

// What pixel value 0 of a sub-palette shows: as the editor has always drawn
// it, the sub-palette's own first entry (4k); as the console draws the
// background, the palette's entry 0 for every sub-palette.
enum class ColourMode { Editor, Console };

// The palette the pictures are drawn with: `palette` itself for
// ColourMode::Editor; for ColourMode::Console a copy whose entries 4, 8 and
// 12 are entry 0, so that drawing it gives the console's colours.
PaletteArray shownPalette(const PaletteArray& palette, ColourMode mode);

// The screen colour of every NES colour number 0 to 63, greyscale off and no
// emphasis. Filled when the program starts; buildColorTable fills it again.
extern std::array<Color, 64> colorTable;

// The screen colour of `colour`. With `greyscale` only its brightness bits
// (colour AND 0x30) count and emphasis is ignored; otherwise the low three
// bits of `emphasis` (1 red, 2 green, 4 blue) attenuate the channels, each
// rounded half to even and limited at 255. A colour of 64 or more without
// greyscale gives 0.
Color nesColorToRGB(std::uint8_t colour, bool greyscale, std::uint8_t emphasis);

// colorTable[n] = nesColorToRGB(n, false, 0) for every n.
void buildColorTable();

// How a palette byte is shown: a byte of 64 or more shows as the colour of its
// low six bits, as on the console. The byte itself is never changed.
inline Color paletteColor(std::uint8_t colourNumber) {
  return colorTable[colourNumber & 0x3F];
}

}  // namespace tarvo
