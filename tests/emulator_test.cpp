// Our pictures against an emulator that nobody here wrote: fceux boots the
// demo image and preview images of random fields under Xvfb, a Lua script
// drives the viewer's d-pad and Start and dumps the console's colour number
// of every screen pixel, and every pixel must be the one our renderer draws
// in the console's colours.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "screens/views.h"
#include "shell/preview_rom.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 256;
constexpr int kScreenHeight = 240;

std::optional<fs::path> findProgram(const std::string& name, std::vector<fs::path> extra) {
  std::vector<fs::path> folders;
  if (const char* path = std::getenv("PATH")) {
    std::stringstream list(path);
    for (std::string folder; std::getline(list, folder, ':');) {
      folders.emplace_back(folder);
    }
  }
  folders.insert(folders.end(), extra.begin(), extra.end());
  for (const fs::path& folder : folders) {
    std::error_code error;
    if (fs::is_regular_file(folder / name, error) && ::access((folder / name).c_str(), X_OK) == 0) {
      return folder / name;
    }
  }
  return std::nullopt;
}

// What the script does, and where the view is after each step: the d-pad
// moves by 16 pixels within x 0..512 and y 0..528, a direction held longer
// than 16 frames repeats, Start switches between the field and the batter's
// view and back to the same place.
struct Step {
  std::string lua;
  int x = 0;
  int y = 0;
  bool batView = false;
  bool dump = true;
};

const std::vector<Step>& script() {
  static const std::vector<Step> steps{
      {"wait(60)", 0, 0},  // within 60 frames of power-on
      {"press('right', 3) press('down', 2)", 48, 32},
      {"press('left') press('up')", 32, 16},
      {"hold('right', 400)", 512, 16},
      {"hold('up', 60)", 512, 0},  // the top-right corner
      {"hold('down', 400)", 512, 528},
      {"press('right') press('down')", 512, 528},  // no further
      {"hold('left', 400)", 0, 528},
      {"press('start')", 0, 528, true},
      {"press('left') press('start')", 0, 528},  // the batter's view does not move
      {"press('up') press('left')", 0, 512},
  };
  return steps;
}

// A press lasts 3 frames, and the picture must be complete 15 frames after
// it began.
constexpr const char* kLuaPrelude = R"(
local function wait(n) for i = 1, n do emu.frameadvance() end end
local function press(button, times)
  for i = 1, (times or 1) do
    local buttons = {}
    buttons[button] = true
    for j = 1, 3 do joypad.set(1, buttons); emu.frameadvance() end
    wait(12)
  end
end
local function hold(button, frames)
  local buttons = {}
  buttons[button] = true
  for j = 1, frames do joypad.set(1, buttons); emu.frameadvance() end
  wait(15)
end
local function dump(name)
  local pixels = {}
  for y = 0, 239 do
    for x = 0, 255 do
      local r, g, b, colour = emu.getscreenpixel(x, y, true)
      pixels[#pixels + 1] = string.char(colour)
    end
  end
  local file = io.open(name, "wb")
  file:write(table.concat(pixels))
  file:close()
end
emu.speedmode("maximum")
)";

class Emulator {
 public:
  static std::string missing() {
    if (!fceux()) {
      return "fceux was not found on PATH or in /usr/games (Debian package fceux)";
    }
    if (!xvfbRun()) {
      return "xvfb-run was not found (Debian package xvfb)";
    }
    return {};
  }

  // Runs the script on `image` and returns the dump of each step, or the
  // reason it could not.
  static std::vector<ByteArray> run(const ByteArray& image, const test::TempDir& dir,
                                    std::string& reason) {
    test::writeFile(dir / "image.nes", image);
    std::ofstream lua(dir / "script.lua");
    lua << kLuaPrelude;
    for (std::size_t i = 0; i < script().size(); ++i) {
      lua << script()[i].lua << "\n";
      lua << "dump('" << (dir / ("step" + std::to_string(i))).string() << "')\n";
    }
    lua << "emu.exit()\n";
    lua.close();
    // fceux keeps its settings under $HOME: a scratch one.
    const std::string command =
        "cd '" + dir.path().string() + "' && HOME='" + dir.path().string() + "' timeout 120 '" +
        xvfbRun()->string() + "' -a '" + fceux()->string() +
        "' --no-config 1 --sound 0 --loadlua script.lua image.nes > fceux.log 2>&1";
    const int status = std::system(command.c_str());
    std::vector<ByteArray> dumps;
    for (std::size_t i = 0; i < script().size(); ++i) {
      const fs::path dump = dir / ("step" + std::to_string(i));
      if (!fs::exists(dump)) {
        std::ifstream log(dir / "fceux.log");
        reason = "fceux exited with status " + std::to_string(status) + " before step " +
                 std::to_string(i) + ":\n" +
                 std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
        return {};
      }
      dumps.push_back(test::readFile(dump));
    }
    return dumps;
  }

 private:
  static const std::optional<fs::path>& fceux() {
    static const std::optional<fs::path> path = findProgram("fceux", {"/usr/games"});
    return path;
  }
  static const std::optional<fs::path>& xvfbRun() {
    static const std::optional<fs::path> path = findProgram("xvfb-run", {});
    return path;
  }
};

// Our renderer's pictures as colour numbers: with every colour shown as its
// own number, a pixel's value is the palette byte's low six bits.
struct ColourNumbers {
  Surface field;
  Surface batView;
};

ColourNumbers renderColourNumbers(const ByteArray& image) {
  const std::array<Color, 64> saved = colorTable;
  for (std::size_t n = 0; n < colorTable.size(); ++n) {
    colorTable[n] = static_cast<Color>(n);
  }
  ColourNumbers pictures{renderView(image, View::Field, 0, ColourMode::Console),
                         renderView(image, View::BatView, 0, ColourMode::Console)};
  colorTable = saved;
  return pictures;
}

// A field and batter's view of random bytes: map bytes 0 to 132, any
// attribute, palette, name table and tile.
ByteArray randomImage(std::uint32_t variant) {
  ByteArray image = test::randomBytes(static_cast<std::size_t>(rom::kMinImageSize), variant);
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    auto& byte = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
    byte = static_cast<std::uint8_t>(byte % rom::kMetatileCount);
  }
  return makePreviewRom(image);
}

void expectScreensMatch(const ByteArray& image, const test::TempDir& dir) {
  std::string reason;
  const std::vector<ByteArray> dumps = Emulator::run(image, dir, reason);
  ASSERT_FALSE(dumps.empty()) << reason;
  const ColourNumbers ours = renderColourNumbers(image);
  for (std::size_t i = 0; i < dumps.size(); ++i) {
    const Step& step = script()[i];
    SCOPED_TRACE("after " + step.lua);
    ASSERT_EQ(dumps[i].size(), static_cast<std::size_t>(kScreenWidth * kScreenHeight));
    int differing = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
      for (int x = 0; x < kScreenWidth; ++x) {
        const int theirs = dumps[i][static_cast<std::size_t>(y * kScreenWidth + x)];
        const int expected = static_cast<int>(
            step.batView ? ours.batView.pixel(x, y) : ours.field.pixel(step.x + x, step.y + y));
        if (theirs != expected && ++differing <= 3) {
          ADD_FAILURE() << "screen pixel " << x << "," << y << " is colour " << theirs
                        << ", our picture's is " << expected;
        }
      }
    }
    EXPECT_EQ(differing, 0) << (step.batView ? "batter's view" : "field at ") << step.x << ","
                            << step.y;
  }
}

class EmulatorComparison : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (const std::string why = Emulator::missing(); !why.empty()) {
      GTEST_SKIP() << why;
    }
  }
};

TEST_P(EmulatorComparison, EveryScreenPixelIsOurs) {
  test::TempDir dir;
  const int variant = GetParam();
  expectScreensMatch(
      variant == 0 ? makeDemoRom() : randomImage(static_cast<std::uint32_t>(variant)), dir);
}

// The demo, then eight random images.
INSTANTIATE_TEST_SUITE_P(Images, EmulatorComparison, testing::Range(0, 9),
                         [](const testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("demo")
                                                  : "random" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace tarvo
