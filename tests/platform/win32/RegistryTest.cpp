#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "win32/RegistryStore.h"
#include "win32/Windows.h"

namespace {

HKEY Create(HKEY root, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &key, nullptr), ERROR_SUCCESS);
  return key;
}

LSTATUS SetString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
  return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::vector<BYTE> Query(HKEY key, const wchar_t* name, DWORD& type) {
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  std::vector<BYTE> data(size);
  EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
  return data;
}

TEST(Registry, EveryTypeRoundTripsThroughTheFile) {
  HKEY key = Create(HKEY_CURRENT_USER, L"Software\\RoundTrip");
  const std::wstring odd = L"\"quoted\" back\\slash\nnew line\ttab \x01 汉字 \x1F600";
  const wchar_t multi[] = L"one\0two\0";
  DWORD dword = 0xDEADBEEF;
  ULONGLONG qword = 0x0123456789ABCDEFULL;
  const BYTE binary[] = {0, 1, 0xFF, '"', '\n'};
  struct Case {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> data;
  } cases[] = {
      {L"", REG_SZ, {}},  // the default value
      {L"Text", REG_SZ, {}},
      {L"Path", REG_EXPAND_SZ, {}},
      {L"List", REG_MULTI_SZ,
       std::vector<BYTE>(reinterpret_cast<const BYTE*>(multi), reinterpret_cast<const BYTE*>(multi) + sizeof multi)},
      {L"Count", REG_DWORD, std::vector<BYTE>(reinterpret_cast<BYTE*>(&dword), reinterpret_cast<BYTE*>(&dword) + 4)},
      {L"Big", REG_QWORD, std::vector<BYTE>(reinterpret_cast<BYTE*>(&qword), reinterpret_cast<BYTE*>(&qword) + 8)},
      {L"Blob", REG_BINARY, std::vector<BYTE>(binary, binary + sizeof binary)},
      {L"Empty", REG_BINARY, {}},
      {L"名 \"x\"\\", REG_SZ, {}},
      {L"Unterminated", REG_SZ, {'a', 0, 0, 0}},
  };
  auto bytes = [](const std::wstring& s) {
    return std::vector<BYTE>(reinterpret_cast<const BYTE*>(s.c_str()),
                             reinterpret_cast<const BYTE*>(s.c_str() + s.size() + 1));
  };
  cases[0].data = bytes(L"default");
  cases[1].data = bytes(odd);
  cases[2].data = bytes(L"%HOME%\\x");
  cases[8].data = bytes(L"v");
  for (const Case& c : cases)
    ASSERT_EQ(RegSetValueExW(key, c.name, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())),
              ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\RoundTrip", 0, KEY_READ, &key), ERROR_SUCCESS);
  for (const Case& c : cases) {
    DWORD type = 0;
    EXPECT_EQ(Query(key, c.name, type), c.data) << std::wstring(c.name).size();
    EXPECT_EQ(type, c.type);
  }
  // A null name is the default value too.
  DWORD type = 0;
  EXPECT_EQ(Query(key, nullptr, type), cases[0].data);
  RegCloseKey(key);
  EXPECT_NE(dorvtest::ReadFile(win32::RegistryStore::FilePath()).find("RoundTrip"), std::string::npos);
}

TEST(Registry, SizesMoreDataAndMissingThings) {
  HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Sizes");
  ASSERT_EQ(SetString(key, L"Name", L"Dorv"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  wchar_t small[3];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  EXPECT_EQ(RegQueryValueExW(key, L"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), nullptr),
            ERROR_INVALID_PARAMETER);
  HKEY none = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\NoSuchKey", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"\\Software", 0, KEY_READ, &none), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegDeleteValueW(key, L"Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(key, L"NAME"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetString(key, L"x", L"y"), ERROR_INVALID_HANDLE);
}

TEST(Registry, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\DorvShell");
  ASSERT_EQ(SetString(key, L"NormalIcon", L"a.ico"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key, L"NORMALICON", L"b.ico"), ERROR_SUCCESS);  // the same value
  RegCloseKey(key);

  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"software\\dorvshell\\", 0, nullptr, 0, KEY_READ, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  DWORD type = 0;
  std::vector<BYTE> data = Query(key, L"normalicon", type);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data.data())), L"b.ico");
  wchar_t name[64];
  DWORD length = 64;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(name), L"NormalIcon");
  EXPECT_EQ(length, 10u);
  // A key opened for reading cannot be written.
  EXPECT_EQ(SetString(key, L"x", L"y"), ERROR_ACCESS_DENIED);
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
  length = 64;
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(name), L"DorvShell");
  RegCloseKey(key);
}

TEST(Registry, EnumerationOrderEndAndShortBuffers) {
  HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Enum");
  for (const wchar_t* sub : {L"beta", L"Alpha", L"gamma"}) RegCloseKey(Create(key, sub));
  SetString(key, L"z", L"1");
  SetString(key, L"a", L"2");
  std::vector<std::wstring> keys;
  wchar_t name[16];
  DWORD i = 0;
  for (;; ++i) {
    DWORD length = 16;
    LSTATUS status = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    keys.push_back(name);
  }
  EXPECT_EQ(keys, (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma"}));
  DWORD length = 3;  // "gamma" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExW(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  length = 16;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(name), L"z");  // values keep the order they were set in
  length = 16;
  EXPECT_EQ(RegEnumValueW(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST(Registry, DeletingKeysAndTrees) {
  HKEY key = Create(HKEY_CLASSES_ROOT, L"CLSID\\{X}\\InprocServer32");
  SetString(key, L"ThreadingModel", L"Apartment");
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, L"CLSID\\{X}"), ERROR_ACCESS_DENIED);  // has a subkey
  EXPECT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, L"clsid\\{x}"), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{X}", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\{X}"), ERROR_FILE_NOT_FOUND);
  key = Create(HKEY_CLASSES_ROOT, L"CLSID\\{Y}");
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, L"CLSID\\{Y}"), ERROR_SUCCESS);
  // The open handle now names a deleted key.
  EXPECT_EQ(SetString(key, L"v", L"w"), ERROR_KEY_DELETED);
  RegCloseKey(key);
}

TEST(Registry, AnUnreadableFileReadsAsEmptyAndIsKeptAside) {
  std::string path = win32::RegistryStore::FilePath();
  HKEY key = Create(HKEY_CURRENT_USER, L"Software\\BeforeDamage");
  RegCloseKey(key);
  const std::string garbage = "this is not\na registry\n";
  dorvtest::WriteFile(path, garbage);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\BeforeDamage", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  key = Create(HKEY_CURRENT_USER, L"Software\\AfterDamage");
  RegCloseKey(key);
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
    if (entry.path().filename().string().rfind("registry.bad-", 0) == 0) {
      EXPECT_EQ(dorvtest::ReadFile(entry.path()), garbage);
      ++kept;
    }
  }
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\AfterDamage", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// The registry holds the proxy's settings and the account's: its folder and its
// files are the user's alone with a usual umask, even where an earlier run left
// the folder open.
TEST(Registry, FolderAndFilesArePrivateWhateverTheUmask) {
  namespace fs = std::filesystem;
  const fs::path path = win32::RegistryStore::FilePath();
  fs::remove_all(path.parent_path());
  fs::create_directories(path.parent_path());
  ::chmod(path.parent_path().c_str(), 0755);
  const mode_t old = ::umask(022);
  HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Private");
  EXPECT_EQ(SetString(key, L"Password", L"secret"), ERROR_SUCCESS);
  RegCloseKey(key);
  ::umask(old);
  auto mode = [](const fs::path& p) {
    struct stat info {};
    EXPECT_EQ(::lstat(p.c_str(), &info), 0) << p;
    return info.st_mode & 07777;
  };
  EXPECT_EQ(mode(path.parent_path()), 0700u);
  EXPECT_EQ(mode(path), 0600u);
  EXPECT_EQ(mode(path.string() + ".lock"), 0600u);
}

}  // namespace
