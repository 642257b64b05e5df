// The pictures and data files of the demos' folder, each drawn from code so that every run
// writes the same bytes.
#pragma once

#include <string>

#include "canvas.h"

namespace dane {

/// The 152x114 engine logo: the name on a dark panel.
Canvas MakeLogo();
/// The 32x32 mouse arrow with its tip at the top-left pixel.
Canvas MakeCursor();
/// The 32x32 window icon.
Canvas MakeIcon();

/// Writes tileset.png and tile_mapa.tmap (252 tiles filling 800x600) into folder.
bool WriteTileMap(const std::string& folder);
/// Writes the backdrop and floor DDS textures into folder.
bool WriteWallAndFloor(const std::string& folder);
/// Writes anim_skeletion/char_run.anim and its part textures below folder.
bool WriteRunner(const std::string& folder);

}  // namespace dane
