#pragma once
// The event ids that keep one meaning across the controls.
namespace UI {

enum ControlEvent : int {
  kClickEvent = 1,
  // Selection, value, checked state or page changed.
  kChangedEvent = 2,
  kMouseEnterEvent = 5,
  kMouseLeaveEvent = 6,
};

}  // namespace UI
