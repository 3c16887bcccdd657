#include "win32/Icon.h"
#include "win32/IconImage.h"

#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "image/PngReader.h"
#include "win32/Gdi.h"
#include "win32/GdiBitmap.h"
#include "win32/GdiDc.h"
#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

struct IconTables {
  std::mutex lock;
  std::map<std::tuple<HMODULE, UINT, WORD>, std::vector<BYTE>> resources;  // by module, IMAGE_* type, id
  std::map<HICON, juce::Image> icons;
  ULONG_PTR next = 0x20000;
};

IconTables& Tables() {
  static IconTables* tables = new IconTables;  // lives until process end
  return *tables;
}

template <class T>
T Read(const BYTE* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// One image of an .ico file stored as a bitmap: colour rows, then the 1-bit mask, both bottom-up.
juce::Image DecodeDib(const BYTE* data, size_t size) {
  if (size < sizeof(BITMAPINFOHEADER)) return {};
  auto header = Read<BITMAPINFOHEADER>(data);
  int width = header.biWidth, height = header.biHeight / 2, bits = header.biBitCount;
  if (width <= 0 || width > 256 || height <= 0 || height > 256 || (bits != 32 && bits != 24) ||
      header.biCompression != BI_RGB || header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size) {
    return {};
  }
  size_t colourRow = static_cast<size_t>(DibRowBytes(width, bits));
  size_t maskRow = static_cast<size_t>(DibRowBytes(width, 1));
  size_t colourBytes = colourRow * static_cast<size_t>(height);
  bool hasMask = header.biSize + colourBytes + maskRow * static_cast<size_t>(height) <= size;
  if (header.biSize + colourBytes > size) return {};
  const BYTE* colours = data + header.biSize;
  const BYTE* mask = colours + colourBytes;
  bool anyAlpha = false;
  if (bits == 32) {
    for (size_t i = 3; i < colourBytes && !anyAlpha; i += 4) anyAlpha = colours[i] != 0;
  }
  juce::Image image(juce::Image::ARGB, width, height, true);
  for (int y = 0; y < height; ++y) {
    const BYTE* row = colours + colourRow * static_cast<size_t>(height - 1 - y);
    const BYTE* maskLine = mask + maskRow * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const BYTE* p = row + static_cast<size_t>(x) * (bits / 8);
      BYTE alpha = 255;
      if (bits == 32 && anyAlpha) {
        alpha = p[3];
      } else if (hasMask && (maskLine[x / 8] & (0x80 >> (x % 8)))) {
        alpha = 0;
      }
      image.setPixelAt(x, y, juce::Colour(p[2], p[1], p[0], alpha));
    }
  }
  return image;
}

HICON AddIcon(juce::Image image) {
  IconTables& t = Tables();
  std::lock_guard guard(t.lock);
  HICON handle = reinterpret_cast<HICON>(t.next);
  t.next += 4;
  t.icons[handle] = std::move(image);
  return handle;
}

}  // namespace

namespace win32 {

juce::Image DecodeIcon(const void* bytes, size_t size, int cx, int cy) {
  const auto* data = static_cast<const BYTE*>(bytes);
  if (!data || size < 6 || Read<WORD>(data) != 0 || Read<WORD>(data + 2) != 1) return {};
  WORD count = Read<WORD>(data + 4);
  if (count == 0 || 6 + static_cast<size_t>(count) * 16 > size) return {};
  // The entry whose width is nearest to the one asked for, the larger on a tie.
  int best = -1, bestDistance = 0, bestWidth = 0;
  for (int i = 0; i < count; ++i) {
    const BYTE* entry = data + 6 + i * 16;
    int width = entry[0] ? entry[0] : 256;
    int distance = cx > 0 ? std::abs(width - cx) : -width;
    if (best < 0 || distance < bestDistance || (distance == bestDistance && width > bestWidth)) {
      best = i;
      bestDistance = distance;
      bestWidth = width;
    }
  }
  const BYTE* entry = data + 6 + best * 16;
  DWORD length = Read<DWORD>(entry + 8), offset = Read<DWORD>(entry + 12);
  if (offset > size || length > size - offset) return {};
  const BYTE* image = data + offset;
  static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  juce::Image decoded = (length >= 8 && std::memcmp(image, kPng, 8) == 0)
                            ? DecodePngImage(image, length)
                            : DecodeDib(image, length);
  if (decoded.isNull()) return {};
  decoded = decoded.convertedToFormat(juce::Image::ARGB);
  int width = cx > 0 ? cx : decoded.getWidth(), height = cy > 0 ? cy : decoded.getHeight();
  if (width != decoded.getWidth() || height != decoded.getHeight()) {
    decoded = decoded.rescaled(width, height, juce::Graphics::highResamplingQuality);
  }
  return decoded;
}

namespace {

void AddResource(HMODULE module, UINT type, WORD id, const void* data, size_t size) {
  IconTables& t = Tables();
  std::lock_guard guard(t.lock);
  const auto* bytes = static_cast<const BYTE*>(data);
  t.resources[{module, type, id}] = std::vector<BYTE>(bytes, bytes + size);
}

}  // namespace

void AddIconResource(HMODULE module, WORD id, const void* data, size_t size) {
  AddResource(module, IMAGE_ICON, id, data, size);
}

void AddBitmapResource(HMODULE module, WORD id, const void* data, size_t size) {
  AddResource(module, IMAGE_BITMAP, id, data, size);
}

void RemoveIconResources(HMODULE module) {
  IconTables& t = Tables();
  std::lock_guard guard(t.lock);
  for (auto it = t.resources.begin(); it != t.resources.end();) {
    it = std::get<0>(it->first) == module ? t.resources.erase(it) : std::next(it);
  }
}

juce::Image IconImage(HICON icon) {
  IconTables& t = Tables();
  std::lock_guard guard(t.lock);
  auto it = t.icons.find(icon);
  return it == t.icons.end() ? juce::Image() : it->second;
}

}  // namespace win32

namespace {

// A 24-bit bitmap of the picture, on white where it is transparent.
HBITMAP BitmapOf(const juce::Image& picture) {
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), picture.getWidth(), -picture.getHeight(), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* target = win32::FindGdi<win32::GdiBitmap>(bitmap);
  if (!target) return nullptr;
  juce::Image pixels = target->Image();
  juce::Graphics g(pixels);
  g.fillAll(juce::Colours::white);
  g.drawImageAt(picture, 0, 0);
  return bitmap;
}

}  // namespace

HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_ICON && type != IMAGE_BITMAP) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((flags & LR_DEFAULTSIZE) && cx == 0) cx = 32;
  if ((flags & LR_DEFAULTSIZE) && cy == 0) cy = 32;
  std::vector<BYTE> bytes;
  if (flags & LR_LOADFROMFILE) {
    juce::MemoryBlock block;
    if (IS_INTRESOURCE(name) || !juce::File(juce::String(NativePath(name))).loadFileAsData(block)) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    const auto* data = static_cast<const BYTE*>(block.getData());
    bytes.assign(data, data + block.getSize());
  } else {
    if (!IS_INTRESOURCE(name)) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    IconTables& t = Tables();
    std::lock_guard guard(t.lock);
    auto it = t.resources.find({module, type, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name))});
    if (it == t.resources.end()) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    bytes = it->second;
  }
  if (type == IMAGE_BITMAP) {
    juce::Image picture = DecodePngImage(bytes.data(), bytes.size());
    if (picture.isNull()) {
      SetLastError(ERROR_INVALID_PARAMETER);  // not a picture
      return nullptr;
    }
    if ((cx > 0 && cx != picture.getWidth()) || (cy > 0 && cy != picture.getHeight()))
      picture = picture.rescaled(cx > 0 ? cx : picture.getWidth(), cy > 0 ? cy : picture.getHeight(),
                                 juce::Graphics::highResamplingQuality);
    return BitmapOf(picture);
  }
  juce::Image image = win32::DecodeIcon(bytes.data(), bytes.size(), cx, cy);
  if (image.isNull()) {
    SetLastError(ERROR_INVALID_PARAMETER);  // not an icon
    return nullptr;
  }
  return AddIcon(std::move(image));
}

HICON LoadIconW(HINSTANCE module, LPCWSTR name) {
  return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name) {
  return static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, 0));
}

BOOL DestroyIcon(HICON icon) {
  IconTables& t = Tables();
  std::lock_guard guard(t.lock);
  if (!t.icons.erase(icon)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags) {
  auto* context = win32::FindGdi<win32::GdiDc>(dc);
  if (!context) return FALSE;
  juce::Image image = win32::IconImage(icon);
  if (image.isNull()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!(flags & DI_IMAGE)) return TRUE;  // only a mask: nothing shows on a colour bitmap
  auto* bitmap = win32::FindGdi<win32::GdiBitmap>(context->SelectedBitmap());
  if (!bitmap) return FALSE;
  juce::Image target = bitmap->Image();
  if (target.isNull()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  int width = cx > 0 ? cx : image.getWidth(), height = cy > 0 ? cy : image.getHeight();
  juce::Graphics g(target);
  g.drawImage(image, x, y, width, height, 0, 0, image.getWidth(), image.getHeight());
  return TRUE;
}
