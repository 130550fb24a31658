// Colours in CIELAB, and how far apart two of them look.
//
// A screen colour is taken as sRGB (IEC 61966-2-1): each channel is
// linearised, the three become CIE XYZ under the D65 white, and XYZ becomes
// L*a*b* relative to that same D65 white (95.047, 100, 108.883). Nothing is
// adapted to D50, so the figures differ a little from an ICC colour manager's.
#pragma once

#include "gfx/colors.h"

namespace tarvo {

struct Lab {
  double L = 0;
  double a = 0;
  double b = 0;
};

// The CIELAB coordinates of a screen colour (0x00BBGGRR).
Lab toLab(Color colour);

// The square of the Euclidean distance (CIE 1976 colour difference, squared).
double deltaE76Squared(const Lab& x, const Lab& y);

// The CIEDE2000 colour difference with kL = kC = kH = 1.
double deltaE2000(const Lab& x, const Lab& y);

}  // namespace tarvo
