// Built when the build has no D-Bus library: the icons go to the display's tray alone.
#include "display/dbus/StatusNotifierTray.h"

namespace display {

struct StatusNotifierTray::Bus {};

std::unique_ptr<StatusNotifierTray> StatusNotifierTray::Open(std::function<void()>) { return nullptr; }

StatusNotifierTray::~StatusNotifierTray() = default;

bool StatusNotifierTray::Update(const std::vector<win32::TrayIcon>&) { return false; }

}  // namespace display
