/// @file
/// A keyframed character: one textured grid mesh per body part, with the position of every
/// grid vertex stored per key frame. While playing, each vertex moves on the straight line from
/// its place in the current key frame towards its place in the next; the last key frame blends
/// back into the first, so a looping cycle closes on itself.
#pragma once

#include <string>
#include <vector>

#include "engine/tvk.h"
#include "engine/tvk_export.h"
#include "kit/anim/anim_file.h"
#include "kit/anim/grid_mesh.h"
#include "kit/draw/engine_reference.h"

/// A keyframed grid-mesh model with up to 16 parts, 64 key frames and 15 x 15 cells a part.
/// Part textures stay loaded when the model goes (the engine frees them at shut-down).
class TVK_API AnimModel {
 public:
  /// The frame duration a model starts with, in seconds.
  static constexpr float kDefaultFrameDuration = 0.5f;

  /// A model loaded from the .anim file at path (see Load); with a null path, an empty one.
  explicit AnimModel(const char* path = nullptr);

  /// Reads a .anim file; a relative path is taken from the working folder, and part textures
  /// from the file's folder. On success the model is reset to the file's parts and key frames
  /// (frame duration 0.5 s: the duration stored in the file is kept apart, see
  /// GetFileFrameDuration). A missing, short or out-of-range file is refused with a log line
  /// "Can't load animation: <path> (<reason>)", and the model stays as it was.
  bool Load(const char* path);
  /// Appends a part: loads the texture (no mipmaps) and spans a grid of column_cells x
  /// row_cells cells over the whole image, undeformed in every key frame. False, and nothing
  /// added, when the model is full or a cell count is outside 1..15. A texture that fails to
  /// load leaves the part with texture 0 and a zero-size grid.
  bool AddPart(const char* texture_path, int column_cells, int row_cells);
  /// Removes every part and sets the key-frame count (clamped to 0..64); not playing, at
  /// frame 0, frame duration 0.5 s, loop off.
  void Reset(int frame_count);
  /// Starts from key frame 0 and plays, looping unless loop is false.
  void Play(bool loop = true);
  /// Stops; the vertices keep their places.
  void Stop() { playing_ = false; }
  /// Places every vertex for the time reached so far, then advances by seconds. However long
  /// the step, it moves on by one key frame at most; a negative or non-finite step counts 0.
  void Update(float seconds);
  /// Draws every part in order with the model origin at (x, y). Call inside a scene.
  void Render(float x, float y);

  /// Sets one vertex's place in a key frame; false outside the model's parts, frames or grid.
  bool SetKeyPosition(int part, int frame, int column, int row, float x, float y);
  /// Reads one vertex's place in a key frame; false (outputs untouched) outside the model.
  bool GetKeyPosition(int part, int frame, int column, int row, float* x, float* y) const;
  /// Sets the seconds per key frame; values that are not positive and finite are ignored.
  void SetFrameDuration(float seconds);

  /// The number of key frames.
  int GetFrameCount() const { return frame_count_; }
  /// The number of parts.
  int GetPartCount() const { return int(parts_.size()); }
  /// The key frame being blended from.
  int GetCurrentFrame() const { return current_frame_; }
  /// True while playing.
  bool IsPlaying() const { return playing_; }
  /// Seconds per key frame.
  float GetFrameDuration() const { return frame_duration_; }
  /// The frame duration stored in the last file loaded, or 0 when it held none (version 4).
  float GetFileFrameDuration() const { return file_frame_duration_; }
  /// A part's mesh, or null for a part the model does not have.
  const GridMesh* GetMesh(int part) const;
  /// A part's full texture path, or null for a part the model does not have.
  const char* GetPartName(int part) const;

 private:
  struct Point {
    float x, y;
  };
  struct Part {
    std::string name;
    int column_cells, row_cells;
    GridMesh mesh;
  };

  static size_t KeyIndex(int part, int frame, int column, int row) {
    return ((size_t(part) * kAnimMaxFrames + size_t(frame)) * (kAnimMaxCells + 1) +
            size_t(column)) * (kAnimMaxCells + 1) + size_t(row);
  }
  static size_t StepIndex(int part, int column, int row) {
    return (size_t(part) * (kAnimMaxCells + 1) + size_t(column)) * (kAnimMaxCells + 1) +
           size_t(row);
  }
  bool InModel(int part, int frame, int column, int row) const;
  void ApplyFile(const AnimFile& file, const std::string& folder);
  void CopyKeys(int part, const AnimFilePart& source, int frame_count);
  void PlaceVertices();
  void ComputeSteps();
  void NextFrame();

  EngineReference<AnimModel> engine_;  // first: taken before anything else
  std::vector<Part> parts_;
  int frame_count_ = 0;
  std::vector<Point> keys_;   // every (part, frame, column, row) slot, allocated once
  std::vector<Point> steps_;  // next key frame minus current, per (part, column, row)
  bool playing_ = false;
  bool loop_ = false;
  float elapsed_ = 0.0f;
  float frame_duration_ = kDefaultFrameDuration;
  float file_frame_duration_ = 0.0f;
  int current_frame_ = 0;
};
