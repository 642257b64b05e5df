/// @file
/// Integer handles for textures, sprites and particle emitters, for callers that prefer
/// numbers to objects. Ids of each kind count up from 0 and are never reused; registered
/// objects live until the process ends (or Registry_Clear).
#pragma once

#include <map>

#include "engine/tvk.h"
#include "kit/draw/particle_emitter.h"
#include "kit/draw/sprite.h"

/// Values registered under ids given out in order from 0. Looking up an id that was never
/// given out yields a value-initialised T (null for pointers and handles).
template <class T>
class IdTable {
 public:
  /// Stores the value under the next id and returns that id.
  int Add(T value) {
    entries_.emplace(next_id_, value);
    return next_id_++;
  }
  /// The value under the id, or T{} for an id never given out.
  T Find(int id) const {
    const auto it = entries_.find(id);
    return it == entries_.end() ? T{} : it->second;
  }
  /// Calls visit with every value, in id order.
  template <class Visit>
  void ForEach(Visit visit) const {
    for (const auto& entry : entries_) visit(entry.second);
  }
  /// Forgets every value; ids start from 0 again.
  void Clear() {
    entries_.clear();
    next_id_ = 0;
  }

 private:
  std::map<int, T> entries_;
  int next_id_ = 0;
};

/// The engine every registry function calls; the program sets it right after creating the
/// engine. Without it, Image_Load registers a failed load.
TVK_API void Registry_SetEngine(TVK* engine);
/// The engine set with Registry_SetEngine; null before.
TVK_API TVK* Registry_GetEngine();

/// Loads a texture (a file name, no mipmaps) and returns its id; a failed load is registered
/// as texture 0 under a new id.
TVK_API int Image_Load(const char* path);
/// Returns the new sprite's id, or 0 (indistinguishable from the first id) when the texture id
/// holds no texture.
TVK_API int Sprite_Create(int texture_id, float x, float y, float w, float h);
/// Draws the sprite with its hot spot at (x, y); false when the id holds no sprite.
TVK_API bool Sprite_Draw(int sprite_id, float x, float y);
/// Draws the sprite turned and scaled about its hot spot; false when the id holds no sprite.
TVK_API bool Sprite_DrawRotated(int sprite_id, float x, float y, float angle, float scale_x,
                        float scale_y);
/// Always registers an emitter; with an unknown sprite id it has no sprite and is never drawn.
TVK_API int Emitter_Create(const char* filename, int sprite_id);
/// Moves the emitter (live particles along), draws it and starts it. False when the id holds
/// no emitter or the emitter has no sprite. Nothing here updates emitters.
TVK_API bool Emitter_DrawAt(int emitter_id, float x, float y);

/// The texture under the id; 0 when the id holds none.
TVK_API TextureHandle Registry_GetTexture(int texture_id);
/// The sprite under the id; null when the id holds none.
TVK_API Sprite* Registry_GetSprite(int sprite_id);
/// The emitter under the id; null when the id holds none.
TVK_API ParticleEmitter* Registry_GetEmitter(int emitter_id);

/// Destroys every registered emitter and sprite, forgets the registered textures (the engine
/// frees loaded textures when it shuts down) and starts the ids from 0 again.
TVK_API void Registry_Clear();
