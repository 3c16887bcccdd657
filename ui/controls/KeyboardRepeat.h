#pragma once
// The keyboard's auto-repeat timing, which every held control repeats by.
namespace UI {

// The delay before the first repeat: 250 to 1000 ms.
int KeyboardRepeatDelay();
// The time between repeats: 33 to 400 ms.
int KeyboardRepeatInterval();

}  // namespace UI
