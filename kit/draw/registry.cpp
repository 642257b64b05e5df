#include "kit/draw/registry.h"

namespace {

struct Registry {
  TVK* engine = nullptr;
  IdTable<TextureHandle> textures;
  IdTable<Sprite*> sprites;
  IdTable<ParticleEmitter*> emitters;
};

// Never destroyed: registered objects stay valid for the whole life of the process.
Registry& State() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

void Registry_SetEngine(TVK* engine) { State().engine = engine; }
TVK* Registry_GetEngine() { return State().engine; }

int Image_Load(const char* path) {
  TVK* engine = State().engine;
  const TextureHandle texture = engine ? engine->Texture_Load(path, 0, false) : 0;
  return State().textures.Add(texture);
}

int Sprite_Create(int texture_id, float x, float y, float w, float h) {
  const TextureHandle texture = State().textures.Find(texture_id);
  if (texture == 0) return 0;
  return State().sprites.Add(new Sprite(texture, x, y, w, h));
}

bool Sprite_Draw(int sprite_id, float x, float y) {
  Sprite* sprite = State().sprites.Find(sprite_id);
  if (sprite == nullptr) return false;
  sprite->Draw(x, y);
  return true;
}

bool Sprite_DrawRotated(int sprite_id, float x, float y, float angle, float scale_x,
                        float scale_y) {
  Sprite* sprite = State().sprites.Find(sprite_id);
  if (sprite == nullptr) return false;
  sprite->DrawRotated(x, y, angle, scale_x, scale_y);
  return true;
}

int Emitter_Create(const char* filename, int sprite_id) {
  Sprite* sprite = State().sprites.Find(sprite_id);
  return State().emitters.Add(new ParticleEmitter(filename, sprite));
}

bool Emitter_DrawAt(int emitter_id, float x, float y) {
  ParticleEmitter* emitter = State().emitters.Find(emitter_id);
  if (emitter == nullptr || emitter->GetDesc().sprite == nullptr) return false;
  emitter->SetPosition(x, y, true);
  emitter->Draw();
  emitter->Start();
  return true;
}

TextureHandle Registry_GetTexture(int texture_id) { return State().textures.Find(texture_id); }
Sprite* Registry_GetSprite(int sprite_id) { return State().sprites.Find(sprite_id); }
ParticleEmitter* Registry_GetEmitter(int emitter_id) {
  return State().emitters.Find(emitter_id);
}

void Registry_Clear() {
  Registry& state = State();
  state.emitters.ForEach([](ParticleEmitter* emitter) { delete emitter; });
  state.sprites.ForEach([](Sprite* sprite) { delete sprite; });
  state.emitters.Clear();
  state.sprites.Clear();
  state.textures.Clear();
}
