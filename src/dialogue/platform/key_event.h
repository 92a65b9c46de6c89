#ifndef SIMEQ_DIALOGUE_PLATFORM_KEY_EVENT_H_
#define SIMEQ_DIALOGUE_PLATFORM_KEY_EVENT_H_

#include <cstdint>
#include <optional>

namespace simeq {

// Virtual-key codes of the keys that read as a two-code extended sequence,
// with the values the Windows console gives them.
inline constexpr std::uint16_t kVirtualKeyPageUp = 0x21;
inline constexpr std::uint16_t kVirtualKeyPageDown = 0x22;
inline constexpr std::uint16_t kVirtualKeyEnd = 0x23;
inline constexpr std::uint16_t kVirtualKeyHome = 0x24;
inline constexpr std::uint16_t kVirtualKeyLeft = 0x25;
inline constexpr std::uint16_t kVirtualKeyUp = 0x26;
inline constexpr std::uint16_t kVirtualKeyRight = 0x27;
inline constexpr std::uint16_t kVirtualKeyDown = 0x28;
inline constexpr std::uint16_t kVirtualKeyInsert = 0x2d;
inline constexpr std::uint16_t kVirtualKeyDelete = 0x2e;
inline constexpr std::uint16_t kVirtualKeyF1 = 0x70;
inline constexpr std::uint16_t kVirtualKeyF10 = 0x79;
inline constexpr std::uint16_t kVirtualKeyF11 = 0x7a;
inline constexpr std::uint16_t kVirtualKeyF12 = 0x7b;

// Control-key state bit of a key from the enhanced (grey) block: the cursor
// keys and their six neighbours beside the main keyboard.
inline constexpr std::uint32_t kEnhancedKeyFlag = 0x0100;

// First code of an extended sequence for a grey key and for F11 and F12.
inline constexpr int kEnhancedLeadCode = 224;
// First code of an extended sequence for F1 to F10 and the keypad keys.
inline constexpr int kPlainLeadCode = 0;

// The fields of one console key event that decide what it means.
struct KeyEvent {
  bool key_down;                // a press, not a release
  unsigned char character;      // the character it types, 0 for none
  std::uint16_t virtual_key;    // the virtual-key code
  std::uint32_t control_state;  // modifier and enhanced-key bits
};

// What a key press reads as: one character, or an extended sequence whose
// second code a later key read would take.
struct KeyCodes {
  int first;   // the character (1 to 255) or the lead code (0 or 224)
  int second;  // the second code of an extended sequence, or kNoSecondCode
};

// Marks a KeyCodes that is a plain character.
inline constexpr int kNoSecondCode = -1;

// Decodes a console key event the way a single-key read sees it; nothing for
// a release and for a press that carries no code (a modifier key alone).
std::optional<KeyCodes> DecodeKeyEvent(const KeyEvent& event);

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_PLATFORM_KEY_EVENT_H_
