#include "platform/os/keymap.h"

#include <cstring>

namespace os {
namespace {

struct ScanToKey {
  SDL_Scancode scan;
  int vk;
};

const ScanToKey kScanKeys[] = {
    {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_COMMA, 188}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_CAPSLOCK, 20}, {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_SCROLLLOCK, 145}, {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_PAGEDOWN, 34}, {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_LCTRL, 17}, {SDL_SCANCODE_RCTRL, 17}, {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16}, {SDL_SCANCODE_LALT, 18}, {SDL_SCANCODE_RALT, 18},
    {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

// Characters of the shifted digit and punctuation keys, for keys that produce no text event.
char Shifted(char c) {
  const char* plain = "1234567890-=[]\\;',./`";
  const char* shifted = "!@#$%^&*()_+{}|:\"<>?~";
  const char* at = strchr(plain, c);
  return at ? shifted[at - plain] : c;
}

}  // namespace

int VirtualKey(SDL_Scancode scan, SDL_Keycode key) {
  if (key >= 'a' && key <= 'z') return int(key - 'a' + 'A');
  if (scan >= SDL_SCANCODE_A && scan <= SDL_SCANCODE_Z) return 'A' + (scan - SDL_SCANCODE_A);
  if (scan >= SDL_SCANCODE_1 && scan <= SDL_SCANCODE_9) return '1' + (scan - SDL_SCANCODE_1);
  if (scan == SDL_SCANCODE_0) return '0';
  if (scan >= SDL_SCANCODE_F1 && scan <= SDL_SCANCODE_F12) return 112 + (scan - SDL_SCANCODE_F1);
  if (scan >= SDL_SCANCODE_KP_1 && scan <= SDL_SCANCODE_KP_9) return 97 + (scan - SDL_SCANCODE_KP_1);
  for (const ScanToKey& k : kScanKeys)
    if (k.scan == scan) return k.vk;
  return 0;
}

int KeyCharacter(const SDL_Keysym& key) {
  SDL_Keycode code = key.sym;
  bool shift = key.mod & KMOD_SHIFT, caps = key.mod & KMOD_CAPS;
  switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_ESCAPE: return 27;
    default: break;
  }
  if (code >= 'a' && code <= 'z') {
    if (key.mod & KMOD_CTRL) return int(code - 'a' + 1);
    return int(shift != caps ? code - 'a' + 'A' : code);
  }
  if (code >= 32 && code < 127) return shift ? Shifted(char(code)) : int(code);
  if ((key.mod & KMOD_NUM) && code >= SDLK_KP_1 && code <= SDLK_KP_9) return '1' + int(code - SDLK_KP_1);
  if ((key.mod & KMOD_NUM) && code == SDLK_KP_0) return '0';
  return 0;
}

int DecodeFirstCharacter(const char* s) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(s);
  if (u[0] < 0x80) return u[0];
  if ((u[0] & 0xE0) == 0xC0 && u[1]) return ((u[0] & 0x1F) << 6) | (u[1] & 0x3F);
  if ((u[0] & 0xF0) == 0xE0 && u[1] && u[2])
    return ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F);
  return 0;  // characters beyond 16 bits have no place in the event's character field
}

}  // namespace os
