#include "display/dbus/StatusNotifierItem.h"

#include <fstream>

#include "display/Desktop.h"
#include "display/TrayCallback.h"
#include "win32/CodePage.h"
#include "win32/IconPixels.h"

namespace display {
namespace {

constexpr const char* kPath = "/StatusNotifierItem";
constexpr const char* kInterface = "org.kde.StatusNotifierItem";
// Hosts pick the size nearest to what they show and scale it.
constexpr int kSizes[] = {16, 24, 32, 48};

StatusNotifierItem* Self(void* self) { return static_cast<StatusNotifierItem*>(self); }

}  // namespace

std::string ProgramName(HWND window) {
  wchar_t title[256] = {};
  if (window && GetWindowTextW(window, title, 256) > 0) return WideToUtf8(title);
  std::string name;
  std::ifstream comm("/proc/self/comm");
  std::getline(comm, name);
  return name;
}

const sd_bus_vtable StatusNotifierItem::kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", GetString, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", GetString, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", GetString, 0, 0),
    SD_BUS_PROPERTY("Status", "s", GetString, 0, 0),
    SD_BUS_PROPERTY("WindowId", "i", GetWindowId, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconName", "s", GetString, 0, 0),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", GetIcon, 0, 0),
    SD_BUS_PROPERTY("OverlayIconName", "s", GetString, 0, 0),
    SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", GetNoIcon, 0, 0),
    SD_BUS_PROPERTY("AttentionIconName", "s", GetString, 0, 0),
    SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", GetNoIcon, 0, 0),
    SD_BUS_PROPERTY("AttentionMovieName", "s", GetString, 0, 0),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", GetToolTip, 0, 0),
    SD_BUS_PROPERTY("ItemIsMenu", "b", GetFalse, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    // The host's clicks are the icon's own; its context menu is the program's, opened by a
    // right click as on the display's tray.
    SD_BUS_METHOD("Activate", "ii", "", (OnClick<WM_LBUTTONDOWN, WM_LBUTTONUP>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", (OnClick<WM_MBUTTONDOWN, WM_MBUTTONUP>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("ContextMenu", "ii", "", (OnClick<WM_RBUTTONDOWN, WM_RBUTTONUP>), SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Scroll", "is", "", OnScroll, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("NewTitle", "", 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
    SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END};

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::Create(const win32::TrayIcon& icon, const std::string& name) {
  std::unique_ptr<StatusNotifierItem> item(new StatusNotifierItem);
  item->m_record = icon;
  item->m_name = name;
  item->m_program = ProgramName(icon.window);
  item->Render();
  if (sd_bus_open_user(&item->m_bus) < 0) return nullptr;
  if (sd_bus_add_object_vtable(item->m_bus, &item->m_object, kPath, kInterface, kVtable, item.get()) < 0 ||
      sd_bus_request_name(item->m_bus, name.c_str(), 0) < 0)
    return nullptr;
  item->Register();
  return item;
}

StatusNotifierItem::~StatusNotifierItem() {
  sd_bus_slot_unref(m_object);
  sd_bus_flush_close_unref(m_bus);
}

void StatusNotifierItem::Register() {
  sd_bus_call_method_async(m_bus, nullptr, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                           "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem", nullptr, nullptr, "s",
                           m_name.c_str());
}

void StatusNotifierItem::Set(const win32::TrayIcon& icon) {
  const bool newIcon = icon.icon != m_record.icon;
  const bool newTip = icon.tip != m_record.tip;
  m_record = icon;
  if (newIcon) {
    Render();
    sd_bus_emit_signal(m_bus, kPath, kInterface, "NewIcon", "");
  }
  if (newTip) {
    sd_bus_emit_signal(m_bus, kPath, kInterface, "NewTitle", "");
    sd_bus_emit_signal(m_bus, kPath, kInterface, "NewToolTip", "");
  }
}

void StatusNotifierItem::Render() {
  m_pixmaps.clear();
  for (int size : kSizes) {
    Pixmap pixmap{size, {}};
    if (win32::IconArgbPixels(m_record.icon, size, &pixmap.argb)) m_pixmaps.push_back(std::move(pixmap));
  }
}

std::string StatusNotifierItem::TipTitle() const {
  const std::wstring& tip = m_record.tip;
  std::string title = WideToUtf8(tip.substr(0, tip.find_first_of(L"\r\n")));
  return title.empty() ? m_program : title;
}

std::string StatusNotifierItem::TipBody() const {
  const std::wstring& tip = m_record.tip;
  const size_t end = tip.find_first_of(L"\r\n");
  const size_t start = end == std::wstring::npos ? end : tip.find_first_not_of(L"\r\n", end);
  if (start == std::wstring::npos) return "";
  std::wstring body;
  for (size_t i = start; i < tip.size(); ++i)
    if (tip[i] != L'\r') body += tip[i];
  return WideToUtf8(body);
}

void StatusNotifierItem::Click(int x, int y, UINT down, UINT up) const {
  Desktop::Get().SetCursorPosition(x, y);
  PostTrayCallback(m_record, down);
  PostTrayCallback(m_record, up);
}

int StatusNotifierItem::GetString(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                                  void* self, sd_bus_error*) {
  const std::string name = property;
  std::string value;
  if (name == "Category") value = "ApplicationStatus";
  else if (name == "Id") value = Self(self)->m_program;
  else if (name == "Title") value = Self(self)->TipTitle();
  else if (name == "Status") value = "Active";
  return sd_bus_message_append(reply, "s", value.c_str());
}

int StatusNotifierItem::GetIcon(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                                sd_bus_error*) {
  int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
  for (const Pixmap& pixmap : Self(self)->m_pixmaps) {
    if (r >= 0) r = sd_bus_message_open_container(reply, 'r', "iiay");
    if (r >= 0) r = sd_bus_message_append(reply, "ii", pixmap.size, pixmap.size);
    if (r >= 0) r = sd_bus_message_append_array(reply, 'y', pixmap.argb.data(), pixmap.argb.size());
    if (r >= 0) r = sd_bus_message_close_container(reply);
  }
  return r < 0 ? r : sd_bus_message_close_container(reply);
}

int StatusNotifierItem::GetNoIcon(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                                  sd_bus_error*) {
  return sd_bus_message_append(reply, "a(iiay)", 0);
}

int StatusNotifierItem::GetToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                                   sd_bus_error*) {
  // A host reads the tip when the pointer comes to rest on the icon: that is the move the
  // program refreshes its tip on (an unchanged tip then announces nothing).
  PostTrayCallback(Self(self)->m_record, WM_MOUSEMOVE);
  const std::string title = Self(self)->TipTitle(), body = Self(self)->TipBody();
  return sd_bus_message_append(reply, "(sa(iiay)ss)", "", 0, title.c_str(), body.c_str());
}

int StatusNotifierItem::GetFalse(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                                 sd_bus_error*) {
  return sd_bus_message_append(reply, "b", 0);
}

int StatusNotifierItem::GetWindowId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                                    sd_bus_error*) {
  return sd_bus_message_append(reply, "i", 0);
}

template <UINT Down, UINT Up>
int StatusNotifierItem::OnClick(sd_bus_message* call, void* self, sd_bus_error*) {
  int x = 0, y = 0;
  if (int r = sd_bus_message_read(call, "ii", &x, &y); r < 0) return r;
  Self(self)->Click(x, y, Down, Up);
  return sd_bus_reply_method_return(call, "");
}

int StatusNotifierItem::OnScroll(sd_bus_message* call, void*, sd_bus_error*) {
  return sd_bus_reply_method_return(call, "");  // the icon has no use for the wheel
}

}  // namespace display
