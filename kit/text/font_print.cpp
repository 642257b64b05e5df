// Formatted and boxed printing on a font. Every font formats into one shared buffer, so
// printing is not re-entrant and a formatted text lives until the next print.
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "kit/text/font.h"

namespace {

constexpr size_t kBufferSize = 1024;  // 1023 characters and the closing zero

char* Buffer() {
  static char buffer[kBufferSize];
  return buffer;
}

void FormatInto(char* buffer, const char* format, va_list args) {
  if (format == nullptr || std::vsnprintf(buffer, kBufferSize, format, args) < 0) {
    buffer[0] = 0;
  }
  buffer[kBufferSize - 1] = 0;
}

// Copies text as printf would print it with no arguments, except that no conversion reads
// one: "%%" becomes '%', any other '%' stays as it is.
void CopyLiteral(char* buffer, const char* text) {
  size_t n = 0;
  for (const char* p = text; p != nullptr && *p != 0 && n < kBufferSize - 1; ++p) {
    if (p[0] == '%' && p[1] == '%') ++p;
    buffer[n++] = *p;
  }
  buffer[n] = 0;
}

}  // namespace

void Font::PrintFormatted(float x, float y, int align, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(Buffer(), format, args);
  va_end(args);
  Render(x, y, align, Buffer());
}

void Font::PrintLiteral(float x, float y, int align, const char* text) {
  CopyLiteral(Buffer(), text);
  Render(x, y, align, Buffer());
}

void Font::PrintInBox(float x, float y, float w, float h, int align, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(Buffer(), format, args);
  va_end(args);
  char* text = Buffer();
  const int lines = WrapLines(text, w);

  float left = x;
  if ((align & 3) == Align_Right) left = x + w;
  if ((align & 3) == Align_Center) left = x + std::trunc(w * 0.5f);
  const float total = height_ * spacing_ * scale_ * float(lines);
  float top = y;
  if ((align & 12) == Align_Bottom) top = y + (h - total);
  if ((align & 12) == Align_Middle) top = y + std::trunc((h - total) * 0.5f);
  Render(left, top, align, text);
}

// Walks the words (runs ended by a space, a line feed or the end). A word that takes its
// line past the width moves to a new line by turning the separator before it into a line
// feed; a word wider than the width on its own keeps a line to itself.
int Font::WrapLines(char* text, float width) const {
  auto* line_start = reinterpret_cast<unsigned char*>(text);
  unsigned char* previous_separator = nullptr;
  unsigned char* word = line_start;
  int lines = 1;
  for (;;) {
    unsigned char* separator = word;
    while (*separator != 0 && *separator != ' ' && *separator != '\n') ++separator;
    if (LineWidth(line_start, separator) * scale_ * proportion_ > width) {
      if (word == line_start || previous_separator == nullptr) {
        if (*separator == ' ') *separator = '\n';
      } else {
        *previous_separator = '\n';
        line_start = previous_separator + 1;
        ++lines;
      }
    }
    if (*separator == 0) return lines;
    if (*separator == '\n') {
      ++lines;
      line_start = separator + 1;
    }
    previous_separator = separator;
    word = separator + 1;
  }
}
