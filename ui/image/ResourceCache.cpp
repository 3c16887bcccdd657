#include "ui/image/ResourceCache.h"

#include "ui/cximage/CxImage.h"
#include "ui/cximage/CxImageCodec.h"

namespace UI {

namespace {

std::u16string Utf16Key(const CString& key) {
  std::u16string out;
  out.reserve(static_cast<size_t>(key.GetLength()));
  for (int i = 0; i < key.GetLength(); ++i) {
    const auto c = static_cast<uint32_t>(key[i]);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

// The library's rows (bottom-up) as a JUCE image's (top-down), byte for byte:
// one grey byte per pixel, or blue, green, red.
juce::Image CopyRowsUpsideDown(CxImage& image, juce::Image::PixelFormat format) {
  const int width = static_cast<int>(image.GetWidth()), height = static_cast<int>(image.GetHeight());
  const size_t rowBytes = image.GetEffWidth();
  juce::Image out(format, width, height, false);
  juce::Image::BitmapData bits(out, juce::Image::BitmapData::writeOnly);
  for (int r = 0; r < height; ++r)
    std::memcpy(bits.getLinePointer(r), image.GetBits(static_cast<DWORD>(height - 1 - r)),
                std::min(rowBytes, static_cast<size_t>(bits.lineStride)));
  return out;
}

ResourceCache::EntryPtr Share(tagImageItem* item) {
  return ResourceCache::EntryPtr(item, [](tagImageItem* p) { p->Release(); });
}

}  // namespace

class ResourceCache::Lock {
 public:
  explicit Lock(CRITICAL_SECTION* section) : m_section(section) { EnterCriticalSection(m_section); }
  ~Lock() { LeaveCriticalSection(m_section); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION* m_section;
};

bool ResourceCache::KeyOrder::operator()(const std::u16string& a, const std::u16string& b) const {
  if (a.size() != b.size()) return a.size() < b.size();
  for (size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return static_cast<uint16_t>(a[i]) < static_cast<uint16_t>(b[i]);
  }
  return false;
}

ResourceCache::ResourceCache() {
  InitializeCriticalSection(&m_imageLock);
  InitializeCriticalSection(&m_rawLock);
}

ResourceCache::~ResourceCache() {
  ReleaseAll();
  DeleteCriticalSection(&m_rawLock);
  DeleteCriticalSection(&m_imageLock);
}

void ResourceCache::Release() { delete this; }

ResourceCache::EntryPtr ResourceCache::Find(const CString& key) {
  Lock lock(&m_imageLock);
  auto it = m_entries.find(Utf16Key(key));
  return it == m_entries.end() ? nullptr : it->second;
}

tagImageItem* ResourceCache::SearchImageItem(const CString& key) { return Find(key).get(); }

ResourceCache::EntryPtr ResourceCache::AcquireImageItem(const CString& key) {
  if (EntryPtr entry = Find(key)) return entry;
  return LoadFile(key);
}

tagImageItem* ResourceCache::GetImageItem(const CString& key) { return AcquireImageItem(key).get(); }

juce::Image ResourceCache::GetImage(const CString& key) {
  EntryPtr entry = AcquireImageItem(key);
  if (!entry) return {};
  Lock lock(&m_imageLock);  // the pixels may be replaced by another thread's load
  return entry->GetImage();
}

tagImageItem* ResourceCache::LoadImageFromFile(const CString& path, int) { return LoadFile(path).get(); }

ResourceCache::EntryPtr ResourceCache::LoadFile(const CString& path) {
  const std::u16string key = Utf16Key(path);
  {
    Lock lock(&m_imageLock);
    auto it = m_entries.find(key);
    if (it != m_entries.end()) return it->second;
  }
  const juce::File file(juce::String(static_cast<const wchar_t*>(path)));
  if (path.IsEmpty() || !juce::File::isAbsolutePath(file.getFullPathName()) || !file.existsAsFile()) return nullptr;
  juce::MemoryBlock bytes;
  if (!file.loadFileAsData(bytes)) return nullptr;
  juce::Image decoded = CxImageCodec::DecodeToJuceImage(static_cast<const uint8_t*>(bytes.getData()), bytes.getSize());
  if (!decoded.isValid()) return nullptr;  // not remembered: the next request tries again
  EntryPtr fresh = Share(new tagImageItem);
  fresh->m_image = decoded;
  Lock lock(&m_imageLock);
  auto it = m_entries.find(key);
  if (it != m_entries.end()) {
    // Another thread decoded it meanwhile: its entry stays, with these pixels.
    it->second->MultiTextureCopy_s(fresh.get());
    return it->second;
  }
  m_entries.emplace(key, fresh);
  return fresh;
}

tagImageItem* ResourceCache::GetImageItemFromCxImage(const CString& key, CxImage* image) {
  if (EntryPtr present = Find(key)) return present.get();
  juce::Image converted = ConvertCxImage(image);
  if (!converted.isValid()) return nullptr;
  EntryPtr fresh = Share(new tagImageItem);
  fresh->m_image = converted;
  EntryPtr old;
  {
    Lock lock(&m_imageLock);
    EntryPtr& slot = m_entries[Utf16Key(key)];
    old = slot;
    slot = fresh;
  }
  return fresh.get();  // the old entry is freed here, outside the lock, unless someone still holds it
}

int ResourceCache::ReleaseImage(const CString& key) {
  EntryPtr removed;
  Lock lock(&m_imageLock);
  auto it = m_entries.find(Utf16Key(key));
  if (it == m_entries.end()) return 0;
  removed = std::move(it->second);
  m_entries.erase(it);
  return 1;
}

void ResourceCache::ReleaseAll() {
  std::map<std::u16string, EntryPtr, KeyOrder> removed;
  Lock lock(&m_imageLock);
  removed.swap(m_entries);
}

int ResourceCache::GetCount() {
  Lock lock(&m_imageLock);
  return static_cast<int>(m_entries.size());
}

DWORD ResourceCache::GetImageTypeForCXImage(const CString& path) {
  CString lower = path;
  lower.MakeLower();
  const CString last4 = lower.Right(4), last5 = lower.Right(5);
  if (last4 == L".png") return CXIMAGE_FORMAT_PNG;
  if (last4 == L".bmp") return CXIMAGE_FORMAT_BMP;
  if (last4 == L".jpg") return CXIMAGE_FORMAT_JPG;
  if (last4 == L".ico") return CXIMAGE_FORMAT_ICO;
  if (last4 == L".gif") return CXIMAGE_FORMAT_GIF;
  if (last4 == L".tif") return CXIMAGE_FORMAT_TIF;
  if (last5 == L".tiff") return CXIMAGE_FORMAT_TIF;
  if (last5 == L".jpeg") return CXIMAGE_FORMAT_JPG;
  return CXIMAGE_FORMAT_UNKNOWN;
}

int ResourceCache::GetImageWidthHeight(const CString& path, DWORD* width, DWORD* height, DWORD* format) {
  CxImage image(CXIMAGE_FORMAT_UNKNOWN);
  image.SetEscape(-1);
  if (!image.Load(path, CXIMAGE_FORMAT_UNKNOWN)) return 0;
  if (width) *width = image.GetWidth();
  if (height) *height = image.GetHeight();
  if (format) *format = image.GetType();
  return 1;
}

juce::Image ResourceCache::ConvertCxImage(CxImage* image) {
  if (!image || !image->IsValid()) return {};
  const int width = static_cast<int>(image->GetWidth()), height = static_cast<int>(image->GetHeight());
  if (image->IsGrayScale()) return CopyRowsUpsideDown(*image, juce::Image::SingleChannel);
  if (image->GetColorType() == 4) {
    if (image->GetBpp() < 24 && !image->IncreaseBpp(24)) return {};
    juce::Image out(juce::Image::ARGB, width, height, false);
    juce::Image::BitmapData bits(out, juce::Image::BitmapData::writeOnly);
    for (int r = 0; r < height; ++r) {
      const DWORD row = static_cast<DWORD>(height - 1 - r);
      const uint8_t* bgr = image->GetBits(row);
      const uint8_t* alpha = image->AlphaGetPointer(0, static_cast<long>(row));
      uint8_t* dst = bits.getLinePointer(r);
      for (int x = 0; x < width; ++x) {
        const unsigned a = alpha[x];
        uint8_t* px = dst + x * bits.pixelStride;
        if (a == 0) {
          px[0] = px[1] = px[2] = px[3] = 0;
          continue;
        }
        for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(a == 255 ? bgr[x * 3 + c] : (bgr[x * 3 + c] * a) >> 8);
        px[3] = static_cast<uint8_t>(a);
      }
    }
    return out;
  }
  if (image->GetBpp() < 24 && !image->IncreaseBpp(24)) return {};
  return CopyRowsUpsideDown(*image, juce::Image::RGB);
}

}  // namespace UI
