#include "demo/batview_art.h"

#include "demo/raster.h"

namespace tarvo::demo {

namespace {

enum BatSlot : std::uint8_t { kDark = 0, kGreen = 1, kTan = 2, kWhite = 3 };

void paintCrowd(Canvas& c) {
  // The crowd behind the backstop: rows of heads and shirts on dark seats.
  c.rect(0, 0, kBatWidth - 1, 55, kDark);
  Xorshift random(0x5EA75u);
  std::array<std::uint8_t, 8> shirts{};
  for (std::uint8_t& shirt : shirts) {
    const int pick = random.below(4);
    shirt = pick == 0 ? kDark : pick == 1 ? kGreen : pick == 2 ? kTan : kWhite;
  }
  for (int row = 0; row < 7; ++row) {
    for (int x = (row % 2) * 2; x < kBatWidth; x += 4) {
      const std::uint8_t shirt = shirts[static_cast<std::size_t>((x / 4 + row % 2 * 3) % 8)];
      if (shirt == kDark) {
        continue;  // an empty seat
      }
      const int y = row * 8 + 1;
      c.rect(x, y, x + 1, y + 1, kTan);
      c.rect(x, y + 3, x + 2, y + 4, shirt);
    }
  }
  // The backstop: padded panels under a white rail.
  c.rect(0, 56, kBatWidth - 1, 57, kWhite);
  for (int x = 0; x < kBatWidth; x += 32) {
    c.rect(x, 58, x, 70, kDark);
  }
  c.rect(0, 71, kBatWidth - 1, 71, kDark);
}

void paintGround(Canvas& c) {
  // The dirt around the plate, the foul lines, the mound in the foreground.
  c.ellipse(128, 152, 124, 42, kTan);
  c.ellipse(128, 268, 84, 40, kTan);
  c.rect(118, 234, 138, 236, kWhite);  // the rubber
  c.line(86, 176, 0, 219, kWhite);
  c.line(170, 176, 256, 219, kWhite);
  // Batter's boxes, wider toward the viewer.
  c.polygonOutline({{86, 150}, {112, 150}, {112, 174}, {82, 174}}, kWhite);
  c.polygonOutline({{144, 150}, {170, 150}, {174, 174}, {144, 174}}, kWhite);
  // Home plate: the flat edge toward the pitcher, the point toward the catcher.
  c.polygon({{117, 159}, {128, 154}, {139, 159}, {139, 163}, {117, 163}}, kWhite);
}

void paintUmpire(Canvas& c) {
  // The umpire, crouched behind the catcher and looking over his shoulder.
  c.ellipse(110, 128, 22, 24, kDark);             // shoulders and back
  c.outlinedSegment(92, 114, 86, 136, 4, kDark);  // arm down to the knee
  c.outlinedEllipse(108, 94, 8, 9, kDark);        // head in the mask
  c.rect(103, 93, 113, 93, kWhite);               // the mask's bars
  c.rect(103, 97, 113, 97, kWhite);
  c.rect(108, 89, 108, 100, kWhite);
  c.rect(100, 106, 116, 107, kTan);  // neck and collar
}

void paintCatcher(Canvas& c) {
  // The catcher, squatting behind the plate, mitt up as a target.
  c.outlinedEllipse(113, 146, 7, 7, kWhite);  // knees
  c.outlinedEllipse(139, 146, 7, 7, kWhite);
  c.outlinedSegment(113, 146, 112, 154, 4, kDark);  // shin guards
  c.outlinedSegment(139, 146, 140, 154, 4, kDark);
  c.ellipse(126, 132, 15, 14, kWhite);  // chest protector over the white uniform
  c.outlinedEllipse(126, 133, 12, 12, kDark);
  c.outlinedSegment(116, 124, 106, 134, 3, kWhite);  // arm to the mitt
  c.outlinedEllipse(104, 134, 7, 7, kTan);           // mitt
  c.ellipse(104, 134, 3, 3, kDark);
  c.outlinedEllipse(126, 114, 7, 8, kTan);  // face behind the mask
  c.ellipse(126, 109, 8, 5, kDark);         // helmet
  c.rect(119, 114, 133, 114, kDark);        // the mask's bars
  c.rect(119, 118, 133, 118, kDark);
  c.rect(126, 112, 126, 122, kDark);
}

void paintBatter(Canvas& c) {
  // The batter, in the far box, facing the plate, bat up over the back
  // shoulder.
  c.outlinedEllipse(152, 177, 7, 3, kDark);  // shoes
  c.outlinedEllipse(186, 175, 7, 3, kDark);
  c.outlinedSegment(178, 128, 188, 150, 6, kWhite);  // back leg
  c.outlinedSegment(188, 150, 185, 172, 4, kWhite);
  c.segment(187, 160, 185, 172, 4, kDark);
  c.outlinedSegment(164, 128, 156, 150, 6, kWhite);  // front leg
  c.outlinedSegment(156, 150, 153, 174, 4, kWhite);
  c.segment(155, 160, 153, 174, 4, kDark);
  c.polygon({{158, 90}, {192, 90}, {187, 131}, {161, 131}}, kDark);  // jersey
  c.polygon({{160, 92}, {190, 92}, {185, 129}, {163, 129}}, kWhite);
  c.rect(162, 125, 186, 127, kDark);                // belt
  c.outlinedSegment(188, 96, 201, 106, 4, kWhite);  // back arm, elbow out
  c.outlinedSegment(201, 106, 193, 92, 3, kTan);
  c.outlinedSegment(164, 96, 178, 106, 4, kWhite);  // front arm across the chest
  c.outlinedSegment(178, 106, 192, 93, 3, kTan);
  c.outlinedSegment(193, 92, 199, 66, 2, kTan);  // the bat: handle, barrel
  c.outlinedSegment(199, 66, 206, 40, 3, kTan);
  c.outlinedEllipse(193, 91, 4, 3, kWhite);  // batting gloves
  c.outlinedEllipse(173, 81, 8, 10, kTan);   // head
  c.outlinedEllipse(176, 74, 10, 7, kDark);  // helmet
  c.ellipse(180, 83, 5, 5, kDark);           // its ear flap
  c.rect(161, 79, 168, 80, kDark);           // its brim
  c.rect(172, 69, 176, 70, kWhite);          // a shine on top
  c.rect(167, 83, 168, 84, kDark);           // an eye
  c.rect(166, 88, 169, 88, kDark);           // the mouth
}

}  // namespace

std::vector<std::uint8_t> paintBatView() {
  Canvas c(kBatWidth, kBatHeight, kDark);
  c.rect(0, 0, kBatWidth - 1, kBatHeight - 1, kGreen);
  paintCrowd(c);
  paintGround(c);
  paintUmpire(c);
  paintCatcher(c);
  paintBatter(c);
  return c.slots();
}

}  // namespace tarvo::demo
