#pragma once
// Values between the wire and automation: strings are UTF-8 on the wire and wide in
// variants; a variant passed by reference is read through.
#include "webbrowser/WebHostWire.h"
#include "win32/OleAuto.h"

namespace webbrowser {

webhost::WireValue ToWire(const VARIANT& value);
// Fills a cleared variant (the caller clears it later).
void FromWire(const webhost::WireValue& value, VARIANT* out);

}  // namespace webbrowser
