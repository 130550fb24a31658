#include "shell/rom_image.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/file_system.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using test::randomBytes;
using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr std::size_t kMin = rom::kMinImageSize;
constexpr std::size_t kMax = rom::kMaxImageSize;

TEST(LoadBinaryFile, ReadsEveryByteOfFilesOfAcceptedSizes) {
  TempDir dir;
  for (const std::size_t size : {kMin, kMin + 1, std::size_t{262160}, kMax}) {
    SCOPED_TRACE(size);
    const ByteArray bytes = randomBytes(size, static_cast<std::uint32_t>(size));
    writeFile(dir / "game.nes", bytes);
    ByteArray buffer(1, 0);
    std::string reason;
    ASSERT_EQ(loadBinaryFile((dir / "game.nes").string(), buffer, &reason), 0) << reason;
    EXPECT_EQ(buffer, bytes);
  }
}

TEST(LoadBinaryFile, ABufferOfTheFilesLengthKeepsItsStorage) {
  TempDir dir;
  const ByteArray bytes = randomBytes(kMin, 1);
  writeFile(dir / "game.nes", bytes);
  ByteArray buffer = randomBytes(kMin, 2);
  const std::uint8_t* storage = buffer.data();
  ASSERT_EQ(loadBinaryFile((dir / "game.nes").string(), buffer), 0);
  EXPECT_EQ(buffer.data(), storage);
  EXPECT_EQ(buffer, bytes);
}

// Every refusal leaves the caller's image exactly as it was and says why.
TEST(LoadBinaryFile, RefusesWhatIsNotAnImageAndKeepsTheBuffer) {
  TempDir dir;
  writeFile(dir / "empty.nes", {});
  writeFile(dir / "game.nes", ByteArray(1024, 7));
  writeFile(dir / "short.nes", ByteArray(kMin - 1, 7));
  writeFile(dir / "huge.nes", ByteArray(kMax + 1, 7));
  fs::create_directory(dir / "folder.nes");
  ASSERT_EQ(::mkfifo((dir / "pipe.nes").c_str(), 0600), 0);

  struct Case {
    std::string name;
    std::string reason;
  };
  const std::vector<Case> cases{
      {"missing.nes", "No such file"},
      {"empty.nes", "The file is empty; a ROM image for this editor has at least 98,320 bytes"},
      {"game.nes",
       "The file is 1,024 bytes; a ROM image for this editor has at least 98,320 bytes"},
      {"short.nes",
       "The file is 98,319 bytes; a ROM image for this editor has at least 98,320 bytes"},
      {"huge.nes",
       "The file is 16,777,217 bytes; a ROM image for this editor has at most "
       "16,777,216 bytes"},
      {"folder.nes", "It is a folder, not a file"},
      {"pipe.nes", "It is not a regular file"},
      {"", "No file name was given"},
  };
  const ByteArray before = randomBytes(kMin, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteArray buffer = before;
    std::string reason;
    const std::string path = c.name.empty() ? std::string() : (dir / c.name).string();
    EXPECT_EQ(loadBinaryFile(path, buffer, &reason), 1);
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(buffer, before);
  }
}

TEST(LoadBinaryFile, AnUnreadableFileIsRefusedWithTheReason) {
  if (!test::runningAsRoot()) {
    GTEST_SKIP() << "needs root to switch to an unprivileged user";
  }
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);
  writeFile(dir / "game.nes", randomBytes(kMin, 4));
  fs::permissions(dir / "game.nes", fs::perms::owner_read | fs::perms::owner_write);
  const int result = test::runAsNobody([&] {
    ByteArray buffer(5, 9);
    std::string reason;
    const bool refused = loadBinaryFile((dir / "game.nes").string(), buffer, &reason) == 1;
    return refused && reason == "Permission denied" && buffer == ByteArray(5, 9) ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
}

TEST(FileExists, AnswersForTheExactPath) {
  TempDir dir;
  writeFile(dir / "abc.nes", {1});
  writeFile(dir / ".hidden.nes", {1});
  writeFile(dir / "a*.nes", {1});
  writeFile(dir / "with space ä.nes", {1});
  fs::create_directory(dir / "folder");
  fs::create_symlink(dir / "abc.nes", dir / "link.nes");
  fs::create_symlink(dir / "gone.nes", dir / "dangling.nes");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);

  // "a*.nes" holds a literal star; "a?c.nes" is no pattern that matches abc.nes.
  const std::vector<std::pair<std::string, bool>> cases{
      {"abc.nes", true},  {".hidden.nes", true},   {"a*.nes", true}, {"with space ä.nes", true},
      {"a?c.nes", false}, {"*.nes", false},        {"ab", false},    {"folder", false},
      {"link.nes", true}, {"dangling.nes", false}, {"pipe", false},  {"missing.nes", false},
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(fileExists((dir / name).string()), expected) << name;
  }
  EXPECT_FALSE(fileExists(""));
}

TEST(SaveBinaryFile, WritesTheImageBackByteForByte) {
  TempDir dir;
  const ByteArray original = randomBytes(kMin + 123, 5);
  writeFile(dir / "game.nes", original);
  ByteArray image;
  ASSERT_EQ(loadBinaryFile((dir / "game.nes").string(), image), 0);
  ASSERT_EQ(saveBinaryFile((dir / "game.nes").string(), image), 0);
  EXPECT_EQ(readFile(dir / "game.nes"), original);
  EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string>{"game.nes"});
}

TEST(SaveBinaryFile, CarriesOverTheTailOfALongerFile) {
  TempDir dir;
  const ByteArray old = randomBytes(kMin + 70000, 6);  // a tail longer than one chunk
  writeFile(dir / "game.nes", old);
  const ByteArray image = randomBytes(kMin, 7);
  ASSERT_EQ(saveBinaryFile((dir / "game.nes").string(), image), 0);
  ByteArray expected = image;
  expected.insert(expected.end(), old.begin() + kMin, old.end());
  EXPECT_EQ(readFile(dir / "game.nes"), expected);
}

TEST(SaveBinaryFile, AShorterOrMissingFileBecomesTheImage) {
  TempDir dir;
  writeFile(dir / "short.nes", ByteArray(100, 1));
  const ByteArray image = randomBytes(kMin, 8);
  for (const char* name : {"short.nes", "new.nes"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(saveBinaryFile((dir / name).string(), image), 0);
    EXPECT_EQ(readFile(dir / name), image);
  }
}

TEST(SaveBinaryFile, KeepsThePermissionsOfTheFile) {
  TempDir dir;
  for (const fs::perms perms :
       {fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read,
        fs::perms::owner_all | fs::perms::group_all}) {
    writeFile(dir / "game.nes", ByteArray(kMin, 1));
    fs::permissions(dir / "game.nes", perms);
    ASSERT_EQ(saveBinaryFile((dir / "game.nes").string(), randomBytes(kMin, 9)), 0);
    EXPECT_EQ(fs::status(dir / "game.nes").permissions(), perms);
  }
}

TEST(SaveBinaryFile, WritesThroughALinkAndKeepsTheLink) {
  TempDir dir;
  fs::create_directory(dir / "roms");
  writeFile(dir / "roms" / "game.nes", ByteArray(kMin, 1));
  fs::create_symlink("roms/game.nes", dir / "link.nes");
  const ByteArray image = randomBytes(kMin, 10);
  ASSERT_EQ(saveBinaryFile((dir / "link.nes").string(), image), 0);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.nes")));
  EXPECT_EQ(readFile(dir / "roms" / "game.nes"), image);
  EXPECT_EQ(test::listFolder(dir / "roms"), std::vector<std::string>{"game.nes"});
}

// A failed save leaves the target byte for byte as it was, and no new file.
class FailingSave : public ::testing::Test {
 protected:
  void SetUp() override {
    os::ignoreFileSizeSignal();
    fs::create_directory(dir / "roms");
    writeFile(target(), original);
  }
  fs::path target() const { return dir / "roms" / "game.nes"; }
  void expectUntouched() {
    EXPECT_EQ(readFile(target()), original);
    EXPECT_EQ(test::listFolder(dir / "roms"), std::vector<std::string>{"game.nes"});
  }

  TempDir dir;
  const ByteArray original = randomBytes(kMin, 11);
  const ByteArray image = randomBytes(kMin + 10, 12);
};

TEST_F(FailingSave, AShortWriteUnderAFileSizeLimit) {
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit limited = old;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string reason;
  const int result = saveBinaryFile(target().string(), image, &reason);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(reason, "The file is larger than this system lets a program write");
  expectUntouched();
}

// The old file is longer than the image, and the write of its tail fails once
// and then could go on: the first failure must fail the save, never leave a
// hole in the file.
TEST_F(FailingSave, AWriteThatFailsOnceWhileTheTailIsCopied) {
  const ByteArray longer = randomBytes(kMin + 100000, 13);
  writeFile(target(), longer);
  ASSERT_EQ(saveBinaryFile((dir / "warm-up.nes").string(), image), 0);  // its set-up is done
  fs::remove(dir / "warm-up.nes");
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  static rlimit saved;
  saved = old;
  // At the limit, lift it again: the next write would succeed.
  struct sigaction lift {};
  lift.sa_handler = [](int) { ::setrlimit(RLIMIT_FSIZE, &saved); };
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGXFSZ, &lift, &previous), 0);
  rlimit limited = old;
  limited.rlim_cur = kMin + 10 + 5000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const int result = saveBinaryFile(target().string(), image);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
  ASSERT_EQ(::sigaction(SIGXFSZ, &previous, nullptr), 0);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(readFile(target()), longer);
  EXPECT_EQ(test::listFolder(dir / "roms"), std::vector<std::string>{"game.nes"});
}

// Writing in place would fail on a read-only file, so replacing it must too.
TEST_F(FailingSave, AReadOnlyFile) {
  fs::permissions(target(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  if (test::runningAsRoot()) {
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "roms", fs::perms::all);
    ASSERT_EQ(::chown(target().c_str(), 65534, 65534), 0);
    EXPECT_EQ(test::runAsNobody([&] {
                std::string reason;
                return saveBinaryFile(target().string(), image, &reason) == 1 &&
                               reason == "The file is read-only"
                           ? 0
                           : 1;
              }),
              0);
  } else {
    std::string reason;
    EXPECT_EQ(saveBinaryFile(target().string(), image, &reason), 1);
    EXPECT_EQ(reason, "The file is read-only");
  }
  expectUntouched();
}

TEST_F(FailingSave, ATargetThatIsAFolder) {
  std::string reason;
  EXPECT_EQ(saveBinaryFile((dir / "roms").string(), image, &reason), 1);
  EXPECT_EQ(reason, "It is a folder, not a file");
  EXPECT_TRUE(fs::is_directory(dir / "roms"));
  expectUntouched();
}

TEST_F(FailingSave, AFolderThatDoesNotExist) {
  std::string reason;
  EXPECT_EQ(saveBinaryFile((dir / "nowhere" / "game.nes").string(), image, &reason), 1);
  EXPECT_EQ(reason, "Its folder does not exist");
  EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

// The file itself may be writable: the old way of writing in place would have
// succeeded, but the new file cannot be made beside it.
TEST_F(FailingSave, AFolderThatIsNotWritable) {
  fs::permissions(target(), fs::perms::all);
  fs::permissions(dir / "roms", fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
  std::string reason;
  auto save = [&] { return saveBinaryFile(target().string(), image, &reason); };
  if (test::runningAsRoot()) {
    fs::permissions(dir.path(), fs::perms::all);
    EXPECT_EQ(test::runAsNobody([&] {
                return save() == 1 && reason == "Permission denied: its folder cannot be written to"
                           ? 0
                           : 1;
              }),
              0);
  } else {
    fs::permissions(dir / "roms", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(save(), 1);
  }
  expectUntouched();
}

// In a folder with the sticky bit, a user may create files but not replace
// another user's file: the rename is refused after everything was written.
TEST_F(FailingSave, ARenameThatIsRefused) {
  if (!test::runningAsRoot()) {
    GTEST_SKIP() << "needs root to make a file of another user";
  }
  fs::permissions(dir.path(), fs::perms::all);
  fs::permissions(dir / "roms", fs::perms::all | fs::perms::sticky_bit);
  fs::permissions(target(), fs::perms::all);
  const int result = test::runAsNobody([&] {
    std::string reason;
    return saveBinaryFile(target().string(), image, &reason) == 1 && reason == "Permission denied"
               ? 0
               : 1;
  });
  EXPECT_EQ(result, 0);
  expectUntouched();
}

TEST(FormatCount, GroupsThousands) {
  const std::vector<std::pair<std::int64_t, std::string>> cases{
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {98320, "98,320"},
      {INT64_MIN, "-9,223,372,036,854,775,808"},
      {16777216, "16,777,216"},
      {-1234567, "-1,234,567"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(formatCount(value), text);
  }
}

}  // namespace
}  // namespace tarvo
