// Writing settings files: what a write must keep of the file it replaces.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "platform/profile/profile.h"

namespace {

namespace fs = std::filesystem;

class ProfileWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tvk_profile_XXXXXX";
    dir = mkdtemp(tmpl);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Path(const std::string& name) const { return (dir / name).string(); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static fs::perms Mode(const fs::path& path) { return fs::status(path).permissions(); }

  // Only the named files are in the folder: no temporary file was left behind.
  void ExpectOnly(std::initializer_list<std::string> names) const {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
      ++count;
      EXPECT_NE(std::find(names.begin(), names.end(), entry.path().filename().string()), names.end())
          << "left behind: " << entry.path();
    }
    EXPECT_EQ(count, names.size());
  }

  fs::path dir;
};

TEST_F(ProfileWrite, NameAtTheFileSystemsLimitIsWritten) {
  const std::string name(250, 's');
  ASSERT_TRUE(profile::WriteValue(Path(name), "A", "k", "1"));
  EXPECT_EQ(Read(Path(name)), "[A]\nk=1\n");
  ExpectOnly({name});
}

TEST_F(ProfileWrite, LinksAreFollowedAndStay) {
  fs::create_directory(dir / "real");
  Write(dir / "real" / "game.ini", "[A]\nk=1\n");
  fs::create_symlink("real/game.ini", dir / "relative.ini");
  fs::create_symlink(dir / "relative.ini", dir / "chain.ini");

  ASSERT_TRUE(profile::WriteValue(Path("chain.ini"), "A", "k", "2"));
  ASSERT_TRUE(profile::WriteValue(Path("relative.ini"), "A", "j", "3"));
  EXPECT_TRUE(fs::is_symlink(dir / "chain.ini"));
  EXPECT_TRUE(fs::is_symlink(dir / "relative.ini"));
  EXPECT_EQ(Read(dir / "real" / "game.ini"), "[A]\nk=2\nj=3\n");

  // A link to a file not made yet makes the file where the link points.
  fs::create_symlink("real/new.ini", dir / "dangling.ini");
  ASSERT_TRUE(profile::WriteValue(Path("dangling.ini"), "B", "k", "4"));
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.ini"));
  EXPECT_EQ(Read(dir / "real" / "new.ini"), "[B]\nk=4\n");

  fs::create_symlink("loop_b.ini", dir / "loop_a.ini");
  fs::create_symlink("loop_a.ini", dir / "loop_b.ini");
  EXPECT_FALSE(profile::WriteValue(Path("loop_a.ini"), "A", "k", "1"));
  EXPECT_TRUE(fs::is_symlink(dir / "loop_a.ini"));
}

TEST_F(ProfileWrite, PermissionsAndLineEndsAreKept) {
  Write(dir / "private.ini", "[A]\nk=1\n");
  fs::permissions(dir / "private.ini", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(profile::WriteValue(Path("private.ini"), "A", "k", "2"));
  EXPECT_EQ(Mode(dir / "private.ini"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const mode_t mask = umask(022);
  ASSERT_TRUE(profile::WriteValue(Path("new.ini"), "A", "k", "1"));
  umask(mask);
  EXPECT_EQ(Mode(dir / "new.ini"), fs::perms(0644));  // as any new file, not the temporary's 0600

  Write(dir / "dos.ini", "; made on another system\r\n[A]\r\nk=1\r\n");
  ASSERT_TRUE(profile::WriteValue(Path("dos.ini"), "A", "k", "2"));
  ASSERT_TRUE(profile::WriteValue(Path("dos.ini"), "B", "j", "3"));
  EXPECT_EQ(Read(dir / "dos.ini"), "; made on another system\r\n[A]\r\nk=2\r\n[B]\r\nj=3\r\n");
  EXPECT_EQ(profile::ReadValue(Path("dos.ini"), "a", "K").value_or("?"), "2");
  ExpectOnly({"private.ini", "new.ini", "dos.ini"});
}

TEST_F(ProfileWrite, WhatCannotBeReadIsNeverReplaced) {
  fs::create_directory(dir / "folder.ini");
  EXPECT_FALSE(profile::WriteValue(Path("folder.ini"), "A", "k", "1"));
  EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
  EXPECT_FALSE(profile::ReadValue(Path("folder.ini"), "A", "k"));

  // Larger than any settings file: refused whole rather than rewritten from part of it.
  const std::string big = "[A]\nk=1\n" + std::string(size_t{17} << 20, ';');
  Write(dir / "big.ini", big);
  EXPECT_FALSE(profile::WriteValue(Path("big.ini"), "A", "k", "2"));
  EXPECT_EQ(fs::file_size(dir / "big.ini"), big.size());
  ExpectOnly({"folder.ini", "big.ini"});
}

}  // namespace
