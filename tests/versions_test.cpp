#include "shell/versions.h"

#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace tarvo {
namespace {

// 60 saves of random edits; each of the 50 versions kept gives back exactly
// the bytes its save replaced.
TEST(VersionStore, EveryKeptVersionGivesBackTheBytesItsSaveReplaced) {
  test::TempDir dir;
  VersionStore store(dir / "versions");
  std::mt19937 random(3);
  ByteArray file = test::randomBytes(3000, 1);
  std::vector<ByteArray> replaced;
  for (int save = 0; save < 60; ++save) {
    ByteArray next = file;
    for (int k = 0; k < 1 + save % 7; ++k) {
      next[random() % next.size()] = static_cast<std::uint8_t>(random());
    }
    if (save % 13 == 5) {
      next.resize(next.size() + 16, 0xAA);  // a header added
    }
    next[static_cast<std::size_t>(save)] ^= 0x80;  // never the same bytes
    ASSERT_TRUE(store.keep("/games/a.nes", file, next, 1800000000 + save));
    replaced.push_back(file);
    file = next;
  }
  const std::vector<Version> versions = store.list("/games/a.nes");
  ASSERT_EQ(versions.size(), 50U);
  for (std::size_t k = 0; k < versions.size(); ++k) {
    ByteArray bytes;
    std::string reason;
    ASSERT_TRUE(store.restore("/games/a.nes", file, versions[k], bytes, &reason)) << reason;
    EXPECT_EQ(bytes, replaced[replaced.size() - 1 - k]) << "version " << k;
    EXPECT_EQ(versions[k].savedAt, 1800000000 + 59 - static_cast<int>(k));
  }
  EXPECT_TRUE(store.list("/games/b.nes").empty());
}

// Another file's versions and the total size: the oldest go first.
TEST(VersionStore, TheOldestGoFirstWhenAllHoldTooMuch) {
  test::TempDir dir;
  VersionStore store(dir / "versions", 50, 2000);
  for (int save = 0; save < 10; ++save) {
    const std::string path = save % 2 == 0 ? "/a.nes" : "/b.nes";
    ASSERT_TRUE(
        store.keep(path, test::randomBytes(400, save), test::randomBytes(400, save + 100), save));
  }
  std::uintmax_t total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "versions")) {
    total += entry.file_size();
  }
  EXPECT_LE(total, 2000U);
  const std::vector<Version> a = store.list("/a.nes");
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a.front().savedAt, 8);
  EXPECT_GT(a.back().savedAt, 0);
}

// A version whose patch was damaged, cut short or replaced, or a file changed
// since its last save, is refused with the reason; nothing is removed.
TEST(VersionStore, ADamagedChainOrAChangedFileIsRefused) {
  test::TempDir dir;
  VersionStore store(dir / "versions");
  const ByteArray first = test::randomBytes(500, 1);
  const ByteArray second = test::randomBytes(500, 2);
  const ByteArray third = test::randomBytes(500, 3);
  ASSERT_TRUE(store.keep("/a.nes", first, second, 1));
  ASSERT_TRUE(store.keep("/a.nes", second, third, 2));
  const std::vector<Version> versions = store.list("/a.nes");
  ASSERT_EQ(versions.size(), 2U);
  const ByteArray newest = test::readFile(versions[0].file);
  const std::vector<std::pair<const char*, ByteArray>> damages{
      {"cut short", ByteArray(newest.begin(), newest.end() - 3)},
      {"a byte changed",
       [&] {
         ByteArray b = newest;
         b[b.size() / 2] ^= 1;
         return b;
       }()},
      {"another length",
       [&] {
         ByteArray b = newest;
         b.push_back(0);
         return b;
       }()},
  };
  for (const auto& [name, damaged] : damages) {
    test::writeFile(versions[0].file, damaged);
    for (const Version& version : versions) {
      ByteArray bytes;
      std::string reason;
      EXPECT_FALSE(store.restore("/a.nes", third, version, bytes, &reason)) << name;
      EXPECT_FALSE(reason.empty()) << name;
    }
  }
  test::writeFile(versions[0].file, newest);
  ByteArray bytes;
  std::string reason;
  EXPECT_FALSE(store.restore("/a.nes", test::randomBytes(500, 9), versions[1], bytes, &reason));
  ASSERT_TRUE(store.restore("/a.nes", third, versions[1], bytes, &reason)) << reason;
  EXPECT_EQ(bytes, first);
  EXPECT_EQ(store.list("/a.nes").size(), 2U);
}

}  // namespace
}  // namespace tarvo
