#include "ui/photo/ListItemData.h"

#include <algorithm>
#include <cmath>

#include "ui/thumb/ThumbManager.h"
#include "ui/thumb/ThumbNode.h"

namespace UI {

ListItemData::ListItemData() : m_pThumbNode(new _ThumbNode), m_pClipData(new _tagManualClipData) {
  m_pThumbNode->m_pOwner = this;
}

ListItemData::ListItemData(CString path) : ListItemData() {
  m_pThumbNode->m_sPhotoPath = path.str();
  m_pThumbNode->m_sOriPath = path.str();
}

ListItemData::ListItemData(const ListItemData& other) : ListItemData() {
  Copy(const_cast<ListItemData*>(&other));
}

ListItemData& ListItemData::operator=(const ListItemData& other) {
  Copy(const_cast<ListItemData*>(&other));
  return *this;
}

ListItemData::~ListItemData() {
  ThumbManager::ReleaseThumbNode(m_pThumbNode);
  delete m_pClipData;
}

void ListItemData::Copy(ItemBaseData* source) {
  auto* other = dynamic_cast<ListItemData*>(source);
  if (!other || other == this) return;
  ItemBaseData::Copy(source);
  m_bPixNotEnough = other->m_bPixNotEnough;
  m_nPrintSize = other->m_nPrintSize;
  m_photoSize = other->m_photoSize;
  m_effectiveSize = other->m_effectiveSize;
  m_bAuto = other->m_bAuto;
  m_nPrintCount = other->m_nPrintCount;
  // This record's node gives back its share of a file before naming another one.
  if (!m_pThumbNode->m_sThumbPath.empty()) {
    _ThumbNode* fresh = new _ThumbNode;
    fresh->m_pOwner = this;
    ThumbManager::ReleaseThumbNode(m_pThumbNode);
    m_pThumbNode = fresh;
  }
  m_pThumbNode->CopyPathsAndSizes(*other->m_pThumbNode);
  ThumbManager::RetainThumbPath(m_pThumbNode);
  m_pThumbNode->m_callback = other->m_pThumbNode->m_callback;
  m_pClipData->Copy(other->m_pClipData);
  m_strNote = other->m_strNote;
  m_bCanDrag = other->m_bCanDrag;
}

ListItemData* ListItemData::Clone() {
  auto* copy = new ListItemData;
  copy->Copy(this);
  return copy;
}

CString ListItemData::GetPhotoPath() const { return CString(m_pThumbNode->m_sPhotoPath); }
CString ListItemData::GetOriPath() const { return CString(m_pThumbNode->m_sOriPath); }
CString ListItemData::GetPhotoThumbPath() const { return CString(m_pThumbNode->m_sThumbPath); }

CSize ListItemData::PrintRequirement(int code) {
  switch (code) {
    case 1: return CSize(1200, 800);
    case 2: return CSize(1200, 900);
    case 3: return CSize(1400, 1000);
    case 4: return CSize(1600, 1200);
    case 5: return CSize(2000, 1600);
    default: return CSize(0, 0);
  }
}

void ListItemData::SetPhotoSize(CSize size) {
  if (size.cx == 0 && size.cy == 0) return;
  m_photoSize = size;
  if (m_bAuto == 1) m_effectiveSize = size;
  m_bPixNotEnough = IsPixNotEnough();
  if (m_bAuto == 1) SetClipFlagAndPreserveVisible();
}

bool ListItemData::IsManualClip() const {
  return m_bAuto == 0 && m_pClipData->m_bPreserve == 0 && m_pClipData->m_bClip == 1;
}

int ListItemData::IsPixNotEnough() {
  if (m_photoSize.cx == 0 && m_photoSize.cy == 0) return 0;
  const CSize need = PrintRequirement(m_nPrintSize);
  const long L = need.cx, S = need.cy;
  const long longE = std::max(m_effectiveSize.cx, m_effectiveSize.cy);
  const long shortE = std::min(m_effectiveSize.cx, m_effectiveSize.cy);
  if (IsManualClip()) {
    if (longE < L || shortE < S) return 1;
    const RECT& r = m_pClipData->m_rcClip;
    const long clipW = r.right - r.left, clipH = r.bottom - r.top;
    const bool portrait = m_effectiveSize.cx < m_effectiveSize.cy;
    const long alongLong = portrait ? clipH : clipW;
    const long alongShort = portrait ? clipW : clipH;
    return alongLong < L - 1 || alongShort < S - 1 ? 1 : 0;
  }
  return longE < L - 1 || shortE < S - 1 ? 1 : 0;
}

void ListItemData::SetClipFlagAndPreserveVisible() {
  const float w = static_cast<float>(m_photoSize.cx), h = static_cast<float>(m_photoSize.cy);
  switch (m_nPrintSize) {
    case 1: SetClipFlagVisible(1200, 800, w, h); break;
    case 2: SetClipFlagVisible(1200, 900, w, h); break;
    case 3: SetPreserveVisible(1400, 1000, w, h); break;
    case 4: SetPreserveVisible(1600, 1200, w, h); break;
    case 5: SetPreserveVisible(2000, 1600, w, h); break;
    default: break;
  }
}

void ListItemData::SetPreserveVisible(float L, float S, float w, float h) {
  const float M = std::max(w, h), m = std::min(w, h);
  // A photo without a short side has no shape to compare.
  if (m <= 0) return;
  m_pClipData->m_bPreserve = L / S != M / m ? 1 : 0;
}

void ListItemData::SetClipFlagVisible(float L, float S, float w, float h) {
  m_pClipData->m_bPreserve = 0;
  const float M = std::max(w, h), m = std::min(w, h);
  if (m <= 0) return;
  float d;
  if (L / S < M / m) {
    d = std::fabs(L * m / M - S) / S;
  } else {
    d = std::fabs(S * M / m - L) / L;
  }
  m_pClipData->m_bClip = d < 0.02f ? 0 : 1;
}

}  // namespace UI
