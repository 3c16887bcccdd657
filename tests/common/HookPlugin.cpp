// A module with a message hook, for the message-hook registry's tests: it takes
// message 0x401 and declines the rest.
#include "win32/WinUser.h"

extern "C" __attribute__((visibility("default"))) int MyPreTranslateMessage(MSG* message) {
  return message && message->message == 0x401 ? 1 : 0;
}
