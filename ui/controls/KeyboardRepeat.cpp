#include "ui/controls/KeyboardRepeat.h"

#include "win32/Metrics.h"

namespace UI {

int KeyboardRepeatDelay() {
  int delay = -1;
  ::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  return delay >= 0 && delay <= 3 ? (delay + 1) * 250 : 250;
}

int KeyboardRepeatInterval() {
  DWORD speed = ~0u;
  ::SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  return speed <= 31 ? static_cast<int>((31 - speed) * 367 / 31 + 33) : 33;
}

}  // namespace UI
