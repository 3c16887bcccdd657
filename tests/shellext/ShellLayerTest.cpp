// The layer's small shell pieces the extension and its host stand on: class ids as
// text, path helpers, the selection's data formats, shell folders and menus.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TempDir.h"
#include "win32/IconImage.h"
#include "win32/Windows.h"

namespace {

TEST(ShellLayerTest, ClassIdsAsTextBothWays) {
  constexpr CLSID id{0x3F6B2D10, 0x9C4A, 0x4E87, {0xA1, 0xD5, 0x7E, 0x2B, 0x9C, 0x0F, 0x4A, 0x63}};
  LPOLESTR text = nullptr;
  ASSERT_EQ(StringFromCLSID(id, &text), S_OK);
  EXPECT_STREQ(text, L"{3F6B2D10-9C4A-4E87-A1D5-7E2B9C0F4A63}");
  CLSID back{};
  EXPECT_EQ(CLSIDFromString(L"{3f6b2d10-9c4a-4e87-a1d5-7e2b9c0f4a63}", &back), S_OK);
  EXPECT_TRUE(IsEqualGUID(back, id));
  CoTaskMemFree(text);
  for (LPCWSTR bad : {L"", L"3F6B2D10-9C4A-4E87-A1D5-7E2B9C0F4A63", L"{3F6B2D10-9C4A-4E87-A1D5-7E2B9C0F4A6G}",
                      L"{3F6B2D10-9C4A-4E87+A1D5-7E2B9C0F4A63}"}) {
    EXPECT_EQ(CLSIDFromString(bad, &back), CO_E_CLASSSTRING) << bad;
  }
}

TEST(ShellLayerTest, PathAppendAndDirectories) {
  wchar_t path[MAX_PATH] = L"/opt/dorv";
  ASSERT_TRUE(PathAppendW(path, L"Dorv_Win.exe"));
  EXPECT_STREQ(path, L"/opt/dorv/Dorv_Win.exe");
  wcscpy(path, L"/opt/dorv/");
  ASSERT_TRUE(PathAppendW(path, L"/icons"));
  EXPECT_STREQ(path, L"/opt/dorv/icons");
  std::wstring tooLong(MAX_PATH - 5, L'x');
  EXPECT_FALSE(PathAppendW(path, tooLong.c_str()));
  EXPECT_STREQ(path, L"/opt/dorv/icons") << "left alone";

  dorvtest::TempDir temp;
  dorvtest::WriteFile(temp / "file", "x");
  EXPECT_TRUE(PathIsDirectoryW(temp.path().wstring().c_str()));
  EXPECT_FALSE(PathIsDirectoryW((temp / "file").wstring().c_str()));
  EXPECT_FALSE(PathIsDirectoryW((temp / "missing").wstring().c_str()));
}

TEST(ShellLayerTest, ASelectionOffersItsIdListsAndItsFileNames) {
  PIDLIST_ABSOLUTE folder = ILCreateFromPathW(L"/home/u/Sync");
  PIDLIST_ABSOLUTE a = ILCreateFromPathW(L"a.txt");
  PIDLIST_ABSOLUTE b = ILCreateFromPathW(L"sub");
  const ITEMIDLIST* items[] = {a, b};
  IDataObject* data = nullptr;
  ASSERT_EQ(SHCreateDataObject(folder, 2, items, nullptr, IID_IDataObject, reinterpret_cast<void**>(&data)), S_OK);

  FORMATETC ids{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST)), nullptr, DVASPECT_CONTENT, -1,
                TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&ids, &medium), S_OK);
  const auto* bytes = static_cast<const BYTE*>(GlobalLock(medium.hGlobal));
  const auto* cida = reinterpret_cast<const CIDA*>(bytes);
  ASSERT_EQ(cida->cidl, 2u);
  auto list = [&](int i) { return reinterpret_cast<const ITEMIDLIST*>(bytes + cida->aoffset[i]); };
  EXPECT_EQ(win32::ItemListPath(list(0)), L"/home/u/Sync");
  EXPECT_EQ(win32::ItemListPath(list(2)), L"sub");

  // The shell folder of the selection names its items by their full paths.
  IShellFolder* desktop = nullptr;
  IShellFolder* parent = nullptr;
  ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
  ASSERT_EQ(desktop->BindToObject(list(0), nullptr, IID_IShellFolder, reinterpret_cast<void**>(&parent)), S_OK);
  for (auto [flags, expected] : {std::pair{SHGDN_FORPARSING, L"/home/u/Sync/a.txt"}, {SHGDN_NORMAL, L"a.txt"}}) {
    STRRET name{};
    ASSERT_EQ(parent->GetDisplayNameOf(list(1), flags, &name), S_OK);
    LPWSTR text = nullptr;
    ASSERT_EQ(StrRetToStrW(&name, list(1), &text), S_OK);
    EXPECT_STREQ(text, expected);
    CoTaskMemFree(text);
  }
  parent->Release();
  desktop->Release();
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  EXPECT_EQ(medium.hGlobal, nullptr);

  FORMATETC drop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ASSERT_EQ(data->GetData(&drop, &medium), S_OK);
  const auto* header = static_cast<const DROPFILES*>(GlobalLock(medium.hGlobal));
  const auto* names = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(header) + header->pFiles);
  EXPECT_TRUE(header->fWide);
  EXPECT_STREQ(names, L"/home/u/Sync/a.txt");
  EXPECT_STREQ(names + wcslen(names) + 1, L"/home/u/Sync/sub");
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  FORMATETC text{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->GetData(&text, &medium), DV_E_FORMATETC);
  data->Release();
  ILFree(a);
  ILFree(b);
  ILFree(folder);
}

TEST(ShellLayerTest, MenusByPositionAndByCommand) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 11, L"inner"));
  ASSERT_TRUE(AppendMenuW(menu, MF_STRING, 1, L"one"));
  ASSERT_TRUE(InsertMenuW(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"sub"));
  ASSERT_TRUE(InsertMenuW(menu, 99, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr)) << "past the end appends";
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(GetSubMenu(menu, 0), sub);
  EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuItemID(menu, 1), 1u);
  wchar_t text[3] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 3;
  ASSERT_TRUE(GetMenuItemInfoW(menu, 11, FALSE, &info)) << "found in the submenu by its command";
  EXPECT_STREQ(text, L"in");
  EXPECT_EQ(info.cch, 5u);
  EXPECT_FALSE(GetMenuItemInfoW(menu, 12, FALSE, &info));
  EXPECT_EQ(GetLastError(), ERROR_MENU_ITEM_NOT_FOUND);
  ASSERT_TRUE(DeleteMenu(menu, 0, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub)) << "deleting an entry destroys its submenu";
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_EQ(GetMenuItemCount(menu), -1);
}

// A 2x2 icon of one 32-bit bitmap image, as .ico bytes; `alpha` for every pixel.
std::string TinyIcon(BYTE alpha) {
  std::string dib(40, '\0');
  BITMAPINFOHEADER header{40, 2, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::memcpy(dib.data(), &header, sizeof header);
  for (int i = 0; i < 4; ++i) dib += std::string{'\x10', '\x20', '\x30', static_cast<char>(alpha)};
  dib += std::string(8, '\0');  // the mask: two rows of four bytes
  std::string ico = {0, 0, 1, 0, 1, 0, 2, 2, 0, 0, 1, 0, 32, 0};
  DWORD size = static_cast<DWORD>(dib.size()), offset = 22;
  ico.append(reinterpret_cast<const char*>(&size), 4);
  ico.append(reinterpret_cast<const char*>(&offset), 4);
  return ico + dib;
}

TEST(ShellLayerTest, IconsFromFilesAndBrokenIconFiles) {
  std::string ico = TinyIcon(0xFF);
  juce::Image image = win32::DecodeIcon(ico.data(), ico.size(), 0, 0);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.getWidth(), 2);
  EXPECT_EQ(image.getPixelAt(0, 0), juce::Colour(0x30, 0x20, 0x10));
  // Without any alpha the mask decides: an all-clear mask is opaque.
  std::string masked = TinyIcon(0);
  EXPECT_EQ(win32::DecodeIcon(masked.data(), masked.size(), 0, 0).getPixelAt(1, 1).getAlpha(), 0xFF);
  EXPECT_EQ(win32::DecodeIcon(ico.data(), ico.size(), 16, 16).getWidth(), 16) << "scaled to the size asked for";
  for (size_t cut : {size_t{0}, size_t{5}, size_t{21}, size_t{40}, ico.size() - 1}) {
    EXPECT_TRUE(win32::DecodeIcon(ico.data(), cut, 16, 16).isNull()) << cut;
  }
  std::string farOffset = ico;
  farOffset[18] = '\x7F';
  EXPECT_TRUE(win32::DecodeIcon(farOffset.data(), farOffset.size(), 16, 16).isNull());

  dorvtest::TempDir temp;
  dorvtest::WriteFile(temp / "a.ico", ico);
  dorvtest::WriteFile(temp / "bad.ico", "not an icon");
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, (temp / "a.ico").wstring().c_str(), IMAGE_ICON, 0, 0,
                                             LR_LOADFROMFILE | LR_DEFAULTSIZE));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(win32::IconImage(icon).getWidth(), 32);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_EQ(LoadImageW(nullptr, (temp / "bad.ico").wstring().c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCEW(204), IMAGE_ICON, 16, 16, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

// An .ico file of one entry holding the PNG as it stands.
std::string PngIcon(const std::string& png, BYTE width) {
  std::string ico = {0, 0, 1, 0, 1, 0, static_cast<char>(width), static_cast<char>(width), 0, 0, 1, 0, 32, 0};
  DWORD size = static_cast<DWORD>(png.size()), offset = 22;
  ico.append(reinterpret_cast<const char*>(&size), 4);
  ico.append(reinterpret_cast<const char*>(&offset), 4);
  return ico + png;
}

TEST(ShellLayerTest, PngIconsAndPicturesSurviveDamagedFiles) {
  juce::Image source(juce::Image::ARGB, 3, 2, true);
  source.setPixelAt(0, 0, juce::Colour::fromRGBA(0x20, 0x40, 0x60, 0xFF));
  source.setPixelAt(2, 1, juce::Colour::fromRGBA(0x90, 0x10, 0x10, 0x80));
  juce::MemoryOutputStream encoded;
  ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(source, encoded));
  const std::string png(static_cast<const char*>(encoded.getData()), encoded.getDataSize());
  const std::string ico = PngIcon(png, 3);
  juce::Image image = win32::DecodeIcon(ico.data(), ico.size(), 0, 0);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.getWidth(), 3);
  EXPECT_EQ(image.getPixelAt(0, 0), juce::Colour(0x20, 0x40, 0x60));
  EXPECT_EQ(image.getPixelAt(1, 0).getAlpha(), 0);
  EXPECT_NEAR(image.getPixelAt(2, 1).getAlpha(), 0x80, 1);

  // A palette image without its palette, which JUCE's reader wrote past its buffer on.
  const unsigned char noPalette[] = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
      0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0xc3, 0xfc, 0x8f, 0xb8, 0x00,
      0x00, 0x00, 0x0b, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x60, 0x04, 0x00, 0x00, 0x04, 0x00,
      0x02, 0xbf, 0x7a, 0x3f, 0x4a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
  const std::string broken(reinterpret_cast<const char*>(noPalette), sizeof noPalette);
  const std::string cut = png.substr(0, png.size() - 20);
  for (const std::string& bad : {broken, cut}) {
    const std::string badIco = PngIcon(bad, 2);
    EXPECT_TRUE(win32::DecodeIcon(badIco.data(), badIco.size(), 0, 0).isNull());
  }

  dorvtest::TempDir temp;
  dorvtest::WriteFile(temp / "good.png", png);
  dorvtest::WriteFile(temp / "bad.png", broken);
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(nullptr, (temp / "good.png").wstring().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  ASSERT_NE(GetObjectW(bitmap, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  DeleteObject(bitmap);
  EXPECT_EQ(LoadImageW(nullptr, (temp / "bad.png").wstring().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(ShellLayerTest, ChangeNotificationsAreKeptInOrder) {
  win32::ClearShellNotifications();
  SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, L"/r/a.txt", nullptr);
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHA, "/r/ü", nullptr);
  auto seen = win32::ShellNotifications();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], (win32::ShellNotification{SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, L"/r/a.txt", L""}));
  EXPECT_EQ(seen[1].path1, L"/r/ü");
}

}  // namespace
