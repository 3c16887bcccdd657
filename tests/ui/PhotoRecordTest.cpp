// The photo record's checks (too few pixels, shape against the print's) and its copies.
#include <gtest/gtest.h>

#include "ui/photo/ListItemData.h"
#include "ui/thumb/ThumbNode.h"

namespace {

using UI::ListItemData;

struct CheckRow {
  const char* name;
  int code;
  CSize photo;
  BOOL shortOfPixels;
  int clip, preserve;
};

TEST(PhotoRecordTest, SizeChecksFollowThePrintSize) {
  const CheckRow rows[] = {
      {"one pixel short on both sides passes", 1, CSize(1199, 799), FALSE, 0, 0},
      {"two pixels short fails", 1, CSize(1198, 800), TRUE, 0, 0},
      {"print's own shape", 1, CSize(1200, 800), FALSE, 0, 0},
      {"4:3 photo on a 3:2 print is cropped", 1, CSize(4000, 3000), FALSE, 1, 0},
      {"2.4% longer is cropped", 1, CSize(1230, 800), FALSE, 1, 0},
      {"0.8% longer is not", 1, CSize(1210, 800), FALSE, 0, 0},
      {"portrait photo compares its long side", 2, CSize(900, 1200), FALSE, 0, 0},
      {"code 3 keeps a 4:3 photo whole", 3, CSize(4000, 3000), FALSE, 0, 1},
      {"code 5 wants 2000 × 1600", 5, CSize(1900, 1600), TRUE, 0, 1},
      {"unknown code needs nothing", 0, CSize(10, 10), FALSE, 0, 0},
  };
  for (const CheckRow& row : rows) {
    SCOPED_TRACE(row.name);
    ListItemData record(L"/photos/a.jpg");
    record.m_nPrintSize = row.code;
    record.SetPhotoSize(row.photo);
    EXPECT_EQ(record.m_bPixNotEnough, row.shortOfPixels);
    EXPECT_EQ(record.m_pClipData->m_bClip, row.clip);
    EXPECT_EQ(record.m_pClipData->m_bPreserve, row.preserve);
    EXPECT_EQ(record.m_effectiveSize, row.photo);
  }
}

TEST(PhotoRecordTest, ManualCropAndFixedSizesKeepWhatTheHostSet) {
  ListItemData record(L"/photos/a.jpg");
  record.m_nPrintSize = 1;
  record.SetPhotoSize(CSize(0, 0));
  EXPECT_EQ(record.m_photoSize, CSize(0, 0));

  record.m_bAuto = 0;
  record.m_effectiveSize = CSize(3000, 2000);
  record.m_pClipData->m_bClip = 1;
  record.m_pClipData->m_rcClip = {0, 0, 1000, 700};
  record.SetPhotoSize(CSize(4000, 3000));
  EXPECT_EQ(record.m_effectiveSize, CSize(3000, 2000));
  EXPECT_TRUE(record.m_bPixNotEnough) << "the crop is only 1000 wide";
  record.m_pClipData->m_rcClip = {0, 0, 1199, 799};
  EXPECT_FALSE(record.IsPixNotEnough());
  // A portrait photo measures the crop's height against the long side.
  record.m_effectiveSize = CSize(2000, 3000);
  record.m_pClipData->m_rcClip = {0, 0, 799, 1199};
  EXPECT_FALSE(record.IsPixNotEnough());
  record.m_pClipData->m_rcClip = {0, 0, 1199, 799};
  EXPECT_TRUE(record.IsPixNotEnough());
}

TEST(PhotoRecordTest, CopiesOwnTheirNodeAndCropRecord) {
  ListItemData source(L"/photos/Beach.JPG");
  source.m_nPrintCount = 7;
  source.m_pClipData->m_bClip = 1;
  source.SetCanDrag(TRUE);
  std::unique_ptr<ListItemData> clone(source.Clone());
  ListItemData copy(source);
  for (ListItemData* c : {clone.get(), &copy}) {
    EXPECT_NE(c->m_pThumbNode, source.m_pThumbNode);
    EXPECT_NE(c->m_pClipData, source.m_pClipData);
    EXPECT_EQ(c->m_pThumbNode->m_pOwner, c) << "the callback reports the copy";
    EXPECT_EQ(c->GetOriPath(), CString(L"/photos/Beach.JPG"));
    EXPECT_EQ(c->m_nPrintCount, 7);
    EXPECT_EQ(c->m_pClipData->m_bClip, 1);
    EXPECT_TRUE(c->GetCanDrag());
  }
  copy.m_pClipData->m_bClip = 0;
  EXPECT_EQ(source.m_pClipData->m_bClip, 1);
}

}  // namespace
