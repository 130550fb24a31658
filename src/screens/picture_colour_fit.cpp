#include "screens/picture_colour_fit.h"

#include <utility>

#include "screens/picture_exact_packing.h"
#include "screens/picture_palette_choice.h"
#include "screens/picture_pixel_slots.h"
#include "screens/picture_slot_order.h"

namespace tarvo::picture_fit {

namespace {

// The sub-palettes and the sub-palette of every region; `exact` when they
// show the picture exactly, `fit.choices` then filled.
struct ChosenPalettes {
  PaletteFit fit;
  bool exact = false;
};

// A kept palette: the sub-palettes that show each region exactly where
// every region has one, else the one that shows it best.
ChosenPalettes keptPalettes(const Layout& layout, const PictureColours& colours,
                            const ConsoleColours& console, const std::vector<SubPalette>& kept) {
  if (colours.allExact) {
    if (std::optional<PaletteFit> packed = choicesIn(layout, colours, kept)) {
      ChosenPalettes chosen{std::move(*packed), true};
      chosen.fit.ofRegion.clear();
      for (const std::vector<int>& choices : chosen.fit.choices) {
        chosen.fit.ofRegion.push_back(choices.front());
      }
      return chosen;
    }
  }
  ChosenPalettes chosen;
  chosen.fit.subs = kept;
  assignRegions(layout, colours, groupColours(colours, console), chosen.fit);
  return chosen;
}

ChosenPalettes choosePaletteFit(const Layout& layout, const PictureColours& colours,
                                const ConsoleColours& console, bool shared,
                                const std::optional<std::vector<SubPalette>>& kept,
                                const Progress& progress) {
  if (kept) {
    return keptPalettes(layout, colours, console, *kept);
  }
  if (colours.allExact) {
    if (std::optional<PaletteFit> packed = packExactly(layout, colours, shared, progress)) {
      return {std::move(*packed), true};
    }
  }
  return {choosePalettes(layout, colours, groupColours(colours, console), shared, progress), false};
}

}  // namespace

SlotPicture fitColours(const Layout& layout, const PictureColours& colours,
                       const ConsoleColours& console, const ImportOptions& options,
                       const std::optional<std::vector<SubPalette>>& kept,
                       const Progress& progress) {
  const bool shared = options.sharedBackground && layout.palettes > 1;
  auto [fit, exact] = choosePaletteFit(layout, colours, console, shared, kept, progress);
  progress.at(40);
  if (exact) {
    arrangeExactly(layout, colours, fit, shared, kept.has_value());
  }
  SlotPicture picture;
  std::vector<SlotCosts> costs = costsOf(layout, colours, fit.subs, fit.ofRegion, console);
  picture.slots =
      slotsOf(layout, colours, looksOf(fit.subs, console), fit.ofRegion, costs, options.dither);
  if (!exact && !kept) {
    const std::vector<SubPalette> before = fit.subs;
    byUse(layout, fit, picture.slots, shared);
    orderSlots(layout, fit, picture.slots, shared);
    followSlotOrder(layout, fit, before, costs);
  }
  picture.subs = fit.subs;
  picture.looks = looksOf(fit.subs, console);
  picture.ofRegion = fit.ofRegion;
  if (options.dither == Dither::Ordered) {
    costsAgainstOwnSlot(layout, fit, picture.slots, console, costs);
  }
  picture.costs = std::move(costs);
  progress.at(45);
  return picture;
}

}  // namespace tarvo::picture_fit
