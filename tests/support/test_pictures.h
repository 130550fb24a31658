// Pictures to import, made by our own code: what a user might bring from an
// image editor, none of them drawn in the console's colours.
#pragma once

#include <string_view>
#include <vector>

#include "gfx/colors.h"

namespace tarvo::demo {

enum class TestPicture {
  Gradient,        // red across, green down, blue along the diagonal
  Noise,           // smooth value noise in earth and sky colours
  FlatWithDetail,  // large flat areas with one-pixel lines, dots and a checkerboard
  Stadium,         // the demo's ballpark or batter's view in a painter's own colours
};

inline constexpr TestPicture kTestPictures[] = {TestPicture::Gradient, TestPicture::Noise,
                                                TestPicture::FlatWithDetail, TestPicture::Stadium};

std::string_view testPictureName(TestPicture picture);

// The picture at 768 x 768 (the field's size) or 256 x 240 (the batter's
// view's), row-major; the same pixels every time.
std::vector<Color> makeTestPicture(TestPicture picture, int width, int height);

}  // namespace tarvo::demo
