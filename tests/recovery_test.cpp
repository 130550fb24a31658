#include "shell/recovery.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


#include "shell/file_system.h"
#include "test_support.h"

namespace tarvo {
namespace {

Recovery sample(std::uint32_t variant) {
  return {"/home/user/game.nes", 98320, std::string(40, 'a'),
          1800000000 + variant,  "x",   test::randomBytes(1000 + variant, variant)};
}

// A file cut short, added to or changed anywhere is refused with the reason,
// and the recovery given stays as it was.
TEST(RecoveryFile, ReadsBackWhatItWroteAndRefusesAnyDamage) {
  const Recovery written = sample(1);
  const ByteArray bytes = encodeRecovery(written);
  Recovery read;
  ASSERT_TRUE(decodeRecovery(bytes, read));
  EXPECT_EQ(read, written);
  std::vector<std::pair<std::string, ByteArray>> damaged;
  for (const std::size_t cut :
       {std::size_t{0}, std::size_t{10}, bytes.size() / 2, bytes.size() - 5, bytes.size() - 1}) {
    damaged.emplace_back(
        "cut at " + std::to_string(cut),
        ByteArray(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
  }
  damaged.emplace_back("a byte added", [&] {
    ByteArray b = bytes;
    b.push_back(0);
    return b;
  }());
  for (const std::size_t at :
       {std::size_t{20}, std::size_t{200}, bytes.size() - 13, bytes.size() - 2}) {
    ByteArray b = bytes;
    b[at] ^= 0x10;
    damaged.emplace_back("byte " + std::to_string(at) + " changed", b);
  }
  for (const auto& [name, bad] : damaged) {
    Recovery untouched = sample(2);
    std::string reason;
    EXPECT_FALSE(decodeRecovery(bad, untouched, &reason)) << name;
    EXPECT_FALSE(reason.empty()) << name;
    EXPECT_EQ(untouched, sample(2)) << name;
  }
}

TEST(RecoveryStore, OffersOnlyWhatEndedSessionsLeftAndSetsDamagedOnesAside) {
  test::TempDir dir;
  const std::filesystem::path folder = dir / "state" / "tarvo";
  RecoveryStore next(folder);
  ASSERT_TRUE(next.open());
  struct stat facts {};
  ASSERT_EQ(::stat(folder.c_str(), &facts), 0);
  EXPECT_EQ(facts.st_mode & 0777, 0700U);
  std::filesystem::path written;
  {
    RecoveryStore running(folder);
    ASSERT_TRUE(running.open());
    ASSERT_TRUE(running.write(sample(3)));
    ASSERT_TRUE(running.write(sample(4)));   // the same file: one copy, the newer
    EXPECT_TRUE(next.leftBehind().empty());  // its session still runs
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() == ".recovery") {
        written = entry.path();
      }
    }
    ASSERT_EQ(::stat(written.c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0600U);
    Recovery other = sample(5);
    other.path = "/elsewhere/other.nes";
    ASSERT_TRUE(running.write(other));
    running.remove(other.path);  // saved: gone
  }
  std::vector<RecoveryStore::Damaged> damaged;
  std::vector<RecoveryStore::Left> left = next.leftBehind(&damaged);
  ASSERT_EQ(left.size(), 1U);
  Recovery expected = sample(4);
  expected.session = left[0].recovery.session;
  EXPECT_EQ(left[0].recovery, expected);
  EXPECT_TRUE(damaged.empty());
  // A copy damaged since is set aside, not offered, and not lost.
  ByteArray bytes = test::readFile(written);
  bytes.resize(bytes.size() - 3);
  test::writeFile(written, bytes);
  left = next.leftBehind(&damaged);
  EXPECT_TRUE(left.empty());
  ASSERT_EQ(damaged.size(), 1U);
  EXPECT_EQ(test::readFile(damaged[0].file), bytes);
  EXPECT_FALSE(damaged[0].reason.empty());
}

// A copy whose write fails half-way (a file-size limit cuts it short), by
// either route of the safe save: the copy before it stays whole and is the
// one offered; nothing damaged is.
TEST(RecoveryStore, AWriteCutShortLeavesThePreviousCopy) {
  for (const bool namedTemporaries : {false, true}) {
    test::TempDir dir;
    const std::filesystem::path folder = dir / "tarvo";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      os::pretendUnnamedTemporariesUnsupported(namedTemporaries);
      os::ignoreFileSizeSignal();
      RecoveryStore store(folder);
      if (!store.open() || !store.write(sample(10))) {
        ::_exit(2);
      }
      Recovery larger = sample(11);
      larger.image.resize(40000, 0x5A);
      rlimit limited{};
      ::getrlimit(RLIMIT_FSIZE, &limited);
      limited.rlim_cur = 20000;
      ::setrlimit(RLIMIT_FSIZE, &limited);
      std::string reason;
      ::_exit(store.write(larger, &reason) ? 3 : 0);  // the write must fail
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << namedTemporaries;
    RecoveryStore next(folder);
    ASSERT_TRUE(next.open());
    std::vector<RecoveryStore::Damaged> damaged;
    const std::vector<RecoveryStore::Left> left = next.leftBehind(&damaged);
    EXPECT_TRUE(damaged.empty()) << namedTemporaries;
    ASSERT_EQ(left.size(), 1U) << namedTemporaries;
    EXPECT_EQ(left[0].recovery.image, sample(10).image) << namedTemporaries;
  }
}

}  // namespace
}  // namespace tarvo
