// Resource loading from zip packs and disk, paths, wildcard searches.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/tvk_impl.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string() + "/"; }

// ---- hand-made archives, for headers Info-ZIP would never write ----

struct RawEntry {
  std::string name;
  uint16_t method;       // 0 stored, 8 deflated
  std::string payload;   // the bytes stored for the entry
  uint32_t crc;
  uint32_t declared_size;
  uint16_t flags = 0;    // bit 0: encrypted
  uint32_t declared_packed = 0;  // compressed size written in the headers; 0 = the real one
};

// Appends little-endian fields given as {value, width in bytes}.
void Put(std::string& out, std::initializer_list<std::pair<uint32_t, int>> fields) {
  for (auto [value, width] : fields)
    for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i));
}

std::string Deflate(const std::string& data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()), data.size(), 9);
  return out.substr(2, size - 6);  // raw deflate: without the zlib header and checksum
}

uint32_t Crc(const std::string& data) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string BuildZip(const std::vector<RawEntry>& entries) {
  std::string zip, central;
  for (const RawEntry& e : entries) {
    const uint32_t offset = static_cast<uint32_t>(zip.size());
    const uint32_t packed = e.declared_packed ? e.declared_packed : static_cast<uint32_t>(e.payload.size());
    std::string common;  // from "version needed" to "extra length": the same in both headers
    Put(common, {{20, 2}, {e.flags, 2}, {e.method, 2}, {0x21000000, 4}, {e.crc, 4}, {packed, 4},
                 {e.declared_size, 4}, {static_cast<uint32_t>(e.name.size()), 2}, {0, 2}});
    Put(zip, {{0x04034b50, 4}});
    zip += common + e.name + e.payload;
    Put(central, {{0x02014b50, 4}, {20, 2}});
    central += common;
    Put(central, {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {offset, 4}});
    central += e.name;
  }
  const uint32_t count = static_cast<uint32_t>(entries.size());
  Put(central, {{0x06054b50, 4}, {0, 2}, {0, 2}, {count, 2}, {count, 2},
                {static_cast<uint32_t>(central.size()), 4}, {static_cast<uint32_t>(zip.size()), 4}, {0, 2}});
  return zip + central;
}

class ResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tvk_res_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    tvk_ = TVK_Create(TVK_VERSION);
    ASSERT_NE(tvk_, nullptr);
  }
  void TearDown() override {
    tvk_->Release();
    fs::remove_all(dir_);
    if (!scratch_.empty()) fs::remove_all(ProgramFolder() + scratch_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs Info-ZIP's zip inside the temp folder.
  void Zip(const std::string& args) const {
    ASSERT_EQ(std::system(("cd '" + dir_.string() + "' && zip -q -X " + args).c_str()), 0) << args;
  }

  // The loaded content, or nothing when the load failed.
  std::optional<std::string> Load(const std::string& name) {
    uint32_t size = 12345;
    void* block = tvk_->Resource_Load(name.c_str(), &size);
    if (!block) {
      EXPECT_EQ(size, 0u);
      return std::nullopt;
    }
    std::string content(static_cast<const char*>(block), size);
    tvk_->Resource_Free(block);
    return content;
  }

  void ExpectLoadError(const std::string& name) {
    EXPECT_EQ(Load(name), std::nullopt) << name;
    const std::string error = "Can't load resource: " + name;
    EXPECT_EQ(tvk_->System_GetLastError(), error.substr(0, kTextSize - 1));  // the engine's error buffer
  }

  // A folder beside the test binary, for names that must resolve relative to the program.
  std::string Scratch() {
    scratch_ = "tvk_res_" + std::to_string(getpid());
    return scratch_;
  }

  std::vector<std::string> All(const char* (TVK::*find)(const char*), const std::string& wildcard) {
    std::vector<std::string> names;
    for (const char* n = (tvk_->*find)(wildcard.c_str()); n; n = (tvk_->*find)(nullptr)) names.push_back(n);
    return names;
  }

  fs::path dir_;
  std::string scratch_;
  TVK* tvk_ = nullptr;
};

using ResourcePath = ResourceTest;
using ResourceLoad = ResourceTest;
using ResourcePack = ResourceTest;
using ResourceSearch = ResourceTest;

TEST_F(ResourcePath, FullPathForms) {
  const std::string program = ProgramFolder();
  EXPECT_EQ(tvk_->Resource_FullPath(nullptr), program);
  EXPECT_EQ(tvk_->Resource_FullPath("dane/logo.png"), program + "dane/logo.png");
  EXPECT_EQ(tvk_->Resource_FullPath("dane\\sub\\logo.png"), program + "dane/sub/logo.png");
  EXPECT_STREQ(tvk_->Resource_FullPath("/abs/x.png"), "/abs/x.png");
  EXPECT_STREQ(tvk_->Resource_FullPath("\\abs\\x.png"), "/abs/x.png");
  EXPECT_STREQ(tvk_->Resource_FullPath("d:/x.png"), "d:/x.png");
  // Its own result as input (the same buffer) comes back unchanged.
  EXPECT_STREQ(tvk_->Resource_FullPath(tvk_->Resource_FullPath("/a\\b")), "/a/b");

  const std::string longest = "/" + std::string(258, 'a');  // 259 characters fit
  EXPECT_EQ(tvk_->Resource_FullPath(longest.c_str()), longest);
  EXPECT_STREQ(tvk_->Resource_FullPath((longest + "a").c_str()), "");
  EXPECT_STREQ(tvk_->Resource_FullPath(std::string(300, 'r').c_str()), "");
}

TEST_F(ResourcePath, WildcardRules) {
  EXPECT_TRUE(WildcardMatch("*.*", "readme"));
  EXPECT_TRUE(WildcardMatch("*.*", "a.b.c"));
  EXPECT_TRUE(WildcardMatch("*.PNG", "logo.png"));
  EXPECT_FALSE(WildcardMatch("*.png", "png"));
  EXPECT_FALSE(WildcardMatch("*.", "a.txt"));
  EXPECT_TRUE(WildcardMatch("l?go.*", "LOGO"));
  EXPECT_TRUE(WildcardMatch("*a*b*", "xxaxxbxx"));
  EXPECT_FALSE(WildcardMatch("*a*b", "xxaxxbxx"));
  EXPECT_FALSE(WildcardMatch("", "a"));
}

TEST_F(ResourcePath, FindsDiskPathsWithoutRegardToCase) {
  WriteFile(dir_ / "Dane" / "Logo.PNG", "disk");
  EXPECT_EQ(ResolvePathCase(Path("DANE/logo.png")), Path("Dane/Logo.PNG"));
  EXPECT_EQ(ResolvePathCase(Path("dane/")), Path("Dane/"));
  // Missing components stay as spelled after the part that was found.
  EXPECT_EQ(ResolvePathCase(Path("dane/New/file.txt")), Path("Dane/New/file.txt"));

  EXPECT_EQ(Load(Path("DANE\\logo.png")), "disk");
  WriteFile(dir_ / "Dane" / "LOGO.png", "second");  // with two candidates the byte order decides
  EXPECT_EQ(Load(Path("dane/logo.png")), "second");
}

TEST_F(ResourceLoad, DiskFiles) {
  WriteFile(dir_ / "a.bin", std::string("x\0y", 3));
  WriteFile(dir_ / "empty", "");
  fs::create_directories(dir_ / "folder");

  EXPECT_EQ(Load(Path("a.bin")), std::string("x\0y", 3));
  void* block = tvk_->Resource_Load(Path("a.bin").c_str());  // size pointer is optional
  ASSERT_NE(block, nullptr);
  tvk_->Resource_Free(block);
  EXPECT_EQ(Load(Path("empty")), "");  // an empty file still gives a block

  ExpectLoadError(Path("missing.bin"));
  ExpectLoadError(Path("folder"));
  tvk_->Resource_Free(nullptr);
}

TEST_F(ResourceLoad, RefusesOverlongNames) {
  const std::string name = Path(std::string(300, 'n'));
  ExpectLoadError(name);
  ExpectLoadError(std::string(300, 'r'));  // relative: too long once joined to the program folder
  EXPECT_FALSE(tvk_->Resource_AddPack(name.c_str()));
  tvk_->Resource_DropPack(name.c_str());
  EXPECT_EQ(tvk_->Resource_FindFile(name.c_str()), nullptr);
}

TEST_F(ResourcePack, FindsEntriesInFoldersWhateverTheirCase) {
  WriteFile(dir_ / "Dane" / "LOGO.PNG", "logo from pack");
  Zip("-r data.zip Dane");
  ASSERT_TRUE(tvk_->Resource_AddPack(Path("data.zip").c_str()));
  EXPECT_EQ(Load("dane/logo.png"), "logo from pack");
  EXPECT_EQ(Load("DANE\\Logo.png"), "logo from pack");
  ExpectLoadError("logo.png");  // the folder part must match too
  ExpectLoadError(Path("Dane/LOGO.PNGX"));
}

TEST_F(ResourcePack, AttachingAndDropping) {
  WriteFile(dir_ / "x.txt", "x");
  Zip("data.zip x.txt");
  EXPECT_TRUE(tvk_->Resource_AddPack(Path("data.zip").c_str()));
  EXPECT_FALSE(tvk_->Resource_AddPack(Path("DATA.ZIP").c_str()));
  EXPECT_EQ(Load("x.txt"), "x");

  tvk_->Resource_DropPack(Path("Data.Zip").c_str());
  ExpectLoadError("x.txt");
  EXPECT_TRUE(tvk_->Resource_AddPack(Path("DATA.ZIP").c_str()));  // the case is resolved on disk
  EXPECT_EQ(Load("x.txt"), "x");

  tvk_->Resource_DropAllPacks();
  ExpectLoadError("x.txt");
  tvk_->Resource_DropPack(Path("data.zip").c_str());  // nothing attached: no effect
}

TEST_F(ResourcePack, NewestPackWins) {
  WriteFile(dir_ / "one" / "same.txt", "old");
  WriteFile(dir_ / "two" / "same.txt", "new");
  Zip("-j old.zip one/same.txt");
  Zip("-j new.zip two/same.txt");
  ASSERT_TRUE(tvk_->Resource_AddPack(Path("old.zip").c_str()));
  ASSERT_TRUE(tvk_->Resource_AddPack(Path("new.zip").c_str()));
  EXPECT_EQ(Load("same.txt"), "new");
  tvk_->Resource_DropPack(Path("new.zip").c_str());
  EXPECT_EQ(Load("same.txt"), "old");
}

TEST_F(ResourcePack, Passwords) {
  const std::string name = Scratch() + "/secret.txt";
  const std::string tiny = Scratch() + "/tiny.txt";
  std::string packed_text;
  for (int i = 0; i < 200; ++i) packed_text += "from pack " + std::to_string(i);
  WriteFile(dir_ / name, packed_text);  // deflated, while the tiny one is stored
  WriteFile(dir_ / tiny, "tiny");
  WriteFile(dir_ / "plain.txt", "plain");
  Zip("-P secret locked.zip " + name + " " + tiny);
  Zip("mixed.zip plain.txt");
  WriteFile(ProgramFolder() + name, "from disk");

  ASSERT_TRUE(tvk_->Resource_AddPack(Path("locked.zip").c_str(), "wrong"));
  ExpectLoadError(name);  // found in the pack, so the disk copy is not used
  tvk_->Resource_DropAllPacks();

  ASSERT_TRUE(tvk_->Resource_AddPack(Path("locked.zip").c_str()));
  ExpectLoadError(name);
  tvk_->Resource_DropAllPacks();

  ASSERT_TRUE(tvk_->Resource_AddPack(Path("locked.zip").c_str(), "secret"));
  ASSERT_TRUE(tvk_->Resource_AddPack(Path("mixed.zip").c_str(), "secret"));
  EXPECT_EQ(Load(name), packed_text);
  EXPECT_EQ(Load(tiny), "tiny");
  EXPECT_EQ(Load("plain.txt"), "plain");  // an entry without encryption ignores the password
  tvk_->Resource_DropAllPacks();
  EXPECT_EQ(Load(name), "from disk");

  EXPECT_FALSE(tvk_->Resource_AddPack(Path("locked.zip").c_str(), std::string(64, 'p').c_str()));
  EXPECT_TRUE(tvk_->Resource_AddPack(Path("locked.zip").c_str(), std::string(63, 'p').c_str()));
}

TEST_F(ResourcePack, RefusesWhatIsNotAZipArchive) {
  WriteFile(dir_ / "x.txt", std::string(4000, 'x'));
  Zip("-0 good.zip x.txt");
  std::ifstream in(Path("good.zip"), std::ios::binary);
  const std::string whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  WriteFile(dir_ / "truncated.zip", whole.substr(0, whole.size() / 2));
  WriteFile(dir_ / "text.zip", "this is not an archive");
  std::string bad_directory = whole;  // the directory offset points past the end
  bad_directory[bad_directory.size() - 3] = '\x7f';
  WriteFile(dir_ / "bad_directory.zip", bad_directory);

  for (const char* name : {"truncated.zip", "text.zip", "bad_directory.zip", "missing.zip", ""}) {
    EXPECT_FALSE(tvk_->Resource_AddPack(Path(name).c_str())) << name;
  }
  EXPECT_FALSE(tvk_->Resource_AddPack(nullptr));
  EXPECT_TRUE(tvk_->Resource_AddPack(Path("good.zip").c_str()));
}

TEST_F(ResourcePack, HostileEntriesFailCleanly) {
  const std::string text(5000, 'z');
  const std::string packed = Deflate(text);
  WriteFile(dir_ / "hostile.zip",
            BuildZip({
                {"good.txt", 8, packed, Crc(text), 5000},
                {"huge.txt", 8, packed, Crc(text), 0xFFFFFFF0u},  // 4 GB declared, 5000 real
                {"short.txt", 8, packed, Crc(text), 100},          // fewer bytes declared than real
                {"garbage.txt", 8, std::string(64, '\xff'), 0, 5000},  // inflate fails mid-entry
                {"badcrc.txt", 0, text, Crc(text) ^ 1, 5000},
                {"encrypted.txt", 0, text, Crc(text), 5000, 1},  // and no password to read it
                {"packed_huge.txt", 0, text, Crc(text), 5000, 0, 0xFFFFFF00u},
                {"stored_huge.txt", 0, text, Crc(text), 0xFFFFFF00u, 0, 0xFFFFFF00u},
            }));

  ASSERT_TRUE(tvk_->Resource_AddPack(Path("hostile.zip").c_str()));
  EXPECT_EQ(Load("good.txt"), text);
  for (const char* name : {"huge.txt", "short.txt", "garbage.txt", "badcrc.txt", "encrypted.txt",
                           "packed_huge.txt", "stored_huge.txt"}) {
    ExpectLoadError(name);
  }
}

TEST_F(ResourceSearch, FilesAndFolders) {
  for (const char* file : {"b.txt", "A.TXT", "noext", "Sub/inner.txt"}) WriteFile(dir_ / file, "");
  fs::create_directories(dir_ / "sub2.d");

  EXPECT_EQ(All(&TVK::Resource_FindFile, Path("*.*")), (std::vector<std::string>{"A.TXT", "b.txt", "noext"}));
  EXPECT_EQ(All(&TVK::Resource_FindFile, Path("*.txt")), (std::vector<std::string>{"A.TXT", "b.txt"}));
  EXPECT_EQ(All(&TVK::Resource_FindFile, Path("?.TxT")), (std::vector<std::string>{"A.TXT", "b.txt"}));
  EXPECT_EQ(All(&TVK::Resource_FindFolder, Path("*")), (std::vector<std::string>{"Sub", "sub2.d"}));
  EXPECT_EQ(All(&TVK::Resource_FindFolder, Path("*.d")), (std::vector<std::string>{"sub2.d"}));
  // The folder part is found without regard to case, and backslashes work.
  EXPECT_EQ(All(&TVK::Resource_FindFile, Path("SUB\\*.*")), (std::vector<std::string>{"inner.txt"}));

  EXPECT_EQ(tvk_->Resource_FindFile(nullptr), nullptr);  // the search ended with the last entry
  EXPECT_EQ(tvk_->Resource_FindFile(Path("missing/*").c_str()), nullptr);
  EXPECT_EQ(tvk_->Resource_FindFolder(Path("*.zzz").c_str()), nullptr);
}

TEST_F(ResourceSearch, NewSearchEndsThePreviousOne) {
  for (const char* file : {"a.txt", "b.txt", "Sub/c.txt"}) WriteFile(dir_ / file, "");
  ASSERT_STREQ(tvk_->Resource_FindFile(Path("*.txt").c_str()), "a.txt");
  ASSERT_STREQ(tvk_->Resource_FindFolder(Path("S*").c_str()), "Sub");
  EXPECT_EQ(tvk_->Resource_FindFile(nullptr), nullptr);  // b.txt belonged to the ended search

  ASSERT_STREQ(tvk_->Resource_FindFile(Path("*.txt").c_str()), "a.txt");
  static_cast<TVK_Impl*>(tvk_)->res.CloseSearch();  // as System_Finish does
  EXPECT_EQ(tvk_->Resource_FindFile(nullptr), nullptr);
}

TEST_F(ResourceSearch, RelativeWildcardUsesTheProgramFolder) {
  const std::string folder = Scratch();
  WriteFile(ProgramFolder() + folder + "/Data/one.dat", "");
  EXPECT_EQ(All(&TVK::Resource_FindFolder, folder + "/*"), std::vector<std::string>{"Data"});
  EXPECT_EQ(All(&TVK::Resource_FindFile, folder + "\\data\\*.DAT"), std::vector<std::string>{"one.dat"});
}

}  // namespace
