// Key symbols of the X protocol that the recording keys use.
#pragma once

#include <xcb/xcb.h>

namespace keysym {
inline constexpr xcb_keysym_t kControl = 0xffe3;
inline constexpr xcb_keysym_t kAlt = 0xffe9;
inline constexpr xcb_keysym_t kDelete = 0xffff;
inline constexpr xcb_keysym_t kPause = 0xff13;
inline constexpr xcb_keysym_t kPrint = 0xff61;
inline constexpr xcb_keysym_t kNumLock = 0xff7f;
inline constexpr xcb_keysym_t kCapsLock = 0xffe5;
inline constexpr xcb_keysym_t kLetterC = 0x0063;
inline constexpr xcb_keysym_t kLetterH = 0x0068;
inline constexpr xcb_keysym_t kLetterP = 0x0070;
}  // namespace keysym
