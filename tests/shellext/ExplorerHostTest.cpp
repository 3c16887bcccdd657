// Plays Explorer: loads DorvShell.dll by file name, takes its class objects through
// DllGetClassObject and uses the overlay and menu objects as the shell would,
// against a stand-in status server on the real pipe and a real shared root mapping.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "ShellExtKind.h"
#include "StatusServerStandIn.h"
#include "TempDir.h"
#include "win32/GdiBitmap.h"
#include "win32/Windows.h"

namespace {

namespace fs = std::filesystem;
using shelltest::RootMapping;
using shelltest::SeenRequest;
using shelltest::StatusServer;

using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllResultFn = HRESULT (*)();

// Releases a COM pointer when it goes.
template <class T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }
  void reset() {
    if (p) p->Release();
    p = nullptr;
  }
  T* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
};

class ExplorerHostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_module = LoadLibraryW(WidePath(DORV_SHELL_DLL).c_str());
    ASSERT_NE(s_module, nullptr) << GetLastError();
    s_getClassObject = reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(s_module, "DllGetClassObject"));
    s_canUnloadNow = reinterpret_cast<DllResultFn>(GetProcAddress(s_module, "DllCanUnloadNow"));
    s_register = reinterpret_cast<DllResultFn>(GetProcAddress(s_module, "DllRegisterServer"));
    s_unregister = reinterpret_cast<DllResultFn>(GetProcAddress(s_module, "DllUnregisterServer"));
  }

  void SetUp() override {
    ASSERT_TRUE(s_getClassObject && s_canUnloadNow && s_register && s_unregister);
    m_root = m_temp / "Sync";
    fs::create_directories(m_root / "sub");
    dorvtest::WriteFile(m_root / "a.txt", "a");
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
    win32::Launcher::ClearRecorded();
  }

  void TearDown() override { EXPECT_EQ(s_canUnloadNow(), S_OK) << "every object was released"; }

  // An object of `kind` asked for `iid`, as Explorer makes it.
  template <class T>
  void Create(int kind, REFIID iid, Ref<T>& object) {
    Ref<IClassFactory> factory;
    ASSERT_EQ(s_getClassObject(kShellExtKinds[kind].clsid, IID_IClassFactory, factory.out()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, iid, object.out()), S_OK);
  }

  HRESULT IsMember(int kind, const std::wstring& path) {
    Ref<IShellIconOverlayIdentifier> overlay;
    Create(kind, IID_IShellIconOverlayIdentifier, overlay);
    return overlay.p ? overlay->IsMemberOf(path.c_str(), 0) : E_FAIL;
  }

  // Which overlay kinds answer S_OK for a path.
  std::vector<int> Members(const std::wstring& path) {
    std::vector<int> kinds;
    for (int kind = kShellExtNormal; kind <= kShellExtError; ++kind) {
      if (IsMember(kind, path) == S_OK) kinds.push_back(kind);
    }
    return kinds;
  }

  std::wstring Root() const { return m_root.wstring(); }
  std::wstring Under(const std::string& name) const { return (m_root / name).wstring(); }

  static std::wstring WidePath(const std::string& path) { return fs::path(path).wstring(); }

  static HMODULE s_module;
  static DllGetClassObjectFn s_getClassObject;
  static DllResultFn s_canUnloadNow, s_register, s_unregister;
  dorvtest::TempDir m_temp;
  fs::path m_root;
};

HMODULE ExplorerHostTest::s_module = nullptr;
DllGetClassObjectFn ExplorerHostTest::s_getClassObject = nullptr;
DllResultFn ExplorerHostTest::s_canUnloadNow = nullptr;
DllResultFn ExplorerHostTest::s_register = nullptr;
DllResultFn ExplorerHostTest::s_unregister = nullptr;

std::wstring ReadString(HKEY root, const std::wstring& path, LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return L"<no key>";
  wchar_t value[MAX_PATH] = {};
  DWORD type = 0, size = sizeof value;
  LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::wstring(value) : L"<no value>";
}

std::wstring ClsidText(int kind) {
  wchar_t text[40];
  StringFromGUID2(kShellExtKinds[kind].clsid, text, 40);
  return text;
}

TEST_F(ExplorerHostTest, ClassObjectsAndTheLiveObjectCount) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(s_getClassObject(kShellExtKinds[0].clsid, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(s_getClassObject(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(s_getClassObject(kShellExtKinds[kShellExtMenu].clsid, IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(s_canUnloadNow(), S_OK) << "the refused factory is gone again";

  Ref<IClassFactory> factory;
  ASSERT_EQ(s_getClassObject(kShellExtKinds[kShellExtMenu].clsid, IID_IClassFactory, factory.out()), S_OK);
  EXPECT_EQ(s_canUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
  Ref<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.p), IID_IUnknown, aggregated.out()),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, aggregated.out()), E_NOINTERFACE);

  // The factory's objects are menu objects; every kind answers every shell interface.
  Ref<IShellIconOverlayIdentifier> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, object.out()), S_OK);
  int priority = 0;
  EXPECT_EQ(object->GetPriority(&priority), S_FALSE);
  EXPECT_EQ(priority, 100);
  for (const IID* iid : {&IID_IUnknown, &IID_IShellExtInit, &IID_IContextMenu, &IID_IContextMenu2,
                         &IID_IContextMenu3, &IID_IShellIconOverlayIdentifier}) {
    Ref<IUnknown> other;
    EXPECT_EQ(object->QueryInterface(*iid, other.out()), S_OK);
  }
  // IUnknown is the IShellExtInit pointer, so every path reaches the same object.
  Ref<IUnknown> unknown;
  Ref<IShellExtInit> init;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, unknown.out()), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IShellExtInit, init.out()), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown.p), static_cast<void*>(init.p));
}

TEST_F(ExplorerHostTest, OverlayPrioritiesAndObjectsOfTheWrongKind) {
  for (auto [kind, expected] : {std::pair{kShellExtNormal, 2}, {kShellExtUpload, 1}, {kShellExtError, 0}}) {
    Ref<IShellIconOverlayIdentifier> overlay;
    Create(kind, IID_IShellIconOverlayIdentifier, overlay);
    int priority = -1;
    EXPECT_EQ(overlay->GetPriority(&priority), S_OK);
    EXPECT_EQ(priority, expected) << kind;
    EXPECT_EQ(overlay->GetPriority(nullptr), E_POINTER);
    Ref<IContextMenu3> menu;
    ASSERT_EQ(overlay->QueryInterface(IID_IContextMenu3, menu.out()), S_OK);
    HMENU host = CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(host, 0, 100, 200, CMF_NORMAL), E_INVALIDARG);
    EXPECT_EQ(menu->HandleMenuMsg(WM_MEASUREITEM, 0, 0), E_INVALIDARG);
    DestroyMenu(host);
    Ref<IShellExtInit> init;
    ASSERT_EQ(overlay->QueryInterface(IID_IShellExtInit, init.out()), S_OK);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
  }
}

TEST_F(ExplorerHostTest, RegistrationWritesKeysOnceAndUnregistrationRemovesThem) {
  Ref<IShellIconOverlayIdentifier> error;
  Create(kShellExtError, IID_IShellIconOverlayIdentifier, error);
  wchar_t icon[MAX_PATH];
  int index = -1;
  DWORD flags = 7;
  EXPECT_EQ(error->GetOverlayInfo(icon, MAX_PATH, &index, &flags), S_FALSE) << "not registered yet";
  EXPECT_EQ(flags, 0u);

  ASSERT_EQ(s_register(), S_OK);
  ASSERT_EQ(s_register(), S_OK);
  std::wstring module = WidePath(DORV_SHELL_DLL);
  std::wstring folder = fs::path(module).parent_path().wstring();
  for (int kind = 0; kind < kShellExtKindCount; ++kind) {
    std::wstring clsidKey = L"CLSID\\" + ClsidText(kind);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, clsidKey, nullptr), L"DorvShell");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr), module);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  }
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE,
                       L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers\\"
                       L"!.DorvShellUpload",
                       nullptr),
            ClsidText(kShellExtUpload));
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L"Directory\\Background\\shellex\\ContextMenuHandlers\\DorvShell", nullptr),
            ClsidText(kShellExtMenu));
  // One separator between the module's folder and the icon's path, and the file is there.
  std::wstring errorIcon = folder + L"/icons/ErrorIcon.ico";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, L"Software\\DorvShell", L"ErrorIcon"), errorIcon);
  EXPECT_TRUE(fs::exists(errorIcon));

  EXPECT_EQ(error->GetOverlayInfo(icon, MAX_PATH, &index, &flags), S_OK);
  EXPECT_EQ(std::wstring(icon), errorIcon);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(flags, ISIOI_ICONFILE);
  int exact = static_cast<int>(errorIcon.size()) + 1;
  EXPECT_EQ(error->GetOverlayInfo(icon, exact, &index, &flags), E_INVALIDARG) << "the terminator must fit below cchMax";
  EXPECT_EQ(error->GetOverlayInfo(icon, exact + 1, &index, &flags), S_OK);
  EXPECT_EQ(error->GetOverlayInfo(icon, 0, &index, &flags), E_INVALIDARG);
  EXPECT_EQ(error->GetOverlayInfo(nullptr, MAX_PATH, &index, &flags), E_POINTER);
  // The icon loads as an icon.
  HICON loaded = static_cast<HICON>(LoadImageW(nullptr, icon, IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
  EXPECT_NE(loaded, nullptr);
  DestroyIcon(loaded);

  ASSERT_EQ(s_unregister(), S_OK);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\DorvShell", 0, KEY_READ, &key), ERROR_SUCCESS);
  for (int kind = 0; kind < kShellExtKindCount; ++kind) {
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText(kind)).c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
  }
  EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\DorvShell", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(s_unregister(), S_OK) << "missing keys are no error";
}

TEST_F(ExplorerHostTest, OverlaysFollowTheStatesTheServerReports) {
  RootMapping mapping(Root());
  StatusServer server;
  server.Set(Under("a.txt"), kStatusSyncing);
  server.Set(Under("sub"), kStatusError);
  server.Set(Root(), kStatusNormal);
  server.Set(Under("new.txt"), kStatusNone);

  EXPECT_EQ(Members(Under("a.txt")), std::vector<int>{kShellExtUpload});
  EXPECT_EQ(Members(Under("sub")), std::vector<int>{kShellExtError});
  EXPECT_EQ(Members(Root()), std::vector<int>{kShellExtNormal}) << "the root itself is asked about";
  EXPECT_EQ(Members(Under("new.txt")), std::vector<int>{}) << "state 0: no overlay";
  // Requests name files with kind 1 (also a file that does not exist) and folders with kind 2.
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 12u);
  EXPECT_EQ(requests[0], (SeenRequest{kStatusKindFile, Under("a.txt")}));
  EXPECT_EQ(requests[3], (SeenRequest{kStatusKindDirectory, Under("sub")}));
  EXPECT_EQ(requests[6], (SeenRequest{kStatusKindDirectory, Root()}));
  EXPECT_EQ(requests[9], (SeenRequest{kStatusKindFile, Under("new.txt")}));
}

TEST_F(ExplorerHostTest, PathsOutsideTheRootAreNeverAskedAbout) {
  RootMapping mapping(Root());
  StatusServer server;
  std::wstring sibling = Root() + L"2/x.txt";
  std::wstring prefix = Root().substr(0, Root().size() - 1);
  std::wstring tooLong = Root() + L"/" + std::wstring(260, L'n');
  for (const std::wstring& path : {std::wstring(L"/"), sibling, prefix, m_temp.path().wstring(), tooLong}) {
    EXPECT_EQ(IsMember(kShellExtNormal, path), S_FALSE);
  }
  Ref<IShellIconOverlayIdentifier> overlay;
  Create(kShellExtNormal, IID_IShellIconOverlayIdentifier, overlay);
  EXPECT_EQ(overlay->IsMemberOf(nullptr, 0), S_FALSE);
  EXPECT_TRUE(server.Requests().empty());
  // The root compares without regard to case.
  server.Set(Under("a.txt"), kStatusNormal);
  std::wstring upper = Under("a.txt");
  for (auto& c : upper) c = std::towupper(c);
  EXPECT_EQ(IsMember(kShellExtNormal, upper), S_FALSE) << "asked, but the server knows only the real name";
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(ExplorerHostTest, NoOverlaysWhileSyncIsOffOrTheRootIsUnusable) {
  StatusServer server;
  server.Set(Under("a.txt"), kStatusNormal);
  EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE) << "no shared root: the program is not running";
  {
    RootMapping paused(Root(), 1);
    EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE);
  }
  {
    RootMapping released(L"");
    EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE);
  }
  {
    // A root that fills its field without a terminator names no root.
    RootMapping damaged(Root());
    for (auto& unit : damaged.record().root) unit = u'a';
    EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE);
  }
  EXPECT_TRUE(server.Requests().empty());
  RootMapping on(Root());
  EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_OK);
}

TEST_F(ExplorerHostTest, AServerThatDoesNotAnswerCostsABoundedWait) {
  RootMapping mapping(Root());
  EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE) << "nobody serves the pipe";
  {
    StatusServer hung(StatusServer::Mode::Hold);
    EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE) << "the server took the request and hangs";
    // The hung server holds its one instance: the next query finds the pipe busy.
    EXPECT_EQ(IsMember(kShellExtNormal, Under("a.txt")), S_FALSE);
    // Each query returned (the reply and the free instance are awaited for a bounded
    // time) and none was tried again once the time budget was spent.
    EXPECT_EQ(hung.Requests().size(), 1u);
  }
}

// Unloading the module while Explorer still holds an object deletes the object
// first; the process goes on without the module.
TEST(ExplorerUnloadTest, UnloadingWithLiveObjectsDeletesThem) {
  if (void* loaded = dlopen(DORV_SHELL_DLL, RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(loaded);
    GTEST_SKIP() << "another test of this process holds the module";
  }
  pid_t child = fork();
  if (child == 0) {
    HMODULE module = LoadLibraryW(std::filesystem::path(DORV_SHELL_DLL).wstring().c_str());
    auto get = module ? reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(module, "DllGetClassObject")) : nullptr;
    auto canUnload = module ? reinterpret_cast<DllResultFn>(GetProcAddress(module, "DllCanUnloadNow")) : nullptr;
    IClassFactory* factory = nullptr;
    IShellIconOverlayIdentifier* overlay = nullptr;
    bool ok = get && canUnload &&
              get(kShellExtKinds[kShellExtUpload].clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == S_OK &&
              factory->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, reinterpret_cast<void**>(&overlay)) == S_OK;
    if (factory) factory->Release();
    ok = ok && canUnload() == S_FALSE && FreeLibrary(module);
    // The module is gone, and with it the object it still counted.
    ok = ok && dlopen(DORV_SHELL_DLL, RTLD_NOW | RTLD_NOLOAD) == nullptr;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// The command really starts the program that lies beside the module, with the
// argument that hands the request to the running instance.
TEST(ExplorerLaunchTest, TheCommandStartsTheProgramBesideTheModule) {
  dorvtest::TempDir temp;
  fs::path app = temp / "app";
  fs::create_directories(app);
  fs::copy_file(DORV_SHELL_DLL, app / "DorvShell.dll");
  dorvtest::WriteFile(app / "Dorv_Win.exe", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
                                            "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.txt\"\n");
  fs::permissions(app / "Dorv_Win.exe", fs::perms::owner_all);
  win32::Launcher::SetMode(win32::Launcher::Mode::Real);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"DorvMainFormClass";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND main = CreateWindowExW(0, L"DorvMainFormClass", L"Dorv", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(main, nullptr);

  HMODULE module = LoadLibraryW((app / "DorvShell.dll").wstring().c_str());
  ASSERT_NE(module, nullptr);
  auto get = reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(module, "DllGetClassObject"));
  IClassFactory* factory = nullptr;
  IContextMenu3* menu = nullptr;
  ASSERT_EQ(get(kShellExtKinds[kShellExtMenu].clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu3, reinterpret_cast<void**>(&menu)), S_OK);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(1);
  info.nShow = SW_SHOWNORMAL;
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  menu->Release();
  factory->Release();

  // The started program writes its arguments; its file appears whole once it has run.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::exists(app / "args.txt") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(dorvtest::ReadFile(app / "args.txt"), "ExploreRefresh\n");
  DestroyWindow(main);
  UnregisterClassW(L"DorvMainFormClass", nullptr);
  FreeLibrary(module);
}

class MenuHostTest : public ExplorerHostTest {
 protected:
  void SetUp() override {
    ExplorerHostTest::SetUp();
    Create(kShellExtMenu, IID_IShellExtInit, m_init);
    ASSERT_EQ(m_init->QueryInterface(IID_IContextMenu3, m_menu.out()), S_OK);
  }
  void TearDown() override {
    m_menu.reset();
    m_init.reset();
    ExplorerHostTest::TearDown();
  }

  // Initialize with the selection of `names` in `folder`, as Explorer hands it over.
  HRESULT InitializeWith(const fs::path& folder, const std::vector<std::wstring>& names, bool withFolder) {
    PIDLIST_ABSOLUTE parent = ILCreateFromPathW(folder.wstring().c_str());
    std::vector<PIDLIST_ABSOLUTE> items;
    for (auto& name : names) items.push_back(ILCreateFromPathW(name.c_str()));
    std::vector<const ITEMIDLIST*> lists(items.begin(), items.end());
    Ref<IDataObject> data;
    HRESULT hr = SHCreateDataObject(parent, static_cast<UINT>(lists.size()), lists.data(), nullptr, IID_IDataObject,
                                    data.out());
    if (SUCCEEDED(hr)) hr = m_init->Initialize(withFolder ? parent : nullptr, data.p, nullptr);
    for (auto item : items) ILFree(item);
    ILFree(parent);
    return hr;
  }

  Ref<IShellExtInit> m_init;
  Ref<IContextMenu3> m_menu;
};

TEST_F(MenuHostTest, OfferedForTheRootAndWhatLiesBelowIt) {
  EXPECT_EQ(InitializeWith(m_temp.path(), {L"Sync"}, false), E_INVALIDARG) << "no shared root";
  RootMapping mapping(Root(), 1);  // the menu is offered also while sync is paused
  EXPECT_EQ(InitializeWith(m_temp.path(), {L"Sync"}, false), S_OK) << "the root itself, in its parent";
  EXPECT_EQ(InitializeWith(m_temp.path(), {L"Sync", L"other"}, true), E_INVALIDARG);
  EXPECT_EQ(InitializeWith(m_root, {L"a.txt", L"sub"}, true), S_OK);
  EXPECT_EQ(InitializeWith(m_root / "sub", {}, true), S_OK) << "the background of a folder below the root";
  EXPECT_EQ(InitializeWith(m_temp.path(), {L"Sync2"}, true), E_INVALIDARG);
  PIDLIST_ABSOLUTE folder = ILCreateFromPathW(Root().c_str());
  EXPECT_EQ(m_init->Initialize(folder, nullptr, nullptr), S_OK);
  ILFree(folder);
}

struct MenuRow {
  UINT type;
  UINT id;
  std::wstring text;
  HMENU sub;
  HBITMAP bitmap;
};

std::vector<MenuRow> ReadMenu(HMENU menu) {
  std::vector<MenuRow> rows;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_BITMAP;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    rows.push_back({info.fType, info.wID, text, info.hSubMenu, info.hbmpItem});
  }
  return rows;
}

TEST_F(MenuHostTest, QueryContextMenuAddsTheSubmenuWhenTheFlagsAllow) {
  for (auto [flags, expected] : {std::pair{CMF_NORMAL, 3}, {CMF_DEFAULTONLY, 0}, {CMF_NOVERBS, 0},
                                 {CMF_EXPLORE | CMF_NOVERBS | CMF_CANRENAME, 3}, {CMF_VERBSONLY | CMF_NOVERBS, 3}}) {
    HMENU host = CreatePopupMenu();
    AppendMenuW(host, MF_STRING, 7, L"Open");
    EXPECT_EQ(m_menu->QueryContextMenu(host, 1, 100, 200, flags), expected) << flags;
    EXPECT_EQ(GetMenuItemCount(host), 1 + expected);
    DestroyMenu(host);
  }
  HMENU host = CreatePopupMenu();
  AppendMenuW(host, MF_STRING, 7, L"Open");
  AppendMenuW(host, MF_STRING, 8, L"Delete");
  ASSERT_EQ(m_menu->QueryContextMenu(host, 1, 100, 200, CMF_NORMAL), 3);
  auto rows = ReadMenu(host);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].text, L"Open");
  EXPECT_EQ(rows[1].type, MFT_SEPARATOR);
  EXPECT_EQ(rows[2].text, L"Dorv");
  EXPECT_EQ(rows[2].id, 102u);
  EXPECT_EQ(rows[3].type, MFT_SEPARATOR);
  EXPECT_EQ(rows[4].text, L"Delete");
  ASSERT_NE(rows[2].sub, nullptr);
  auto sub = ReadMenu(rows[2].sub);
  ASSERT_EQ(sub.size(), 1u);
  EXPECT_EQ(sub[0].text, L"立即进行一次同步");
  EXPECT_EQ(sub[0].id, 101u);
  // On this system version both entries carry the menu bitmap: the icon on white.
  ASSERT_NE(rows[2].bitmap, nullptr);
  ASSERT_NE(rows[2].bitmap, HBMMENU_CALLBACK);
  EXPECT_EQ(sub[0].bitmap, rows[2].bitmap);
  BITMAP info{};
  ASSERT_EQ(GetObjectW(rows[2].bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, GetSystemMetrics(SM_CXMENUCHECK));
  DestroyMenu(host);

  win32::SetReportedVersion(5, 1);
  host = CreatePopupMenu();
  ASSERT_EQ(m_menu->QueryContextMenu(host, 0, 100, 200, CMF_NORMAL), 3);
  EXPECT_EQ(ReadMenu(host)[1].bitmap, HBMMENU_CALLBACK) << "older systems draw through the owner";
  DestroyMenu(host);
  win32::SetReportedVersion(0, 0);
}

TEST_F(MenuHostTest, OwnerDrawnEntriesAreMeasuredAndDrawnWithTheIcon) {
  MEASUREITEMSTRUCT measure{ODT_MENU, 0, 101, 0, 0, 0};
  LRESULT result = 5;
  EXPECT_EQ(m_menu->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), &result), S_OK);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(measure.itemWidth, 16u);
  EXPECT_EQ(measure.itemHeight, 16u);

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 40, 30);
  HGDIOBJ previous = SelectObject(dc, canvas);
  RECT all{0, 0, 40, 30};
  SetBkColor(dc, RGB(255, 255, 255));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
  DRAWITEMSTRUCT draw{ODT_MENU, 0, 101, 0, 0, nullptr, dc, RECT{0, 4, 40, 28}, 0};
  EXPECT_EQ(m_menu->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), &result), S_OK);
  EXPECT_EQ(result, 1);
  SelectObject(dc, previous);
  auto* pixels = win32::FindGdi<win32::GdiBitmap>(canvas);
  ASSERT_NE(pixels, nullptr);
  RGBQUAD centre = pixels->Pixel(3 + 8, 4 + 4 + 2);  // the top of the icon's disc, drawn over the white
  EXPECT_FALSE(centre.rgbRed == 255 && centre.rgbGreen == 255 && centre.rgbBlue == 255);
  RGBQUAD outside = pixels->Pixel(30, 15);
  EXPECT_TRUE(outside.rgbRed == 255 && outside.rgbGreen == 255 && outside.rgbBlue == 255);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  EXPECT_EQ(m_menu->HandleMenuMsg2(WM_DRAWITEM, 0, 0, &result), S_OK) << "no record: nothing drawn";
  EXPECT_EQ(m_menu->HandleMenuMsg2(WM_COMMAND, 0, 0, &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m_menu->HandleMenuMsg(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), S_OK);
}

TEST_F(MenuHostTest, TheCommandStartsTheProgramOnlyWhileItsMainWindowExists) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.nShow = SW_SHOWNORMAL;
  info.lpVerb = MAKEINTRESOURCEA(2);
  EXPECT_EQ(m_menu->InvokeCommand(&info), E_INVALIDARG);
  info.lpVerb = "open";
  EXPECT_EQ(m_menu->InvokeCommand(&info), E_INVALIDARG);
  EXPECT_EQ(m_menu->InvokeCommand(nullptr), E_INVALIDARG);
  info.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(m_menu->InvokeCommand(&info), S_OK);
  EXPECT_TRUE(win32::Launcher::Recorded().empty()) << "no main window: nothing started";

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"DorvMainFormClass";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND main = CreateWindowExW(0, L"DorvMainFormClass", L"Dorv", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(m_menu->InvokeCommand(&info), S_OK);
  std::wstring program = (fs::path(DORV_SHELL_DLL).parent_path() / "Dorv_Win.exe").wstring();
  auto launched = win32::Launcher::Recorded();
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (win32::LaunchRequest{L"open", program, L"ExploreRefresh", L"", SW_SHOWNORMAL}));
  char name[8] = "x";
  EXPECT_EQ(m_menu->GetCommandString(1, GCS_VERBA, nullptr, name, sizeof name), S_OK);
  EXPECT_STREQ(name, "x");
  DestroyWindow(main);
  UnregisterClassW(L"DorvMainFormClass", nullptr);
}

}  // namespace
