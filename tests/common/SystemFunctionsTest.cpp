// Versions, the adapter address, the network test, disk space, GUIDs, monitor sizes
// and device notifications.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "TempDir.h"
#include "common/MachineFunctions.h"
#include "common/NetworkInfo.h"
#include "common/SystemVersion.h"
#include "win32/NativePath.h"

namespace {

TEST(SystemVersion, VersionTestsFollowTheReportedVersion) {
  struct Case {
    DWORD major, minor;
    bool vista;
    int vistaOrLater;
    const wchar_t* text;
  } cases[] = {
      {6, 1, true, 1, L"6.1"}, {5, 1, false, 0, L"5.1"}, {6, 0, true, 1, L"6.0"}, {10, 0, false, 1, L"10.0"},
  };
  for (const Case& c : cases) {
    win32::SetReportedVersion(c.major, c.minor);
    EXPECT_EQ(Common::IsVistaWindows(), c.vista) << c.text;
    EXPECT_EQ(Common::IsVistaOrWin7(), c.vistaOrLater) << c.text;
    EXPECT_EQ(Common::GetOSVersion(), c.text);
  }
  win32::SetReportedVersion(0, 0);
  EXPECT_EQ(Common::GetOSVersion(), L"6.1");
}

// The address is read once per process: each case runs in a child of its own.
void WriteAdapter(const dorvtest::TempDir& sys, const char* name, int index, int type, const char* address) {
  dorvtest::WriteFile(sys / name / "ifindex", std::to_string(index));
  dorvtest::WriteFile(sys / name / "type", std::to_string(type));
  dorvtest::WriteFile(sys / name / "address", address);
}

TEST(MacAddressDeathTest, TheFirstEthernetAdapterWithAnAddressNamesTheMachine) {
  dorvtest::TempDir sys;
  WriteAdapter(sys, "lo", 1, 772, "00:00:00:00:00:00");
  WriteAdapter(sys, "dummy0", 2, 1, "00:00:00:00:00:00");
  WriteAdapter(sys, "wlan0", 4, 1, "0A:1B:2C:3D:4E:5F");
  WriteAdapter(sys, "eth0", 3, 1, "00:1a:2b:3c:4d:5e");
  EXPECT_EXIT(
      {
        win32::SetNetworkAdaptersFolder(sys.path().string());
        std::string first = Common::GetMacAddress();
        win32::SetNetworkAdaptersFolder("/nonexistent");
        std::exit(first == "00-1a-2b-3c-4d-5e" && Common::GetMacAddress() == first ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(MacAddressDeathTest, NoQualifyingAdapterGivesTheUnknownText) {
  dorvtest::TempDir sys;
  WriteAdapter(sys, "lo", 1, 772, "00:00:00:00:00:00");
  WriteAdapter(sys, "tun0", 2, 65534, "");
  EXPECT_EXIT(
      {
        win32::SetNetworkAdaptersFolder(sys.path().string());
        std::exit(Common::GetMacAddress() == "unknown_mac_address" ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(NetReachable, APortalThatAcceptsIsReachableAClosedPortIsNot) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::string portal = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

  setenv("DORV_PORTAL_ADDRESS", portal.c_str(), 1);
  EXPECT_TRUE(Common::IsNetReachable());
  close(listener);  // the port is closed now: connections are refused
  EXPECT_FALSE(Common::IsNetReachable());
  for (const char* bad : {"no-port", ":80", "127.0.0.1:", "host.invalid:80"}) {
    setenv("DORV_PORTAL_ADDRESS", bad, 1);
    EXPECT_FALSE(Common::IsNetReachable()) << bad;
  }
  unsetenv("DORV_PORTAL_ADDRESS");
}

TEST(DiskFree, VolumesOfLocalPathsAndDrives) {
  dorvtest::TempDir dir;
  CString folder(WidePath(dir.path().c_str()).c_str());
  ULARGE_INTEGER expected{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(folder, &expected, nullptr, nullptr));
  ASSERT_GT(expected.QuadPart, 0u);
  // Other processes write meanwhile: allow for some change.
  auto near = [&](unsigned long long value) {
    unsigned long long slack = 256ull << 20;
    return value + slack >= expected.QuadPart && value <= expected.QuadPart + slack;
  };
  EXPECT_TRUE(near(Common::GetDiskFree(folder)));
  EXPECT_TRUE(near(Common::GetDiskFree(folder + L"/not/made/yet.txt")));  // its nearest folder's volume
  EXPECT_EQ(Common::GetDiskFree(L"data"), 0u);
  EXPECT_EQ(Common::GetDiskFree(L""), 0u);
  EXPECT_EQ(Common::GetDiskFree(L"C:\\data"), 0u);  // no drive C: here
}

TEST(Guid, NewGuidsAreBracedUpperCaseAndLeaveComAsItWas) {
  std::wregex form(L"\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
  std::set<std::wstring> seen;
  for (int i = 0; i < 20; ++i) {
    CString guid = Common::GetNewGuid();
    EXPECT_TRUE(std::regex_match(guid.str(), form)) << guid.str();
    seen.insert(guid.str());
  }
  EXPECT_EQ(seen.size(), 20u);

  // A thread initialised for the other model keeps its one initialisation.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(Common::GetNewGuid().GetLength(), 38);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

TEST(Memory, TrimmingReportsAnNtPlatform) { EXPECT_EQ(Common::SysMinimizeDownMemory(), 1); }

// --- Monitor sizes ---------------------------------------------------------------------

class ReadEdid : public testing::Test {
 protected:
  static constexpr const wchar_t* kDisplay = L"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY";
  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDisplay); }

  void AddMonitor(const std::wstring& model, bool attached, DWORD type, std::vector<BYTE> edid) {
    std::wstring instance = std::wstring(kDisplay) + L"\\" + model + L"\\5&1a2b3c&0&UID4352";
    HKEY key;
    if (attached) {
      ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (instance + L"\\Control").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
                ERROR_SUCCESS);
      RegCloseKey(key);
    }
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (instance + L"\\Device Parameters").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"EDID", 0, type, edid.data(), static_cast<DWORD>(edid.size()));
    RegCloseKey(key);
  }

  static std::vector<BYTE> Edid(BYTE b66, BYTE b67, BYTE b68) {
    std::vector<BYTE> edid(128, 0);
    edid[66] = b66;
    edid[67] = b67;
    edid[68] = b68;
    return edid;
  }
};

TEST_F(ReadEdid, AMachineWithoutMonitorRecordsReportsNone) {
  std::vector<Common::_SEdid> sizes;
  Common::ReadEDID(&sizes, true);
  Common::ReadEDID(&sizes, false);
  EXPECT_TRUE(sizes.empty());
  Common::ReadEDID(nullptr, false);
}

TEST_F(ReadEdid, SizesComeFromTheFirstDetailedTimingDescriptor) {
  AddMonitor(L"DEL4065", true, REG_BINARY, Edid(0x2F, 0x1A, 0x21));
  AddMonitor(L"SAM0B54", false, REG_BINARY, Edid(0x10, 0x20, 0x00));
  AddMonitor(L"TXT0001", true, REG_SZ, Edid(0x2F, 0x1A, 0x21));       // not binary: skipped
  AddMonitor(L"SHORT01", true, REG_BINARY, std::vector<BYTE>(60, 0));  // too short to say anything

  std::vector<Common::_SEdid> sizes{{1, 1}};
  Common::ReadEDID(&sizes, true);
  ASSERT_EQ(sizes.size(), 2u);  // appended after what was there
  EXPECT_EQ(sizes[1].width, 559);
  EXPECT_EQ(sizes[1].height, 282);

  sizes.clear();
  Common::ReadEDID(&sizes, false);
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes[0].width, 559);  // DEL4065 before SAM0B54
  EXPECT_EQ(sizes[1].width, 16);
  EXPECT_EQ(sizes[1].height, 32);
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(DeviceNotifications, AWindowIsRegisteredForAnInterfaceClass) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = L"DeviceNotificationsTest";
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  GUID volumes{0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
  void* handle = Common::RegisterInterfaceNotificationWorker(window, &volumes, DEVICE_NOTIFY_WINDOW_HANDLE);
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(UnregisterDeviceNotification(handle));
  EXPECT_EQ(Common::RegisterInterfaceNotificationWorker(window, nullptr, 0), nullptr);
  DestroyWindow(window);
}

}  // namespace
