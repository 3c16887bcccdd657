// The notification area on a session bus: a desktop's watcher and notification service of
// the test's own, on a private bus, see the icons and balloons and click them.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "../../support/TempDir.h"
#include "../win32/WindowTestSupport.h"
#include "BusHost.h"
#include "TestIcon.h"
#include "display/Desktop.h"
#include "display/dbus/StatusNotifierTray.h"
#include "win32/MessageQueue.h"

namespace {

constexpr UINT kCallback = WM_USER + 100;
constexpr UINT kId = 135;
constexpr UINT kBalloonShow = WM_USER + 2, kBalloonTimeout = WM_USER + 4, kBalloonClick = WM_USER + 5;

bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    display::Desktop::Get().PumpUntilIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    win32::MessageQueue::Current()->WaitForInputFor(std::chrono::milliseconds(5));
  }
}

struct Pixmap {
  int width = 0, height = 0;
  std::vector<uint8_t> bytes;
};

class StatusNotifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_bus = bustest::PrivateBus::Start(m_dir.path().string());
    if (!m_bus) GTEST_SKIP() << "dbus-daemon is not installed";
    ASSERT_GE(sd_bus_open_user(&m_client), 0);
    m_window = wintest::MakeWindow(L"Dorv");
    wintest::Recorder::Get().Clear();
  }
  void TearDown() override {
    m_tray.reset();
    m_notifications.reset();
    m_watcher.reset();
    sd_bus_flush_close_unref(m_client);
    if (m_window) DestroyWindow(m_window);
  }

  void OpenTray() {
    m_tray = display::StatusNotifierTray::Open([this] { ++m_hostChanges; });
    ASSERT_TRUE(m_tray);
  }
  win32::TrayIcon Icon(HICON icon, const std::wstring& tip) const {
    win32::TrayIcon record;
    record.window = m_window;
    record.id = kId;
    record.callbackMessage = kCallback;
    record.icon = icon;
    record.tip = tip;
    return record;
  }
  std::vector<UINT> Callbacks() const {
    std::vector<UINT> out;
    for (const wintest::Seen& s : wintest::Recorder::Get().All())
      if (s.hwnd == m_window && s.msg == kCallback && s.wParam == kId) out.push_back(static_cast<UINT>(s.lParam));
    return out;
  }
  bool Called(UINT notice) const {
    auto seen = Callbacks();
    return std::find(seen.begin(), seen.end(), notice) != seen.end();
  }
  std::vector<std::string> Registered() {
    auto hold = m_watcher->Lock();
    return m_watcher->registered;
  }
  std::string ItemName(int n) const {
    return "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(n);
  }
  std::string StringProperty(const std::string& item, const char* name) {
    char* value = nullptr;
    sd_bus_get_property_string(m_client, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", name,
                               nullptr, &value);
    std::string out = value ? value : "<none>";
    free(value);
    return out;
  }
  std::vector<Pixmap> IconPixmap(const std::string& item) {
    std::vector<Pixmap> out;
    sd_bus_message* reply = nullptr;
    if (sd_bus_get_property(m_client, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "IconPixmap",
                            nullptr, &reply, "a(iiay)") < 0)
      return out;
    sd_bus_message_enter_container(reply, 'a', "(iiay)");
    while (sd_bus_message_enter_container(reply, 'r', "iiay") > 0) {
      Pixmap p;
      const void* data = nullptr;
      size_t size = 0;
      sd_bus_message_read(reply, "ii", &p.width, &p.height);
      sd_bus_message_read_array(reply, 'y', &data, &size);
      p.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
      out.push_back(std::move(p));
      sd_bus_message_exit_container(reply);
    }
    sd_bus_message_unref(reply);
    return out;
  }
  void ToolTip(const std::string& item, std::string* title, std::string* body) {
    sd_bus_message* reply = nullptr;
    const char *icon = nullptr, *t = nullptr, *b = nullptr;
    ASSERT_GE(sd_bus_get_property(m_client, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                  "ToolTip", nullptr, &reply, "(sa(iiay)ss)"),
              0);
    sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss");
    sd_bus_message_read(reply, "s", &icon);
    sd_bus_message_skip(reply, "a(iiay)");
    sd_bus_message_read(reply, "ss", &t, &b);
    *title = t ? t : "", *body = b ? b : "";
    sd_bus_message_unref(reply);
  }
  int Call(const std::string& item, const char* method, int x, int y) {
    return sd_bus_call_method(m_client, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", method,
                              nullptr, nullptr, "ii", x, y);
  }

  dorvtest::TempDir m_dir{"dorv-sni"};
  std::unique_ptr<bustest::PrivateBus> m_bus;
  sd_bus* m_client = nullptr;
  HWND m_window = nullptr;
  std::unique_ptr<bustest::Watcher> m_watcher;
  std::unique_ptr<bustest::NotificationService> m_notifications;
  std::unique_ptr<display::StatusNotifierTray> m_tray;
  std::atomic<int> m_hostChanges{0};
};

// The icon's pixels go out as ARGB in network byte order, each frame with NewIcon; the tip is
// the title and tool tip.
TEST_F(StatusNotifierTest, TheItemRegistersAndShowsTheIconAndTip) {
  m_watcher = bustest::Watcher::Start();
  ASSERT_TRUE(m_watcher);
  OpenTray();
  const HICON red = wintest::SolidIcon(901, 0xFFFF0000), blue = wintest::SolidIcon(902, 0x800000FF);
  EXPECT_TRUE(m_tray->Update({Icon(red, L"Dorv\n同步完成")}));
  ASSERT_TRUE(WaitFor([&] { return Registered() == std::vector<std::string>{ItemName(1)}; }));
  const std::string item = ItemName(1);

  std::vector<Pixmap> pixmaps = IconPixmap(item);
  ASSERT_FALSE(pixmaps.empty());
  for (const Pixmap& p : pixmaps) {
    ASSERT_EQ(p.bytes.size(), static_cast<size_t>(p.width * p.height * 4));
    EXPECT_EQ(std::vector<uint8_t>(p.bytes.begin(), p.bytes.begin() + 4), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0}));
  }
  std::string title, body;
  ToolTip(item, &title, &body);
  EXPECT_EQ(title, "Dorv");
  EXPECT_EQ(body, "同步完成");
  // The host's look at the tip is the pointer on the icon, which has the program refresh it.
  EXPECT_TRUE(WaitFor([&] { return Called(WM_MOUSEMOVE); }));
  EXPECT_EQ(StringProperty(item, "Title"), "Dorv");
  EXPECT_EQ(StringProperty(item, "Id"), "Dorv");  // the icon window's title
  EXPECT_EQ(StringProperty(item, "Status"), "Active");

  // An animation frame: the host hears of it and reads the new pixels.
  m_tray->Update({Icon(blue, L"Dorv\n正在同步")});
  ASSERT_TRUE(WaitFor([&] {
    auto hold = m_watcher->Lock();
    return m_watcher->newIcons == 1;
  }));
  pixmaps = IconPixmap(item);
  ASSERT_FALSE(pixmaps.empty());
  // Half transparent, not premultiplied (up to the scaler's rounding).
  EXPECT_EQ(std::vector<uint8_t>(pixmaps[0].bytes.begin(), pixmaps[0].bytes.begin() + 3),
            (std::vector<uint8_t>{0x80, 0, 0}));
  EXPECT_GE(pixmaps[0].bytes[3], 0xF0);
  ToolTip(item, &title, &body);
  EXPECT_EQ(body, "正在同步");

  // The icon leaves: so does its item.
  m_tray->Update({});
  ASSERT_TRUE(WaitFor([&] { return sd_bus_call_method(m_client, item.c_str(), "/StatusNotifierItem",
                                                       "org.freedesktop.DBus.Peer", "Ping", nullptr, nullptr, "") < 0; }));
}

// Activate is a left click, ContextMenu a right click (the program's menu opens at the cursor),
// SecondaryActivate a middle click; each at the host's point.
TEST_F(StatusNotifierTest, TheHostsClicksAreTheIconsClicksAtItsPoint) {
  m_watcher = bustest::Watcher::Start();
  ASSERT_TRUE(m_watcher);
  OpenTray();
  m_tray->Update({Icon(wintest::SolidIcon(903, 0xFF00FF00), L"Dorv")});
  ASSERT_TRUE(WaitFor([&] { return Registered().size() == 1; }));
  struct Case {
    const char* method;
    UINT down, up;
  } cases[] = {{"Activate", WM_LBUTTONDOWN, WM_LBUTTONUP},
               {"ContextMenu", WM_RBUTTONDOWN, WM_RBUTTONUP},
               {"SecondaryActivate", WM_MBUTTONDOWN, WM_MBUTTONUP}};
  int x = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    wintest::Recorder::Get().Clear();
    ASSERT_GE(Call(Registered()[0], c.method, x, 700), 0);
    ASSERT_TRUE(WaitFor([&] { return Called(c.up); }));
    EXPECT_EQ(Callbacks(), (std::vector<UINT>{c.down, c.up}));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, x);
    EXPECT_EQ(cursor.y, 700);
    x += 50;
  }
}

// No watcher at first: the icons are not on the bus. A watcher that comes gets the item, and
// gets it again when it restarts.
TEST_F(StatusNotifierTest, AWatcherThatComesLaterOrRestartsGetsTheItem) {
  OpenTray();
  EXPECT_FALSE(m_tray->Update({Icon(wintest::SolidIcon(904, 0xFF000000), L"Dorv")}));
  m_watcher = bustest::Watcher::Start();
  ASSERT_TRUE(m_watcher);
  ASSERT_TRUE(WaitFor([&] { return Registered() == std::vector<std::string>{ItemName(1)}; }));
  EXPECT_GE(m_hostChanges, 1);
  EXPECT_TRUE(m_tray->Hosted());

  m_watcher.reset();
  ASSERT_TRUE(WaitFor([&] { return !m_tray->Hosted(); }));
  m_watcher = bustest::Watcher::Start();
  ASSERT_TRUE(m_watcher);
  ASSERT_TRUE(WaitFor([&] { return Registered().size() == 1; }));
  EXPECT_EQ(StringProperty(Registered()[0], "Title"), "Dorv");
  EXPECT_TRUE(m_tray->Hosted());
}

// A balloon is a notification with its title and text; its click and its time-out come back
// as the balloon's, a newer balloon replaces it and an emptied one closes it.
TEST_F(StatusNotifierTest, BalloonsAreNotificationsWhoseClickAndCloseComeBack) {
  m_watcher = bustest::Watcher::Start();
  m_notifications = bustest::NotificationService::Start();
  ASSERT_TRUE(m_watcher && m_notifications);
  OpenTray();
  win32::TrayIcon icon = Icon(wintest::SolidIcon(905, 0xFF0000FF), L"Dorv");
  icon.balloonTitle = L"同步";
  icon.balloonText = L"文件已上传";
  m_tray->Update({icon});
  auto notified = [&] {
    auto hold = m_notifications->Lock();
    return m_notifications->notified;
  };
  ASSERT_TRUE(WaitFor([&] { return notified().size() == 1 && Called(kBalloonShow); }));
  bustest::NotificationService::Notified first = notified()[0];
  EXPECT_EQ(first.app, "Dorv");
  EXPECT_EQ(first.summary, "同步");
  EXPECT_EQ(first.body, "文件已上传");
  EXPECT_EQ(first.replaces, 0u);
  EXPECT_EQ(first.actions, (std::vector<std::string>{"default", ""}));
  m_notifications->Click(first.id);
  ASSERT_TRUE(WaitFor([&] { return Called(kBalloonClick); }));
  m_notifications->Closed(first.id, 2);  // a server closes a clicked notification: no time-out follows
  m_tray->Update({icon});                // the same balloon again is no new one

  icon.balloonText = L"文件已下载";
  m_tray->Update({icon});
  ASSERT_TRUE(WaitFor([&] { return notified().size() == 2; }));
  const uint32_t second = notified()[1].id;
  EXPECT_EQ(notified()[1].replaces, 0u);  // the clicked one is gone
  icon.balloonText = L"同步完成";
  m_tray->Update({icon});
  ASSERT_TRUE(WaitFor([&] { return notified().size() == 3; }));
  const uint32_t third = notified()[2].id;
  // The newer one takes the older one's place, or the older one is closed.
  ASSERT_TRUE(WaitFor([&] {
    auto hold = m_notifications->Lock();
    const auto& closed = m_notifications->closed;
    return m_notifications->notified[2].replaces == second ||
           std::find(closed.begin(), closed.end(), second) != closed.end();
  }));
  m_notifications->Closed(third, 1);
  ASSERT_TRUE(WaitFor([&] { return Called(kBalloonTimeout); }));
  const std::vector<UINT> seen = Callbacks();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), kBalloonTimeout), 1);

  // A balloon the program takes down closes its notification.
  icon.balloonText = L"网络已断开";
  m_tray->Update({icon});
  ASSERT_TRUE(WaitFor([&] { return notified().size() == 4; }));
  const uint32_t fourth = notified()[3].id;
  icon.balloonText.clear();
  icon.balloonTitle.clear();
  m_tray->Update({icon});
  ASSERT_TRUE(WaitFor([&] {
    auto hold = m_notifications->Lock();
    const auto& closed = m_notifications->closed;
    return std::find(closed.begin(), closed.end(), fourth) != closed.end();
  }));
}

}  // namespace
