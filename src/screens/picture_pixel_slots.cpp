#include "screens/picture_pixel_slots.h"

#include <algorithm>
#include <array>

namespace tarvo::picture_fit {

std::vector<Looks> looksOf(const std::vector<SubPalette>& subs, const ConsoleColours& console) {
  std::vector<Looks> looks;
  for (const SubPalette& sub : subs) {
    Looks look;
    for (int s = 0; s < kSlots; ++s) {
      look[static_cast<std::size_t>(s)] =
          console.lab[static_cast<std::size_t>(sub[static_cast<std::size_t>(s)] & 0x3F)];
    }
    looks.push_back(look);
  }
  return looks;
}

std::vector<SlotCosts> costsOf(const Layout& layout, const PictureColours& colours,
                               const std::vector<SubPalette>& subs,
                               const std::vector<int>& ofRegion, const ConsoleColours& console) {
  const std::size_t palettes = subs.size();
  std::vector<int> known(colours.colours.size() * palettes, -1);
  std::vector<SlotCosts> worked;
  std::vector<SlotCosts> costs(colours.ofPixel.size());
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const auto at = static_cast<std::size_t>(y * layout.width + x);
      const auto p =
          static_cast<std::size_t>(ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))]);
      int& index = known[colours.ofPixel[at] * palettes + p];
      if (index < 0) {
        const Lab3& c = colours.lab[colours.ofPixel[at]];
        const Lab lab{c.L, c.a, c.b};
        SlotCosts slotCosts;
        for (int k = 0; k < kSlots; ++k) {
          const double d = deltaE2000(lab, console.shownLab(subs[p][static_cast<std::size_t>(k)]));
          slotCosts[static_cast<std::size_t>(k)] = static_cast<float>(d * d);
        }
        index = static_cast<int>(worked.size());
        worked.push_back(slotCosts);
      }
      costs[at] = worked[static_cast<std::size_t>(index)];
    }
  }
  return costs;
}

namespace {

constexpr std::array<int, 16> kBayer4{0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

// The slot of pixel (x, y) of colour `p` with ordered dither, `first` its
// nearest: of the two colours whose mix comes nearest the pixel, mixed in
// the measure the pixel lies between them, the second where the matrix's
// threshold lies below that measure.
int ditheredSlot(const Lab3& p, const Looks& look, int first, int x, int y) {
  float nearest = distance2(p, look[static_cast<std::size_t>(first)]);
  int from = first;
  int to = first;
  float along = 0;
  for (int i = 0; i < kSlots; ++i) {
    for (int j = i + 1; j < kSlots; ++j) {
      const Lab3& a = look[static_cast<std::size_t>(i)];
      const Lab3& b = look[static_cast<std::size_t>(j)];
      const float apart = distance2(a, b);
      if (apart <= 0) {
        continue;
      }
      const float t = std::clamp(
          ((p.L - a.L) * (b.L - a.L) + (p.a - a.a) * (b.a - a.a) + (p.b - a.b) * (b.b - a.b)) /
              apart,
          0.0f, 1.0f);
      const Lab3 mix{a.L + t * (b.L - a.L), a.a + t * (b.a - a.a), a.b + t * (b.b - a.b)};
      const float d = distance2(p, mix);
      if (d < nearest) {
        nearest = d;
        from = i;
        to = j;
        along = t;
      }
    }
  }
  const float threshold =
      (static_cast<float>(kBayer4[static_cast<std::size_t>((y & 3) * 4 + (x & 3))]) + 0.5f) / 16.0f;
  return along > threshold ? to : from;
}

}  // namespace

std::vector<std::uint8_t> slotsOf(const Layout& layout, const PictureColours& colours,
                                  const std::vector<Looks>& looks, const std::vector<int>& ofRegion,
                                  const std::vector<SlotCosts>& costs, Dither dither) {
  std::vector<std::uint8_t> slots(static_cast<std::size_t>(layout.width * layout.height));
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const auto at = static_cast<std::size_t>(y * layout.width + x);
      int first = static_cast<int>(std::min_element(costs[at].begin(), costs[at].end()) -
                                   costs[at].begin());
      if (dither == Dither::Ordered) {
        const auto& look = looks[static_cast<std::size_t>(
            ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))])];
        first = ditheredSlot(colours.lab[colours.ofPixel[at]], look, first, x, y);
      }
      slots[at] = static_cast<std::uint8_t>(first);
    }
  }
  return slots;
}

void followSlotOrder(const Layout& layout, const PaletteFit& fit,
                     const std::vector<SubPalette>& before, std::vector<SlotCosts>& costs) {
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const auto at = static_cast<std::size_t>(y * layout.width + x);
      const auto p = static_cast<std::size_t>(
          fit.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))]);
      const SlotCosts old = costs[at];
      for (std::size_t k = 0; k < kSlots; ++k) {
        costs[at][k] = old[static_cast<std::size_t>(
            std::find(before[p].begin(), before[p].end(), fit.subs[p][k]) - before[p].begin())];
      }
    }
  }
}

void costsAgainstOwnSlot(const Layout& layout, const PaletteFit& fit,
                         const std::vector<std::uint8_t>& slots, const ConsoleColours& console,
                         std::vector<SlotCosts>& costs) {
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const auto at = static_cast<std::size_t>(y * layout.width + x);
      const SubPalette& sub = fit.subs[static_cast<std::size_t>(
          fit.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))])];
      const Lab& shown = console.shownLab(sub[slots[at]]);
      for (std::size_t k = 0; k < kSlots; ++k) {
        const double d = deltaE2000(shown, console.shownLab(sub[k]));
        costs[at][k] = static_cast<float>(d * d);
      }
    }
  }
}

}  // namespace tarvo::picture_fit
