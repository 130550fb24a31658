#include "shell/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "demo/demo_rom.h"
#include "gfx/chr_codec.h"
#include "screens/views.h"
#include "shell/checksums.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

using test::CliRun;

CliRun run(const std::vector<std::string>& args) {
  return test::runCliWith(args);
}

TEST(TarvoCli, DemoWritesTheDemoImageWhole) {
  test::TempDir dir;
  test::writeFile(dir / "old.nes", ByteArray(200000, 0xAA));  // longer than the demo
  for (const char* name : {"demo.nes", "old.nes"}) {
    const CliRun result = run({"demo", "--force", (dir / name).string()});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(test::readFile(dir / name), makeDemoRom()) << name;
  }
}

TEST(TarvoCli, InfoGivesTheSizeTheHeaderAndEveryLocation) {
  test::TempDir dir;
  const ByteArray demo = makeDemoRom();
  const ByteArray withoutHeader(demo.begin() + rom::kInesHeader.length, demo.end());
  test::writeFile(dir / "demo.nes", demo);
  const CliRun result = run({"info", (dir / "demo.nes").string()});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.err, "");
  for (const std::string& expected : std::vector<std::string>{
           "File: demo.nes\n", "Size: 98,320 bytes\n", "iNES header: present, iNES format\n",
           "Program ROM: 4 x 16 KiB = 65,536 bytes", "CHR ROM: 4 x 8 KiB = 32,768 bytes",
           "Mapper: 1\n", "Size by header: 98,320 bytes (as the file)",
           "\nHeader fits the editor's locations: yes\n",
           "\nCRC-32 (whole file): " + crc32Hex(demo) + "\n",
           "\nSHA-1 (whole file): " + sha1Hex(demo) + "\n",
           "\nCRC-32 (without header): " + crc32Hex(withoutHeader) + "\n",
           "\nSHA-1 (without header): " + sha1Hex(withoutHeader) + "\n"}) {
    EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\n" << result.out;
  }
  // One row a location: its offset in decimal and hexadecimal, its length, its name.
  const auto table = result.out.find("Locations the editor reads or writes:\n");
  ASSERT_NE(table, std::string::npos) << result.out;
  std::istringstream rows(result.out.substr(table));
  std::string row;
  std::getline(rows, row);  // the heading
  std::getline(rows, row);  // the column names
  for (const rom::Location& location : rom::kLocationTable) {
    ASSERT_TRUE(std::getline(rows, row)) << location.name;
    std::istringstream fields(row);
    std::string offset, hex, length;
    fields >> offset >> hex >> length;
    std::string name;
    std::getline(fields >> std::ws, name);
    EXPECT_EQ(offset, formatCount(location.offset)) << row;
    EXPECT_EQ(std::stol(hex, nullptr, 16), location.offset) << row;
    EXPECT_EQ(length, formatCount(location.length)) << row;
    EXPECT_EQ(name, location.name) << row;
  }
}

TEST(TarvoCli, InfoOnAFileWithoutAnInesHeaderStillLoadsIt) {
  test::TempDir dir;
  test::writeFile(dir / "plain.nes", ByteArray(rom::kMinImageSize, 0));
  const CliRun result = run({"info", (dir / "plain.nes").string()});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_NE(result.out.find("iNES header: none"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\nHeader fits the editor's locations: no. The file has no iNES "
                            "header.\n"),
            std::string::npos)
      << result.out;
  // Without a header, only the whole file's sums.
  EXPECT_NE(result.out.find("\nCRC-32 (whole file): " + crc32Hex(ByteArray(rom::kMinImageSize, 0)) +
                            "\n"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.out.find("without header"), std::string::npos) << result.out;
}

TEST(TarvoCli, StatusesAndMessages) {
  test::TempDir dir;
  test::writeFile(dir / "game.nes", ByteArray(1024, 0));
  const std::string game = (dir / "game.nes").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string inErr;
  };
  const std::vector<Case> cases{
      {{"info", game},
       kExitFailure,
       game + ": The file is 1,024 bytes; a ROM image for this editor has at least 98,320 bytes\n"},
      {{"info", (dir / "missing.nes").string()}, kExitFailure, "missing.nes: No such file\n"},
      {{"demo", (dir / "no" / "demo.nes").string()},
       kExitFailure,
       "demo.nes: Its folder does not exist\n"},
  };
  for (const Case& c : cases) {
    const CliRun result = run(c.args);
    EXPECT_EQ(result.status, c.status) << testing::PrintToString(c.args);
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

TEST(TarvoCli, HelpAndVersionAnswerFromAnyCommand) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"help"}, {"info", "--help"}, {"export", "a", "--bogus", "-h"}}) {
    const CliRun result = run(args);
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_EQ(result.err, "");
    for (const char* command : {"demo OUT.nes", "info ROM.nes", "Exit status"}) {
      EXPECT_NE(result.out.find(command), std::string::npos) << command;
    }
  }
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--version"}, {"demo", "--version"}, {"patch", "apply", "--version"}}) {
    const CliRun result = run(args);
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_EQ(result.out, std::string("tarvo-cli ") + TARVO_VERSION + "\n");
  }
}

// A word that starts with '-' is an option, up to "--"; every usage error is
// one line of what was wrong and one of where to read more.
TEST(TarvoCli, OptionsEndAtDoubleDashAndUsageErrorsAreOneLine) {
  test::TempDir dir;
  test::writeFile(dir / "-x.nes", makeDemoRom());
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const CliRun option = run({"info", "-x.nes"});
  const CliRun operand = run({"info", "--", "-x.nes"});
  const CliRun dash = run({"demo", "--", "-"});
  std::filesystem::current_path(before);
  EXPECT_TRUE(test::isUsageError(option, "unknown option '-x.nes'"));
  EXPECT_EQ(operand.status, kExitOk) << operand.err;
  EXPECT_NE(operand.out.find("File: -x.nes"), std::string::npos) << operand.out;
  EXPECT_EQ(dash.status, kExitOk) << dash.err;
  EXPECT_EQ(test::readFile(dir / "-"), makeDemoRom());

  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "no command given"},
      {{"-v"}, "unknown option '-v'"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"info"}, "info takes one argument"},
      {{"info", "a.nes", "b.nes"}, "info takes one argument"},
      {{"info", "-"}, "unknown option '-'"},
      {{"demo"}, "demo takes one argument"},
      {{"demo", "a.nes", "--force=yes"}, "--force takes no value"},
      {{"demo", "a.nes", "--force", "--force"}, "--force is given twice"},
      {{"export", "-subpalette=1", "a.nes", "field", "a.png"}, "unknown option '-subpalette=1'"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(test::isUsageError(run(c.args), c.message)) << testing::PrintToString(c.args);
  }
}

// No command writes over one of its inputs, under any of its names, and demo
// replaces an existing file only when told to.
TEST(TarvoCli, NoCommandOverwritesItsInputOrAFileItWasNotAskedToCreate) {
  test::TempDir dir;
  const ByteArray rom = makeDemoRom();
  test::writeFile(dir / "game.nes", rom);
  std::filesystem::create_hard_link(dir / "game.nes", dir / "hard.png");
  std::filesystem::create_symlink("game.nes", dir / "soft.png");
  const std::string game = (dir / "game.nes").string();
  auto at = [&](const char* name) { return (dir / name).string(); };
  const struct {
    std::vector<std::string> args;
    std::string message;
  } refused[] = {
      {{"export", game, "field", game}, "the picture's name must end in .png, not 'game.nes'"},
      {{"export", game, "field", at("out.jpg")}, "must end in .png, not 'out.jpg'"},
      {{"export", game, "field", at("png")}, "must end in .png"},
      {{"export", game, "field", at("hard.png")},
       at("hard.png") + " is the same file as " + game + "; the output would overwrite an input"},
      {{"export", game, "field", at("soft.png")}, "is the same file as"},
      {{"export", at("soft.png"), "field", at("./hard.png")}, "is the same file as"},
      {{"import-chr", game, "field", at("soft.png")}, "is the same file as"},
  };
  for (const auto& c : refused) {
    EXPECT_TRUE(test::isUsageError(run(c.args), c.message)) << testing::PrintToString(c.args);
  }
  EXPECT_EQ(test::readFile(dir / "game.nes"), rom);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "soft.png"));
  EXPECT_EQ(std::filesystem::hard_link_count(dir / "game.nes"), 2U);

  // An existing file, or a link to one that is missing, is left alone by demo.
  test::writeFile(dir / "old.nes", ByteArray(10, 1));
  std::filesystem::create_symlink("missing.nes", dir / "dangling.nes");
  for (const char* name : {"old.nes", "dangling.nes", "game.nes"}) {
    const CliRun result = run({"demo", at(name)});
    EXPECT_EQ(result.status, kExitFailure) << name;
    EXPECT_EQ(result.err,
              "tarvo-cli: " + at(name) + ": It exists already; give --force to replace it\n");
  }
  EXPECT_EQ(test::readFile(dir / "old.nes"), ByteArray(10, 1));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.nes"));
  EXPECT_EQ(run({"demo", "--force", at("old.nes")}).status, kExitOk);
  EXPECT_EQ(test::readFile(dir / "old.nes"), rom);
  // A name ending in .PNG, in any case, is a picture.
  EXPECT_EQ(run({"export", game, "batview", at("view.PNG")}).status, kExitOk);
}

// Every command that writes refuses a file without a write bit for anyone,
// also when run as root, and leaves it as it was.
TEST(TarvoCli, EveryCommandThatWritesRefusesAReadOnlyFile) {
  test::TempDir dir;
  const ByteArray rom = makeDemoRom();
  auto at = [&](const char* name) { return (dir / name).string(); };
  test::writeFile(dir / "game.nes", rom);
  ASSERT_EQ(run({"export", at("game.nes"), "field", at("field.png")}).status, kExitOk);
  ASSERT_EQ(run({"export", at("game.nes"), "field-chr", at("tiles.png")}).status, kExitOk);
  ByteArray edited = rom;
  edited[static_cast<std::size_t>(rom::kFieldMap.offset)] ^= 1;
  test::writeFile(dir / "edited.nes", edited);
  ASSERT_EQ(run({"patch", "make", at("game.nes"), at("edited.nes"), at("fix.ips")}).status,
            kExitOk);
  const std::vector<std::vector<std::string>> writes{
      {"demo", "--force", at("locked")},
      {"export", at("game.nes"), "field", at("locked.png")},
      {"preview-rom", at("game.nes"), at("locked")},
      {"patch", "make", at("game.nes"), at("edited.nes"), at("locked.ips")},
      {"patch", "apply", at("game.nes"), at("fix.ips"), at("locked")},
      {"import-chr", at("locked"), "field", at("tiles.png")},
      {"import-picture", at("locked"), "field", at("field.png")},
      {"optimise", at("locked"), "field", "--remove-unused"},
  };
  for (const std::vector<std::string>& args : writes) {
    SCOPED_TRACE(testing::PrintToString(args));
    const std::string& target =
        args[0] == "import-chr" || args[0] == "import-picture" || args[0] == "optimise"
            ? args[1]
            : args.back();
    std::filesystem::remove(target);
    test::writeFile(target, rom);
    std::filesystem::permissions(
        target, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const CliRun result = run(args);
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_NE(result.err.find("The file is read-only"), std::string::npos) << result.err;
    EXPECT_EQ(test::readFile(target), rom);
  }
}

TEST(TarvoCliTiles, PrintsTheBudgetAndOptimisesInPlace) {
  test::TempDir dir;
  const std::string game = (dir / "game.nes").string();
  ByteArray rom = makeDemoRom();
  // Tile 5 of the field's bank becomes a copy of tile 4.
  std::copy_n(rom.begin() + rom::kFieldChrBank.offset + 4 * 16, 16,
              rom.begin() + rom::kFieldChrBank.offset + 5 * 16);
  test::writeFile(game, rom);
  const CliRun tiles = run({"tiles", game, "field"});
  EXPECT_EQ(tiles.status, kExitOk);
  EXPECT_EQ(tiles.out,
            "tiles used: 256 of 256\ntiles unused: 0\nduplicate tiles: 1\n"
            "metatiles used: 130 of 133\nmetatiles unused: 3\nduplicate metatiles: 0\n");
  const struct {
    std::vector<std::string> args;
    const char* message;
  } usage[] = {
      {{"tiles", game}, "tiles takes ROM.nes and field or batview"},
      {{"tiles", game, "sky"}, "unknown screen 'sky'"},
      {{"optimise", game, "field"}, "needs at least one of"},
      {{"optimise", game, "field", "--sort", "size"}, "not 'size'"},
      {{"optimise", game, "field", "--sort", "first-use", "--sort=frequency"}, "given twice"},
      {{"optimise", game, "batview", "--reduce", "0"}, "from 1 to 256, not '0'"},
      {{"optimise", game, "batview", "--reduce", "x1"}, "not 'x1'"},
  };
  for (const auto& c : usage) {
    EXPECT_TRUE(test::isUsageError(run(c.args), c.message)) << testing::PrintToString(c.args);
  }
  EXPECT_EQ(test::readFile(game), rom);
  const CliRun optimised = run({"optimise", game, "field", "--merge-duplicates"});
  EXPECT_EQ(optimised.status, kExitOk) << optimised.err;
  EXPECT_EQ(optimised.out,
            "merged 1 duplicate tile; 1 tile free\nno duplicate metatiles to merge\n");
  EXPECT_EQ(run({"tiles", game, "field"})
                .out.rfind("tiles used: 255 of 256\ntiles unused: 1\nduplicate tiles: 0\n", 0),
            0U);
}

// Each view's PNG holds exactly the surface's colours, as 8-bit RGB.
TEST(TarvoCliExport, WritesEveryViewPixelForPixel) {
  test::TempDir dir;
  const ByteArray rom = test::randomBytes(rom::kMinImageSize, 91);
  test::writeFile(dir / "game.nes", rom);
  for (const ViewInfo& view : kViews) {
    for (const int sub : view.hasSubPalette ? std::vector<int>{-1, 0, 3} : std::vector<int>{-1}) {
      for (const ColourMode mode : {ColourMode::Editor, ColourMode::Console}) {
        SCOPED_TRACE(std::string(view.name) + " " + std::to_string(sub) +
                     (mode == ColourMode::Console ? " console" : ""));
        std::vector<std::string> args{"export", (dir / "game.nes").string(), std::string(view.name),
                                      (dir / "out.png").string()};
        if (sub >= 0) {
          args.insert(args.end(), {"--subpalette", std::to_string(sub)});
        }
        if (mode == ColourMode::Console) {
          args.emplace_back("--console-colours");
        }
        const CliRun result = run(args);
        ASSERT_EQ(result.status, kExitOk) << result.err;
        test::DecodedPng png;
        ASSERT_TRUE(test::decodePng(test::readFile(dir / "out.png"), png));
        const bool chr = view.view == View::FieldChr || view.view == View::BatViewChr;
        if (chr) {
          // Indexed: the indices are the colour slots of the tiles.
          EXPECT_EQ(png.colourType, 3);
          TilePixels tiles;
          decodeTiles(bankOf(view.view).offset, 256, tiles, rom);
          ASSERT_EQ(png.indices.size(), 128U * 128U);
          for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
              const int tile = (y / 8) * 16 + x / 8;
              ASSERT_EQ(png.indices[static_cast<std::size_t>(y * 128 + x)],
                        tiles[static_cast<std::size_t>(tile * 64 + (y % 8) * 8 + x % 8)]);
            }
          }
        } else {
          EXPECT_EQ(png.bitDepth, 8);
          EXPECT_EQ(png.colourType, 2);
        }
        const Surface surface = renderView(rom, view.view, sub < 0 ? 0 : sub, mode);
        ASSERT_EQ(png.width, view.width);
        ASSERT_EQ(png.height, view.height);
        EXPECT_EQ(png.pixels, std::vector<Color>(surface.pixels(),
                                                 surface.pixels() + view.width * view.height));
      }
    }
  }
}

TEST(TarvoCliExport, AnOldLongerFileIsReplacedWhole) {
  test::TempDir dir;
  test::writeFile(dir / "demo.nes", makeDemoRom());
  test::writeFile(dir / "out.png", ByteArray(1000000, 0xAA));
  ASSERT_EQ(
      run({"export", (dir / "demo.nes").string(), "batview", (dir / "out.png").string()}).status,
      kExitOk);
  test::DecodedPng png;
  const ByteArray bytes = test::readFile(dir / "out.png");
  EXPECT_TRUE(test::decodePng(bytes, png));
  EXPECT_LT(bytes.size(), 1000000U);
  EXPECT_NE(bytes.back(), 0xAA);
}

TEST(TarvoCliExport, StatusesAndMessages) {
  test::TempDir dir;
  test::writeFile(dir / "demo.nes", makeDemoRom());
  const std::string demo = (dir / "demo.nes").string();
  const std::string out = (dir / "out.png").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string inErr;
  };
  const std::vector<Case> cases{
      {{"export", demo, "field"}, kExitUsage, "export takes ROM.nes, VIEW and OUT.png"},
      {{"export", demo, "sky", out}, kExitUsage, "unknown view 'sky'"},
      {{"export", demo, "metatiles", out, "--subpalette", "4"}, kExitUsage, "not '4'"},
      {{"export", demo, "metatiles", out, "--subpalette", "-1"}, kExitUsage, "not '-1'"},
      {{"export", demo, "metatiles", out, "--subpalette=01"}, kExitUsage, "not '01'"},
      {{"export", demo, "metatiles", out, "--subpalette"},
       kExitUsage,
       "--subpalette needs a value"},
      {{"export", demo, "metatiles", out, "--subpalette", "1", "--subpalette=2"},
       kExitUsage,
       "given twice"},
      {{"export", demo, "field", out, "--subpalette", "1"}, kExitUsage, "no sub-palette"},
      {{"export", demo, "field", out, "--scale", "2"}, kExitUsage, "unknown option '--scale'"},
      {{"export", (dir / "missing.nes").string(), "field", out}, kExitFailure, "No such file"},
      {{"export", demo, "field", (dir / "no" / "out.png").string()},
       kExitFailure,
       "out.png: Its folder does not exist\n"},
  };
  for (const Case& c : cases) {
    const CliRun result = run(c.args);
    EXPECT_EQ(result.status, c.status) << testing::PrintToString(c.args);
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  // The sub-palette may also be given before the other words.
  EXPECT_EQ(run({"export", "--subpalette=2", demo, "metatiles", out}).status, kExitOk);
}

}  // namespace
}  // namespace tarvo
