// Image decoding, the DDS reader and the BMP/PNG writers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/image/image.h"
#include "platform/image/jpeg_tables.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t PixelAt(const image::Image& img, int x, int y) {
  uint32_t p;
  std::memcpy(&p, img.data.data() + (size_t(y) * img.width + x) * 4, 4);
  return p;
}

image::Image Decode(const std::vector<uint8_t>& bytes) {
  image::Image img;
  EXPECT_TRUE(image::DecodeImage(bytes.data(), bytes.size(), &img));
  return img;
}

class ImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tvk_image_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

// 3x2 pixels with a padded pitch of 4 pixels; the padding must never be read into the file.
constexpr int kW = 3, kH = 2, kPitch = 16;
constexpr uint32_t kPixels[kH][4] = {
    {0xff102030, 0x80ff0000, 0x0000ff00, 0xdeadbeef},
    {0x7f0000ff, 0xffffffff, 0x01020304, 0xdeadbeef},
};

TEST_F(ImageFiles, PngRoundTripKeepsPixelsAndAlpha) {
  const std::string path = Path("a.png");
  ASSERT_TRUE(image::WritePng(path.c_str(), &kPixels[0][0], kW, kH, kPitch));
  const image::Image img = Decode(ReadFile(path));
  ASSERT_EQ(img.width, kW);
  ASSERT_EQ(img.height, kH);
  EXPECT_EQ(img.format, gfx::Format_A8R8G8B8);
  EXPECT_EQ(img.data.size(), size_t(kW * kH * 4));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) EXPECT_EQ(PixelAt(img, x, y), kPixels[y][x]) << x << "," << y;
}

TEST_F(ImageFiles, BmpIsBottomUp24BitAndReadsBackOpaque) {
  const std::string path = Path("shot.bmp");
  ASSERT_TRUE(image::WriteBmp(path.c_str(), &kPixels[0][0], kW, kH, kPitch));
  const auto bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 54u + 12u * kH);  // rows of 9 bytes padded to 12
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(bytes[54 + 6], 0x04);  // the bottom row comes first
  const image::Image img = Decode(bytes);
  ASSERT_EQ(img.width, kW);
  ASSERT_EQ(img.height, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) EXPECT_EQ(PixelAt(img, x, y), kPixels[y][x] | 0xff000000);
}

TEST_F(ImageFiles, WritersRefuseBadPathsAndArguments) {
  const std::string missing_dir = Path("no/such/x.bmp"), ok = Path("x.bmp");
  const uint32_t* px = &kPixels[0][0];
  EXPECT_FALSE(image::WriteBmp(missing_dir.c_str(), px, kW, kH, kPitch));
  EXPECT_FALSE(image::WritePng(missing_dir.c_str(), px, kW, kH, kPitch));
  EXPECT_FALSE(image::WriteBmp(dir_.c_str(), px, kW, kH, kPitch));
  EXPECT_FALSE(image::WriteBmp(ok.c_str(), px, kW, kH, kW * 4 - 1));
  EXPECT_FALSE(image::WriteBmp(ok.c_str(), px, 0, kH, kPitch));
  EXPECT_FALSE(image::WritePng(ok.c_str(), px, kW, -1, kPitch));
  EXPECT_FALSE(image::WritePng(ok.c_str(), nullptr, kW, kH, kPitch));
  EXPECT_FALSE(image::WritePng(nullptr, px, kW, kH, kPitch));
  EXPECT_FALSE(fs::exists(ok));
}

TEST_F(ImageFiles, FailedWriteRemovesANewFileButNeverAnExistingOne) {
  // A file size limit makes writing fail part way; with SIGXFSZ ignored it fails with EFBIG.
  rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string bmp = Path("cut.bmp"), png = Path("cut.png");
  const bool bmp_ok = image::WriteBmp(bmp.c_str(), &kPixels[0][0], kW, kH, kPitch);
  const bool png_ok = image::WritePng(png.c_str(), &kPixels[0][0], kW, kH, kPitch);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(bmp_ok);
  EXPECT_FALSE(png_ok);
  EXPECT_FALSE(fs::exists(bmp));
  EXPECT_FALSE(fs::exists(png));

  if (!fs::is_character_file("/dev/full")) return;
  EXPECT_FALSE(image::WriteBmp("/dev/full", &kPixels[0][0], kW, kH, kPitch));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(ImageFiles, BmpGifAndJpegMadeByImageMagickDecode) {
  // Solid quadrants in four colours: exact in the lossless formats, close in JPEG.
  constexpr int kSide = 8;
  auto colour = [](int x, int y) {
    static const uint32_t colours[4] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    return colours[(y >= kSide / 2) * 2 + (x >= kSide / 2)];
  };
  std::vector<uint32_t> pixels;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) pixels.push_back(colour(x, y));
  const std::string source = Path("source.png");
  ASSERT_TRUE(image::WritePng(source.c_str(), pixels.data(), kSide, kSide, kSide * 4));

  for (auto [name, tolerance] : {std::pair{"a.bmp", 0}, {"a.gif", 0}, {"a.jpg", 40}}) {
    SCOPED_TRACE(name);
    const std::string path = Path(name);
    const std::string convert = "convert " + source + " " + path + " >/dev/null 2>&1";
    if (std::system(convert.c_str()) != 0) GTEST_SKIP() << "ImageMagick convert unavailable";
    const image::Image img = Decode(ReadFile(path));
    ASSERT_EQ(img.width, kSide);
    ASSERT_EQ(img.height, kSide);
    for (int y : {1, 6})  // quadrant centres, away from JPEG's edge ringing
      for (int x : {1, 6})
        for (int shift = 0; shift < 32; shift += 8)
          EXPECT_NEAR((PixelAt(img, x, y) >> shift) & 0xff, (colour(x, y) >> shift) & 0xff,
                      tolerance);
  }
}

// A 2x2 32-bit TGA built by hand, its rows stored top-down or bottom-up.
std::vector<uint8_t> MakeTga(bool top_down) {
  std::vector<uint8_t> f = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0x08};
  if (top_down) f[17] |= 0x20;
  const uint8_t top[] = {0, 0, 255, 255, 0, 255, 0, 255};  // B, G, R, A: red, green
  const uint8_t bottom[] = {255, 0, 0, 255, 255, 255, 255, 128};  // blue, translucent white
  for (const uint8_t* row : top_down ? std::vector{top, bottom} : std::vector{bottom, top})
    f.insert(f.end(), row, row + 8);
  return f;
}

TEST(ImageDecode, TgaInEitherRowOrderDecodesTheSamePixels) {
  for (bool top_down : {false, true}) {
    const image::Image img = Decode(MakeTga(top_down));
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(PixelAt(img, 0, 0), 0xffff0000u);
    EXPECT_EQ(PixelAt(img, 1, 0), 0xff00ff00u);
    EXPECT_EQ(PixelAt(img, 0, 1), 0xff0000ffu);
    EXPECT_EQ(PixelAt(img, 1, 1), 0x80ffffffu);
  }
}

void AppendPngChunk(std::vector<uint8_t>* png, const char* type, const std::vector<uint8_t>& data) {
  auto put32 = [png](uint32_t v) {
    for (int i = 0; i < 4; ++i) png->push_back(uint8_t(v >> (24 - 8 * i)));
  };
  put32(uint32_t(data.size()));
  const size_t start = png->size();
  png->insert(png->end(), type, type + 4);
  png->insert(png->end(), data.begin(), data.end());
  put32(uint32_t(crc32(0, png->data() + start, uInt(png->size() - start))));
}

// A well-formed black 8-bit grey PNG whose header declares width x height; only data_bytes of
// filtered rows are stored, so the header can claim far more than there is.
std::vector<uint8_t> MakeGreyPng(uint32_t width, uint32_t height, size_t data_bytes) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> ihdr(13, 0);
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = uint8_t(width >> (24 - 8 * i));
    ihdr[4 + i] = uint8_t(height >> (24 - 8 * i));
  }
  ihdr[8] = 8;  // bit depth; colour type 0 (grey)
  AppendPngChunk(&png, "IHDR", ihdr);
  const std::vector<uint8_t> rows(data_bytes, 0);  // each row: filter byte, then pixels
  std::vector<uint8_t> idat(compressBound(uLong(rows.size())));
  uLongf idat_size = uLongf(idat.size());
  EXPECT_EQ(compress(idat.data(), &idat_size, rows.data(), uLong(rows.size())), Z_OK);
  idat.resize(idat_size);
  AppendPngChunk(&png, "IDAT", idat);
  AppendPngChunk(&png, "IEND", {});
  return png;
}

std::vector<uint8_t> MakeGreyPng(uint32_t width, uint32_t height) {
  return MakeGreyPng(width, height, (size_t(width) + 1) * height);
}

// A BMP header (24 bits, uncompressed) declaring width x height, followed by data_bytes.
std::vector<uint8_t> MakeBmpHeader(int32_t width, int32_t height, size_t data_bytes) {
  std::vector<uint8_t> f(54, 0);
  auto put = [&f](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) f[at + i] = uint8_t(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put(2, uint32_t(54 + data_bytes), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, uint32_t(width), 4);
  put(22, uint32_t(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  f.resize(54 + data_bytes, 0x80);
  return f;
}

// The smallest complete GIF: one black pixel, a two-colour palette, three LZW codes.
const std::vector<uint8_t> kTinyGif = {
    'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
    ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};

TEST(ImageDecode, HeadersClaimingMoreThanTheFileHoldsAreRefusedBeforeDecoding) {
  // A 58-byte BMP claiming 16384 x 16384 once made a gigabyte before failing; a 70-byte one
  // claiming 4096 x 4096 loaded as a black image.
  const std::vector<uint8_t> lies[] = {
      MakeBmpHeader(16384, 16384, 4), MakeBmpHeader(4096, 4096, 16), MakeBmpHeader(4096, -4096, 16),
      MakeGreyPng(16384, 16384, 64),  MakeGreyPng(4000, 3000, 100),
  };
  for (const auto& file : lies) {
    int w = 0, h = 0;
    EXPECT_FALSE(image::ImageSize(file.data(), file.size(), &w, &h)) << file.size();
    image::Image img;
    EXPECT_FALSE(image::DecodeImage(file.data(), file.size(), &img)) << file.size();
  }
  // Honest headers report their size without decoding.
  const auto bmp = MakeBmpHeader(4, 3, 12 * 3);
  int w = 0, h = 0;
  ASSERT_TRUE(image::ImageSize(bmp.data(), bmp.size(), &w, &h));
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 3);
  EXPECT_EQ(Decode(bmp).width, 4);
  ASSERT_TRUE(image::ImageSize(kTinyGif.data(), kTinyGif.size(), &w, &h));
  EXPECT_EQ(w * h, 1);
  EXPECT_FALSE(image::ImageSize(nullptr, 10, &w, &h));
}

// Cuts of a file that leave out part of its image all fail to decode.
void ExpectEveryCutRefused(const std::vector<uint8_t>& file, size_t complete) {
  image::Image img;
  ASSERT_TRUE(image::DecodeImage(file.data(), file.size(), &img));
  for (size_t len = 1; len < complete; ++len)
    EXPECT_FALSE(image::DecodeImage(file.data(), len, &img)) << len << " of " << file.size();
}

TEST(ImageDecode, TruncatedBmpTgaAndGifFilesAreRefused) {
  ExpectEveryCutRefused(MakeBmpHeader(4, 3, 12 * 3), 54 + 12 * 2 + 9);  // the last padding may go
  ExpectEveryCutRefused(MakeTga(false), MakeTga(false).size());
  ExpectEveryCutRefused(MakeTga(true), MakeTga(true).size());
  ExpectEveryCutRefused(kTinyGif, kTinyGif.size() - 1);  // the trailer byte is not needed
}

TEST_F(ImageFiles, TruncatedFilesMadeByImageMagickAreRefused) {
  constexpr int kSide = 24;
  std::vector<uint32_t> pixels;
  for (uint32_t i = 0; i < kSide * kSide; ++i) pixels.push_back(0xff000000 | (i * 2654435761u >> 8));
  const std::string source = Path("noise.png");
  ASSERT_TRUE(image::WritePng(source.c_str(), pixels.data(), kSide, kSide, kSide * 4));
  for (const char* name : {"a.bmp", "a.gif", "a.tga", "a.jpg", "rle.tga"}) {
    SCOPED_TRACE(name);
    const std::string path = Path(name);
    const std::string options = std::string(name) == "rle.tga" ? " -compress RLE " : " ";
    const std::string convert = "convert " + source + options + path + " >/dev/null 2>&1";
    if (std::system(convert.c_str()) != 0) GTEST_SKIP() << "ImageMagick convert unavailable";
    const std::vector<uint8_t> file = ReadFile(path);
    image::Image img;
    ASSERT_TRUE(image::DecodeImage(file.data(), file.size(), &img));
    for (size_t cut : {size_t(30), file.size() / 2, file.size() * 9 / 10})
      EXPECT_FALSE(image::DecodeImage(file.data(), cut, &img)) << cut << " of " << file.size();
  }
}

TEST(ImageDecode, SizeLimitHoldsAtTheBoundaryAndForLyingHeaders) {
  for (auto [w, h] : {std::pair{16384u, 1u}, {1u, 16384u}}) {
    const image::Image img = Decode(MakeGreyPng(w, h));
    EXPECT_EQ(img.width, int(w));
    EXPECT_EQ(img.height, int(h));
  }
  // Refused from the header alone: decoding would allocate the declared size first.
  const std::pair<uint32_t, uint32_t> refused[] = {
      {16385, 1}, {1, 16385}, {100000, 100000}, {0x7fffffff, 0x7fffffff}, {0, 2}};
  for (auto [w, h] : refused) {
    const auto png = MakeGreyPng(w, h, 64);
    image::Image img;
    EXPECT_FALSE(image::DecodeImage(png.data(), png.size(), &img)) << w << "x" << h;
  }
}

TEST(ImageDecode, TruncatedOrMissingDataFailsAndLeavesOutputUntouched) {
  const auto png = MakeGreyPng(2, 2);
  image::Image img;
  img.width = 1234;
  for (size_t len = 0; len < png.size() - 12; ++len)  // every cut before the IEND chunk
    EXPECT_FALSE(image::DecodeImage(png.data(), len, &img)) << len;
  EXPECT_FALSE(image::DecodeImage(nullptr, 100, &img));
  EXPECT_EQ(img.width, 1234);
  EXPECT_FALSE(image::DecodeImage(png.data(), png.size(), nullptr));
}

// A JPEG marker segment: FF, marker, big-endian length (counting itself), payload.
std::vector<uint8_t> Segment(uint8_t marker, const std::vector<uint8_t>& payload) {
  const size_t length = payload.size() + 2;
  std::vector<uint8_t> s = {0xff, marker, uint8_t(length >> 8), uint8_t(length)};
  s.insert(s.end(), payload.begin(), payload.end());
  return s;
}

// One Huffman table: class/id byte, 16 code-length counts, then the symbols.
std::vector<uint8_t> HuffmanTable(int symbols) {
  std::vector<uint8_t> t = {0x10};
  for (int i = 0, left = symbols; i < 16; ++i, left -= t.back())
    t.push_back(uint8_t(std::min(left, 255)));
  t.resize(17 + size_t(symbols), 0);
  return t;
}

TEST(ImageDecode, JpegWithOversizedHuffmanTableIsRefusedWhereverTheTableSits) {
  using Bytes = std::vector<uint8_t>;
  auto jpeg = [](std::vector<Bytes> parts, Bytes start = {0xff, 0xd8}) {
    for (const auto& p : parts) start.insert(start.end(), p.begin(), p.end());
    return start;
  };
  auto join = [](Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const auto fits = Segment(0xc4, HuffmanTable(256)), too_big = Segment(0xc4, HuffmanTable(257));
  const auto second_too_big = Segment(0xc4, join(HuffmanTable(12), HuffmanTable(400)));
  const Bytes entropy = {0x12, 0xff, 0x00, 0x34, 0xff, 0xd0, 0x56};  // stuffing and a restart
  EXPECT_TRUE(image::JpegHuffmanTablesFit(jpeg({fits}).data(), jpeg({fits}).size()));
  const Bytes refused[] = {
      jpeg({too_big}),
      jpeg({second_too_big}),
      jpeg({too_big}, {0xff, 0xff, 0xff, 0xd8}),                // fill bytes before the start
      jpeg({Segment(0xe0, {1, 2, 3}), {0x00, 0xff, 0xff}, too_big}),  // junk and fill between
      jpeg({Segment(0xda, {1, 2, 3}), entropy, too_big}),      // after a scan's coded data
      jpeg({Segment(0xc4, {0x10, 0xff, 0xff})}),               // counts cut off by the end
  };
  for (const auto& data : refused) {
    EXPECT_FALSE(image::JpegHuffmanTablesFit(data.data(), data.size()));
    image::Image img;
    EXPECT_FALSE(image::DecodeImage(data.data(), data.size(), &img));
  }
  // Not a JPEG: the same bytes elsewhere are left to the other decoders.
  const auto png_like = jpeg({too_big}, {0x89, 'P', 'N', 'G'});
  EXPECT_TRUE(image::JpegHuffmanTablesFit(png_like.data(), png_like.size()));
}

// DDS files built byte by byte.
struct DdsSpec {
  uint32_t width = 4, height = 4, mip_count = 0;
  uint32_t pf_flags = 0x4, fourcc = gfx::Format_DXT1, bits = 0;
  uint32_t r = 0, g = 0, b = 0, a = 0;
  uint32_t header_size = 124, caps2 = 0;
};

std::vector<uint8_t> MakeDds(const DdsSpec& s, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f(128, 0);
  auto put = [&f](size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(x >> (8 * i));
  };
  std::memcpy(f.data(), "DDS ", 4);
  put(4, s.header_size);
  put(8, 0x1007 | (s.mip_count ? 0x20000 : 0));
  put(12, s.height);
  put(16, s.width);
  put(28, s.mip_count);
  const uint32_t pixel_format[] = {32, s.pf_flags, s.fourcc, s.bits, s.r, s.g, s.b, s.a};
  for (int i = 0; i < 8; ++i) put(76 + 4 * i, pixel_format[i]);
  put(108, 0x1000);
  put(112, s.caps2);
  f.insert(f.end(), payload.begin(), payload.end());
  return f;
}

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + 3);
  return v;
}

DdsSpec Rgb(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0) {
  return {4, 4, 0, 0x40u | (a ? 0x1u : 0u), 0, bits, r, g, b, a};
}

TEST(ImageDds, BlockFormatsKeepTheirDataAndWholeBlockMips) {
  for (auto [format, block] : {std::pair{gfx::Format_DXT1, 8u}, {gfx::Format_DXT3, 16u},
                               {gfx::Format_DXT5, 16u}}) {
    SCOPED_TRACE(format);
    DdsSpec s;
    s.width = 5, s.height = 3, s.mip_count = 2, s.fourcc = format;
    const auto payload = Pattern((2 + 1) * block);  // 5x3: 2x1 blocks, 2x1: 1 block
    const auto file = MakeDds(s, payload);
    ASSERT_TRUE(image::IsDds(file.data(), file.size()));
    image::Image img;
    ASSERT_TRUE(image::DecodeDds(file.data(), file.size(), &img));
    EXPECT_EQ(img.format, format);
    EXPECT_EQ(img.width, 5);
    EXPECT_EQ(img.height, 3);
    EXPECT_EQ(img.levels, 2);
    EXPECT_EQ(img.data, payload);
  }
}

TEST(ImageDds, NativeUncompressedLayoutsKeepTheirFormatAndCapTheMipCount) {
  const struct {
    DdsSpec spec;
    gfx::Format format;
    size_t bytes_per_pixel;
  } cases[] = {
      {Rgb(32, 0xff0000, 0xff00, 0xff, 0xff000000), gfx::Format_A8R8G8B8, 4},
      {Rgb(32, 0xff0000, 0xff00, 0xff), gfx::Format_X8R8G8B8, 4},
      {Rgb(16, 0xf800, 0x7e0, 0x1f), gfx::Format_R5G6B5, 2},
      {Rgb(16, 0x7c00, 0x3e0, 0x1f, 0x8000), gfx::Format_A1R5G5B5, 2},
      {Rgb(16, 0x7c00, 0x3e0, 0x1f), gfx::Format_X1R5G5B5, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    DdsSpec s = c.spec;
    s.width = 4, s.height = 2, s.mip_count = 10;  // the full chain is 4x2, 2x1, 1x1
    const auto payload = Pattern((8 + 2 + 1) * c.bytes_per_pixel);
    const auto file = MakeDds(s, payload);
    image::Image img;
    ASSERT_TRUE(image::DecodeDds(file.data(), file.size(), &img));
    EXPECT_EQ(img.format, c.format);
    EXPECT_EQ(img.width, 4);
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(img.levels, 3);
    EXPECT_EQ(img.data, payload);
  }
}

TEST(ImageDds, OtherLayoutsAreConvertedToA8R8G8B8) {
  const struct {
    const char* name;
    DdsSpec spec;
    std::vector<uint8_t> pixel;
    uint32_t expected;
  } cases[] = {
      {"R8G8B8", Rgb(24, 0xff0000, 0xff00, 0xff), {0x30, 0x20, 0x10}, 0xff102030},
      {"A8B8G8R8", Rgb(32, 0xff, 0xff00, 0xff0000, 0xff000000), {1, 2, 3, 4}, 0x04010203},
      {"A4R4G4B4", Rgb(16, 0xf00, 0xf0, 0xf, 0xf000), {0x0f, 0x80}, 0x880000ff},
      {"L8", {1, 1, 0, 0x20000, 0, 8, 0xff}, {0x42}, 0xff424242},
      {"A8", {1, 1, 0, 0x2, 0, 8, 0, 0, 0, 0xff}, {0x99}, 0x99000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DdsSpec s = c.spec;
    s.width = s.height = 1;
    const auto file = MakeDds(s, c.pixel);
    image::Image img;
    ASSERT_TRUE(image::DecodeDds(file.data(), file.size(), &img));
    ASSERT_EQ(img.format, gfx::Format_A8R8G8B8);
    EXPECT_EQ(PixelAt(img, 0, 0), c.expected) << std::hex << PixelAt(img, 0, 0);
  }
}

TEST(ImageDds, EveryTruncationFailsAndLeavesOutputUntouched) {
  DdsSpec s;
  s.width = 8, s.height = 8, s.mip_count = 2;
  const auto file = MakeDds(s, Pattern(40));
  image::Image img;
  img.width = 99;
  for (size_t len = 0; len < file.size(); ++len)
    EXPECT_FALSE(image::DecodeDds(file.data(), len, &img)) << len;
  EXPECT_FALSE(image::DecodeDds(nullptr, file.size(), &img));
  EXPECT_FALSE(image::IsDds(file.data(), 3));
  EXPECT_EQ(img.width, 99);
  EXPECT_TRUE(image::DecodeDds(file.data(), file.size(), &img));
}

TEST(ImageDds, LyingOrUnsupportedHeadersFail) {
  auto with = [](auto change) {
    DdsSpec s;
    change(s);
    return s;
  };
  const std::pair<const char*, DdsSpec> cases[] = {
      {"zero width", with([](DdsSpec& s) { s.width = 0; })},
      {"zero height", with([](DdsSpec& s) { s.height = 0; })},
      {"huge width", with([](DdsSpec& s) { s.width = 0xffffffff; })},
      {"just too high", with([](DdsSpec& s) { s.height = 16385; })},
      {"size beyond data", with([](DdsSpec& s) { s.width = s.height = 4096; })},
      {"more mips than data", {4, 4, 2, 0x40, 0, 32, 0xff0000, 0xff00, 0xff}},
      {"unknown fourcc", with([](DdsSpec& s) { s.fourcc = gfx::FourCC('D', 'X', 'T', '2'); })},
      {"DX10 header", with([](DdsSpec& s) { s.fourcc = gfx::FourCC('D', 'X', '1', '0'); })},
      {"no format flags", with([](DdsSpec& s) { s.pf_flags = 0; })},
      {"bad header size", with([](DdsSpec& s) { s.header_size = 128; })},
      {"volume", with([](DdsSpec& s) { s.caps2 = 0x200000; })},
      {"split mask", Rgb(32, 0xff00ff, 0xff00, 0)},
      {"mask wider than pixel", Rgb(16, 0xff0000, 0xff00, 0xff)},
      {"odd bit count", Rgb(12, 0xf00, 0xf0, 0xf)},
      {"no masks", Rgb(32, 0, 0, 0)},
  };
  const auto png = MakeGreyPng(2, 2);
  image::Image img;
  EXPECT_FALSE(image::IsDds(png.data(), png.size()));
  EXPECT_FALSE(image::DecodeDds(png.data(), png.size(), &img));
  for (const auto& [name, spec] : cases) {
    const auto file = MakeDds(spec, Pattern(64));  // one 4x4 level of 32-bit pixels at most
    EXPECT_FALSE(image::DecodeDds(file.data(), file.size(), &img)) << name;
  }
}

}  // namespace
