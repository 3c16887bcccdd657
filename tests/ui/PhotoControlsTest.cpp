// The photo controls in a fixture form: fitting a picture into the bounds, the
// fall-back picture, quarter turns, the selectable photo's mouse states and the
// animated photo's timer step.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "ImageFiles.h"
#include "PhotoFiles.h"
#include "TempDir.h"
#include "common/AppPaths.h"
#include "display/Desktop.h"
#include "ui/cximage/CxImage.h"
#include "ui/photo/PhotoConfig.h"
#include "ui/photo/UIGifPhoto.h"
#include "ui/photo/UIPhotoCxImage.h"
#include "ui/photo/UIPhotoEx.h"
#include "ui/render/DXCore.h"
#include "ui/skin/UISkinManager.h"

namespace {

using uitest::EventRecord;
using uitest::FixtureForm;
using Events = std::vector<EventRecord>;
namespace fs = std::filesystem;

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUIPhoto><Plain/><Bottom BottomAlign=\"true\"/><Fill Strech=\"true\"/></CUIPhoto>"
    "<CUIPhotoCxImage><Turn/></CUIPhotoCxImage><CUIPhotoEx><Pick/></CUIPhotoEx><CUIGifPhoto><Gif/></CUIGifPhoto></css>"
    "<ass><CUIPhoto><Box Size=\"200, 200\" AnchorStyle=\"topleft\" Margin=\"0, 0, 0, 0\"/>"
    "<Box2 Size=\"200, 200\" AnchorStyle=\"topleft\" Margin=\"200, 0, 0, 0\"/>"
    "<Box3 Size=\"200, 200\" AnchorStyle=\"topleft\" Margin=\"400, 0, 0, 0\"/></CUIPhoto>"
    "<CUIPhotoEx><Pick Size=\"100, 100\" AnchorStyle=\"topleft\" Margin=\"0, 210, 0, 0\"/></CUIPhotoEx></ass>";
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Plain type=\"CUIPhoto\" css=\"Plain\" ass=\"Box\"/><Bottom type=\"CUIPhoto\" css=\"Bottom\" ass=\"Box2\"/>"
    "<Fill type=\"CUIPhoto\" css=\"Fill\" ass=\"Box3\"/>"
    "<Pick type=\"CUIPhotoEx\" css=\"Pick\" ass=\"Pick\"/>"
    "</Fixture>";

bool InSkinFolder() {
  uitest::Files files = uitest::SkinTheme(kSkin, "", kBuild);
  files["SysBmp/defaultimage.png"] = dorvtest::ReadFile(fs::path(DORV_SOURCE_DIR) / "ui/photo/SysBmp/defaultimage.png");
  if (!uitest::InProgramFolder(files)) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

// A picture in the program folder, by its absolute path.
CString Picture(const char* name, int width, int height) {
  const fs::path file = fs::path(Common::GetAppPath().str()) / name;
  uitest::WritePng(file, uitest::Quadrants(width, height));
  return CString(file.wstring());
}

TEST(PhotoControlsTest, PicturesAreFittedIntoTheBoundsWithoutEnlarging) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(600, 320, 0, 0), 1);
  auto* plain = form.Get<UI::CUIPhoto>(L"Plain");
  auto* bottom = form.Get<UI::CUIPhoto>(L"Bottom");
  auto* fill = form.Get<UI::CUIPhoto>(L"Fill");
  ASSERT_TRUE(plain && bottom && fill);
  struct Row {
    const char* file;
    int w, h;
    CRect centred, bottomAligned;  // relative to the photo's bounds
  } rows[] = {
      {"small.png", 100, 50, CRect(50, 75, 150, 125), CRect(50, 150, 150, 200)},
      {"wide.png", 400, 200, CRect(0, 50, 200, 150), CRect(0, 100, 200, 200)},
      {"tall.png", 200, 400, CRect(50, 0, 150, 200), CRect(50, 0, 150, 200)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    const CString path = Picture(row.file, row.w, row.h);
    EXPECT_EQ(plain->SetImage(path), 1);
    EXPECT_EQ(bottom->SetImage(path), 1);
    EXPECT_EQ(fill->SetImage(path), 1);
    CRect b = row.bottomAligned;
    b.OffsetRect(200, 0);
    EXPECT_EQ(plain->GetPhotoBounds(), row.centred);
    EXPECT_EQ(bottom->GetPhotoBounds(), b);
    EXPECT_EQ(fill->GetPhotoBounds(), fill->GetBounds()) << "stretched";
  }
  EXPECT_EQ(plain->SetImage(CString()), 0);
  EXPECT_EQ(plain->GetImageFile(), Common::GetAppPath() + L"tall.png");
  UI::CUIPhoto loose;  // no owner form: the photo fills the bounds
  loose.SetImage(Common::GetAppPath() + L"small.png");
  loose.SetBounds(CRect(0, 0, 200, 200));
  EXPECT_EQ(loose.GetPhotoBounds(), CRect(0, 0, 200, 200));
  form.DestroyWindow();
}

TEST(PhotoControlsTest, AMissingPhotoShowsTheFallBackPictureForGood) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(600, 320, 0, 0), 1);
  auto* plain = form.Get<UI::CUIPhoto>(L"Plain");
  const CString path = Picture("gone.png", 120, 90);
  plain->SetImage(path);
  fs::remove(path.str());
  plain->Refresh(TRUE, nullptr);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(plain->GetImageFile(), UI::CUIPhoto::DefaultImagePath());
  // The fall-back picture's grey face, not the red quadrant of the lost photo.
  const juce::Colour face(form.At(100, 80));
  EXPECT_TRUE(uitest::Near(face, juce::Colour(228, 234, 241))) << face.toDisplayString(false);
  form.DestroyWindow();
}

TEST(PhotoControlsTest, AQuarterTurnSwapsTheBoundsAroundTheirCentre) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(600, 320, 0, 0), 1);
  auto* turn = new UI::CUIPhotoCxImage;
  turn->SetCss(L"Turn");
  form.RegisterControl(turn);
  turn->SetOwnerForm(&form);
  turn->SetBounds(CRect(0, 0, 100, 50));
  EXPECT_FALSE(turn->RotateRight()) << "no picture yet";
  EXPECT_EQ(turn->SetImage(Picture("turn.png", 80, 40)), 1);
  EXPECT_TRUE(turn->RotateRight());
  EXPECT_EQ(turn->GetBounds(), CRect(25, -25, 75, 75));
  EXPECT_EQ(turn->GetImage()->GetWidth(), 40u);
  EXPECT_EQ(turn->SetImage(CString(L"/no/such/photo.jpg")), 0);
  EXPECT_TRUE(turn->GetImageFile().IsEmpty());
  form.DestroyWindow();
}

TEST(PhotoControlsTest, ADecodedPictureIsCachedUnderItsNameOrAGeneratedOneTheControlReports) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(600, 320, 0, 0), 1);
  auto* photo = new UI::CUIPhotoCxImage;
  photo->SetCss(L"Turn");
  form.RegisterControl(photo);
  photo->SetOwnerForm(&form);
  photo->SetBounds(CRect(0, 0, 100, 50));
  const CString file = Picture("named.png", 80, 40);
  UI::ResourceCache& cache = UI::DXCore::s_rscc;

  EXPECT_EQ(photo->SetImage(new CxImage(file, CXIMAGE_FORMAT_UNKNOWN), CString(L"Holiday")), 1);
  EXPECT_EQ(photo->GetImageFile(), CString(L"Holiday"));
  EXPECT_EQ(photo->GetImageConfig()->m_strFile, CString(L"Holiday"));
  EXPECT_NE(cache.SearchImageItem(L"Holiday"), nullptr);

  EXPECT_EQ(photo->SetImage(new CxImage(file, CXIMAGE_FORMAT_UNKNOWN), CString()), 1);
  const CString generated = photo->GetImageFile();
  EXPECT_FALSE(generated.IsEmpty());
  EXPECT_EQ(photo->GetImageConfig()->m_strFile, generated);
  EXPECT_NE(cache.SearchImageItem(generated), nullptr);
  EXPECT_EQ(cache.SearchImageItem(L"Holiday"), nullptr);  // the replaced picture left the cache
  form.DestroyWindow();
}

TEST(PhotoControlsTest, TheSelectablePhotoFollowsPressHoverAndLeave) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(600, 320, 0, 0), 1);
  auto* pick = form.Get<UI::CUIPhotoEx>(L"Pick");
  ASSERT_NE(pick, nullptr);
  form.MoveTo(50, 260);
  EXPECT_EQ(pick->GetPhotoStatus(), UI::UIPhotoStatusHover);
  EXPECT_EQ(pick->GetPhotoSelected(), 0);
  form.MoveTo(500, 300);
  EXPECT_EQ(pick->GetPhotoStatus(), UI::UIPhotoStatusNormal);
  form.TakeEvents();
  form.Down(50, 260);
  EXPECT_EQ(pick->GetPhotoStatus(), UI::UIPhotoStatusSelected);
  form.Up(50, 260);
  EXPECT_EQ(pick->GetPhotoStatus(), UI::UIPhotoStatusSelected);
  EXPECT_EQ(pick->GetPhotoSelected(), 1);
  const Events events = form.TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRecord{"Pick", 1}), 1);
  // Without a style the refresh area is the bounds.
  UI::CUIPhotoEx bare;
  bare.SetBounds(CRect(1, 2, 3, 4));
  EXPECT_EQ(bare.GetBoundsRefresh(), CRect(1, 2, 3, 4));
  form.DestroyWindow();
}

class SteppedGif : public UI::CUIGifPhoto {
 public:
  using UI::CUIGifPhoto::OnTimerGifAnimation;
};

TEST(PhotoControlsTest, AOneFramePictureStopsAnimatingAtTheFirstStep) {
  if (!InSkinFolder()) return;
  SteppedGif gif;
  gif.SetImage(Picture("still.png", 10, 10));
  gif.SetAnimating(TRUE);
  gif.GetImageConfig()->m_nFrame = 3;
  gif.OnTimerGifAnimation(UI::CUIGifPhoto::kAnimationTimerId);
  EXPECT_FALSE(gif.IsAnimating());
  EXPECT_EQ(gif.GetImageConfig()->m_nFrame, 0);
}

}  // namespace
