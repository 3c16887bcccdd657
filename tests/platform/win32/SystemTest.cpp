// Facts of the machine: version, names, disk space, GUIDs, adapters, accounts and
// file security; temporary names.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "TempDir.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace {

namespace fs = std::filesystem;

TEST(SystemVersion, ReportsSixOneUnlessToldOtherwise) {
  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)));
  EXPECT_EQ(ex.dwMajorVersion, 6u);
  EXPECT_EQ(ex.dwMinorVersion, 1u);
  EXPECT_EQ(ex.dwPlatformId, VER_PLATFORM_WIN32_NT);

  setenv("DORV_OS_VERSION", "10.0", 1);
  OSVERSIONINFOW plain{};
  plain.dwOSVersionInfoSize = sizeof plain;
  ASSERT_TRUE(GetVersionExW(&plain));
  EXPECT_EQ(plain.dwMajorVersion, 10u);
  EXPECT_EQ(plain.dwMinorVersion, 0u);
  setenv("DORV_OS_VERSION", "garbage", 1);
  ASSERT_TRUE(GetVersionExW(&plain));
  EXPECT_EQ(plain.dwMajorVersion, 6u);
  unsetenv("DORV_OS_VERSION");

  win32::SetReportedVersion(5, 1);
  ASSERT_TRUE(GetVersionExW(&plain));
  EXPECT_EQ(plain.dwMajorVersion, 5u);
  win32::SetReportedVersion(0, 0);

  plain.dwOSVersionInfoSize = 12;
  EXPECT_FALSE(GetVersionExW(&plain));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(SystemInfo, ComputerNameIsTheHostNameWithTheBufferContract) {
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  wchar_t name[256];
  DWORD size = 256;
  ASSERT_TRUE(GetComputerNameW(name, &size));
  EXPECT_EQ(WideToUtf8(name), host);
  EXPECT_EQ(size, std::strlen(host));

  DWORD tooSmall = 1;
  EXPECT_FALSE(GetComputerNameW(name, &tooSmall));
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(tooSmall, std::strlen(host) + 1);
}

TEST(SystemInfo, DiskFreeSpaceIsTheFileSystemsAndMissingFoldersFail) {
  dorvtest::TempDir dir;
  ULARGE_INTEGER free{}, total{}, totalFree{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(WidePath(dir.path().c_str()).c_str(), &free, &total, &totalFree));
  struct statvfs fs;
  ASSERT_EQ(statvfs(dir.path().c_str(), &fs), 0);
  EXPECT_EQ(total.QuadPart, static_cast<ULONGLONG>(fs.f_blocks) * fs.f_frsize);
  EXPECT_GT(total.QuadPart, 0u);
  EXPECT_LE(free.QuadPart, totalFree.QuadPart);

  std::wstring missing = WidePath((dir / "no" / "such").c_str());
  EXPECT_FALSE(GetDiskFreeSpaceExW(missing.c_str(), &free, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(SystemInfo, WorkingSetTrimIsForTheCurrentProcessOnly) {
  EXPECT_TRUE(SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)));
  EXPECT_FALSE(SetProcessWorkingSetSize(reinterpret_cast<HANDLE>(0x1234), 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Com, GuidsAreRandomVersionFourInRegistryForm) {
  std::set<std::wstring> seen;
  for (int i = 0; i < 100; ++i) {
    GUID g;
    ASSERT_EQ(CoCreateGuid(&g), S_OK);
    EXPECT_EQ(g.Data3 >> 12, 4);
    EXPECT_EQ(g.Data4[0] & 0xC0, 0x80);
    wchar_t text[39];
    ASSERT_EQ(StringFromGUID2(g, text, 39), 39);
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 100u);

  GUID known{0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
  wchar_t text[64];
  EXPECT_EQ(StringFromGUID2(known, text, 64), 39);
  EXPECT_STREQ(text, L"{0123ABCD-4567-89EF-FEDC-BA9876543210}");
  EXPECT_EQ(StringFromGUID2(known, text, 38), 0);
  EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}

TEST(Com, InitialisationIsCountedPerThreadAndKeepsItsModel) {
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

TEST(Network, AdaptersAreReadInInterfaceOrder) {
  dorvtest::TempDir sys;
  auto adapter = [&](const char* name, const char* index, const char* type, const char* address) {
    dorvtest::WriteFile(sys / name / "ifindex", std::string(index) + "\n");
    dorvtest::WriteFile(sys / name / "type", std::string(type) + "\n");
    dorvtest::WriteFile(sys / name / "address", std::string(address) + "\n");
  };
  adapter("wlan0", "3", "1", "AA:bb:cc:00:11:22");
  adapter("lo", "1", "772", "00:00:00:00:00:00");
  adapter("tun0", "2", "65534", "");
  dorvtest::WriteFile(sys / "bonding_masters", "");  // not an interface
  win32::SetNetworkAdaptersFolder(sys.path().string());
  auto adapters = win32::NetworkAdapters();
  win32::SetNetworkAdaptersFolder("");
  ASSERT_EQ(adapters.size(), 3u);
  EXPECT_EQ(adapters[0].name, "lo");
  EXPECT_EQ(adapters[1].name, "tun0");
  EXPECT_EQ(adapters[1].address[0], 0);
  EXPECT_EQ(adapters[2].name, "wlan0");
  EXPECT_EQ(adapters[2].hardwareType, 1);
  EXPECT_EQ(adapters[2].address[0], 0xAA);
  EXPECT_EQ(adapters[2].address[5], 0x22);
}

TEST(Network, LocalAddressesAreDottedWithLoopbackLast) {
  auto addresses = win32::LocalIPv4Addresses();
  ASSERT_FALSE(addresses.empty());  // loopback at least
  EXPECT_EQ(addresses.back().rfind("127.", 0), 0u);
  for (size_t i = 0; i + 1 < addresses.size(); ++i) EXPECT_NE(addresses[i].rfind("127.", 0), 0u);
  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(WSACleanup(), 0);
}

TEST(TempFiles, UniqueNamesAreCreatedAndGivenNamesOnlyMade) {
  dorvtest::TempDir dir;
  std::wstring folder = WidePath(dir.path().c_str());
  wchar_t first[MAX_PATH], second[MAX_PATH];
  UINT a = GetTempFileNameW(folder.c_str(), L"ewfxcvgs", 0, first);
  UINT b = GetTempFileNameW(folder.c_str(), L"ewfxcvgs", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_STRNE(first, second);
  EXPECT_TRUE(fs::exists(WideToUtf8(first)));
  EXPECT_EQ(fs::path(WideToUtf8(first)).filename().string().rfind("ewf", 0), 0u);
  EXPECT_EQ(fs::path(WideToUtf8(first)).extension(), ".tmp");

  EXPECT_EQ(GetTempFileNameW(folder.c_str(), L"ab", 0x1A2B, first), 0x1A2Bu);
  EXPECT_EQ(WideToUtf8(first), (dir / "ab1A2B.tmp").string());
  EXPECT_FALSE(fs::exists(dir / "ab1A2B.tmp"));

  std::wstring missing = folder + L"/missing";
  EXPECT_EQ(GetTempFileNameW(missing.c_str(), L"x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// --- Accounts and file security ------------------------------------------------------

std::wstring CurrentUser() {
  wchar_t name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  EXPECT_TRUE(GetUserNameW(name, &size));
  return name;
}

TEST(Accounts, UserInformationAndGroupsComeFromTheUserDatabase) {
  std::wstring me = CurrentUser();
  EXPECT_EQ(WideToUtf8(me), getpwuid(geteuid())->pw_name);

  LPBYTE buffer = nullptr;
  ASSERT_EQ(NetUserGetInfo(nullptr, L"root", 1, &buffer), NERR_Success);
  auto* root = reinterpret_cast<USER_INFO_1*>(buffer);
  EXPECT_STREQ(root->usri1_name, L"root");
  EXPECT_EQ(root->usri1_priv, USER_PRIV_ADMIN);
  NetApiBufferFree(buffer);

  DWORD read = 0, total = 0;
  ASSERT_EQ(NetUserGetLocalGroups(nullptr, L"root", 0, LG_INCLUDE_INDIRECT, &buffer, MAX_PREFERRED_LENGTH, &read,
                                  &total),
            NERR_Success);
  auto* groups = reinterpret_cast<LOCALGROUP_USERS_INFO_0*>(buffer);
  std::set<std::wstring> names;
  for (DWORD i = 0; i < read; ++i) names.insert(groups[i].lgrui0_name);
  EXPECT_TRUE(names.count(Utf8ToWide(getgrgid(0)->gr_name)));
  NetApiBufferFree(buffer);

  EXPECT_EQ(NetUserGetInfo(nullptr, L"no-such-account-here", 1, &buffer), NERR_UserNotFound);
  EXPECT_EQ(NetUserGetInfo(nullptr, L"root", 3, &buffer), 124u);
  EXPECT_EQ(NetUserGetInfo(L"\\\\elsewhere", L"root", 1, &buffer), NERR_InvalidComputer);
}

TEST(Accounts, AdministratorsAreRootAndTheSudoAndWheelGroups) {
  EXPECT_TRUE(win32::IsAdministratorAccount("root"));
  EXPECT_FALSE(win32::IsAdministratorAccount("no-such-account-here"));
  // An ordinary system account with no such group.
  if (passwd* nobody = getpwnam("nobody")) {
    EXPECT_FALSE(win32::IsAdministratorAccount(nobody->pw_name));
  }
}

TEST(Security, FileDescriptorsListOwnerGroupAndEveryoneFromThePermissions) {
  dorvtest::TempDir dir;
  fs::path file = dir / "f";
  dorvtest::WriteFile(file, "x");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  std::wstring path = WidePath(file.c_str());

  DWORD needed = 0;
  EXPECT_FALSE(GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  std::vector<BYTE> sd(needed);
  ASSERT_TRUE(GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), needed, &needed));
  BOOL present = FALSE, defaulted = TRUE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted));
  ASSERT_TRUE(present);
  ASSERT_EQ(dacl->AceCount, 3);

  struct Expect {
    std::string account;
    ACCESS_MASK has, lacks;
  } expected[] = {
      {getpwuid(geteuid())->pw_name, FILE_READ_DATA | FILE_WRITE_DATA | DELETE, FILE_EXECUTE},
      {getgrgid(getegid())->gr_name, FILE_READ_DATA, FILE_WRITE_DATA | DELETE},
      {"Everyone", 0, FILE_READ_DATA | FILE_WRITE_DATA},
  };
  for (DWORD i = 0; i < 3; ++i) {
    LPVOID ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, &ace));
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Mask & expected[i].has, expected[i].has) << i;
    EXPECT_EQ(allowed->Mask & expected[i].lacks, 0u) << i;
    wchar_t name[64], domain[64];
    DWORD nameLength = 64, domainLength = 64;
    SID_NAME_USE use;
    ASSERT_TRUE(LookupAccountSidW(nullptr, &allowed->SidStart, name, &nameLength, domain, &domainLength, &use));
    EXPECT_EQ(WideToUtf8(name), expected[i].account);
  }
  LPVOID ace = nullptr;
  EXPECT_FALSE(GetAce(dacl, 3, &ace));

  std::wstring missing = path + L"-missing";
  EXPECT_FALSE(GetFileSecurityW(missing.c_str(), DACL_SECURITY_INFORMATION, sd.data(), needed, &needed));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Security, AnIdentifierWithoutAnAccountIsNotMapped) {
  BYTE sid[16] = {1, 2, 0, 0, 0, 0, 0, 22, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0x7F};  // S-1-22-1-2147483646
  wchar_t name[64], domain[64];
  DWORD nameLength = 64, domainLength = 64;
  SID_NAME_USE use;
  EXPECT_FALSE(LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use));
  EXPECT_EQ(GetLastError(), ERROR_NONE_MAPPED);
}

}  // namespace
