#include "ui/button_glyph.h"

#include <algorithm>
#include <cmath>

namespace velmaro {

namespace {

struct Point {
  double x, y;
};

struct Stroke {
  Point from, to;
};

struct Shape {
  std::vector<Stroke> strokes;  // in the unit square, y downwards
  double halfWidth;
  std::uint8_t red, green, blue;
};

Shape ShapeOf(ButtonGlyph glyph) {
  if (glyph == ButtonGlyph::Check) return {{{{0.16, 0.54}, {0.40, 0.78}}, {{0.40, 0.78}, {0.86, 0.24}}}, 0.075, 34, 150, 58};
  return {{{{0.22, 0.22}, {0.78, 0.78}}, {{0.78, 0.22}, {0.22, 0.78}}}, 0.08, 210, 40, 40};
}

double DistanceToStroke(Point p, const Stroke& s) {
  const double dx = s.to.x - s.from.x, dy = s.to.y - s.from.y;
  double t = ((p.x - s.from.x) * dx + (p.y - s.from.y) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (s.from.x + t * dx), p.y - (s.from.y + t * dy));
}

// Share of the pixel covered by the shape, from 4 x 4 samples.
double Coverage(const Shape& shape, int column, int row, int size) {
  constexpr int kSamples = 4;
  int inside = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const Point p{(column + (sx + 0.5) / kSamples) / size, (row + (sy + 0.5) / kSamples) / size};
      for (const Stroke& stroke : shape.strokes) {
        if (DistanceToStroke(p, stroke) <= shape.halfWidth) {
          ++inside;
          break;
        }
      }
    }
  }
  return static_cast<double>(inside) / (kSamples * kSamples);
}

}  // namespace

std::vector<std::uint32_t> DrawButtonGlyph(ButtonGlyph glyph, int size, bool greyed) {
  const Shape shape = ShapeOf(glyph);
  double red = shape.red, green = shape.green, blue = shape.blue, opacity = 1.0;
  if (greyed) {
    // The disabled form: the picture's lightness in grey, paler, half seen through.
    const double grey = 0.3 * red + 0.59 * green + 0.11 * blue;
    red = green = blue = grey + (255 - grey) * 0.35;
    opacity = 0.55;
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size > 0 ? size * size : 0), 0);
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      const double alpha = Coverage(shape, column, row, size) * opacity;
      auto channel = [alpha](double value) { return static_cast<std::uint32_t>(std::lround(value * alpha)); };
      pixels[static_cast<std::size_t>(row * size + column)] =
          channel(255) << 24 | channel(red) << 16 | channel(green) << 8 | channel(blue);
    }
  }
  return pixels;
}

}  // namespace velmaro
