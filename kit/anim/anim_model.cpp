// Animation model: loading, key-frame storage, blending and drawing.
#include "kit/anim/anim_model.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

constexpr size_t kKeySlots =
    size_t(kAnimMaxParts) * kAnimMaxFrames * (kAnimMaxCells + 1) * (kAnimMaxCells + 1);
constexpr size_t kStepSlots = size_t(kAnimMaxParts) * (kAnimMaxCells + 1) * (kAnimMaxCells + 1);

// Backslashes as folder separators, as data made on other systems spells them.
std::string NormalizeSeparators(const char* path) {
  std::string result = path;
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

// The folder of the file, up to and including its last '/', made absolute against the
// working folder so that texture loading finds the parts where the file was read.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  if (!folder.empty() && folder[0] == '/') return folder;
  std::error_code error;
  std::filesystem::path cwd = std::filesystem::current_path(error);
  return error ? folder : cwd.string() + "/" + folder;
}

bool ReadFileHead(const std::string& path, size_t limit, std::vector<uint8_t>* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->resize(limit);
  file.read(reinterpret_cast<char*>(bytes->data()), std::streamsize(limit));
  bytes->resize(size_t(file.gcount()));
  return true;
}

}  // namespace

AnimModel::AnimModel(const char* path) : keys_(kKeySlots), steps_(kStepSlots) {
  if (path) Load(path);
}

bool AnimModel::Load(const char* path) {
  TVK* engine = EngineReference<AnimModel>::Engine();
  if (!path) return false;
  const std::string normalized = NormalizeSeparators(path);
  std::vector<uint8_t> bytes;
  AnimFile file;
  const char* error = ReadFileHead(normalized, kAnimMaxFileSize, &bytes)
                          ? AnimFile_Parse(bytes.data(), bytes.size(), &file)
                          : "cannot open the file";
  if (error) {
    if (engine) engine->System_WriteLog("Can't load animation: %s (%s)", path, error);
    return false;
  }
  ApplyFile(file, FolderOf(normalized));
  return true;
}

void AnimModel::ApplyFile(const AnimFile& file, const std::string& folder) {
  Reset(file.frame_count);
  file_frame_duration_ = file.has_duration ? file.duration : 0.0f;
  for (const AnimFilePart& part : file.parts) {
    AddPart((folder + part.texture).c_str(), part.column_cells, part.row_cells);
    CopyKeys(int(parts_.size()) - 1, part, file.frame_count);
  }
}

void AnimModel::CopyKeys(int part, const AnimFilePart& source, int frame_count) {
  size_t i = 0;
  for (int frame = 0; frame < frame_count; ++frame)
    for (int column = 0; column <= source.column_cells; ++column)
      for (int row = 0; row <= source.row_cells; ++row, i += 2)
        keys_[KeyIndex(part, frame, column, row)] = {source.keys[i], source.keys[i + 1]};
}

bool AnimModel::AddPart(const char* texture_path, int column_cells, int row_cells) {
  TVK* engine = EngineReference<AnimModel>::Engine();
  if (!texture_path || !engine || parts_.size() >= size_t(kAnimMaxParts) ||
      column_cells < 1 || column_cells > kAnimMaxCells || row_cells < 1 ||
      row_cells > kAnimMaxCells)
    return false;
  const TextureHandle texture = engine->Texture_Load(texture_path, 0, false);
  const float width = float(engine->Texture_GetWidth(texture, true));
  const float height = float(engine->Texture_GetHeight(texture, true));
  Part part{texture_path, column_cells, row_cells, GridMesh(column_cells + 1, row_cells + 1)};
  part.mesh.SetTexture(texture);
  part.mesh.SetTextureRect(0.0f, 0.0f, width, height);
  const int index = int(parts_.size());
  parts_.push_back(std::move(part));
  for (int frame = 0; frame < kAnimMaxFrames; ++frame)
    for (int column = 0; column <= column_cells; ++column)
      for (int row = 0; row <= row_cells; ++row)
        keys_[KeyIndex(index, frame, column, row)] = {
            float(column) * (width / float(column_cells)), float(row) * (height / float(row_cells))};
  return true;
}

void AnimModel::Reset(int frame_count) {
  parts_.clear();
  frame_count_ = std::clamp(frame_count, 0, kAnimMaxFrames);
  playing_ = false;
  loop_ = false;
  elapsed_ = 0.0f;
  frame_duration_ = kDefaultFrameDuration;
  current_frame_ = 0;
}

void AnimModel::Play(bool loop) {
  playing_ = true;
  loop_ = loop;
  current_frame_ = 0;
  elapsed_ = 0.0f;
  ComputeSteps();
}

void AnimModel::SetFrameDuration(float seconds) {
  if (std::isfinite(seconds) && seconds > 0.0f) frame_duration_ = seconds;
}

void AnimModel::ComputeSteps() {
  const int next = current_frame_ + 1 < frame_count_ ? current_frame_ + 1 : 0;
  for (int p = 0; p < GetPartCount(); ++p)
    for (int column = 0; column <= parts_[p].column_cells; ++column)
      for (int row = 0; row <= parts_[p].row_cells; ++row) {
        const Point& from = keys_[KeyIndex(p, current_frame_, column, row)];
        const Point& to = keys_[KeyIndex(p, next, column, row)];
        steps_[StepIndex(p, column, row)] = {to.x - from.x, to.y - from.y};
      }
}

void AnimModel::PlaceVertices() {
  const float t = elapsed_ / frame_duration_;
  for (int p = 0; p < GetPartCount(); ++p)
    for (int column = 0; column <= parts_[p].column_cells; ++column)
      for (int row = 0; row <= parts_[p].row_cells; ++row) {
        const Point& from = keys_[KeyIndex(p, current_frame_, column, row)];
        const Point& step = steps_[StepIndex(p, column, row)];
        parts_[p].mesh.SetDisplacement(column, row, from.x + t * step.x, from.y + t * step.y,
                                       Offset_Absolute);
      }
}

void AnimModel::NextFrame() {
  elapsed_ = 0.0f;  // the excess of a long step is dropped
  if (current_frame_ + 1 < frame_count_) {
    ++current_frame_;
  } else if (loop_) {
    current_frame_ = 0;
  } else {
    playing_ = false;  // ends on the last key frame
    return;
  }
  ComputeSteps();
}

void AnimModel::Update(float seconds) {
  if (!playing_) return;
  PlaceVertices();
  if (std::isfinite(seconds) && seconds > 0.0f) elapsed_ += seconds;
  if (elapsed_ >= frame_duration_) NextFrame();
}

void AnimModel::Render(float x, float y) {
  for (Part& part : parts_) part.mesh.Render(x, y);
}

bool AnimModel::InModel(int part, int frame, int column, int row) const {
  return part >= 0 && part < GetPartCount() && frame >= 0 && frame < frame_count_ &&
         column >= 0 && column <= parts_[part].column_cells && row >= 0 &&
         row <= parts_[part].row_cells;
}

bool AnimModel::SetKeyPosition(int part, int frame, int column, int row, float x, float y) {
  if (!InModel(part, frame, column, row)) return false;
  keys_[KeyIndex(part, frame, column, row)] = {x, y};
  return true;
}

bool AnimModel::GetKeyPosition(int part, int frame, int column, int row, float* x,
                               float* y) const {
  if (!InModel(part, frame, column, row) || !x || !y) return false;
  const Point& key = keys_[KeyIndex(part, frame, column, row)];
  *x = key.x;
  *y = key.y;
  return true;
}

const GridMesh* AnimModel::GetMesh(int part) const {
  return part >= 0 && part < GetPartCount() ? &parts_[part].mesh : nullptr;
}

const char* AnimModel::GetPartName(int part) const {
  return part >= 0 && part < GetPartCount() ? parts_[part].name.c_str() : nullptr;
}
