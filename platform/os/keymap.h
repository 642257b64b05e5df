// Maps SDL keys onto the engine's virtual-key codes and characters.
#pragma once

#include <SDL2/SDL_keyboard.h>

namespace os {

// The virtual-key code (1-255) of a physical key under the active layout; 0 when unmapped.
int VirtualKey(SDL_Scancode scancode, SDL_Keycode keycode);
// The character a key gives with the modifier state, for keys that produce no text event.
int KeyCharacter(const SDL_Keysym& key);
// The first character of a UTF-8 text, low 16 bits.
int DecodeFirstCharacter(const char* utf8);

}  // namespace os
