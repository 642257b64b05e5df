// The logo, the mouse arrow and the window icon.
#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"

namespace dane {
namespace {

using Stroke = std::vector<Point>;

// The letters of the engine's name as strokes in a unit box (y down).
std::vector<Stroke> Letter(char letter) {
  switch (letter) {
    case 'T': return {{{0, 0}, {1, 0}}, {{0.5f, 0}, {0.5f, 1}}};
    case 'A': return {{{0, 1}, {0.5f, 0}, {1, 1}}, {{0.24f, 0.62f}, {0.76f, 0.62f}}};
    case 'R':
      return {{{0, 1}, {0, 0}, {0.6f, 0}, {0.82f, 0.08f}, {0.9f, 0.25f}, {0.82f, 0.42f},
               {0.6f, 0.5f}, {0, 0.5f}},
              {{0.5f, 0.5f}, {0.92f, 1}}};
    case 'V': return {{{0, 0}, {0.5f, 1}, {1, 0}}};
    case 'K': return {{{0, 0}, {0, 1}}, {{0.95f, 0}, {0, 0.62f}}, {{0.32f, 0.42f}, {1, 1}}};
    case 'O': {
      Stroke ring;
      for (int i = 0; i <= 32; ++i) {
        const float a = float(i) * 6.2831853f / 32.0f;
        ring.push_back({0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
      }
      return {ring};
    }
    default: return {};
  }
}

// Distance to the strokes of a text drawn with letters of size (width, height) from origin.
float TextDistance(float x, float y, const char* text, Point origin, float width, float height,
                   float advance, float radius) {
  float best = INFINITY;
  for (int i = 0; text[i]; ++i)
    for (const Stroke& stroke : Letter(text[i]))
      for (size_t s = 0; s + 1 < stroke.size(); ++s) {
        auto place = [&](Point p) {
          return Point{origin.x + float(i) * advance + p.x * width, origin.y + p.y * height};
        };
        best = std::min(best, CapsuleDistance(x, y, place(stroke[s]), place(stroke[s + 1]), radius));
      }
  return best;
}

void DrawPanel(Canvas& logo) {
  const Rgba top = Rgb(38, 62, 112), bottom = Rgb(14, 22, 44);
  for (int y = 0; y < logo.Height(); ++y)
    for (int x = 0; x < logo.Width(); ++x) {
      const float d = BoxDistance(x + 0.5f, y + 0.5f, 1, 1, 151, 113, 14);
      logo.Blend(x, y, Mix(top, bottom, float(y) / 113.0f), std::clamp(0.5f - d, 0.0f, 1.0f));
    }
  logo.Fill(Rgb(120, 190, 255), {0, 0, 152, 114}, [](float x, float y) {
    return std::fabs(BoxDistance(x, y, 3, 3, 149, 111, 12)) - 1.0f;
  });
}

// A small emblem of four tiles above the name.
void DrawEmblem(Canvas& logo) {
  const Rgba colours[4] = {Rgb(255, 196, 64), Rgb(96, 200, 120), Rgb(90, 160, 255),
                           Rgb(240, 96, 80)};
  for (int i = 0; i < 4; ++i) {
    const float x = 56.0f + float(i % 2) * 21.0f, y = 12.0f + float(i / 2) * 21.0f;
    logo.Fill(colours[i], {int(x) - 1, int(y) - 1, int(x) + 21, int(y) + 21},
              [x, y](float px, float py) { return BoxDistance(px, py, x, y, x + 19, y + 19, 4); });
  }
}

void DrawName(Canvas& logo) {
  const char* name = "TARVOK";
  auto strokes = [name](Point origin) {
    return [name, origin](float x, float y) {
      return TextDistance(x, y, name, origin, 17.0f, 26.0f, 22.5f, 2.6f);
    };
  };
  logo.Fill({0, 0, 0, 0.55f}, {0, 0, 152, 114}, strokes({12.5f, 66.5f}));
  logo.Fill(Rgb(250, 250, 255), {0, 0, 152, 114}, strokes({10.5f, 64.5f}));
  logo.Fill(Rgb(120, 190, 255), {10, 100, 142, 104},
            [](float x, float y) { return CapsuleDistance(x, y, {12, 101.5f}, {140, 101.5f}, 1.0f); });
}

std::vector<Point> ArrowOutline() {
  return {{1.5f, 1.5f}, {1.5f, 24}, {7, 18.5f}, {11, 28}, {15.5f, 26}, {11.5f, 17}, {19, 17}};
}

}  // namespace

Canvas MakeLogo() {
  Canvas logo(152, 114);
  DrawPanel(logo);
  DrawEmblem(logo);
  DrawName(logo);
  return logo;
}

Canvas MakeCursor() {
  Canvas cursor(32, 32);
  const std::vector<Point> arrow = ArrowOutline();
  cursor.Fill({0, 0, 0, 0.35f}, {0, 0, 32, 32},
              [&](float x, float y) { return PolygonDistance(x - 2, y - 2, arrow) - 0.5f; });
  cursor.FillOutlined(Rgb(255, 255, 255), Rgb(0, 0, 0), 1.3f, {0, 0, 32, 32},
                      [&](float x, float y) { return PolygonDistance(x, y, arrow); });
  return cursor;
}

Canvas MakeIcon() {
  Canvas icon(32, 32);
  const Rgba colours[4] = {Rgb(255, 196, 64), Rgb(96, 200, 120), Rgb(90, 160, 255),
                           Rgb(240, 96, 80)};
  icon.Fill(Rgb(20, 32, 64), {0, 0, 32, 32},
            [](float x, float y) { return BoxDistance(x, y, 0, 0, 32, 32, 6); });
  for (int i = 0; i < 4; ++i) {
    const float x = 4.0f + float(i % 2) * 12.5f, y = 4.0f + float(i / 2) * 12.5f;
    icon.Fill(colours[i], {0, 0, 32, 32},
              [x, y](float px, float py) { return BoxDistance(px, py, x, y, x + 11, y + 11, 2.5f); });
  }
  return icon;
}

}  // namespace dane
