#pragma once
// Modules that may see window messages before they are dispatched: each exports
// "MyPreTranslateMessage" (int (MSG*)). Meant for the UI thread.
#include "mfc/Afx.h"

namespace Common {

// Appends the module (a module may be registered more than once).
void RegisterMsgInstance(HINSTANCE module);
// Removes the first entry of the module, if any.
void UnRegisterMsgInstance(HINSTANCE module);
// Offers the message to the registered modules in order; 1 when one took it.
int DoMyPreTranslateMessage(MSG* message);

}  // namespace Common
