#pragma once
// The record behind one photo of the photo list: its paths (through its
// thumbnail node), its pixel size, the print size and count chosen for it,
// and two checks the list shows on the photo's cell: too few pixels for the
// print size, and a shape that differs from the print's (cropped or kept whole
// with borders). Each record owns its thumbnail node and its crop record; a
// copy gets nodes of its own. UI thread only.
#include <memory>

#include "mfc/Afx.h"
#include "ui/controls/UIItemsControl.h"

namespace UI {

struct _ThumbNode;

// The crop a user chose by hand, and the two shape checks.
struct _tagManualClipData {
  _tagManualClipData() = default;
  void Copy(const _tagManualClipData* other) {
    if (other) *this = *other;
  }

  RECT m_rcClip{0, 0, 0, 0};  // in photo pixels
  int m_nReserved1 = 0;
  int m_nLongSide = 1200;
  int m_nShortSide = 800;
  int m_bClip = 0;      // the shape differs from the print's by 2% or more
  int m_bPreserve = 0;  // the shape differs from the print's at all
  int m_nReserved2 = 1;
};

class ListItemData : public ItemBaseData {
 public:
  explicit ListItemData(CString path);
  // A deep copy: the copy has its own node and crop record.
  ListItemData(const ListItemData& other);
  ListItemData& operator=(const ListItemData& other);
  ~ListItemData() override;

  void Copy(ItemBaseData* other) override;
  ListItemData* Clone() override;
  virtual void SetCanDrag(int canDrag) { m_bCanDrag = canDrag; }
  virtual int GetCanDrag() const { return m_bCanDrag; }

  CString GetPhotoPath() const;
  CString GetOriPath() const;
  CString GetPhotoThumbPath() const;
  _ThumbNode* GetThumbNode() const { return m_pThumbNode; }

  // The size the thumbnail worker reported; recomputes the checks. 0 × 0 changes nothing.
  void SetPhotoSize(CSize size);
  int IsPixNotEnough();
  void SetClipFlagAndPreserveVisible();
  void SetPreserveVisible(float longSide, float shortSide, float width, float height);
  void SetClipFlagVisible(float longSide, float shortSide, float width, float height);
  // A manual crop is in force: automatic off, clip flag on, preserve flag off.
  bool IsManualClip() const;

  // The pixels a print size code needs as (long side, short side); (0, 0) for an unknown code.
  static CSize PrintRequirement(int code);

  BOOL m_bPixNotEnough = FALSE;
  int m_nPrintSize = 0;
  CSize m_photoSize;
  CSize m_effectiveSize;
  int m_bAuto = 1;
  int m_nPrintCount = 1;
  _ThumbNode* m_pThumbNode = nullptr;           // owned
  _tagManualClipData* m_pClipData = nullptr;    // owned
  CString m_strNote;

 protected:
  ListItemData();

 private:
  BOOL m_bCanDrag = FALSE;
};

}  // namespace UI
