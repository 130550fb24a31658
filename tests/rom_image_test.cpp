#include "shell/rom_image.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "shell/checksums.h"
#include "shell/file_system.h"
#include "shell/rom_document.h"
#include "shell/rom_info.h"
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

// Saves are tried with both kinds of temporary file: the unnamed kind, and
// the named kind that file systems without it get.
enum class Temporaries { Unnamed, Named };

std::string temporariesName(const ::testing::TestParamInfo<Temporaries>& info) {
  return info.param == Temporaries::Unnamed ? "Unnamed" : "Named";
}

class WithTemporaries : public ::testing::TestWithParam<Temporaries> {
 protected:
  void SetUp() override {
    os::pretendUnnamedTemporariesUnsupported(GetParam() == Temporaries::Named);
  }
  void TearDown() override { os::pretendUnnamedTemporariesUnsupported(false); }
};

struct stat statOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info;
}

// A file name of `bytes` bytes, made of `letter`, ending in ".nes".
std::string nameOfLength(std::size_t bytes, char letter) {
  return std::string(bytes - 4, letter) + ".nes";
}

constexpr uid_t kNobody = 65534;

class SaveBinaryFile : public WithTemporaries {
 protected:
  TempDir dir;
};

INSTANTIATE_TEST_SUITE_P(Temporaries, SaveBinaryFile,
                         ::testing::Values(Temporaries::Unnamed, Temporaries::Named),
                         temporariesName);

TEST_P(SaveBinaryFile, WritesTheImageBackByteForByte) {
  const ByteArray original = randomBytes(kMin + 123, 5);
  writeFile(dir / "game.nes", original);
  ByteArray image;
  ASSERT_EQ(loadBinaryFile((dir / "game.nes").string(), image), 0);
  ASSERT_EQ(saveBinaryFile((dir / "game.nes").string(), image), 0);
  EXPECT_EQ(readFile(dir / "game.nes"), original);
  EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string>{"game.nes"});
}

// Bytes of a longer file beyond the image are kept by saveBinaryFile and cut
// by writeWholeFile, both when the file is replaced and when, having a second
// name, it is written in place.
TEST_P(SaveBinaryFile, KeepsOrCutsTheTailOfALongerFile) {
  const ByteArray image = randomBytes(kMin, 7);
  for (const std::size_t tail : {std::size_t{1}, std::size_t{70000}}) {  // 70000: over one chunk
    for (const bool whole : {false, true}) {
      for (const bool secondName : {false, true}) {
        SCOPED_TRACE(testing::Message() << "tail " << tail << (whole ? ", whole" : ", image")
                                        << (secondName ? ", second name" : ""));
        fs::remove(dir / "alias.nes");
        const ByteArray old = randomBytes(kMin + tail, 6);
        writeFile(dir / "game.nes", old);
        if (secondName) {
          fs::create_hard_link(dir / "game.nes", dir / "alias.nes");
        }
        const std::string path = (dir / "game.nes").string();
        ASSERT_TRUE(whole ? writeWholeFile(path, image) : saveBinaryFile(path, image) == 0);
        ByteArray expected = image;
        if (!whole) {
          expected.insert(expected.end(), old.begin() + kMin, old.end());
        }
        EXPECT_EQ(readFile(dir / "game.nes"), expected);
        if (secondName) {
          EXPECT_TRUE(fs::equivalent(dir / "game.nes", dir / "alias.nes"));
          EXPECT_EQ(readFile(dir / "alias.nes"), expected);
        }
        EXPECT_EQ(test::listFolder(dir.path()).size(), secondName ? 2u : 1u);
      }
    }
  }
}

// Any name the file system takes can be saved, up to its longest: the
// temporary file's name is made to fit.
TEST_P(SaveBinaryFile, AShorterOrMissingFileOfAnyNameBecomesTheImage) {
  std::string twoByteLetters;
  for (int i = 0; i < 125; ++i) {
    twoByteLetters += "\xC3\xA9";  // U+00E9
  }
  twoByteLetters += ".nes";  // 254 bytes
  const std::vector<std::pair<std::string, bool>> cases{
      // name, whether a shorter file of that name is there
      {"short.nes", true},
      {"new.nes", false},
      {nameOfLength(240, 'a'), true},
      {nameOfLength(240, 'b'), false},
      {nameOfLength(255, 'c'), true},
      {nameOfLength(255, 'd'), false},
      {twoByteLetters, true},
  };
  const ByteArray image = randomBytes(kMin, 8);
  std::vector<std::string> names;
  for (const auto& [name, exists] : cases) {
    SCOPED_TRACE(testing::Message() << name.size() << " bytes" << (exists ? "" : ", new"));
    if (exists) {
      writeFile(dir / name, ByteArray(100, 1));
    }
    std::string reason;
    ASSERT_EQ(saveBinaryFile((dir / name).string(), image, &reason), 0) << reason;
    EXPECT_EQ(readFile(dir / name), image);
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(test::listFolder(dir.path()), names);
}

// A replaced file keeps its permissions, and its owner and group when a
// privileged user saves another user's file; a new file gets what the umask
// leaves of 0666.
TEST_P(SaveBinaryFile, KeepsThePermissionsAndOwnerOfTheFile) {
  const std::vector<uid_t> owners =
      test::runningAsRoot() ? std::vector<uid_t>{0, kNobody} : std::vector<uid_t>{::geteuid()};
  for (const uid_t owner : owners) {
    for (const fs::perms perms :
         {fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
          fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read,
          fs::perms::owner_all | fs::perms::group_all}) {
      SCOPED_TRACE(testing::Message()
                   << "owner " << owner << ", mode " << std::oct << static_cast<unsigned>(perms));
      fs::remove(dir / "game.nes");
      writeFile(dir / "game.nes", ByteArray(kMin, 1));
      fs::permissions(dir / "game.nes", perms);
      const gid_t group = owner == 0 ? 0 : kNobody;
      if (test::runningAsRoot()) {
        ASSERT_EQ(::chown((dir / "game.nes").c_str(), owner, group), 0);
      }
      const struct stat before = statOf(dir / "game.nes");
      ASSERT_EQ(saveBinaryFile((dir / "game.nes").string(), randomBytes(kMin, 9)), 0);
      const struct stat after = statOf(dir / "game.nes");
      EXPECT_EQ(fs::status(dir / "game.nes").permissions(), perms);
      EXPECT_EQ(after.st_uid, before.st_uid);
      EXPECT_EQ(after.st_gid, before.st_gid);
    }
  }
  for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{027}}) {
    SCOPED_TRACE(testing::Message() << "umask " << std::oct << mask);
    fs::remove(dir / "new.nes");
    const mode_t previous = ::umask(mask);
    const int result = saveBinaryFile((dir / "new.nes").string(), randomBytes(kMin, 9));
    ::umask(previous);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(statOf(dir / "new.nes").st_mode & 07777, 0666 & ~mask);
  }
}

// A save through symbolic links writes the file they lead to in the end,
// making it when it is missing, and every link stays as it was; a file with a
// second name keeps it.
TEST_P(SaveBinaryFile, WritesThroughLinksAndKeepsThem) {
  struct Case {
    std::string label;
    std::vector<std::pair<std::string, std::string>> links;  // a link and what it holds
    std::string saved;                                       // the name the save is given
    std::string file;                                        // where the bytes must go
    std::string secondName;                                  // a hard link made to `file`, or ""
  };
  const std::string absolute = (dir / "absolute" / "roms" / "game.nes").string();
  const std::vector<Case> cases{
      {"relative", {{"link.nes", "roms/game.nes"}}, "link.nes", "roms/game.nes", ""},
      {"absolute", {{"link.nes", absolute}}, "link.nes", "roms/game.nes", ""},
      {"in the file's folder",
       {{"roms/link.nes", "game.nes"}},
       "roms/link.nes",
       "roms/game.nes",
       ""},
      {"dangling", {{"link.nes", "roms/new.nes"}}, "link.nes", "roms/new.nes", ""},
      {"chain",
       {{"link.nes", "mid/next.nes"}, {"mid/next.nes", "../roms/game.nes"}},
       "link.nes",
       "roms/game.nes",
       ""},
      {"dangling chain",
       {{"link.nes", "mid/next.nes"}, {"mid/next.nes", "../roms/new.nes"}},
       "link.nes",
       "roms/new.nes",
       ""},
      {"second name", {}, "roms/game.nes", "roms/game.nes", "alias.nes"},
      {"second name through a link",
       {{"link.nes", "roms/game.nes"}},
       "link.nes",
       "roms/game.nes",
       "mid/alias.nes"},
  };
  const ByteArray image = randomBytes(kMin, 10);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const fs::path base = dir / c.label.substr(0, c.label.find(' '));
    fs::remove_all(base);
    fs::create_directories(base / "roms");
    fs::create_directories(base / "mid");
    writeFile(base / "roms" / "game.nes", ByteArray(kMin, 1));
    for (const auto& [link, target] : c.links) {
      fs::create_symlink(target, base / link);
    }
    if (!c.secondName.empty()) {
      fs::create_hard_link(base / c.file, base / c.secondName);
    }
    std::string reason;
    ASSERT_EQ(saveBinaryFile((base / c.saved).string(), image, &reason), 0) << reason;
    EXPECT_EQ(readFile(base / c.file), image);
    for (const auto& [link, target] : c.links) {
      EXPECT_TRUE(fs::is_symlink(fs::symlink_status(base / link))) << link;
      EXPECT_EQ(fs::read_symlink(base / link).string(), target) << link;
    }
    if (!c.secondName.empty()) {
      EXPECT_TRUE(fs::equivalent(base / c.file, base / c.secondName));
      EXPECT_EQ(readFile(base / c.secondName), image);
    }
    std::vector<std::string> inRoms{"game.nes", fs::path(c.file).filename().string()};
    for (const auto& [link, target] : c.links) {
      if (fs::path(link).parent_path() == "roms") {
        inRoms.push_back(fs::path(link).filename().string());
      }
    }
    std::sort(inRoms.begin(), inRoms.end());
    inRoms.erase(std::unique(inRoms.begin(), inRoms.end()), inRoms.end());
    EXPECT_EQ(test::listFolder(base / "roms"), inRoms);
  }
}

// When a new file could not take the old one's place and keep it what it
// was, the file is written in place: the same file, with its owner, group
// and permissions, holds the new bytes.
TEST_P(SaveBinaryFile, WritesInPlaceWhereANewFileCouldNotTakeItsPlace) {
  struct Case {
    std::string label;
    fs::perms folder;
    uid_t owner;
    gid_t group;
    bool folderWritable;
  };
  const fs::perms sticky = fs::perms::all | fs::perms::sticky_bit;
  const fs::perms readOnly = fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write);
  const std::vector<Case> cases{
      {"a folder that is not writable", readOnly, kNobody, kNobody, false},
      {"another user's file in a sticky folder", sticky, 0, 0, true},
      {"a file of a group the user is not in", fs::perms::all, kNobody, 0, true},
  };
  const fs::perms filePerms = fs::perms::owner_read | fs::perms::owner_write |
                              fs::perms::group_read | fs::perms::group_write |
                              fs::perms::others_read | fs::perms::others_write;
  const ByteArray image = randomBytes(kMin + 10, 30);
  fs::permissions(dir.path(), fs::perms::all);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.label);
    if (!test::runningAsRoot() && c.folderWritable) {
      continue;  // needs a file of another user, or of another group
    }
    const fs::path folder = dir / ("case" + std::to_string(i));
    const fs::path file = folder / "game.nes";
    fs::create_directory(folder);
    writeFile(file, randomBytes(kMin, 31));
    fs::permissions(file, filePerms);
    auto save = [&] {
      std::string reason;
      const bool saved = saveBinaryFile(file.string(), image) == 0;
      const bool newFileRefused =
          c.folderWritable || (saveBinaryFile((folder / "new.nes").string(), image, &reason) == 1 &&
                               reason == "Permission denied: its folder cannot be written to");
      return saved && newFileRefused ? 0 : 1;
    };
    int result = 0;
    if (test::runningAsRoot()) {
      ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
      fs::permissions(folder, c.folder);
      const struct stat before = statOf(file);
      result = test::runAsNobody(save);
      const struct stat after = statOf(file);
      EXPECT_EQ(after.st_ino, before.st_ino);
      EXPECT_EQ(after.st_uid, c.owner);
      EXPECT_EQ(after.st_gid, c.group);
    } else {
      fs::permissions(folder,
                      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
      const struct stat before = statOf(file);
      result = save();
      EXPECT_EQ(statOf(file).st_ino, before.st_ino);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readFile(file), image);
    EXPECT_EQ(fs::status(file).permissions(), filePerms);
    EXPECT_EQ(test::listFolder(folder), std::vector<std::string>{"game.nes"});
  }
}

// A save that was cut short on a file system without unnamed temporaries
// leaves a hidden file; the next save of the same file removes such files
// of its own and nothing else.
TEST_P(SaveBinaryFile, RemovesOnlyItsOwnLeftoversOfTheSameFile) {
  writeFile(dir / "game.nes", ByteArray(kMin, 1));
  const std::vector<std::string> leftovers{
      ".game.nes.tarvo-save-0123456789abcdef",
      ".game.nes.tarvo-save-fedcba9876543210",
  };
  const std::vector<std::string> others{
      "notes.txt",
      "game.nes.tarvo-save-0123456789abcdef",    // not hidden
      ".other.nes.tarvo-save-0123456789abcdef",  // another file's
      ".game.nes.0123456789abcdef",              // another pattern
      ".game.nes.tarvo-save-0123456789abcdeg",   // not hexadecimal
      ".game.nes.tarvo-save-0123456789ABCDEF",   // not as this program writes it
      ".game.nes.tarvo-save-0123456789abcde",    // too short
      ".game.nes.tarvo-save-0123456789abcdef0",  // too long
      ".game.nes.tarvo-save-0123456789abcdef~",  // a copy of one
      ".xgame.nes.tarvo-save-0123456789abcdef",  // another name that ends the same
  };
  for (const std::string& name : leftovers) {
    writeFile(dir / name, ByteArray(kMin / 2, 2));
  }
  for (const std::string& name : others) {
    writeFile(dir / name, {3});
  }
  fs::create_directory(dir / ".game.nes.tarvo-save-00000000000000ff");  // a folder stays
  const ByteArray image = randomBytes(kMin, 32);
  ASSERT_EQ(saveBinaryFile((dir / "game.nes").string(), image), 0);
  EXPECT_EQ(readFile(dir / "game.nes"), image);
  std::vector<std::string> expected = others;
  expected.push_back("game.nes");
  expected.push_back(".game.nes.tarvo-save-00000000000000ff");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(test::listFolder(dir.path()), expected);
}

// A process killed at random moments while it saves a 16 MiB image over and
// over leaves the file whole, the old image or the new; once the next save
// is done, nothing but the file is left in the folder.
TEST_P(SaveBinaryFile, AKilledSaveLeavesNothingBehind) {
  const ByteArray first = randomBytes(kMax, 20);
  const ByteArray second = randomBytes(kMax, 21);
  std::mt19937 random(22);
  std::uniform_int_distribution<int> delayMicroseconds(0, 200000);
  for (const std::string& name : {std::string("game.nes"), nameOfLength(255, 'k')}) {
    SCOPED_TRACE(testing::Message() << "a name of " << name.size() << " bytes");
    const fs::path target = dir / name;
    writeFile(target, first);
    int leftovers = 0;
    for (int kill = 0; kill < 8; ++kill) {
      SCOPED_TRACE(testing::Message() << "kill " << kill);
      int started[2];
      ASSERT_EQ(::pipe(started), 0);
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        ::close(started[0]);
        for (int i = 0;; ++i) {
          saveBinaryFile(target.string(), i % 2 == 0 ? second : first);
          if (i == 0) {
            [[maybe_unused]] const auto told = ::write(started[1], "s", 1);
          }
        }
      }
      ::close(started[1]);
      char told = 0;
      [[maybe_unused]] const auto got = ::read(started[0], &told, 1);  // the first save is done
      ::close(started[0]);
      ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
      ASSERT_EQ(::kill(child, SIGKILL), 0);
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      const ByteArray now = readFile(target);
      EXPECT_TRUE(now == first || now == second);
      leftovers += static_cast<int>(test::listFolder(dir.path()).size()) - 1;
    }
    std::string reason;
    ASSERT_EQ(saveBinaryFile(target.string(), first, &reason), 0) << reason;
    EXPECT_EQ(readFile(target), first);
    EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string>{name});
    if (GetParam() == Temporaries::Named) {
      EXPECT_GT(leftovers, 0) << "no kill came while a named temporary was there";
    }
    fs::remove(target);
  }
}

// A failed save leaves the target byte for byte as it was, and no new file.
class FailingSave : public WithTemporaries {
 protected:
  void SetUp() override {
    WithTemporaries::SetUp();
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

INSTANTIATE_TEST_SUITE_P(Temporaries, FailingSave,
                         ::testing::Values(Temporaries::Unnamed, Temporaries::Named),
                         temporariesName);

// The limit stops the write early in the file, or only past the old end; a
// file with a second name is written in place and must get its old bytes and
// length back.
TEST_P(FailingSave, AShortWriteUnderAFileSizeLimit) {
  for (const bool secondName : {false, true}) {
    for (const rlim_t limit : {rlim_t{4096}, rlim_t{kMin + 5}}) {
      SCOPED_TRACE(testing::Message() << "limit " << limit << (secondName ? ", second name" : ""));
      fs::remove(dir / "alias.nes");
      writeFile(target(), original);
      if (secondName) {
        fs::create_hard_link(target(), dir / "alias.nes");
      }
      rlimit old{};
      ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
      rlimit limited = old;
      limited.rlim_cur = limit;
      ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
      std::string reason;
      const int result = saveBinaryFile(target().string(), image, &reason);
      ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
      EXPECT_EQ(result, 1);
      EXPECT_EQ(reason, "The file is larger than this system lets a program write");
      expectUntouched();
      if (secondName) {
        EXPECT_TRUE(fs::equivalent(target(), dir / "alias.nes"));
      }
    }
  }
}

// The old file is longer than the image, and the write of its tail fails once
// and then could go on: the first failure must fail the save, never leave a
// hole in the file.
TEST_P(FailingSave, AWriteThatFailsOnceWhileTheTailIsCopied) {
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

// A file without a write bit for anyone is refused, by either route, also
// for a user the system would let write it (root).
TEST_P(FailingSave, AReadOnlyFile) {
  fs::permissions(target(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::string reason;
  EXPECT_EQ(saveBinaryFile(target().string(), image, &reason), 1);
  EXPECT_EQ(reason, "The file is read-only");
  expectUntouched();
}

TEST_P(FailingSave, ATargetThatIsAFolder) {
  std::string reason;
  EXPECT_EQ(saveBinaryFile((dir / "roms").string(), image, &reason), 1);
  EXPECT_EQ(reason, "It is a folder, not a file");
  EXPECT_TRUE(fs::is_directory(dir / "roms"));
  expectUntouched();
}

TEST_P(FailingSave, AFolderThatDoesNotExist) {
  std::string reason;
  EXPECT_EQ(saveBinaryFile((dir / "nowhere" / "game.nes").string(), image, &reason), 1);
  EXPECT_EQ(reason, "Its folder does not exist");
  EXPECT_FALSE(fs::exists(dir / "nowhere"));
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

// The demo image with header bytes 4 to 7 (program and CHR ROM units, flags 6
// and 7) replaced, and `extra` bytes more (fewer when negative).
ByteArray demoWithHeader(int prgUnits, int chrUnits, std::uint8_t flags6, std::int64_t extra) {
  ByteArray image = makeDemoRom();
  image[4] = static_cast<std::uint8_t>(prgUnits);
  image[5] = static_cast<std::uint8_t>(chrUnits);
  image[6] = flags6;
  image.resize(static_cast<std::size_t>(static_cast<std::int64_t>(image.size()) + extra), 0xEE);
  return image;
}

TEST(RomHeaderProblem, SaysWhatOfTheHeaderDoesNotFitTheLocations) {
  constexpr std::uint8_t kMapper1 = 0x10;
  constexpr std::uint8_t kTrainer = 0x04;
  ByteArray noHeader = makeDemoRom();
  std::fill_n(noHeader.begin(), rom::kInesHeader.length, 0);
  ByteArray noEndMark = makeDemoRom();
  noEndMark[3] = 0;
  const std::string outsideChr = " x 8 KiB of CHR ROM; the field's tiles lie outside its CHR ROM";

  const struct {
    const char* label;
    ByteArray image;
    std::string problem;
  } cases[] = {
      {"the demo", makeDemoRom(), ""},
      {"extra bytes after", demoWithHeader(4, 4, kMapper1, 1000), ""},
      {"another mapper", demoWithHeader(4, 4, 0x40, 0), ""},
      // More CHR ROM after the two banks, in a longer file, keeps every offset.
      {"more CHR ROM", demoWithHeader(4, 8, kMapper1, 4 * 8192), ""},
      {"no header", noHeader, "The file has no iNES header"},
      {"no end mark", noEndMark, "The file has no iNES header"},
      {"empty", {}, "The file has no iNES header"},
      {"program ROM too small", demoWithHeader(2, 0, kMapper1, 0),
       "The header counts 2 x 16 KiB of program ROM and 0" + outsideChr},
      {"program ROM too large", demoWithHeader(8, 4, kMapper1, 0),
       "The header counts 8 x 16 KiB of program ROM and 4" + outsideChr},
      {"CHR RAM", demoWithHeader(4, 0, kMapper1, 0),
       "The header counts 4 x 16 KiB of program ROM and 0" + outsideChr},
      {"CHR ROM without the second bank", demoWithHeader(4, 3, kMapper1, 0),
       "The header counts 4 x 16 KiB of program ROM and 3 x 8 KiB of CHR ROM; the batter's view "
       "tiles lie outside its CHR ROM"},
      {"CHR ROM over the field map", demoWithHeader(2, 8, kMapper1, 0),
       "The header counts 2 x 16 KiB of program ROM and 8 x 8 KiB of CHR ROM; the field map lies "
       "outside its program ROM"},
      {"trainer", demoWithHeader(4, 4, kMapper1 | kTrainer, 0),
       "The header announces a 512-byte trainer before the program ROM; the editor's locations "
       "are those of a file without one"},
      {"trainer in a longer file", demoWithHeader(4, 4, kMapper1 | kTrainer, 512),
       "The header announces a 512-byte trainer before the program ROM; the editor's locations "
       "are those of a file without one"},
      {"one byte short", demoWithHeader(4, 4, kMapper1, -1),
       "The file is 98,319 bytes, shorter than the 98,320 bytes its header counts"},
      {"more CHR ROM than the file has", demoWithHeader(4, 5, kMapper1, 0),
       "The file is 98,320 bytes, shorter than the 106,512 bytes its header counts"},
      {"the header alone",
       demoWithHeader(4, 4, kMapper1, rom::kInesHeader.length - rom::kMinImageSize),
       "The file is 16 bytes, shorter than the 98,320 bytes its header counts"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(romHeaderProblem(c.image), c.problem) << c.label;
  }
}

// Published test vectors (RFC 3174 and FIPS 180 for SHA-1; "123456789" is
// the CRC-32's check value), and one whose CRC-32 starts with zero digits.
TEST(Checksums, MatchKnownVectorsInTheirUsualForms) {
  const struct {
    std::string text;
    std::string crc32;
    std::string sha1;
  } cases[] = {
      {"", "00000000", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "352441C2", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"123456789", "CBF43926", "f7c3bc1d808e04732adf679965ccc34ca7ae3441"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "171A3F5F",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {"438", "004A49F0", "06cb3f00aa09252fffcbe8ea8d165a338f803a7e"},
      {std::string(1000000, 'a'), "DC25BFBC", "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& c : cases) {
    const ByteArray bytes(c.text.begin(), c.text.end());
    EXPECT_EQ(crc32Hex(bytes), c.crc32) << c.text.substr(0, 60);
    EXPECT_EQ(sha1Hex(bytes), c.sha1) << c.text.substr(0, 60);
  }
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

// A dump of the game without its header: offered a header, which only the
// next save writes; a file of any other kind is no such dump.
TEST(HeaderlessDump, LoadsWithTheGamesHeaderAndTheSaveWritesIt) {
  const ByteArray demo = makeDemoRom();
  const ByteArray dump(demo.begin() + 16, demo.end());
  ByteArray headed = dump;
  std::copy(rom::kGameHeader.begin(), rom::kGameHeader.begin() + 4, headed.begin());
  const struct {
    const char* name;
    ByteArray bytes;
    bool isDump;
  } cases[] = {
      {"dump", dump, true},
      {"one byte short", ByteArray(dump.begin(), dump.end() - 1), false},
      {"one byte long",
       [&] {
         ByteArray b = dump;
         b.push_back(0);
         return b;
       }(),
       false},
      {"starts with a header's mark", headed, false},
      {"the whole image", demo, false},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    test::writeFile(dir / "game.nes", c.bytes);
    ByteArray read;
    std::string reason;
    EXPECT_EQ(RomDocument::readHeaderlessDump((dir / "game.nes").string(), read, &reason), c.isDump)
        << c.name;
    EXPECT_EQ(RomDocument::isHeaderlessDump(c.bytes), c.isDump) << c.name;
    EXPECT_EQ(read.empty(), !c.isDump) << c.name << reason;
  }
  test::writeFile(dir / "game.nes", dump);
  ByteArray image;
  RomDocument document(image);
  document.adoptWithHeader((dir / "game.nes").string(), dump);
  EXPECT_EQ(image, demo);  // the demo's header is the game's
  EXPECT_TRUE(document.isModified());
  EXPECT_FALSE(document.changedOnDisk());
  EXPECT_EQ(test::readFile(dir / "game.nes"), dump);
  ASSERT_TRUE(document.save());
  EXPECT_EQ(test::readFile(dir / "game.nes"), demo);
  EXPECT_FALSE(document.isModified());
}

}  // namespace
}  // namespace tarvo
