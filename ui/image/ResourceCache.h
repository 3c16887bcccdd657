#pragma once
// The process's one image cache (DXCore::s_rscc): every bitmap the framework
// draws, decoded once and found by key, the translated path of an image file
// or the GUID under which pixels decoded by the image library were published.
// Keys match exactly (no case folding, no path normalising).
//
// Threads: look-ups, inserts, replacements and removals all take the image
// lock, a re-entrant lock that a form also holds across each paint, so no
// entry is replaced or freed while a paint draws it. Decoding and conversion
// run outside the lock. An entry is shared: AcquireImageItem keeps it alive
// after ReleaseImage, and a raw entry pointer from GetImageItem is valid while
// the caller holds the image lock or until the key is released.
#include <map>
#include <memory>
#include <string>

#include "mfc/Afx.h"
#include "ui/image/ImageItem.h"
#include "win32/CriticalSection.h"

class CxImage;

namespace UI {

class ResourceCache {
 public:
  // The map's order: fewer UTF-16 units first; among keys of one length the
  // unit nearest the end that differs decides, smaller unsigned value first.
  struct KeyOrder {
    bool operator()(const std::u16string& a, const std::u16string& b) const;
  };
  using EntryPtr = std::shared_ptr<tagImageItem>;

  ResourceCache();
  ResourceCache(const ResourceCache&) = delete;
  ResourceCache& operator=(const ResourceCache&) = delete;
  virtual ~ResourceCache();
  virtual void Release();

  // The entry, decoding the file of that name on first use; null when it can't be decoded.
  tagImageItem* GetImageItem(const CString& key);
  // The entry if present; never loads.
  tagImageItem* SearchImageItem(const CString& key);
  // The entry as a shared reference (loading it like GetImageItem).
  EntryPtr AcquireImageItem(const CString& key);
  // The image of the key's entry (loading a file on first use); a null image when there is none.
  juce::Image GetImage(const CString& key);

  tagImageItem* LoadImageFromFile(const CString& path, int unused = 0);
  // Publishes the library image's pixels under key; the present entry when the
  // key is already there. Null when the image can't be converted.
  tagImageItem* GetImageItemFromCxImage(const CString& key, CxImage* image);
  tagImageItem* GetFrameByIndex(tagImageItem* item, long index) { return index == 0 ? item : nullptr; }
  tagImageItem* LoadImageFromNextFrames(tagImageItem*, long) { return nullptr; }
  // 1 when the key was present and is now gone.
  int ReleaseImage(const CString& key);
  void ReleaseAll();
  int GetCount();

  CRITICAL_SECTION* GetImageLock() { return &m_imageLock; }
  CRITICAL_SECTION* GetRawLock() { return &m_rawLock; }

  static DWORD GetImageTypeForCXImage(const CString& path);
  // Reads only the header. 1 with the size (and the format when asked); 0 when unreadable.
  static int GetImageWidthHeight(const CString& path, DWORD* width, DWORD* height, DWORD* format);
  // The library image as a JUCE image: grey levels as a single channel, an alpha
  // plane as premultiplied ARGB, anything else as RGB (raised to 24 bits in place).
  static juce::Image ConvertCxImage(CxImage* image);

 private:
  class Lock;
  EntryPtr Find(const CString& key);
  EntryPtr LoadFile(const CString& path);

  std::map<std::u16string, EntryPtr, KeyOrder> m_entries;
  CRITICAL_SECTION m_imageLock;
  CRITICAL_SECTION m_rawLock;
};

}  // namespace UI
