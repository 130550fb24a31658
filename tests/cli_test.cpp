#include "shell/cli.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "screens/demo_rom.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun run(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(TarvoCli, DemoWritesTheDemoImage) {
  test::TempDir dir;
  const CliRun result = run({"demo", (dir / "demo.nes").string()});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(test::readFile(dir / "demo.nes"), makeDemoRom());
}

TEST(TarvoCli, InfoGivesTheSizeTheHeaderAndEveryLocation) {
  test::TempDir dir;
  test::writeFile(dir / "demo.nes", makeDemoRom());
  const CliRun result = run({"info", (dir / "demo.nes").string()});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.err, "");
  for (const std::string expected :
       {"File: demo.nes\n", "Size: 98,320 bytes\n", "iNES header: present, iNES format\n",
        "Program ROM: 4 x 16 KiB = 65,536 bytes", "CHR ROM: 4 x 8 KiB = 32,768 bytes",
        "Mapper: 1\n", "Size by header: 98,320 bytes (as the file)"}) {
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
      {{}, kExitUsage, "no command given"},
      {{"frobnicate"}, kExitUsage, "unknown command 'frobnicate'"},
      {{"info"}, kExitUsage, "info takes one argument"},
      {{"info", "a.nes", "b.nes"}, kExitUsage, "info takes one argument"},
      {{"demo"}, kExitUsage, "demo takes one argument"},
      {{"info", game},
       kExitFailure,
       game + ": game.nes is 1,024 bytes; a ROM image for this editor has at least 98,320\n"},
      {{"info", (dir / "missing.nes").string()}, kExitFailure, "missing.nes: No such file\n"},
      {{"demo", (dir / "no" / "demo.nes").string()}, kExitFailure, "No such file"},
  };
  for (const Case& c : cases) {
    const CliRun result = run(c.args);
    EXPECT_EQ(result.status, c.status) << testing::PrintToString(c.args);
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

TEST(TarvoCli, HelpExplainsEveryCommand) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}, {"info", "--help"}}) {
    const CliRun result = run(args);
    EXPECT_EQ(result.status, kExitOk);
    for (const char* command : {"demo OUT.nes", "info ROM.nes", "Exit status"}) {
      EXPECT_NE(result.out.find(command), std::string::npos) << command;
    }
  }
}

}  // namespace
}  // namespace tarvo
