#include "dialogue/platform/key_event.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace simeq {
namespace {

// Virtual-key codes of keys that type nothing and have no extended code.
constexpr std::uint16_t kVirtualKeyShift = 0x10;
constexpr std::uint16_t kVirtualKeyControl = 0x11;
constexpr std::uint16_t kVirtualKeyAlt = 0x12;
constexpr std::uint16_t kVirtualKeyCapsLock = 0x14;
constexpr std::uint16_t kVirtualKeyClear = 0x0c;  // keypad 5 with Num Lock off
// Virtual-key codes of keys that type a character.
constexpr std::uint16_t kVirtualKeyReturn = 0x0d;
constexpr std::uint16_t kVirtualKeyA = 0x41;
constexpr std::uint16_t kVirtualKeyC = 0x43;
// Control-key state bits.
constexpr std::uint32_t kShiftPressed = 0x0010;
constexpr std::uint32_t kLeftCtrlPressed = 0x0008;
constexpr std::uint32_t kNumLockOn = 0x0020;

constexpr std::optional<KeyCodes> kIgnored = std::nullopt;

TEST(DecodeKeyEventTest, ReadsEachKindOfPress) {
  const struct {
    const char* name;
    KeyEvent event;
    std::optional<KeyCodes> expected;
  } kCases[] = {
      {"letter", {true, 'a', kVirtualKeyA, 0}, KeyCodes{'a', kNoSecondCode}},
      {"capital", {true, 'A', kVirtualKeyA, kShiftPressed}, KeyCodes{'A', kNoSecondCode}},
      {"Ctrl+C", {true, 3, kVirtualKeyC, kLeftCtrlPressed}, KeyCodes{3, kNoSecondCode}},
      {"Enter", {true, 13, kVirtualKeyReturn, 0}, KeyCodes{13, kNoSecondCode}},
      {"keypad Enter",
       {true, 13, kVirtualKeyReturn, kEnhancedKeyFlag},
       KeyCodes{13, kNoSecondCode}},
      {"character above 127", {true, 0xe9, 0xde, 0}, KeyCodes{0xe9, kNoSecondCode}},
      {"character 255", {true, 0xff, 0xde, 0}, KeyCodes{255, kNoSecondCode}},
      {"release of a letter", {false, 'a', kVirtualKeyA, 0}, kIgnored},
      {"release of an arrow", {false, 0, kVirtualKeyUp, kEnhancedKeyFlag}, kIgnored},
      {"Shift alone", {true, 0, kVirtualKeyShift, kShiftPressed}, kIgnored},
      {"left Ctrl alone", {true, 0, kVirtualKeyControl, kLeftCtrlPressed}, kIgnored},
      {"right Ctrl alone", {true, 0, kVirtualKeyControl, kEnhancedKeyFlag}, kIgnored},
      {"Alt alone", {true, 0, kVirtualKeyAlt, 0}, kIgnored},
      {"Caps Lock", {true, 0, kVirtualKeyCapsLock, 0}, kIgnored},
      {"keypad 5 with Num Lock off", {true, 0, kVirtualKeyClear, 0}, kIgnored},
  };
  for (const auto& c : kCases) {
    const std::optional<KeyCodes> got = DecodeKeyEvent(c.event);
    ASSERT_EQ(c.expected.has_value(), got.has_value()) << c.name;
    if (!got) continue;
    EXPECT_EQ(c.expected->first, got->first) << c.name;
    EXPECT_EQ(c.expected->second, got->second) << c.name;
  }
}

// Keys without a character read as a lead code and a second code: 224 for
// the grey cursor block (enhanced flag) and F11, F12; 0 for F1 to F10 and
// for the keypad's cursor keys with Num Lock off (no enhanced flag).
TEST(DecodeKeyEventTest, ReadsCursorAndFunctionKeysAsTwoCodes) {
  const struct {
    const char* name;
    std::uint16_t virtual_key;
    std::uint32_t control_state;
    int first;
    int second;
  } kCases[] = {
      {"grey Up", kVirtualKeyUp, kEnhancedKeyFlag, 224, 72},
      {"grey Down", kVirtualKeyDown, kEnhancedKeyFlag, 224, 80},
      {"grey Left", kVirtualKeyLeft, kEnhancedKeyFlag, 224, 75},
      {"grey Right", kVirtualKeyRight, kEnhancedKeyFlag, 224, 77},
      {"grey Home", kVirtualKeyHome, kEnhancedKeyFlag, 224, 71},
      {"grey End", kVirtualKeyEnd, kEnhancedKeyFlag, 224, 79},
      {"grey Page Up", kVirtualKeyPageUp, kEnhancedKeyFlag, 224, 73},
      {"grey Page Down", kVirtualKeyPageDown, kEnhancedKeyFlag, 224, 81},
      {"grey Insert", kVirtualKeyInsert, kEnhancedKeyFlag, 224, 82},
      {"grey Delete", kVirtualKeyDelete, kEnhancedKeyFlag, 224, 83},
      {"grey Up with Shift", kVirtualKeyUp, kEnhancedKeyFlag | kShiftPressed, 224, 72},
      {"keypad Up", kVirtualKeyUp, 0, 0, 72},
      {"keypad Left", kVirtualKeyLeft, 0, 0, 75},
      {"keypad Page Down", kVirtualKeyPageDown, 0, 0, 81},
      {"keypad Delete", kVirtualKeyDelete, 0, 0, 83},
      {"keypad Home, Num Lock and Shift", kVirtualKeyHome, kNumLockOn | kShiftPressed, 0, 71},
      {"grey Insert with Num Lock", kVirtualKeyInsert, kNumLockOn | kEnhancedKeyFlag, 224, 82},
      {"F1", kVirtualKeyF1, 0, 0, 59},
      {"F5", static_cast<std::uint16_t>(kVirtualKeyF1 + 4), 0, 0, 63},
      {"F10", kVirtualKeyF10, 0, 0, 68},
      {"F11", kVirtualKeyF11, 0, 224, 133},
      {"F12", kVirtualKeyF12, 0, 224, 134},
  };
  for (const auto& c : kCases) {
    const std::optional<KeyCodes> got =
        DecodeKeyEvent(KeyEvent{true, 0, c.virtual_key, c.control_state});
    ASSERT_TRUE(got.has_value()) << c.name;
    EXPECT_EQ(c.first, got->first) << c.name;
    EXPECT_EQ(c.second, got->second) << c.name;
  }
}

// The keys just outside the extended ranges have no code of their own.
TEST(DecodeKeyEventTest, IgnoresKeysNextToTheExtendedRanges) {
  const std::uint16_t kNeighbours[] = {
      static_cast<std::uint16_t>(kVirtualKeyPageUp - 1),  // Space has a character
      static_cast<std::uint16_t>(kVirtualKeyDown + 1),    // Select
      static_cast<std::uint16_t>(kVirtualKeyF1 - 1),      // Sleep
      static_cast<std::uint16_t>(kVirtualKeyF12 + 1),     // F13
  };
  for (const std::uint16_t key : kNeighbours) {
    EXPECT_FALSE(DecodeKeyEvent(KeyEvent{true, 0, key, kEnhancedKeyFlag}).has_value()) << key;
  }
}

}  // namespace
}  // namespace simeq
