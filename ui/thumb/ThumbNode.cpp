#include "ui/thumb/ThumbNode.h"

#include "win32/Files.h"

namespace UI {

_ThumbNode::~_ThumbNode() {
  if (!m_sThumbPath.empty()) ::DeleteFileW(m_sThumbPath.c_str());
}

void _ThumbNode::CopyPathsAndSizes(const _ThumbNode& other) {
  m_sOriPath = other.m_sOriPath;
  m_sPhotoPath = other.m_sPhotoPath;
  m_sThumbPath = other.m_sThumbPath;
  m_uPhotoWidth = other.m_uPhotoWidth;
  m_uPhotoHeight = other.m_uPhotoHeight;
  m_uThumbWidth = other.m_uThumbWidth;
  m_uThumbHeight = other.m_uThumbHeight;
}

}  // namespace UI
