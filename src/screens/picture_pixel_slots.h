// The colour slot of every pixel in its region's sub-palette, and what
// showing each slot there costs it.
#pragma once

#include <cstdint>
#include <vector>

#include "screens/picture_fit.h"

namespace tarvo::picture_fit {

// Every sub-palette's colours in CIELAB.
std::vector<Looks> looksOf(const std::vector<SubPalette>& subs, const ConsoleColours& console);

// The square of the CIEDE2000 difference between every pixel's colour and
// each colour of its region's sub-palette, worked out once for each colour
// and sub-palette that meet.
std::vector<SlotCosts> costsOf(const Layout& layout, const PictureColours& colours,
                               const std::vector<SubPalette>& subs,
                               const std::vector<int>& ofRegion, const ConsoleColours& console);

// Every pixel's colour slot in its region's sub-palette: the cheapest by
// `costs`, or with ordered dither a mix of two colours in the measure the
// pixel lies between them.
std::vector<std::uint8_t> slotsOf(const Layout& layout, const PictureColours& colours,
                                  const std::vector<Looks>& looks, const std::vector<int>& ofRegion,
                                  const std::vector<SlotCosts>& costs, Dither dither);

// Moves every pixel's costs to the slots its sub-palette's colours took
// when the sub-palettes went from `before` to `fit.subs`.
void followSlotOrder(const Layout& layout, const PaletteFit& fit,
                     const std::vector<SubPalette>& before, std::vector<SlotCosts>& costs);

// For a dithered picture: every pixel's costs against the colour its slot
// shows, which is the colour it should show.
void costsAgainstOwnSlot(const Layout& layout, const PaletteFit& fit,
                         const std::vector<std::uint8_t>& slots, const ConsoleColours& console,
                         std::vector<SlotCosts>& costs);

}  // namespace tarvo::picture_fit
