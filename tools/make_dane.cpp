// Writes the demos' data folder: logo, cursor, tile map, scenery textures and the running
// character, plus the window icon as a C array for the demo programs to embed.
//   make_dane <data folder> <icon include file>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dane/art.h"

namespace {

bool WriteIconInclude(const std::string& path) {
  const std::string png = path + ".png";
  if (!dane::MakeIcon().WritePng(png)) return false;
  std::ifstream in(png, std::ios::binary);
  std::ofstream out(path);
  int count = 0;
  for (char c; in.get(c);) out << int(static_cast<unsigned char>(c)) << (++count % 20 ? "," : ",\n");
  out << "\n";
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_dane <data folder> <icon include file>\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const bool ok = dane::MakeLogo().WritePng(folder + "/logo.png") &&
                  dane::MakeCursor().WritePng(folder + "/cursor.png") &&
                  dane::WriteTileMap(folder) && dane::WriteWallAndFloor(folder) &&
                  dane::WriteRunner(folder) && WriteIconInclude(argv[2]);
  if (!ok) std::fprintf(stderr, "make_dane: could not write the data into %s\n", argv[1]);
  return ok ? 0 : 1;
}
