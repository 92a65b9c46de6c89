#include "dialogue/platform/key_event.h"

namespace simeq {
namespace {

// A key without a character that reads as an extended sequence.
struct ExtendedKey {
  std::uint16_t virtual_key;
  int second;            // the code that follows the lead code
  bool always_enhanced;  // leads with 224 even without the enhanced flag
};

// The second codes single-key reads have always given these keys. The
// cursor block exists twice: grey keys carry the enhanced flag and lead with
// 224, keypad keys (Num Lock off) carry none and lead with 0.
constexpr ExtendedKey kExtendedKeys[] = {
    {kVirtualKeyUp, 72, false},     {kVirtualKeyDown, 80, false},
    {kVirtualKeyLeft, 75, false},   {kVirtualKeyRight, 77, false},
    {kVirtualKeyHome, 71, false},   {kVirtualKeyEnd, 79, false},
    {kVirtualKeyPageUp, 73, false}, {kVirtualKeyPageDown, 81, false},
    {kVirtualKeyInsert, 82, false}, {kVirtualKeyDelete, 83, false},
    {kVirtualKeyF11, 133, true},    {kVirtualKeyF12, 134, true},
};

// F1 to F10 have consecutive virtual-key codes and second codes.
constexpr int kF1SecondCode = 59;

}  // namespace

std::optional<KeyCodes> DecodeKeyEvent(const KeyEvent& event) {
  if (!event.key_down) return std::nullopt;
  if (event.character != 0) return KeyCodes{event.character, kNoSecondCode};

  const bool enhanced = (event.control_state & kEnhancedKeyFlag) != 0;
  if (event.virtual_key >= kVirtualKeyF1 && event.virtual_key <= kVirtualKeyF10) {
    return KeyCodes{enhanced ? kEnhancedLeadCode : kPlainLeadCode,
                    kF1SecondCode + (event.virtual_key - kVirtualKeyF1)};
  }
  for (const ExtendedKey& key : kExtendedKeys) {
    if (key.virtual_key != event.virtual_key) continue;
    const bool lead_224 = enhanced || key.always_enhanced;
    return KeyCodes{lead_224 ? kEnhancedLeadCode : kPlainLeadCode, key.second};
  }
  return std::nullopt;  // Shift, Ctrl, Alt, Caps Lock, Num Lock and the like
}

}  // namespace simeq
