#include "ui/thumb/ThumbManager.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "common/AppPaths.h"
#include "common/Digest.h"
#include "ui/cximage/CxImage.h"
#include "ui/UILock.h"
#include "ui/image/ResourceCache.h"
#include "win32/Event.h"
#include "win32/Files.h"
#include "win32/Handle.h"
#include "win32/Library.h"
#include "win32/Thread.h"
#include "win32/Wait.h"

namespace UI {

std::map<std::wstring, _ThumbNode*> ThumbManager::s_mapThumbNode;
std::wstring ThumbManager::s_sTempPath;
ExtraThumbFileFunc ThumbManager::s_pExifFunc = nullptr;
HMODULE ThumbManager::s_hExtractor = nullptr;

namespace {

// Photos whose pixels alone would take more than this are not decoded.
constexpr uint64_t kMaxDecodeBytes = uint64_t{512} << 20;
// A camera's thumbnail is small (its EXIF block holds at most 64 KB); one that
// claims more is no thumbnail, and its pixels are never allocated.
constexpr DWORD kMaxExifThumbSide = 1024;
// Every file the manager names starts so.
constexpr wchar_t kOwnPrefix[] = L"~quickbuffer_";

void DeleteFileIfAny(std::wstring& path) {
  if (path.empty()) return;
  ::DeleteFileW(path.c_str());
  path.clear();
}

}  // namespace

// The cache lock lives as long as the process: a node may be given back after
// ExitInstance (a list destroyed late) and must still find a lock.
CRITICAL_SECTION* ThumbManager::CacheLock() {
  static CRITICAL_SECTION* lock = UILock::CreateLock();
  return lock;
}

ThumbManager::ThumbManager() {
  InitializeCriticalSection(&m_queueLock);
  m_hWakeEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_hStoppedEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_hThread = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ThumbManager::_ThreadLoopFunc, this, 0, nullptr));
}

ThumbManager::~ThumbManager() {
  m_queue.clear();
  if (m_hThread) ::CloseHandle(m_hThread);
  ::CloseHandle(m_hWakeEvent);
  ::CloseHandle(m_hStoppedEvent);
  DeleteCriticalSection(&m_queueLock);
}

void ThumbManager::StopThread() {
  m_nStop = 1;
  ::SetEvent(m_hWakeEvent);
  if (m_hThread) ::WaitForSingleObject(m_hStoppedEvent, INFINITE);
}

std::deque<_ThumbNode*>::iterator ThumbManager::_FindQueueItem(_ThumbNode* node) {
  return std::find(m_queue.begin(), m_queue.end(), node);
}

int ThumbManager::StartGenerateThumb(_ThumbNode* node) {
  UILock queue(&m_queueLock, FALSE);
  if (!node || _FindQueueItem(node) != m_queue.end()) return 0;
  m_queue.push_back(node);
  ::SetEvent(m_hWakeEvent);
  return 1;
}

int ThumbManager::StopGenerateThumb(_ThumbNode* node) {
  UILock queue(&m_queueLock, FALSE);
  auto at = _FindQueueItem(node);
  if (at == m_queue.end()) return 0;
  m_queue.erase(at);
  return 1;
}

unsigned ThumbManager::_ThreadLoopFunc(void* argument) {
  auto* self = static_cast<ThumbManager*>(argument);
  while (!self->m_nStop) {
    ::WaitForSingleObject(self->m_hWakeEvent, INFINITE);
    ::ResetEvent(self->m_hWakeEvent);
    if (self->m_nStop) break;
    for (;;) {
      if (self->m_nStop) break;
      {
        UILock queue(&self->m_queueLock, FALSE);
        if (self->m_queue.empty()) break;
      }
      self->HandleFront();
    }
    if (self->m_nStop) break;
    bool empty;
    {
      UILock queue(&self->m_queueLock, FALSE);
      empty = self->m_queue.empty();
    }
    if (empty && self->m_completed) self->m_completed();
  }
  ::SetEvent(self->m_hStoppedEvent);
  return 0;
}

void ThumbManager::HandleFront() {
  EnterCriticalSection(&m_queueLock);
  if (m_queue.empty()) {
    LeaveCriticalSection(&m_queueLock);
    return;
  }
  _ThumbNode* node = m_queue.front();
  std::unique_ptr<_ThumbNode> work;
  {
    UILock cache(CacheLock(), FALSE);
    _ThumbNode*& entry = s_mapThumbNode[node->m_sPhotoPath];
    if (entry) {
      // A node that asks again for a file it already shares keeps its one share.
      const bool holdsShare = !node->m_sThumbPath.empty() && node->m_sThumbPath == entry->m_sThumbPath;
      node->CopyPathsAndSizes(*entry);
      if (!holdsShare) ++entry->m_nRef;
      m_queue.pop_front();
      if (node->m_callback) {
        node->m_callback(node->m_pOwner, CString(node->m_sThumbPath), node->m_uPhotoWidth, node->m_uPhotoHeight);
      }
      LeaveCriticalSection(&m_queueLock);
      return;
    }
    work = std::make_unique<_ThumbNode>();
    work->CopyPathsAndSizes(*node);
    // The work node names only the file it makes itself.
    work->m_sThumbPath.clear();
  }
  LeaveCriticalSection(&m_queueLock);

  DWORD width = 0, height = 0;
  ResourceCache::GetImageWidthHeight(CString(work->m_sPhotoPath), &width, &height, nullptr);
  const uint64_t bytes = uint64_t{width} * height * 3;
  int orientation = 0;
  // A stop asked for meanwhile ends the request here; it stays queued, unreported.
  if (m_nStop) return;
  if (bytes <= kMaxDecodeBytes) {
    if (!_GenerateThumb(work->m_sPhotoPath, s_sTempPath, work->m_sThumbPath, work->m_uPhotoWidth,
                        work->m_uPhotoHeight, work->m_uThumbWidth, work->m_uThumbHeight, orientation)) {
      DeleteFileIfAny(work->m_sThumbPath);
    }
  }

  UILock queue(&m_queueLock, FALSE);
  if (m_queue.empty() || m_queue.front() != node) {
    // Withdrawn meanwhile: the file made for it was never shared.
    return;  // work's destructor deletes its own file
  }
  m_queue.pop_front();
  UILock cache(CacheLock(), FALSE);
  _ThumbNode*& entry = s_mapThumbNode[node->m_sPhotoPath];
  if (entry) {
    // Another manager made this photo meanwhile: share its file, drop ours.
    DeleteFileIfAny(work->m_sThumbPath);
    ++entry->m_nRef;
    node->CopyPathsAndSizes(*entry);
  } else {
    if (!work->m_sThumbPath.empty()) {
      // Our file takes the shared name only now, under the cache lock, when no
      // entry names it: a file in use is never written over or deleted.
      const std::wstring shared = MakeThumbPath(s_sTempPath, work->m_sPhotoPath);
      if (::MoveFileExW(work->m_sThumbPath.c_str(), shared.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        work->m_sThumbPath = shared;
      } else {
        DeleteFileIfAny(work->m_sThumbPath);
      }
    }
    node->CopyPathsAndSizes(*work);
    if (!work->m_sThumbPath.empty()) entry = work.release();
  }
  if (node->m_callback) {
    node->m_callback(node->m_pOwner, CString(node->m_sThumbPath), node->m_uPhotoWidth, node->m_uPhotoHeight);
  }
}

std::wstring ThumbManager::MakeThumbPath(const std::wstring& folder, const std::wstring& photoPath) {
  const CString md5 = Common::MakeMD5Value(photoPath.c_str(), static_cast<unsigned>(photoPath.size()));
  return folder + L"~quickbuffer_" + md5.str() + L".jpg";
}

std::wstring ThumbManager::UniqueWorkPath(const std::wstring& folder, const std::wstring& photoPath) {
  static std::atomic<unsigned> counter{0};
  const CString md5 = Common::MakeMD5Value(photoPath.c_str(), static_cast<unsigned>(photoPath.size()));
  return folder + L"~quickbuffer_" + md5.str() + L"." + std::to_wstring(::getpid()) + L"-" +
         std::to_wstring(++counter) + L".tmp";
}

int ThumbManager::_GenerateThumb(const std::wstring& photoPath, const std::wstring& folder, std::wstring& thumbPath,
                                 unsigned& photoWidth, unsigned& photoHeight, unsigned& thumbWidth,
                                 unsigned& thumbHeight, int& orientation) {
  thumbPath = UniqueWorkPath(folder, photoPath);
  photoWidth = photoHeight = 0;
  orientation = 0;
  if (s_pExifFunc && FromExtractor(photoPath, thumbPath, photoWidth, photoHeight, thumbWidth, thumbHeight,
                                   orientation)) {
    return 1;
  }
  return _GenerateThumbBySrcImage(photoPath, thumbPath, kThumbSide, kThumbSide, photoWidth, photoHeight,
                                  thumbWidth, thumbHeight);
}

int ThumbManager::FromExtractor(const std::wstring& photoPath, const std::wstring& thumbPath,
                                unsigned& photoWidth, unsigned& photoHeight, unsigned& thumbWidth,
                                unsigned& thumbHeight, int& orientation) {
  UILock cache(CacheLock(), FALSE);
  int w = 0, h = 0, turn = 0;
  if (s_pExifFunc(photoPath.c_str(), thumbPath.c_str(), &w, &h, &turn) != 0) return 0;
  CxImage header, image;
  header.SetEscape(-1);
  const bool small = header.Load(thumbPath.c_str(), CXIMAGE_FORMAT_JPG) && header.GetWidth() <= kMaxExifThumbSide &&
                     header.GetHeight() <= kMaxExifThumbSide;
  if (w <= 0 || h <= 0 || !small || !image.Load(thumbPath.c_str(), CXIMAGE_FORMAT_JPG)) {
    // A thumbnail we cannot read is no thumbnail: decode the photo instead.
    ::DeleteFileW(thumbPath.c_str());
    return 0;
  }
  photoWidth = static_cast<unsigned>(w);
  photoHeight = static_cast<unsigned>(h);
  orientation = turn;
  const float photoRatio = static_cast<float>(std::max(w, h)) / static_cast<float>(std::min(w, h));
  long iw = image.GetWidth(), ih = image.GetHeight();
  const long side = kThumbSide;
  if (iw != side && ih != side) {
    const long longer = std::max(iw, ih);
    const long nw = iw >= ih ? side : iw * side / longer;
    const long nh = iw >= ih ? ih * side / longer : side;
    image.Resample(std::max(nw, 1L), std::max(nh, 1L), 0);
    iw = image.GetWidth();
    ih = image.GetHeight();
  }
  // Cut the letter-box bars a camera adds so the thumbnail has the photo's proportions.
  const long L = std::max(iw, ih), S = std::min(iw, ih);
  const float thumbRatio = static_cast<float>(L) / static_cast<float>(S);
  long cutLong = 0, keepLong = L, cutShort = 0, keepShort = S;
  if (thumbRatio < photoRatio) {
    keepShort = static_cast<long>(static_cast<float>(L) / photoRatio);
    cutShort = static_cast<long>((S - keepShort) * 0.5f);
  } else if (thumbRatio > photoRatio) {
    keepLong = static_cast<long>(static_cast<float>(S) * photoRatio);
    cutLong = static_cast<long>((L - keepLong) * 0.5f);
  }
  if (keepShort != S || keepLong != L) {
    if (iw >= ih) {
      image.Crop(cutLong, cutShort, cutLong + keepLong, cutShort + keepShort);
    } else {
      image.Crop(cutShort, cutLong, cutShort + keepShort, cutLong + keepLong);
    }
  }
  // Upright by the EXIF orientation.
  switch (turn) {
    case 2: image.Mirror(); break;
    case 3: image.Rotate180(); break;
    case 4: image.Rotate180(); image.Mirror(); break;
    case 5: image.RotateRight(); image.Mirror(); break;
    case 6: image.RotateRight(); break;
    case 7: image.RotateLeft(); image.Mirror(); break;
    case 8: image.RotateLeft(); break;
    default: break;
  }
  thumbWidth = image.GetWidth();
  thumbHeight = image.GetHeight();
  if (!image.Save(thumbPath.c_str(), CXIMAGE_FORMAT_JPG)) {
    ::DeleteFileW(thumbPath.c_str());
    return 0;
  }
  return 1;
}

int ThumbManager::_GenerateThumbBySrcImage(const std::wstring& photoPath, const std::wstring& thumbPath,
                                           unsigned maxWidth, unsigned maxHeight, unsigned& photoWidth,
                                           unsigned& photoHeight, unsigned& thumbWidth, unsigned& thumbHeight) {
  const DWORD guessed = ResourceCache::GetImageTypeForCXImage(CString(photoPath));
  CxImage image;
  if (!image.Load(photoPath.c_str(), guessed) && !image.Load(photoPath.c_str(), CXIMAGE_FORMAT_UNKNOWN)) return 0;
  photoWidth = image.GetWidth();
  photoHeight = image.GetHeight();
  CxImage thumb;
  if (!image.Thumbnail(maxWidth, maxHeight, 0xFFFFFFFF, &thumb)) return 0;
  thumbWidth = thumb.GetWidth();
  thumbHeight = thumb.GetHeight();
  bool saved;
  if (image.GetType() == CXIMAGE_FORMAT_PNG) {
    saved = thumb.Save(thumbPath.c_str(), CXIMAGE_FORMAT_PNG);
  } else {
    if (thumb.GetBpp() < 24) thumb.IncreaseBpp(24);
    thumb.SetJpegQuality(93);
    saved = thumb.Save(thumbPath.c_str(), CXIMAGE_FORMAT_JPG);
  }
  if (!saved) {
    ::DeleteFileW(thumbPath.c_str());
    return 0;
  }
  return 1;
}

void ThumbManager::InitInstance() {
  CacheLock();
  if (s_hExtractor) return;
  if (HMODULE module = ::LoadLibraryW(L"Quorvex.dll")) {
    if (auto fn = reinterpret_cast<ExtraThumbFileFunc>(::GetProcAddress(module, "ExtraThumbFile"))) {
      s_hExtractor = module;
      s_pExifFunc = fn;
    } else {
      ::FreeLibrary(module);
    }
  }
}

void ThumbManager::ExitInstance() {
  {
    UILock cache(CacheLock(), FALSE);
    for (auto& [path, entry] : s_mapThumbNode) delete entry;
    s_mapThumbNode.clear();
    s_pExifFunc = nullptr;
    SweepOwnFiles();
  }
  if (s_hExtractor) ::FreeLibrary(s_hExtractor);
  s_hExtractor = nullptr;
}

void ThumbManager::SetTempPath(CString folder) {
  UILock cache(CacheLock(), FALSE);
  s_sTempPath = folder.str();
  // Files a run that crashed left behind.
  SweepOwnFiles();
}

void ThumbManager::SweepOwnFiles() {
  CString appData;
  Common::GetAppDataPath(appData);
  // Only a folder of our own: a shared temporary folder may hold files of
  // other programs (or of another process of ours) under any name.
  if (appData.IsEmpty() || s_sTempPath.empty() || s_sTempPath.find(appData.str()) != 0) return;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(s_sTempPath, error)) {
    const std::wstring name = item.path().filename().wstring();
    if (name.rfind(kOwnPrefix, 0) != 0 || !item.is_regular_file(error) || item.is_symlink(error)) continue;
    const std::wstring path = item.path().wstring();
    const bool held = std::any_of(s_mapThumbNode.begin(), s_mapThumbNode.end(), [&](const auto& entry) {
      return entry.second && entry.second->m_sThumbPath == path;
    });
    if (!held) std::filesystem::remove(item.path(), error);
  }
}

CString ThumbManager::GetTempPathW() {
  UILock cache(CacheLock(), FALSE);
  return CString(s_sTempPath);
}

void ThumbManager::ReleaseThumbNode(_ThumbNode* node) {
  if (!node) return;
  if (!node->m_sThumbPath.empty()) {
    UILock cache(CacheLock(), FALSE);
    auto at = s_mapThumbNode.find(node->m_sPhotoPath);
    _ThumbNode* entry = at == s_mapThumbNode.end() ? nullptr : at->second;
    if (entry && entry->m_sThumbPath == node->m_sThumbPath) {
      node->m_sThumbPath.clear();
      if (--entry->m_nRef <= 0) {
        delete entry;
        at->second = nullptr;
      }
    } else {
      // A path no entry stands for is not this node's to delete.
      node->m_sThumbPath.clear();
    }
  }
  delete node;
}

void ThumbManager::RetainThumbPath(_ThumbNode* node) {
  if (!node || node->m_sThumbPath.empty()) return;
  UILock cache(CacheLock(), FALSE);
  auto at = s_mapThumbNode.find(node->m_sPhotoPath);
  if (at != s_mapThumbNode.end() && at->second && at->second->m_sThumbPath == node->m_sThumbPath) {
    ++at->second->m_nRef;
  } else {
    node->m_sThumbPath.clear();
  }
}

int ThumbManager::GetCacheRefCount(const std::wstring& photoPath) {
  UILock cache(CacheLock(), FALSE);
  auto at = s_mapThumbNode.find(photoPath);
  return at == s_mapThumbNode.end() || !at->second ? 0 : at->second->m_nRef;
}

}  // namespace UI
