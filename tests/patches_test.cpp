#include "shell/patches.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "demo/demo_rom.h"
#include "shell/cli.h"
#include "test_support.h"

namespace tarvo {
namespace {

constexpr std::size_t kRomSize = 98320;
constexpr std::size_t kEofOffset = 0x454F46;  // "EOF" read as an IPS record offset
constexpr std::size_t k16MiB = 16 * 1024 * 1024;

constexpr PatchFormat kFormats[] = {PatchFormat::Ips, PatchFormat::Bps};

const char* nameOf(PatchFormat format) {
  return format == PatchFormat::Ips ? "IPS" : "BPS";
}

ByteArray bytesOf(const std::string& text) {
  return ByteArray(text.begin(), text.end());
}

ByteArray concat(std::initializer_list<ByteArray> parts) {
  ByteArray all;
  for (const ByteArray& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// `image` with `count` bytes at random places changed to another value.
ByteArray withEdits(ByteArray image, std::uint32_t variant, std::size_t count) {
  std::mt19937 generator(variant);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = generator() % image.size();
    image[at] ^= static_cast<std::uint8_t>(1 + generator() % 255);
  }
  return image;
}

ByteArray withFill(ByteArray image, std::size_t at, std::size_t length, std::uint8_t value) {
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at), length, value);
  return image;
}

// `image` with the bytes [at, at + length) changed, each to another value.
ByteArray withChangedRange(ByteArray image, std::size_t at, std::size_t length) {
  for (std::size_t i = at; i < at + length; ++i) {
    image[i] = static_cast<std::uint8_t>(~image[i]);
  }
  return image;
}

ByteArray grown(ByteArray image, const ByteArray& tail) {
  image.insert(image.end(), tail.begin(), tail.end());
  return image;
}

ByteArray cut(ByteArray image, std::size_t size) {
  image.resize(size);
  return image;
}

struct RoundTrip {
  std::string name;
  std::function<ByteArray()> original;
  std::function<ByteArray(const ByteArray&)> edited;
  std::size_t maxPatchSize;  // 0: no limit
};

void expectRoundTrips(const std::vector<RoundTrip>& cases) {
  for (const RoundTrip& c : cases) {
    const ByteArray original = c.original();
    const ByteArray edited = c.edited(original);
    for (const PatchFormat format : kFormats) {
      SCOPED_TRACE(c.name + " as " + nameOf(format));
      ByteArray patch;
      std::string reason;
      ASSERT_TRUE(makePatch(format, original, edited, patch, &reason)) << reason;
      if (c.maxPatchSize != 0) {
        EXPECT_LE(patch.size(), c.maxPatchSize);
      }
      ByteArray result(3, 0x5A);  // replaced whole
      ASSERT_TRUE(applyPatch(patch, original, result, &reason)) << reason;
      ASSERT_EQ(result.size(), edited.size());
      EXPECT_TRUE(result == edited)
          << "first difference at "
          << std::mismatch(result.begin(), result.end(), edited.begin()).first - result.begin();
    }
  }
}

TEST(Patches, FormatComesFromTheExtension) {
  const struct {
    const char* path;
    std::optional<PatchFormat> format;
  } cases[] = {
      {"out.ips", PatchFormat::Ips},
      {"OUT.IPS", PatchFormat::Ips},
      {"dir.bps/x.Ips", PatchFormat::Ips},
      {"x/y/out.bps", PatchFormat::Bps},
      {"a.BpS", PatchFormat::Bps},
      {"out.nes", std::nullopt},
      {"out.ips.nes", std::nullopt},
      {"ips", std::nullopt},
      {"out.ipsx", std::nullopt},
      {"out", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(patchFormatForPath(c.path), c.format) << c.path;
  }
}

TEST(Patches, MakeThenApplyGivesTheEditedFile) {
  const auto rom = [](std::uint32_t variant) {
    return [variant] { return test::randomBytes(kRomSize, variant); };
  };
  std::vector<RoundTrip> cases;
  for (std::uint32_t variant = 1; variant <= 4; ++variant) {
    cases.push_back({"sparse edits, variant " + std::to_string(variant), rom(variant),
                     [variant](const ByteArray& o) { return withEdits(o, variant + 100, 60); },
                     1000});
    cases.push_back(
        {"dense edits, variant " + std::to_string(variant), rom(variant),
         [variant](const ByteArray& o) { return withEdits(o, variant + 200, kRomSize / 2); }, 0});
  }
  const auto flip = [](std::vector<std::size_t> offsets) {
    return [offsets](const ByteArray& o) {
      ByteArray e = o;
      for (const std::size_t at : offsets) {
        e[at] ^= 0xFF;
      }
      return e;
    };
  };
  cases.push_back({"the first byte", rom(5), flip({0}), 64});
  cases.push_back({"the last byte", rom(5), flip({kRomSize - 1}), 64});
  cases.push_back({"the first and the last byte", rom(5), flip({0, kRomSize - 1}), 64});
  cases.push_back({"bytes a few apart", rom(5), flip({100, 102, 108, 120, 121}), 64});
  cases.push_back({"nothing changed", rom(6), [](const ByteArray& o) { return o; }, 64});
  const auto large = [] { return test::randomBytes(400000, 13); };
  cases.push_back({"a run of one byte over twice 65,535 bytes", large,
                   [](const ByteArray& o) { return withFill(o, 1000, 200000, 0x00); }, 200});
  cases.push_back({"several runs of one byte", rom(7),
                   [](const ByteArray& o) {
                     return withFill(withFill(withFill(o, 100, 30, 0x01), 500, 40, 0x02), 2000, 12,
                                     0x03);
                   },
                   200});
  cases.push_back({"a run ending at the last byte", rom(7),
                   [](const ByteArray& o) { return withFill(o, 10000, kRomSize - 10000, 0xFF); },
                   200});
  cases.push_back({"changed bytes over twice 65,535 in a row", large,
                   [](const ByteArray& o) { return withChangedRange(o, 5, 150000); }, 0});
  cases.push_back({"exactly 65,535 changed bytes", large,
                   [](const ByteArray& o) { return withChangedRange(o, 70000, 65535); }, 0});
  cases.push_back({"exactly 65,536 changed bytes", large,
                   [](const ByteArray& o) { return withChangedRange(o, 70000, 65536); }, 0});
  cases.push_back({"longer: random bytes after the end", rom(9),
                   [](const ByteArray& o) { return grown(o, test::randomBytes(70000, 99)); }, 0});
  cases.push_back({"longer: zeros after the end", rom(9),
                   [](const ByteArray& o) { return grown(o, ByteArray(300000, 0)); }, 300});
  cases.push_back({"longer by one byte", rom(9),
                   [](const ByteArray& o) { return grown(o, ByteArray{0x42}); }, 64});
  cases.push_back({"shorter, nothing else changed", rom(10),
                   [](const ByteArray& o) { return cut(o, 90000); }, 64});
  cases.push_back({"shorter and edited", rom(10),
                   [](const ByteArray& o) { return withEdits(cut(o, 97000), 7, 300); }, 0});
  cases.push_back({"shorter by one byte, last byte edited", rom(10),
                   [](const ByteArray& o) {
                     ByteArray e = cut(o, kRomSize - 1);
                     e.back() ^= 1;
                     return e;
                   },
                   64});
  cases.push_back({"empty afterwards", rom(11), [](const ByteArray&) { return ByteArray{}; }, 64});
  cases.push_back({"from an empty file", [] { return ByteArray{}; },
                   [](const ByteArray&) { return test::randomBytes(5000, 12); }, 0});
  expectRoundTrips(cases);
}

// IPS records must not start at the offset that reads as "EOF"; these images
// are large enough to reach it.
TEST(Patches, EditsAtTheOffsetThatReadsAsEof) {
  const auto big = [] { return test::randomBytes(5 * 1024 * 1024, 21); };
  const auto fill = [](std::size_t at, std::size_t length, std::uint8_t value) {
    return [=](const ByteArray& o) { return withFill(o, at, length, value); };
  };
  const auto change = [](std::size_t at, std::size_t length) {
    return [=](const ByteArray& o) { return withChangedRange(o, at, length); };
  };
  expectRoundTrips({
      {"one byte there", big, change(kEofOffset, 1), 64},
      {"four bytes from there", big, change(kEofOffset, 4), 64},
      {"the byte before and the byte there", big, change(kEofOffset - 1, 2), 64},
      {"the byte before only", big, change(kEofOffset - 1, 1), 64},
      {"the byte after only", big, change(kEofOffset + 1, 1), 64},
      {"a run of one byte from there", big, fill(kEofOffset, 40, 0xEE), 64},
      {"a long run from there", big, fill(kEofOffset, 70000, 0x11), 200},
      {"a long stretch whose second record would start there", big,
       change(kEofOffset - 65535, 70000), 0},
      {"a long run whose second record would start there", big,
       fill(kEofOffset - 65535, 70000, 0x33), 200},
      {"longer, with the new bytes starting there",
       [] { return test::randomBytes(kEofOffset, 22); },
       [](const ByteArray& o) { return grown(o, test::randomBytes(100, 23)); }, 0},
  });
}

TEST(Patches, IpsReachesTheLastByteOf16MiB) {
  const ByteArray original(k16MiB, 0x00);
  ByteArray edited = original;
  edited[0xFFFFFF] = 0x01;
  ByteArray patch;
  ASSERT_TRUE(makePatch(PatchFormat::Ips, original, edited, patch));
  ByteArray result;
  ASSERT_TRUE(applyPatch(patch, original, result));
  EXPECT_TRUE(result == edited);
}

TEST(Patches, IpsRefusesChangesItCannotExpress) {
  const ByteArray full(k16MiB, 0x00);
  const struct {
    const char* name;
    ByteArray original;
    ByteArray edited;
    const char* reason;
  } cases[] = {
      {"a byte past 16 MiB", full, grown(full, ByteArray{0x01}), "0x1000000"},
      {"a byte past 16 MiB changed", grown(full, ByteArray{0x00}), grown(full, ByteArray{0x01}),
       "16 MiB"},
      {"shortened to 16 MiB", grown(full, ByteArray{0x00}), full, "at most 16,777,215"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ByteArray patch = bytesOf("untouched");
    std::string reason;
    EXPECT_FALSE(makePatch(PatchFormat::Ips, c.original, c.edited, patch, &reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(patch, bytesOf("untouched"));
  }
}

// Patches written by hand from the formats' rules, independent of the encoder.
TEST(Patches, HandWrittenPatchesApply) {
  const ByteArray sixteen = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                             0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
  const ByteArray ipsRecords = concat({
      bytesOf("PATCH"),
      {0x00, 0x00, 0x02, 0x00, 0x03, 0xAA, 0xBB, 0xCC},  // 3 bytes at 2
      {0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x04, 0xEE},  // 4 x 0xEE at 10 (a run)
      {0x00, 0x00, 0x12, 0x00, 0x01, 0x77},              // 1 byte at 18, past the end
  });
  // BPS: source "abcdefgh", 128 bytes of metadata (a two-byte size), then
  // SourceRead 3, TargetRead "XY", SourceCopy 3 from +2, TargetCopy 6 from +3
  // (overlapping what it writes), SourceCopy 2 from -5, TargetRead "!".
  const ByteArray bps = concat({
      {'B', 'P', 'S', '1', 0x88, 0x91, 0x00, 0x80},
      ByteArray(128, 0x20),
      {0x88, 0x85, 'X', 'Y', 0x8A, 0x84, 0x97, 0x86, 0x86, 0x8B, 0x81, '!'},
      {0x50, 0x2A, 0xEF, 0xAE, 0x61, 0xE1, 0x48, 0x65, 0x7E, 0x40, 0xF8, 0x18},
  });
  const struct {
    const char* name;
    ByteArray patch;
    ByteArray source;
    ByteArray expected;
  } cases[] = {
      {"IPS",
       concat({ipsRecords, bytesOf("EOF")}),
       sixteen,
       {0x00, 0x01, 0xAA, 0xBB, 0xCC, 0x05, 0x06, 0x07, 0x08, 0x09, 0xEE, 0xEE, 0xEE, 0xEE, 0x0E,
        0x0F, 0x00, 0x00, 0x77}},
      {"IPS that shortens the file",
       concat({ipsRecords, bytesOf("EOF"), {0x00, 0x00, 0x05}}),
       sixteen,
       {0x00, 0x01, 0xAA, 0xBB, 0xCC}},
      {"IPS whose size after EOF is no shorter",
       concat({bytesOf("PATCH"),
               {0x00, 0x00, 0x00, 0x00, 0x01, 0x99},
               bytesOf("EOF"),
               {0x00, 0x01, 0x00}}),
       {0x01, 0x02, 0x03},
       {0x99, 0x02, 0x03}},
      {"IPS with nothing in it", bytesOf("PATCHEOF"), sixteen, sixteen},
      {"IPS with a run of no bytes past the end",
       concat({bytesOf("PATCH"), {0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x07}, bytesOf("EOF")}),
       {0x01, 0x02, 0x03},
       {0x01, 0x02, 0x03}},
      {"BPS with every action", bps, bytesOf("abcdefgh"), bytesOf("abcXYcdeXYcdeXab!")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ByteArray result;
    std::string reason;
    ASSERT_TRUE(applyPatch(c.patch, c.source, result, &reason)) << reason;
    EXPECT_EQ(result, c.expected);
  }
}

// A BPS patch around `body` (the header and the actions) with correct
// checksums, the target's taken from `target`.
ByteArray sealBps(const ByteArray& body, const ByteArray& source, const ByteArray& target) {
  ByteArray patch = body;
  const auto put = [&patch](uLong crc) {
    for (int shift = 0; shift < 32; shift += 8) {
      patch.push_back(static_cast<std::uint8_t>(crc >> shift));
    }
  };
  put(crc32(0, source.data(), static_cast<uInt>(source.size())));
  put(crc32(0, target.data(), static_cast<uInt>(target.size())));
  put(crc32(0, patch.data(), static_cast<uInt>(patch.size())));
  return patch;
}

struct Refusal {
  std::string name;
  ByteArray patch;
  ByteArray source;
  std::string reason;  // a part of the expected reason
};

void expectRefused(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    ByteArray result = bytesOf("left as it was");
    std::string reason;
    EXPECT_FALSE(applyPatch(c.patch, c.source, result, &reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(result, bytesOf("left as it was"));
  }
}

TEST(Patches, BrokenPatchesAreRefused) {
  const ByteArray source = bytesOf("abcdefgh");
  const ByteArray bps = {'B', 'P', 'S', '1'};
  const auto sealed = [&](ByteArray header, ByteArray actions) {
    return sealBps(concat({bps, header, actions}), source, bytesOf("whatever"));
  };
  expectRefused({
      {"empty", {}, source, "empty"},
      {"neither format", bytesOf("HELLO, WORLD"), source, "not an IPS or BPS patch"},
      {"a few bytes of the IPS magic", bytesOf("PAT"), source, "cut short"},
      {"IPS without EOF", concat({bytesOf("PATCH"), {0, 0, 1, 0, 1, 0x55}}), source, "EOF"},
      {"IPS record past the patch's end",
       concat({bytesOf("PATCH"), {0, 0, 1, 0, 0x10, 'a', 'b'}, bytesOf("EOF")}), source,
       "cut short"},
      {"IPS run record cut short", concat({bytesOf("PATCH"), {0, 0, 1, 0, 0, 0, 4}}), source,
       "cut short"},
      {"IPS with 4 bytes after EOF", concat({bytesOf("PATCHEOF"), {0, 0, 1, 2}}), source,
       "4 bytes follow its end marker"},
      {"IPS with 1 byte after EOF", concat({bytesOf("PATCHEOF"), {0}}), source, "cut short"},
      {"IPS writing past 16 MiB",
       concat({bytesOf("PATCH"), {0xFF, 0xFF, 0xFF, 0, 2, 1, 2}, bytesOf("EOF")}), source,
       "16,777,217 bytes"},
      {"BPS reading past the source", sealed({0x88, 0x8A, 0x80}, {0xA4}), source,
       "reads past the end of the file it patches"},
      {"BPS copying from before the source", sealed({0x88, 0x82, 0x80}, {0x86, 0x83}), source,
       "before the beginning"},
      {"BPS copying from past the source", sealed({0x88, 0x84, 0x80}, {0x8E, 0x8C}), source,
       "copies from past the end"},
      {"BPS copying target bytes not yet written", sealed({0x88, 0x82, 0x80}, {0x87, 0x80}), source,
       "not there yet"},
      {"BPS copying from before the target", sealed({0x88, 0x83, 0x80}, {0x81, 'x', 0x87, 0x83}),
       source, "before the beginning"},
      {"BPS writing past the target's size", sealed({0x88, 0x82, 0x80}, {0x89, 'x', 'y', 'z'}),
       source, "writes past the end"},
      {"BPS reading into its checksums", sealed({0x88, 0x94, 0x80}, {0xCD, 'x', 'y', 'z'}), source,
       "run into its checksums"},
      {"BPS with bytes after its last action", sealed({0x88, 0x81, 0x80}, {0x81, 'x', 0x81, 'y'}),
       source, "2 bytes after its last action"},
      {"BPS with a number too large", sealed({0x88, 0x81, 0x80}, ByteArray(10, 0x00)), source,
       "too large"},
      {"BPS whose metadata runs past its end", sealed({0x88, 0x81, 0x8F}, {0x81, 'x'}), source,
       "cut short"},
      {"BPS making more than 16 MiB", sealed({0x88, 0x00, 0x00, 0x00, 0x87, 0x80}, {}), source,
       "at most 16,777,216 bytes"},
      {"BPS whose result has the wrong checksum", sealed({0x88, 0x88, 0x80}, {0x9C}), source,
       "the patch expects"},
      {"BPS for a file of another size", sealed({0x89, 0x81, 0x80}, {0x81, 'x'}), source,
       "made for another file (source size 9 bytes, this file has 8)"},
      {"BPS for another file of the same size", sealed({0x88, 0x81, 0x80}, {0x81, 'x'}),
       bytesOf("abcdefgX"), "made for another file (source CRC32 0xAEEF2A50, this file has 0x"},
  });
}

// Small patches of both formats made by the encoder, with runs and plain
// records, to cut and damage.
ByteArray smallPatch(PatchFormat format, const ByteArray& original) {
  ByteArray edited = withEdits(original, 3, 8);
  std::fill_n(edited.begin() + 40, 20, 0x00);
  ByteArray patch;
  EXPECT_TRUE(makePatch(format, original, edited, patch));
  return patch;
}

TEST(Patches, APatchCutShortAtAnyLengthIsRefused) {
  const ByteArray original = test::randomBytes(100, 31);
  for (const PatchFormat format : kFormats) {
    const ByteArray patch = smallPatch(format, original);
    std::vector<Refusal> cases;
    for (std::size_t length = 0; length < patch.size(); ++length) {
      cases.push_back(
          {std::string(nameOf(format)) + " cut to " + std::to_string(length) + " of " +
               std::to_string(patch.size()) + " bytes",
           ByteArray(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(length)), original,
           length == 0 ? "empty" : "cut short"});
    }
    expectRefused(cases);
  }
}

TEST(Patches, BpsChecksumsCatchEveryFlippedBit) {
  const ByteArray original = test::randomBytes(100, 32);
  const ByteArray patch = smallPatch(PatchFormat::Bps, original);
  ByteArray expected;
  ASSERT_TRUE(applyPatch(patch, original, expected));
  for (std::size_t at = 4; at < patch.size(); ++at) {  // the magic picks the format
    for (int bit = 0; bit < 8; ++bit) {
      SCOPED_TRACE("byte " + std::to_string(at) + " bit " + std::to_string(bit));
      ByteArray damaged = patch;
      damaged[at] ^= static_cast<std::uint8_t>(1 << bit);
      ByteArray result = bytesOf("left as it was");
      std::string reason;
      EXPECT_FALSE(applyPatch(damaged, original, result, &reason));
      EXPECT_FALSE(reason.empty());
      EXPECT_EQ(result, bytesOf("left as it was"));
    }
  }
  // A changed checksum of the result is named as damage, not as a short patch.
  ByteArray damaged = patch;
  damaged[patch.size() - 6] ^= 0x01;
  std::string reason;
  ByteArray result;
  EXPECT_FALSE(applyPatch(damaged, original, result, &reason));
  EXPECT_NE(reason.find("damaged (its checksum does not match)"), std::string::npos) << reason;
}

TEST(Patches, BpsMadeForAnotherFileIsRefused) {
  const ByteArray original = test::randomBytes(kRomSize, 41);
  const ByteArray edited = withEdits(original, 42, 100);
  ByteArray patch;
  ASSERT_TRUE(makePatch(PatchFormat::Bps, original, edited, patch));
  expectRefused({
      {"one byte different", patch, withEdits(original, 43, 1),
       "made for another file (source CRC32"},
      {"one byte longer", patch, grown(original, ByteArray{0}),
       "made for another file (source size 98,320 bytes, this file has 98,321)"},
      {"the edited file", patch, edited, "made for another file (source CRC32"},
  });
}

// ---------------------------------------------------------------------------
// tarvo-cli patch

using test::CliRun;

CliRun runPatch(const std::vector<std::string>& args) {
  return test::runCliWith(args);
}

TEST(TarvoCliPatch, MakeThenApplyThroughFiles) {
  test::TempDir dir;
  const ByteArray original = makeDemoRom();
  ByteArray edited = withEdits(original, 51, 500);
  edited.resize(edited.size() + 16384, 0xFF);
  test::writeFile(dir / "original.nes", original);
  test::writeFile(dir / "edited.nes", edited);
  for (const std::string name : {"fix.ips", "fix.bps", "FIX.IPS"}) {
    SCOPED_TRACE(name);
    const std::string patchPath = (dir / name).string();
    const std::string outPath = (dir / ("out-" + name + ".nes")).string();
    CliRun made = runPatch({"patch", "make", (dir / "original.nes").string(),
                            (dir / "edited.nes").string(), patchPath});
    ASSERT_EQ(made.status, kExitOk) << made.err;
    EXPECT_EQ(made.err, "");
    EXPECT_NE(made.out.find(patchPath), std::string::npos) << made.out;
    // An old, longer output file is replaced whole.
    test::writeFile(outPath, ByteArray(300000, 0xAB));
    CliRun applied =
        runPatch({"patch", "apply", (dir / "original.nes").string(), patchPath, outPath});
    ASSERT_EQ(applied.status, kExitOk) << applied.err;
    EXPECT_EQ(applied.err, "");
    EXPECT_NE(applied.out.find(outPath), std::string::npos) << applied.out;
    EXPECT_TRUE(test::readFile(outPath) == edited);
  }
}

TEST(TarvoCliPatch, FailuresWriteNothing) {
  test::TempDir dir;
  const ByteArray original = makeDemoRom();
  const ByteArray edited = withEdits(original, 61, 50);
  ByteArray bps;
  ByteArray ips;
  ASSERT_TRUE(makePatch(PatchFormat::Bps, original, edited, bps));
  ASSERT_TRUE(makePatch(PatchFormat::Ips, original, edited, ips));
  test::writeFile(dir / "rom.nes", original);
  test::writeFile(dir / "other.nes", withEdits(original, 62, 1));
  test::writeFile(dir / "small.nes", ByteArray(1000, 0));
  test::writeFile(dir / "cut.bps", ByteArray(bps.begin(), bps.end() - 1));
  test::writeFile(dir / "cut.ips", ByteArray(ips.begin(), ips.end() - 1));
  test::writeFile(dir / "good.bps", bps);
  test::writeFile(dir / "text.ips", bytesOf("not a patch"));
  std::filesystem::create_directory(dir / "folder.ips");
  test::writeFile(dir / "huge.bps", {});
  std::filesystem::resize_file(dir / "huge.bps", 64 * 1024 * 1024 + 1);  // sparse, no disk used
  const auto path = [&](const std::string& name) { return (dir / name).string(); };

  const struct {
    std::vector<std::string> args;
    std::string file;  // the file the message names
    std::string reason;
  } cases[] = {
      {{"apply", "rom.nes", "cut.bps"}, "cut.bps", "The patch is cut short"},
      {{"apply", "rom.nes", "cut.ips"}, "cut.ips", "The patch is cut short"},
      {{"apply", "other.nes", "good.bps"}, "good.bps", "The patch was made for another file"},
      {{"apply", "rom.nes", "text.ips"}, "text.ips", "not an IPS or BPS patch"},
      {{"apply", "rom.nes", "missing.ips"}, "missing.ips", "No such file"},
      {{"apply", "rom.nes", "folder.ips"}, "folder.ips", "is a folder"},
      {{"apply", "rom.nes", "huge.bps"}, "huge.bps", "larger than 67,108,864 bytes"},
      {{"apply", "missing.nes", "good.bps"}, "missing.nes", "No such file"},
      {{"apply", "small.nes", "good.bps"}, "small.nes", "at least 98,320"},
      {{"make", "rom.nes", "small.nes"}, "small.nes", "at least 98,320"},
      {{"make", "missing.nes", "rom.nes"}, "missing.nes", "No such file"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"patch", c.args[0], path(c.args[1]), path(c.args[2])};
    const std::string out = c.args[0] == "make" ? "new.ips" : "new.nes";
    args.push_back(path(out));
    SCOPED_TRACE(c.args[0] + " " + c.args[1] + " " + c.args[2]);
    const std::vector<std::string> before = test::listFolder(dir.path());
    const CliRun run = runPatch(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("tarvo-cli: " + path(c.file) + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(test::listFolder(dir.path()), before);
  }

  // A failed apply leaves an existing output file as it was.
  test::writeFile(dir / "kept.nes", bytesOf("kept"));
  EXPECT_EQ(runPatch({"patch", "apply", path("rom.nes"), path("cut.bps"), path("kept.nes")}).status,
            kExitFailure);
  EXPECT_EQ(test::readFile(dir / "kept.nes"), bytesOf("kept"));
}

TEST(TarvoCliPatch, UsageErrors) {
  test::TempDir dir;
  test::writeFile(dir / "a.nes", makeDemoRom());
  const std::string a = (dir / "a.nes").string();
  std::filesystem::create_hard_link(dir / "a.nes", dir / "a.ips");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"patch"}, "patch needs a subcommand, make or apply"},
      {{"patch", "merge", a, a, "x.ips"}, "unknown patch subcommand 'merge'"},
      {{"patch", "make"}, "patch make takes ORIGINAL.nes, EDITED.nes and OUT.ips or OUT.bps"},
      {{"patch", "make", a, a}, "patch make takes"},
      {{"patch", "make", a, a, "x.ips", "y.ips"}, "patch make takes"},
      {{"patch", "apply", a, "x.ips"}, "patch apply takes ROM.nes, PATCH and OUT.nes"},
      {{"patch", "apply", a, "x.ips", "o.nes", "p.nes"}, "patch apply takes"},
      {{"patch", "make", a, a, (dir / "out.txt").string()}, "must end in .ips or .bps"},
      {{"patch", "make", a, a, (dir / "out").string()}, "must end in .ips or .bps"},
      {{"patch", "make", a, a, (dir / "out.ips").string(), "--fast"}, "unknown option '--fast'"},
      // No output may be one of the inputs, under its own name or another.
      {{"patch", "apply", a, (dir / "x.ips").string(), a},
       a + " is the same file as " + a + "; the output would overwrite an input"},
      {{"patch", "apply", a, (dir / "a.nes").string(), (dir / "." / "a.nes").string()},
       "is the same file as"},
      {{"patch", "make", a, a, (dir / "a.ips").string()}, "is the same file as"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(test::isUsageError(runPatch(c.args), c.message));
  }
  EXPECT_EQ(test::listFolder(dir.path()), (std::vector<std::string>{"a.ips", "a.nes"}));
  EXPECT_EQ(test::readFile(dir / "a.nes"), makeDemoRom());
}

}  // namespace
}  // namespace tarvo
