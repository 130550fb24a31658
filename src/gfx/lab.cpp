#include "gfx/lab.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace tarvo {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// The linear light (0 to 1) of each 8-bit sRGB channel value. Built once, on
// first use; a function-local static is initialised thread-safely.
const std::array<double, 256>& linearLight() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> linear{};
    for (std::size_t v = 0; v < linear.size(); ++v) {
      const double c = static_cast<double>(v) / 255.0;
      linear[v] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return linear;
  }();
  return table;
}

// The f of the CIELAB formulas, for a tristimulus value relative to the white.
double labF(double t) {
  constexpr double epsilon = 216.0 / 24389.0;
  constexpr double kappa = 24389.0 / 27.0;
  return t > epsilon ? std::cbrt(t) : (kappa * t + 16.0) / 116.0;
}

// The hue angle of (a, b) in degrees, 0 to below 360.
double hueDegrees(double a, double b) {
  const double h = std::atan2(b, a) / kRadiansPerDegree;
  return h < 0.0 ? h + 360.0 : h;
}

double pow7(double v) {
  const double v2 = v * v;
  return v2 * v2 * v2 * v;
}

}  // namespace

Lab toLab(Color colour) {
  const std::array<double, 256>& linear = linearLight();
  const double r = linear[static_cast<std::size_t>(redOf(colour))];
  const double g = linear[static_cast<std::size_t>(greenOf(colour))];
  const double b = linear[static_cast<std::size_t>(blueOf(colour))];
  // X, Y and Z by the matrix of IEC 61966-2-1, each over the white's (Y = 1).
  const double fx = labF((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
  const double fy = labF(0.2126 * r + 0.7152 * g + 0.0722 * b);
  const double fz = labF((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
  return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double deltaE76Squared(const Lab& x, const Lab& y) {
  const double dL = x.L - y.L;
  const double da = x.a - y.a;
  const double db = x.b - y.b;
  return dL * dL + da * da + db * db;
}

// Written after Sharma, Wu and Dalal, "The CIEDE2000 color-difference formula:
// implementation notes, supplementary test data, and mathematical
// observations" (Color Research and Application 30, 2005).
double deltaE2000(const Lab& x, const Lab& y) {
  constexpr double pow25To7 = 6103515625.0;

  // a* is stretched for greyish colours; C' and h' come from the stretched a'.
  const double meanC7 =
      pow7(0.5 * (std::sqrt(x.a * x.a + x.b * x.b) + std::sqrt(y.a * y.a + y.b * y.b)));
  const double stretch = 1.5 - 0.5 * std::sqrt(meanC7 / (meanC7 + pow25To7));
  const double a1 = stretch * x.a;
  const double a2 = stretch * y.a;
  const double c1 = std::sqrt(a1 * a1 + x.b * x.b);
  const double c2 = std::sqrt(a2 * a2 + y.b * y.b);
  const double h1 = hueDegrees(a1, x.b);
  const double h2 = hueDegrees(a2, y.b);

  // The hue difference goes the short way round, and the mean hue lies on
  // that short arc. Hues exactly opposite keep h2 - h1 and (h1 + h2) / 2; the
  // mean jumps by 180 degrees there, so hues that rounding puts a hair more
  // than 180 degrees apart count as opposite too. A colour without chroma has
  // no hue: the hue difference is 0, which leaves the mean hue without effect.
  double dh = 0.0;
  double meanH = h1 + h2;
  if (c1 * c2 != 0.0) {
    dh = h2 - h1;
    meanH *= 0.5;
    if (std::abs(dh) > 180.0 + 1e-9) {
      dh -= std::copysign(360.0, dh);
      meanH += meanH < 180.0 ? 180.0 : -180.0;
    }
  }
  const double dL = y.L - x.L;
  const double dC = c2 - c1;
  const double dH = 2.0 * std::sqrt(c1 * c2) * std::sin(0.5 * dh * kRadiansPerDegree);

  const double meanL50 = 0.5 * (x.L + y.L) - 50.0;
  const double meanC = 0.5 * (c1 + c2);
  const double hue = meanH * kRadiansPerDegree;
  const double t = 1.0 - 0.17 * std::cos(hue - 30.0 * kRadiansPerDegree) +
                   0.24 * std::cos(2.0 * hue) +
                   0.32 * std::cos(3.0 * hue + 6.0 * kRadiansPerDegree) -
                   0.20 * std::cos(4.0 * hue - 63.0 * kRadiansPerDegree);
  const double sL = 1.0 + 0.015 * meanL50 * meanL50 / std::sqrt(20.0 + meanL50 * meanL50);
  const double sC = 1.0 + 0.045 * meanC;
  const double sH = 1.0 + 0.015 * meanC * t;

  // The rotation that tilts the ellipses in the blue, around a hue of 275 degrees.
  const double meanCp7 = pow7(meanC);
  const double blueness = (meanH - 275.0) / 25.0;
  const double rotation = -2.0 * std::sqrt(meanCp7 / (meanCp7 + pow25To7)) *
                          std::sin(60.0 * kRadiansPerDegree * std::exp(-blueness * blueness));

  const double l = dL / sL;
  const double c = dC / sC;
  const double h = dH / sH;
  return std::sqrt(l * l + c * c + h * h + rotation * c * h);
}

}  // namespace tarvo
