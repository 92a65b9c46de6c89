#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>

#include "dialogue/platform/key_event.h"
#include "dialogue/platform/key_wait.h"

namespace simeq {
namespace {

static_assert(kVirtualKeyPageUp == VK_PRIOR && kVirtualKeyPageDown == VK_NEXT);
static_assert(kVirtualKeyEnd == VK_END && kVirtualKeyHome == VK_HOME);
static_assert(kVirtualKeyLeft == VK_LEFT && kVirtualKeyUp == VK_UP);
static_assert(kVirtualKeyRight == VK_RIGHT && kVirtualKeyDown == VK_DOWN);
static_assert(kVirtualKeyInsert == VK_INSERT && kVirtualKeyDelete == VK_DELETE);
static_assert(kVirtualKeyF1 == VK_F1 && kVirtualKeyF10 == VK_F10);
static_assert(kVirtualKeyF11 == VK_F11 && kVirtualKeyF12 == VK_F12);
static_assert(kEnhancedKeyFlag == ENHANCED_KEY);

// What the console control handler needs to put the mode back. Set before
// the handler is installed and left alone until it is removed.
HANDLE g_console = INVALID_HANDLE_VALUE;
DWORD g_saved_mode = 0;

// The second code of the last extended key, taken by the next wait.
int g_held_code = kNoSecondCode;

// The console input device, opened on first use and kept open until the
// process ends; INVALID_HANDLE_VALUE when there is no console.
HANDLE ConsoleInput() {
  static const HANDLE handle =
      ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  return handle;
}

// Ctrl+Break or closing the window ends the process during the wait: the
// console gets its mode back first, then the default handling goes on.
BOOL WINAPI RestoreModeOnExit(DWORD) {
  ::SetConsoleMode(g_console, g_saved_mode);
  return FALSE;
}

// Takes events until a key press with a code; -1 if reading fails.
int ReadKeyPress(HANDLE console) {
  for (;;) {
    INPUT_RECORD record{};
    DWORD count = 0;
    if (!::ReadConsoleInputA(console, &record, 1, &count) || count == 0) {
      return -1;  // the console has gone
    }
    if (record.EventType != KEY_EVENT) continue;  // mouse, resize, focus
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    const std::optional<KeyCodes> codes = DecodeKeyEvent(
        KeyEvent{key.bKeyDown != FALSE, static_cast<unsigned char>(key.uChar.AsciiChar),
                 key.wVirtualKeyCode, key.dwControlKeyState});
    if (!codes) continue;  // a release, or a modifier key alone
    g_held_code = codes->second;
    return codes->first;
  }
}

}  // namespace

int WaitForKey() {
  if (g_held_code != kNoSecondCode) {
    const int held = g_held_code;
    g_held_code = kNoSecondCode;
    return held;
  }
  const HANDLE console = ConsoleInput();
  if (console == INVALID_HANDLE_VALUE) return -1;  // no console attached
  DWORD saved = 0;
  if (!::GetConsoleMode(console, &saved)) return -1;
  g_console = console;
  g_saved_mode = saved;
  ::SetConsoleCtrlHandler(RestoreModeOnExit, TRUE);
  // Mode 0: no line input, no echo, and Ctrl+C arrives as character 3.
  ::SetConsoleMode(console, 0);
  // Keys typed ahead before the wait do not end it.
  ::FlushConsoleInputBuffer(console);
  const int key = ReadKeyPress(console);
  // The wait takes one key press: what arrived with it (the rest of a paste,
  // keys typed after it) is discarded, not left for the next program.
  ::FlushConsoleInputBuffer(console);
  ::SetConsoleMode(console, saved);
  ::SetConsoleCtrlHandler(RestoreModeOnExit, FALSE);
  return key;
}

}  // namespace simeq
