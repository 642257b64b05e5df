/// @file
/// A named game object whose look is one frame animation or one particle emitter, chosen by
/// its kind, drawn with an offset and a scale. Forwarding operations do nothing when the kind
/// is neither or the object for the kind is missing.
#pragma once

#include <memory>
#include <string>

#include "kit/draw/frame_animation.h"
#include "kit/draw/particle_emitter.h"

/// A game object drawn as its frame animation or its particle emitter.
class TVK_API SceneObject {
 public:
  /// What the object is drawn as.
  enum Kind {
    Kind_Animation = 0,  ///< the frame animation
    Kind_Emitter = 2,    ///< the particle emitter
  };
  /// The number of animations in the animation set.
  static constexpr int kAnimationSetSize = 8;

  /// An animation object with nothing to draw.
  SceneObject() = default;
  /// Copies the plain fields and deep-copies the first the source holds of: the animation,
  /// the emitter, the animation set. The rest is null in the copy.
  SceneObject(const SceneObject& other);
  SceneObject& operator=(const SceneObject&) = delete;

  /// Draws the animation (scaled) or the emitter at (x, y) plus the offset.
  void Draw(float x, float y);
  /// An emitter is drawn as by Draw: angle and scales apply to animations only.
  void DrawRotated(float x, float y, float angle, float scale_x, float scale_y);
  /// Colours the animation's four corners.
  void SetColor(uint32_t color);
  /// Plays the animation from its start, or starts the emitter.
  void Play();
  /// An emitter stops emitting; its live particles finish their lives.
  void Stop();
  /// Advances the animation or the emitter by the frame time.
  void Update(float seconds);
  /// The horizontal drawing offset.
  float GetOffsetX() const { return offset_x; }
  /// The vertical drawing offset.
  float GetOffsetY() const { return offset_y; }
  /// Places the emitter as Draw does, without drawing.
  void MoveEmitter(float x, float y);

  std::string name;           ///< the object's name, for the game's lookups
  int kind = Kind_Animation;  ///< a Kind value
  std::unique_ptr<FrameAnimation> animation;  ///< used when kind is Kind_Animation
  /// Further animations the object owns; no operation here uses them.
  std::unique_ptr<FrameAnimation> animation_set[kAnimationSetSize];
  float scale = 1.0f;  ///< applied when drawing the animation
  std::unique_ptr<ParticleEmitter> emitter;  ///< used when kind is Kind_Emitter
  float offset_x = 0.0f;  ///< added to the drawing x
  float offset_y = 0.0f;  ///< added to the drawing y

 private:
  FrameAnimation* HeldAnimation() const {
    return kind == Kind_Animation ? animation.get() : nullptr;
  }
  ParticleEmitter* HeldEmitter() const { return kind == Kind_Emitter ? emitter.get() : nullptr; }
  /// The emitter sits at the object's position and its particles are drawn shifted by the
  /// object's offset.
  void PlaceEmitter(ParticleEmitter* held, float x, float y);
};
