#pragma once
// One thumbnail request: the photo to make a thumbnail of, the thumbnail file
// once there is one, the sizes, and where to report. A photo record owns its
// node; the thumbnail manager's cache owns the nodes that stand for a file
// (see ThumbManager). Deleting a node deletes the file it still names.
#include <string>

#include "fastdelegate/FastDelegate.h"
#include "mfc/Afx.h"

namespace UI {

// (owning record, thumbnail path, photo width, photo height).
using ThumbCallback = fastdelegate::FastDelegate4<void*, CString, UINT, UINT>;

struct _ThumbNode {
  _ThumbNode() = default;
  _ThumbNode(const _ThumbNode&) = delete;
  _ThumbNode& operator=(const _ThumbNode&) = delete;
  ~_ThumbNode();

  // Paths and sizes of other (not the count, the owner or the callback).
  void CopyPathsAndSizes(const _ThumbNode& other);

  int m_nRef = 1;
  void* m_pOwner = nullptr;
  std::wstring m_sOriPath;
  std::wstring m_sPhotoPath;
  std::wstring m_sThumbPath;
  unsigned m_uPhotoWidth = 0;
  unsigned m_uPhotoHeight = 0;
  unsigned m_uThumbWidth = 0;
  unsigned m_uThumbHeight = 0;
  ThumbCallback m_callback;
};

}  // namespace UI
