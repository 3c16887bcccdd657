#include "display/dbus/Notifications.h"

#include "display/TrayCallback.h"
#include "display/dbus/BusNames.h"
#include "display/dbus/StatusNotifierItem.h"
#include "win32/CodePage.h"

namespace display {
namespace {

constexpr const char* kName = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
// As long as the display's own balloon stays; the program takes it down earlier itself.
constexpr int kTimeoutMs = 10000;
// Why a notification closed: it expired, or the user dismissed it.
constexpr uint32_t kExpired = 1, kDismissed = 2;

Notifications* Self(void* self) { return static_cast<Notifications*>(self); }

}  // namespace

Notifications::Notifications(sd_bus* bus) : m_bus(bus) {
  sd_bus_match_signal(bus, nullptr, kName, kPath, kName, "ActionInvoked", OnActionInvoked, this);
  sd_bus_match_signal(bus, nullptr, kName, kPath, kName, "NotificationClosed", OnClosed, this);
  m_owned = FollowOwner(bus, kName, OnOwnerChanged, this);
  m_activatable = Activatable(bus, kName);
}

void Notifications::Show(const win32::TrayIcon& icon, Delivery delivery) {
  Balloon& balloon = m_balloons[Key(icon.window, icon.id)];
  const bool fresh = !icon.balloonText.empty() &&
                     (icon.balloonText != balloon.record.balloonText || icon.balloonTitle != balloon.record.balloonTitle);
  const bool emptied = icon.balloonText.empty() && !balloon.record.balloonText.empty();
  balloon.record = icon;
  if (emptied) {
    if (balloon.id) Close(balloon.id);
    balloon.id = 0;
  }
  if (!fresh || delivery != Delivery::Send || !Available()) return;
  sd_bus_message* call = nullptr;
  const std::string program = ProgramName(icon.window), title = WideToUtf8(icon.balloonTitle),
                    text = WideToUtf8(icon.balloonText);
  // The "default" action is a click on the notification itself.
  if (sd_bus_message_new_method_call(m_bus, &call, kName, kPath, kName, "Notify") >= 0 &&
      sd_bus_message_append(call, "susssasa{sv}i", program.c_str(), balloon.id, "", title.c_str(), text.c_str(), 2,
                            "default", "", 0, kTimeoutMs) >= 0 &&
      sd_bus_call_async(m_bus, nullptr, call, OnNotified, this, 0) >= 0) {
    uint64_t cookie = 0;
    sd_bus_message_get_cookie(call, &cookie);
    m_calls[cookie] = Key(icon.window, icon.id);
    balloon.pendingCall = cookie;
    PostTrayCallback(icon, kNinBalloonShow);
  }
  sd_bus_message_unref(call);
}

void Notifications::Remove(HWND window, UINT id) {
  auto balloon = m_balloons.find(Key(window, id));
  if (balloon == m_balloons.end()) return;
  if (balloon->second.id) Close(balloon->second.id);
  m_balloons.erase(balloon);  // one still on its way is closed when it comes
}

void Notifications::Close(uint32_t id) {
  sd_bus_call_method_async(m_bus, nullptr, kName, kPath, kName, "CloseNotification", nullptr, nullptr, "u", id);
}

Notifications::Balloon* Notifications::Take(uint32_t id) {
  for (auto& [key, balloon] : m_balloons)
    if (id && balloon.id == id) {
      balloon.id = 0;
      return &balloon;
    }
  return nullptr;
}

int Notifications::OnNotified(sd_bus_message* reply, void* self, sd_bus_error*) {
  Notifications& n = *Self(self);
  uint64_t cookie = 0;
  sd_bus_message_get_reply_cookie(reply, &cookie);
  auto call = n.m_calls.find(cookie);
  if (call == n.m_calls.end()) return 0;
  auto balloon = n.m_balloons.find(call->second);
  n.m_calls.erase(call);
  uint32_t id = 0;
  if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "u", &id) < 0 || !id) return 0;
  // Taken down while it was on its way.
  if (balloon == n.m_balloons.end() || balloon->second.record.balloonText.empty()) {
    n.Close(id);
    return 0;
  }
  // Followed by a newer one, which replaces the notification it knew of: this one goes,
  // unless it is that same notification.
  if (balloon->second.pendingCall != cookie) {
    if (id != balloon->second.id) n.Close(id);
    return 0;
  }
  balloon->second.id = id;
  return 0;
}

int Notifications::OnActionInvoked(sd_bus_message* signal, void* self, sd_bus_error*) {
  uint32_t id = 0;
  const char* action = nullptr;
  if (sd_bus_message_read(signal, "us", &id, &action) < 0 || std::string(action ? action : "") != "default") return 0;
  if (Balloon* balloon = Self(self)->Take(id)) PostTrayCallback(balloon->record, kNinBalloonUserClick);
  return 0;
}

int Notifications::OnClosed(sd_bus_message* signal, void* self, sd_bus_error*) {
  uint32_t id = 0, reason = 0;
  if (sd_bus_message_read(signal, "uu", &id, &reason) < 0) return 0;
  Balloon* balloon = Self(self)->Take(id);
  if (balloon && (reason == kExpired || reason == kDismissed)) PostTrayCallback(balloon->record, kNinBalloonTimeout);
  return 0;
}

int Notifications::OnOwnerChanged(sd_bus_message* signal, void* self, sd_bus_error*) {
  Self(self)->m_owned = !NewOwner(signal).empty();
  return 0;
}

}  // namespace display
