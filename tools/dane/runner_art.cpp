// The running character: six body parts (back arm, back leg, torso, head, front leg, front
// arm), each a texture over a grid of vertices. Eight key frames of a run cycle place the
// limbs' grids along their bones (hip, knee, ankle, toe; shoulder, elbow, wrist, hand), so the
// textures bend at the joints.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "art.h"

namespace dane {
namespace {

constexpr int kFrames = 8;
constexpr float kPi = 3.14159265f;

// ---- part textures ----

struct Palette {
  Rgba skin, shirt, shorts, shoe, sole, sock, hair;
};

Palette Colours(float shade) {
  return {Shade(Rgb(236, 188, 148), shade), Shade(Rgb(214, 62, 52), shade),
          Shade(Rgb(44, 74, 156), shade),   Shade(Rgb(244, 244, 250), shade),
          Shade(Rgb(58, 58, 70), shade),    Shade(Rgb(250, 250, 250), shade),
          Shade(Rgb(76, 48, 30), shade)};
}

template <class Shape>
void Outlined(Canvas& c, Rgba colour, const Shape& shape) {
  c.FillOutlined(colour, Shade(colour, 0.4f), 1.5f, {0, 0, c.Width(), c.Height()}, shape);
}

// 32x160, hip at the top: thigh to row 60, shin to row 120, then the shoe along the foot
// (its sole on the left, which faces down when the foot points forward).
Canvas MakeLeg(const Palette& p) {
  Canvas leg(32, 160);
  Outlined(leg, p.skin, [](float x, float y) { return CapsuleDistance(x, y, {16, 60}, {16, 112}, 8.5f); });
  Outlined(leg, p.skin, [](float x, float y) { return CapsuleDistance(x, y, {16, 8}, {16, 60}, 11.0f); });
  Outlined(leg, p.sock, [](float x, float y) { return BoxDistance(x, y, 7.5f, 98, 24.5f, 116, 3); });
  Outlined(leg, p.shoe, [](float x, float y) { return BoxDistance(x, y, 6, 108, 27, 156, 7); });
  leg.Fill(p.sole, {0, 100, 32, 160}, [](float x, float y) { return BoxDistance(x, y, 6, 112, 10, 156, 2); });
  leg.Fill(p.shirt, {0, 100, 32, 160}, [](float x, float y) { return CapsuleDistance(x, y, {16, 124}, {22, 146}, 1.6f); });
  Outlined(leg, p.shorts, [](float x, float y) { return BoxDistance(x, y, 2, -10, 30, 42, 6); });
  return leg;
}

// 32x128, shoulder at the top: upper arm to row 64, forearm to row 112, then the hand.
Canvas MakeArm(const Palette& p) {
  Canvas arm(32, 128);
  Outlined(arm, p.skin, [](float x, float y) { return CircleDistance(x, y, {16, 117}, 8.0f); });
  Outlined(arm, p.skin, [](float x, float y) { return CapsuleDistance(x, y, {16, 64}, {16, 110}, 6.0f); });
  Outlined(arm, p.skin, [](float x, float y) { return CapsuleDistance(x, y, {16, 10}, {16, 64}, 7.0f); });
  Outlined(arm, p.shirt, [](float x, float y) { return CapsuleDistance(x, y, {16, 10}, {16, 34}, 10.0f); });
  return arm;
}

// 64x128, neck at the top, hip at row 104.
Canvas MakeTorso(const Palette& p) {
  Canvas torso(64, 128);
  Outlined(torso, p.skin, [](float x, float y) { return CapsuleDistance(x, y, {33, 2}, {33, 22}, 7.0f); });
  Outlined(torso, p.shorts, [](float x, float y) { return BoxDistance(x, y, 14, 90, 52, 126, 8); });
  Outlined(torso, p.shirt, [](float x, float y) { return BoxDistance(x, y, 12, 14, 52, 108, 13); });
  torso.Fill(p.sock, {0, 0, 64, 128}, [](float x, float y) { return CapsuleDistance(x, y, {14, 40}, {50, 60}, 3.0f); });
  torso.Fill(Shade(p.shirt, 0.8f), {0, 0, 64, 128}, [](float x, float y) { return BoxDistance(x, y, 12, 100, 52, 108, 3); });
  return torso;
}

// 64x64, facing right.
Canvas MakeHead(const Palette& p) {
  Canvas head(64, 64);
  Outlined(head, p.skin, [](float x, float y) {
    return std::min(CircleDistance(x, y, {31, 34}, 21), CircleDistance(x, y, {51, 38}, 4.5f));
  });
  // Hair over the crown and the back of the head, the face left clear.
  Outlined(head, p.hair, [](float x, float y) {
    return std::max(CircleDistance(x, y, {30, 31}, 22.5f), std::min(y - 22.0f, x - 21.0f));
  });
  Outlined(head, p.skin, [](float x, float y) { return EllipseDistance(x, y, {26, 37}, 4.5f, 6); });
  head.Fill(Rgb(30, 30, 40), {0, 0, 64, 64}, [](float x, float y) { return CircleDistance(x, y, {44, 33}, 2.4f); });
  head.Fill(Rgb(150, 60, 60), {0, 0, 64, 64}, [](float x, float y) { return CapsuleDistance(x, y, {41, 46}, {47, 45}, 1.0f); });
  return head;
}

// ---- key frames ----

Point Along(Point from, float angle, float length) {
  return {from.x + length * std::sin(angle), from.y + length * std::cos(angle)};
}

// A part's grid for one key frame: vertex (column, row) by column, then row.
struct Grid {
  int columns, rows;  // vertex counts
  std::vector<Point> vertices;
};

// Lays a strip grid of the given width along joints placed at the given vertex rows; at an
// inner joint the sides meet at the mitre of the two bones.
Grid StripAlong(const std::vector<Point>& joints, const std::vector<int>& joint_rows, int columns,
                float width) {
  Grid grid{columns, joint_rows.back() + 1, {}};
  auto normal = [&](size_t bone) {
    const Point a = joints[bone], b = joints[bone + 1];
    const float len = std::hypot(b.x - a.x, b.y - a.y);
    return Point{(b.y - a.y) / len, -(b.x - a.x) / len};
  };
  std::vector<Point> centres, sides;
  for (size_t bone = 0; bone + 1 < joints.size(); ++bone)
    for (int row = joint_rows[bone]; row < joint_rows[bone + 1] || (bone + 2 == joints.size() && row == joint_rows[bone + 1]); ++row) {
      const float t = float(row - joint_rows[bone]) / float(joint_rows[bone + 1] - joint_rows[bone]);
      centres.push_back({joints[bone].x + (joints[bone + 1].x - joints[bone].x) * t,
                         joints[bone].y + (joints[bone + 1].y - joints[bone].y) * t});
      Point n = normal(bone);
      if (row == joint_rows[bone] && bone > 0) {
        const Point m = normal(bone - 1);
        Point mitre{n.x + m.x, n.y + m.y};
        const float len = std::hypot(mitre.x, mitre.y);
        const float cosine = std::max(0.5f, len * 0.5f);
        n = {mitre.x / len / cosine, mitre.y / len / cosine};
      }
      sides.push_back(n);
    }
  for (int column = 0; column < columns; ++column) {
    const float offset = (float(column) / float(columns - 1) - 0.5f) * width;
    for (size_t row = 0; row < centres.size(); ++row)
      grid.vertices.push_back({centres[row].x + sides[row].x * offset, centres[row].y + sides[row].y * offset});
  }
  return grid;
}

// A rigid grid of cell x cell squares centred on centre, turned by angle.
Grid RigidGrid(Point centre, float angle, int columns, int rows, float cell) {
  Grid grid{columns, rows, {}};
  const float c = std::cos(angle), s = std::sin(angle);
  for (int column = 0; column < columns; ++column)
    for (int row = 0; row < rows; ++row) {
      const float x = float(column) * cell - float(columns - 1) * cell * 0.5f;
      const float y = float(row) * cell - float(rows - 1) * cell * 0.5f;
      grid.vertices.push_back({centre.x + x * c - y * s, centre.y + x * s + y * c});
    }
  return grid;
}

struct Pose {
  Point hip, shoulder, neck;
  float lean;
};

// Thigh swings with the phase; the knee folds most just after push-off and the ankle keeps
// the foot pointing forward.
Grid LegGrid(const Pose& pose, float phase) {
  const float thigh = 0.62f * std::sin(phase);
  const float fold = 0.3f + 1.45f * std::pow(std::max(0.0f, std::cos(phase + 0.35f)), 1.5f);
  const float shin = thigh - fold;
  const float foot = shin + kPi / 2 - 0.35f * std::max(0.0f, -std::sin(phase + 0.6f));
  const Point knee = Along(pose.hip, thigh, 60), ankle = Along(knee, shin, 60);
  return StripAlong({pose.hip, knee, ankle, Along(ankle, foot, 40)}, {0, 3, 6, 8}, 2, 32);
}

// Arms swing against the legs of their side, elbows bent.
Grid ArmGrid(const Pose& pose, float phase) {
  const float upper = -0.85f * std::sin(phase) + pose.lean * 0.5f;
  const float fore = upper + 1.55f + 0.25f * std::sin(phase);
  const Point elbow = Along(pose.shoulder, upper, 64), wrist = Along(elbow, fore, 48);
  return StripAlong({pose.shoulder, elbow, wrist, Along(wrist, fore, 16)}, {0, 4, 7, 8}, 2, 32);
}

Pose PoseAt(float phase) {
  Pose pose;
  pose.lean = 0.2f;
  pose.hip = {100, 10 + 4 * std::cos(2 * phase)};
  const Point up = {std::sin(pose.lean), -std::cos(pose.lean)};
  pose.shoulder = {pose.hip.x + up.x * 80, pose.hip.y + up.y * 80};
  pose.neck = {pose.hip.x + up.x * 98, pose.hip.y + up.y * 98};
  return pose;
}

// The torso texture's row 104 is the hip; its rows run from the neck down.
Grid TorsoGrid(const Pose& pose) {
  const Point down = {-std::sin(pose.lean), std::cos(pose.lean)};
  const Point top = {pose.hip.x - down.x * 104, pose.hip.y - down.y * 104};
  const Point bottom = {pose.hip.x + down.x * 24, pose.hip.y + down.y * 24};
  return StripAlong({top, bottom}, {0, 4}, 3, 64);
}

Grid HeadGrid(const Pose& pose, float phase) {
  const float tilt = pose.lean * 0.5f + 0.04f * std::sin(2 * phase);
  const Point centre = {pose.neck.x + 24 * std::sin(pose.lean) + 2, pose.neck.y - 24 * std::cos(pose.lean)};
  return RigidGrid(centre, tilt, 3, 3, 32);
}

// The parts' grids in drawing order for one key frame.
std::vector<Grid> FrameGrids(int frame) {
  const float phase = 2 * kPi * float(frame) / float(kFrames);
  const Pose pose = PoseAt(phase);
  Pose back = pose;
  back.shoulder.x -= 4;
  back.hip.x -= 3;
  return {ArmGrid(back, phase), LegGrid(back, phase + kPi), TorsoGrid(pose), HeadGrid(pose, phase),
          LegGrid(pose, phase), ArmGrid(pose, phase + kPi)};
}

// ---- the file ----

class Writer {
 public:
  void Int(int32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(uint32_t(value) >> (8 * i)));
  }
  void Float(float value) {
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    Int(bits);
  }
  void Name(const char* name) {
    char field[256] = {};
    std::strncpy(field, name, sizeof field - 1);
    bytes_.insert(bytes_.end(), field, field + sizeof field);
  }
  void Grid(const dane::Grid& grid) {
    for (Point p : grid.vertices) {
      Float(p.x);
      Float(p.y);
    }
  }
  bool Save(const std::string& path) const {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes_.data()), std::streamsize(bytes_.size()));
    return bool(file);
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

bool WriteRunner(const std::string& folder) {
  const std::string dir = folder + "/anim_skeletion";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  const Palette front = Colours(1.0f), back = Colours(0.72f);
  const char* names[6] = {"arm_back.png", "leg_back.png", "torso.png",
                          "head.png",     "leg_front.png", "arm_front.png"};
  const Canvas textures[6] = {MakeArm(back), MakeLeg(back), MakeTorso(front),
                              MakeHead(front), MakeLeg(front), MakeArm(front)};
  for (int i = 0; i < 6; ++i)
    if (!textures[i].WritePng(dir + "/" + names[i])) return false;

  std::vector<std::vector<Grid>> frames;
  for (int f = 0; f < kFrames; ++f) frames.push_back(FrameGrids(f));
  Writer out;
  out.Int(5);  // version with the duration field
  out.Int(kFrames);
  out.Float(0.5f);
  out.Int(6);
  for (int part = 0; part < 6; ++part) {
    const Grid& shape = frames[0][part];
    out.Name(names[part]);
    out.Int(shape.rows - 1);
    out.Int(shape.columns - 1);
    for (int f = 0; f < kFrames; ++f) out.Grid(frames[f][part]);
    out.Grid(shape);  // the extra grid readers skip
  }
  out.Int(0);
  return out.Save(dir + "/char_run.anim");
}

}  // namespace dane
