// Hostile and odd files through `tarvo-cli info` and the loader under it:
// files of the wrong size, things that are not files, names with wildcard
// characters, spaces, non-ASCII letters or a leading dot, and contents the
// game never holds (palette bytes of 64 and above, map bytes above 132, no
// iNES header). Each is accepted or refused with its reason, and a refused
// file changes nothing, neither in the caller's buffer nor on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli_support.h"
#include "demo/demo_rom.h"
#include "shell/cli.h"
#include "shell/rom_document.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

CliRun run(const std::vector<std::string>& args) {
  return test::runCliWith(args);
}

using test::diskState;
using test::DiskState;

// Runs `body`, which must not block. Should it hang on a pipe of `folder`
// anyway, a writer opens every pipe there after a while so that the test ends;
// returns whether `body` finished on its own, in time.
bool finishesPromptly(const fs::path& folder, const std::function<void()>& body) {
  auto done = std::async(std::launch::async, body);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
    done.get();
    return true;
  }
  for (const auto& item : fs::directory_iterator(folder)) {
    if (item.is_fifo()) {
      const int fd = ::open(item.path().c_str(), O_RDWR | O_NONBLOCK);
      if (fd >= 0) {
        ::close(fd);
      }
    }
  }
  done.get();
  return false;
}

ByteArray demoWithSize(std::size_t size) {
  ByteArray bytes = makeDemoRom();
  bytes.resize(size, 0x5A);
  return bytes;
}

// The demo image with the field palette's bytes replaced.
ByteArray demoWithPalette(const std::vector<std::uint8_t>& palette) {
  ByteArray bytes = makeDemoRom();
  std::copy(palette.begin(), palette.end(), bytes.begin() + rom::kFieldPalette.offset);
  return bytes;
}

// The demo image with map cells naming metatiles above 132, defined beyond the
// table.
ByteArray demoWithHighMapBytes() {
  ByteArray bytes = makeDemoRom();
  for (const auto& [cell, metatile] :
       std::vector<std::pair<int, int>>{{0, 133}, {25, 200}, {300, 255}, {575, 180}}) {
    bytes[static_cast<std::size_t>(rom::kFieldMap.offset + cell)] =
        static_cast<std::uint8_t>(metatile);
  }
  return bytes;
}

ByteArray withHeader(const std::string& header) {
  ByteArray bytes = makeDemoRom();
  std::copy(header.begin(), header.end(), bytes.begin());
  return bytes;
}

constexpr const char* kNoHeader =
    "iNES header: none (the file does not start with \"NES\" and 0x1A)\n"
    "Header fits the editor's locations: no. The file has no iNES header.\n";
constexpr const char* kDemoHeader = "iNES header: present, iNES format\n";

struct HostileCase {
  std::string label;
  // Makes the files of the case in `folder`; returns the argument to give.
  std::function<std::string(const fs::path& folder)> make;
  bool accepted;
  std::string reason;  // a refusal's reason, exactly
  // An accepted file: what info prints about it first.
  std::string name;
  std::string size;
  std::string header;
};

std::string demoFile(const fs::path& folder, const std::string& name, const ByteArray& bytes) {
  test::writeFile(folder / name, bytes);
  return (folder / name).string();
}

using Maker = std::function<std::string(const fs::path& folder)>;

HostileCase refused(std::string label, Maker make, std::string reason) {
  return {std::move(label), std::move(make), false, std::move(reason), "", "", ""};
}

HostileCase accepted(std::string label, Maker make, std::string name, std::string size,
                     std::string header) {
  return {std::move(label), std::move(make),  true, "", std::move(name),
          std::move(size),  std::move(header)};
}

// A maker of one file `name` holding `bytes`.
Maker file(const std::string& name, const ByteArray& bytes) {
  return [name, bytes](const fs::path& folder) { return demoFile(folder, name, bytes); };
}

const std::vector<std::uint8_t> kHighPalette{0x40, 0x7F, 0xFF, 0x80, 0xC0, 0x41, 0xBF, 0x3F,
                                             0x0F, 0x70, 0x90, 0xE0, 0x20, 0x60, 0xA0, 0xFE};

std::vector<HostileCase> hostileCases() {
  const ByteArray demo = makeDemoRom();
  return {
      refused(
          "Missing", [](const fs::path& folder) { return (folder / "missing.nes").string(); },
          "No such file"),
      refused(
          "NoNameAtAll", [](const fs::path&) { return std::string(); }, "No file name was given"),
      refused("Empty", file("empty.nes", {}),
              "The file is empty; a ROM image for this editor has at least 98,320 bytes"),
      refused("OneByteShort", file("short.nes", demoWithSize(98319)),
              "The file is 98,319 bytes; a ROM image for this editor has at least 98,320 bytes"),
      accepted("SmallestAccepted", file("least.nes", demoWithSize(98320)), "least.nes", "98,320",
               kDemoHeader),
      accepted("LargestAccepted", file("most.nes", demoWithSize(16777216)), "most.nes",
               "16,777,216", kDemoHeader),
      refused(
          "JustOver16MiB", file("huge.nes", demoWithSize(16777217)),
          "The file is 16,777,217 bytes; a ROM image for this editor has at most 16,777,216 bytes"),
      refused(
          "Folder",
          [](const fs::path& folder) {
            fs::create_directory(folder / "folder.nes");
            return (folder / "folder.nes").string();
          },
          "It is a folder, not a file"),
      refused(
          "Fifo",
          [](const fs::path& folder) {
            if (::mkfifo((folder / "pipe.nes").c_str(), 0600) != 0) {
              throw std::runtime_error("cannot make a pipe");
            }
            return (folder / "pipe.nes").string();
          },
          "It is not a regular file"),
      // Wildcards are characters of the name: "a*.nes" is that file, not
      // abc.nes, which has another size.
      accepted(
          "StarInName",
          [](const fs::path& folder) {
            demoFile(folder, "abc.nes", demoWithSize(98336));
            return demoFile(folder, "a*.nes", makeDemoRom());
          },
          "a*.nes", "98,320", kDemoHeader),
      accepted(
          "QuestionMarkInName",
          [](const fs::path& folder) {
            demoFile(folder, "abc.nes", demoWithSize(98336));
            return demoFile(folder, "a?c.nes", demoWithSize(98352));
          },
          "a?c.nes", "98,352", kDemoHeader),
      refused(
          "QuestionMarkMatchesNothing",
          [](const fs::path& folder) {
            demoFile(folder, "abc.nes", makeDemoRom());
            return (folder / "a?c.nes").string();
          },
          "No such file"),
      refused(
          "StarMatchesNothing",
          [](const fs::path& folder) {
            demoFile(folder, "abc.nes", makeDemoRom());
            demoFile(folder, "a.nes", makeDemoRom());
            return (folder / "*.nes").string();
          },
          "No such file"),
      accepted("PlaceholderInName", file("[*].nes", demo), "[*].nes", "98,320", kDemoHeader),
      accepted("Spaces", file(" Home field  2 .nes", demo), " Home field  2 .nes", "98,320",
               kDemoHeader),
      accepted("NonAsciiLetters", file("Spielfeld-\u00fc-\u00f1.nes", demo),
               "Spielfeld-\u00fc-\u00f1.nes", "98,320", kDemoHeader),
      accepted("NonLatinLetters", file("\u7403\u5834.nes", demo), "\u7403\u5834.nes", "98,320",
               kDemoHeader),
      accepted("Hidden", file(".hidden.nes", demo), ".hidden.nes", "98,320", kDemoHeader),
      accepted("PaletteBytesOf64AndAbove", file("palette.nes", demoWithPalette(kHighPalette)),
               "palette.nes", "98,320", kDemoHeader),
      accepted("MapBytesAbove132", file("map.nes", demoWithHighMapBytes()), "map.nes", "98,320",
               kDemoHeader),
      accepted("HeaderOfAnotherFormat", file("unif.nes", withHeader("UNIF")), "unif.nes", "98,320",
               kNoHeader),
      accepted("HeaderWithoutItsEndMark", file("nes.nes", withHeader(std::string("NES\0", 4))),
               "nes.nes", "98,320", kNoHeader),
      accepted("HeaderOfZeros", file("zeros.nes", withHeader(std::string(16, '\0'))), "zeros.nes",
               "98,320", kNoHeader),
  };
}

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.label;
}

class HostileFile : public testing::TestWithParam<HostileCase> {};

// tarvo-cli info gives the case's result and reason; the loader under it
// keeps the caller's buffer on a refusal and gives the file's bytes on
// acceptance; nothing on disk changes either way.
TEST_P(HostileFile, InfoAndTheLoaderGiveTheResultAndChangeNothing) {
  const HostileCase& c = GetParam();
  test::TempDir dir;
  const std::string path = c.make(dir.path());
  const DiskState before = diskState(dir.path());

  CliRun result{};
  ASSERT_TRUE(finishesPromptly(dir.path(),
                               [&] {
                                 result = run({"info", path});
                               }))
      << "info blocked on " << path;
  if (c.accepted) {
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("File: " + c.name + "\nSize: " + c.size + " bytes\n" + c.header, 0),
              0U)
        << result.out;
  } else {
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "tarvo-cli: " + path + ": " + c.reason + "\n");
    EXPECT_EQ(result.out, "");
  }

  // The same load into a buffer that holds an image already.
  ByteArray buffer = makeDemoRom();
  buffer[100] = 0xEE;
  const ByteArray held = buffer;
  std::string reason = "untouched";
  std::int16_t status = -1;
  ASSERT_TRUE(
      finishesPromptly(dir.path(), [&] { status = loadBinaryFile(path, buffer, &reason); }));
  if (c.accepted) {
    EXPECT_EQ(status, 0);
    EXPECT_EQ(buffer, test::readFile(path));
    EXPECT_EQ(reason, "untouched");
  } else {
    EXPECT_EQ(status, 1);
    EXPECT_EQ(buffer, held);
    EXPECT_EQ(reason, c.reason);
  }

  EXPECT_EQ(diskState(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileFile, testing::ValuesIn(hostileCases()),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                           return info.param.label;
                         });

// A document holding an edited image keeps its image, its file, its history
// and its unsaved state through a refused load.
TEST(HostileFileDocument, ARefusedLoadLeavesTheDocumentAsItWas) {
  for (const HostileCase& c : hostileCases()) {
    if (c.accepted) {
      continue;
    }
    SCOPED_TRACE(c.label);
    test::TempDir dir;
    test::writeFile(dir / "demo.nes", makeDemoRom());
    ByteArray image(1, 0);
    RomDocument document(image);
    ASSERT_TRUE(document.load((dir / "demo.nes").string()));
    document.history().begin("Put metatile");
    image[static_cast<std::size_t>(rom::kFieldMap.offset + 30)] ^= 0x01;
    ASSERT_TRUE(document.history().commit());
    const std::string path = c.make(dir.path());
    const DiskState disk = diskState(dir.path());
    const ByteArray edited = image;

    std::string reason;
    bool loaded = true;
    ASSERT_TRUE(finishesPromptly(dir.path(), [&] { loaded = document.load(path, &reason); }));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(image, edited);
    EXPECT_EQ(document.path(), (dir / "demo.nes").string());
    EXPECT_EQ(document.loadedBytes(), makeDemoRom());
    EXPECT_EQ(document.history().size(), 1U);
    EXPECT_EQ(document.history().index(), 1U);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(diskState(dir.path()), disk);
  }
}

// Odd contents are kept as they are: a load and a save without edits give
// the file back byte for byte, and an edit elsewhere leaves them too.
TEST(HostileFileDocument, OddContentsSurviveASave) {
  const std::vector<std::pair<std::string, ByteArray>> files{
      {"palette bytes of 64 and above", demoWithPalette(kHighPalette)},
      {"map bytes above 132", demoWithHighMapBytes()},
      {"no iNES header", withHeader("UNIF")},
      {"a long file", demoWithSize(200000)},
  };
  for (const auto& [label, bytes] : files) {
    SCOPED_TRACE(label);
    test::TempDir dir;
    test::writeFile(dir / "odd.nes", bytes);
    ByteArray image(1, 0);
    RomDocument document(image);
    ASSERT_TRUE(document.load((dir / "odd.nes").string()));
    EXPECT_EQ(image, bytes);
    ASSERT_TRUE(document.save());
    EXPECT_EQ(test::readFile(dir / "odd.nes"), bytes);

    const auto cell = static_cast<std::size_t>(rom::kFieldMap.offset + 100);
    document.history().begin("Put metatile");
    image[cell] = static_cast<std::uint8_t>(image[cell] == 7 ? 8 : 7);
    ASSERT_TRUE(document.history().commit());
    ASSERT_TRUE(document.save());
    ByteArray expected = bytes;
    expected[cell] = image[cell];
    EXPECT_EQ(test::readFile(dir / "odd.nes"), expected);
    EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string>{"odd.nes"});
  }
}

// The pictures `tarvo-cli export` draws of odd contents: a palette byte shows
// the colour of its low six bits, and a map byte above 132 the metatile
// defined beyond the table. Each odd file draws exactly as a plain file that
// says the same thing the ordinary way.
TEST(HostileFileExport, OddContentsDrawAsTheirPlainEquivalents) {
  // Palette: every entry with bit 6, bit 7 or both set.
  const ByteArray demo = makeDemoRom();
  std::vector<std::uint8_t> plainPalette(demo.begin() + rom::kFieldPalette.offset,
                                         demo.begin() + rom::kFieldPalette.end());
  for (std::size_t i = 0; i < plainPalette.size(); ++i) {
    plainPalette[i] = static_cast<std::uint8_t>((plainPalette[i] + 5 * i) & 0x3F);
  }
  std::vector<std::uint8_t> oddPalette = plainPalette;
  for (std::size_t i = 0; i < oddPalette.size(); ++i) {
    oddPalette[i] |= static_cast<std::uint8_t>(0x40 * (1 + i % 3));
  }

  // Map: cells naming metatiles 133, 200 and 255, each defined beyond the
  // table as a copy of an ordinary metatile that the plain file names.
  ByteArray plainMap = demo;
  ByteArray oddMap = demo;
  for (const auto& [cell, high, ordinary] :
       std::vector<std::tuple<int, int, int>>{{0, 133, 40}, {30, 200, 20}, {575, 255, 7}}) {
    const auto definition = [](int metatile) {
      return static_cast<std::size_t>(rom::kMetatileTable.offset + metatile * 16);
    };
    const auto mapByte = static_cast<std::size_t>(rom::kFieldMap.offset + cell);
    plainMap[mapByte] = static_cast<std::uint8_t>(ordinary);
    oddMap[mapByte] = static_cast<std::uint8_t>(high);
    std::copy_n(demo.begin() + static_cast<std::ptrdiff_t>(definition(ordinary)), 16,
                oddMap.begin() + static_cast<std::ptrdiff_t>(definition(high)));
    // Drawn from anything but that definition, the cell would differ.
    ASSERT_NE(ByteArray(demo.begin() + static_cast<std::ptrdiff_t>(definition(ordinary)),
                        demo.begin() + static_cast<std::ptrdiff_t>(definition(ordinary) + 16)),
              ByteArray(demo.begin() + static_cast<std::ptrdiff_t>(definition(high)),
                        demo.begin() + static_cast<std::ptrdiff_t>(definition(high) + 16)));
  }

  struct Pair {
    std::string label;
    ByteArray odd;
    ByteArray plain;
    std::vector<std::vector<std::string>> views;  // export arguments after OUT.png
  };
  const std::vector<Pair> pairs{
      {"palette",
       demoWithPalette(oddPalette),
       demoWithPalette(plainPalette),
       {{"field"},
        {"metatiles", "--subpalette", "0"},
        {"metatiles", "--subpalette", "3"},
        {"field-chr", "--subpalette", "1"},
        {"field-chr", "--subpalette", "2"}}},
      {"map", oddMap, plainMap, {{"field"}}},
  };
  for (const Pair& pair : pairs) {
    test::TempDir dir;
    test::writeFile(dir / "odd.nes", pair.odd);
    test::writeFile(dir / "plain.nes", pair.plain);
    ASSERT_NE(pair.odd, pair.plain);
    for (const auto& view : pair.views) {
      SCOPED_TRACE(pair.label + " " + view[0] + (view.size() > 2 ? " " + view[2] : ""));
      std::vector<ByteArray> pngs;
      for (const char* name : {"odd.nes", "plain.nes"}) {
        std::vector<std::string> args{"export", (dir / name).string(), view[0],
                                      (dir / "out.png").string()};
        args.insert(args.end(), view.begin() + 1, view.end());
        const CliRun result = run(args);
        ASSERT_EQ(result.status, kExitOk) << result.err;
        pngs.push_back(test::readFile(dir / "out.png"));
      }
      test::DecodedPng odd;
      test::DecodedPng plain;
      ASSERT_TRUE(test::decodePng(pngs[0], odd));
      ASSERT_TRUE(test::decodePng(pngs[1], plain));
      EXPECT_EQ(odd.width, plain.width);
      EXPECT_EQ(odd.pixels, plain.pixels);
      EXPECT_EQ(odd.indices, plain.indices);
    }
  }
}

}  // namespace
}  // namespace tarvo
