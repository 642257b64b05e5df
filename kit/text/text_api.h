/// @file
/// The integer-id text API: fonts kept under ids 0, 1, 2, ... (never reused), a selected font
/// and a colour, and one-call printing for overlays such as a frame-rate line. It calls the
/// engine set with Registry_SetEngine. Print calls take their text where a format would go:
/// "%%" prints one percent sign and every other '%' prints as it stands.
#pragma once

#include <cstdint>
#include <string>

#include "engine/tvk_export.h"
#include "kit/text/font.h"
#include "kit/text/font_manager.h"

/// The manager Text_CreateFont asks; the program sets FontManager::Get() before the first
/// Text_CreateFont. Without one, Text_CreateFont registers no font (null) under its id.
TVK_API void Text_SetFontManager(FontManager* manager);

/// Loads a .fnt file (no mipmaps) under a new id, also when loading fails.
TVK_API int Text_LoadFont(const char* path);
/// Stores the manager's font for these arguments under a new id, also when it is null.
TVK_API int Text_CreateFont(bool from_file, const char* name, int size, bool bold,
                            bool italic);
/// Widest line of the text in the most recently loaded or created font (not the selected
/// one); 0 when there is none.
TVK_API float Text_GetWidth(const char* text);
/// Draws text at (x, y) with the selected font in the API colour. 1, or 0 when the selected
/// id holds no font.
TVK_API int Text_Print(float x, float y, const char* text);
/// Text_Print of Number_ToText(value).
TVK_API int Text_PrintNumber(float x, float y, double value);
/// Sets the selected font's scale and rotation (they stay for later prints) and draws the
/// text in the given colour; the API colour is unchanged. 1, or 0 when there is no font.
TVK_API int Text_PrintEx(float x, float y, const char* text, uint32_t color, float scale,
                         float rotation);
/// Selects the font of an id: 1, or 0 (selection unchanged) when the id holds no font.
TVK_API int Text_SelectFont(int id);
/// Sets the colour of Text_Print and Text_PrintNumber (0, fully transparent, at first). 1.
TVK_API int Text_SetColor(uint32_t color);
/// The font under an id; null for an id that holds none.
TVK_API Font* Text_GetFont(int id);
/// Destroys the fonts Text_LoadFont made (and so their engine references), forgets every
/// id and resets colour, selection and manager; for a program that shuts down and starts
/// again.
TVK_API void Text_Clear();

/// Clears the screen to the colour. 1, or 0 without an engine.
TVK_API int Screen_Clear(uint32_t color);
/// Saves a screenshot (the engine's next default name when null). 1, or 0 without an engine.
TVK_API int Screen_Snapshot(const char* filename);
/// The engine's frame rate; 0 without an engine.
TVK_API int Screen_GetFps();

/// A number as text: a whole number within 32 bits by "%d", anything else by "%.2f" with
/// trailing zeros dropped (the point stays): 2.5 -> "2.5", 0.001 -> "0.", 3e9 -> "3000000000.".
TVK_API std::string Number_ToText(double value);

/// The earlier form of the text API, which the font tutorial uses: printing always takes the
/// most recently loaded font, and there is no selection, no TrueType font and no number
/// printing. Ids, colour and fonts are shared with the API above.
namespace text_v1 {
using ::Screen_Clear;
using ::Screen_GetFps;
using ::Screen_Snapshot;
using ::Text_GetWidth;
using ::Text_LoadFont;
using ::Text_SetColor;
/// Draws text with the most recently loaded font in the API colour. 1, or 0 without a font.
TVK_API int Text_Print(float x, float y, const char* text);
/// Text_PrintEx on the most recently loaded font.
TVK_API int Text_PrintEx(float x, float y, const char* text, uint32_t color, float scale,
                         float rotation);
}  // namespace text_v1
