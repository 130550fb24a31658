// The order of each sub-palette's colour slots, and for a picture shown
// exactly the sub-palette of each region that several show, so that alike
// tiles of differently coloured regions come out the same.
#pragma once

#include <cstdint>
#include <vector>

#include "screens/picture_fit.h"

namespace tarvo::picture_fit {

// Puts each sub-palette's colours in the order of how many pixels show
// them, the most first (a shared first colour stays first): the first
// sub-palette keeps that order, and the first slot, which blank tiles show,
// holds the background. `slots` follow their colours.
void byUse(const Layout& layout, PaletteFit& fit, std::vector<std::uint8_t>& slots, bool shared);

// Orders the slots of each sub-palette after the first so that the tiles of
// differently coloured regions come out alike where they can: each in turn
// takes the order that leaves the fewest distinct tiles. A shared first
// colour stays first. `slots` follow their colours.
void orderSlots(const Layout& layout, PaletteFit& fit, std::vector<std::uint8_t>& slots,
                bool shared);

// For a picture shown exactly (`fit.choices` filled): the order of every
// sub-palette's slots (with `keepOrders`, the order they have), and the
// sub-palette of every region that fits several, so that the picture takes
// as few distinct tiles as it can.
void arrangeExactly(const Layout& layout, const PictureColours& colours, PaletteFit& fit,
                    bool shared, bool keepOrders);

}  // namespace tarvo::picture_fit
