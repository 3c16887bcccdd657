#include "PhotoListFixture.h"

#include <filesystem>

#include "ImageFiles.h"
#include "PhotoFiles.h"
#include "TempDir.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "ui/photo/ListItemData.h"
#include "ui/photo/UIListItem.h"
#include "ui/skin/UISkinManager.h"
#include "ui/thumb/ThumbManager.h"
#include "win32/Thread.h"

namespace uitest {

namespace fs = std::filesystem;

namespace {

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUIList><Photos ItemCss=\"Cell\" ItemSize=\"170, 200\" BkColor=\"246, 248, 250\"/>"
    "<Grid ItemCss=\"Cell\" ItemSize=\"100, 120\"/></CUIList>"
    "<CUIListItem><Cell BigPhoto=\"Big\" BottomPanel=\"Bar\" NumberEdit=\"Count\" NumLabel=\"Unit\" "
    "ModifyInchLabel=\"Size\" PixNotEnoughPhoto=\"Warn\" ClippedFlagPhoto=\"Flag\" PreserveFlagPhoto=\"Flag\">"
    "<DefaultImage File=\"%SysBmp/defaultimage.png\"/></Cell></CUIListItem>"
    "<CUIPhotoEx><Big ListItemPhoto=\"true\"><SelectedImage File=\"mark.png\"/></Big>"
    "<Flag><BkImage File=\"flag.png\"><EdgeCenter mid=\"0, 0, 16, 16\"/></BkImage></Flag></CUIPhotoEx>"
    "<CUIPhoto><Warn><BkImage File=\"warn.png\"><EdgeCenter mid=\"0, 0, 16, 16\"/></BkImage></Warn></CUIPhoto>"
    "<CUIPanel><Bar BkColor=\"40, 40, 40\"/></CUIPanel>"
    "<CUIEditEx><Count><Font FontFace=\"SimSun\" FontSize=\"12\"/></Count></CUIEditEx>"
    "<CUILabel><Unit><Font FontFace=\"SimSun\" FontSize=\"12\"/></Unit><Size><Font FontFace=\"SimSun\" FontSize=\"12\"/></Size></CUILabel>"
    "<CUIScrollBar><VScrollBar IsHorz=\"false\" BkImage=\"\"/></CUIScrollBar></css>"
    "<ass><CUIList><Photos Size=\"540, 440\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/></CUIList>"
    "<CUIScrollBar><VScrollBar Size=\"16, 0\" DockStyle=\"right\"/></CUIScrollBar>"
    "<CUIButton><VSUpBotton Size=\"0, 16\" DockStyle=\"top\"/><VSDownButton Size=\"0, 16\" DockStyle=\"bottom\"/>"
    "</CUIButton></ass>";
const char kBuild[] = "<PhotoForm css=\"Win\"><Photos type=\"CUIList\" css=\"Photos\" ass=\"Photos\"/></PhotoForm>";

juce::Image Solid(int w, int h, juce::Colour c) {
  juce::Image image(juce::Image::ARGB, w, h, true);
  image.clear(image.getBounds(), c);
  return image;
}

}  // namespace

bool InPhotoFolder() {
  Files files = SkinTheme(kSkin, "", kBuild);
  files["SysBmp/defaultimage.png"] = dorvtest::ReadFile(fs::path(DORV_SOURCE_DIR) / "ui/photo/SysBmp/defaultimage.png");
  files["Theme/gdstrings.ini"] = dorvtest::ReadFile(fs::path(DORV_THEME_SOURCE_DIR) / "gdstrings.ini");
  if (!InProgramFolder(files)) return false;
  const fs::path root(Common::GetAppPath().str());
  fs::create_directories(root / "Theme/Default/images");
  WritePng(root / "Theme/Default/images/mark.png", Solid(15, 15, juce::Colour(45, 127, 249)));
  WritePng(root / "Theme/Default/images/flag.png", Solid(16, 16, juce::Colour(48, 164, 108)));
  WritePng(root / "Theme/Default/images/warn.png", Solid(16, 16, juce::Colour(245, 166, 35)));
  fs::create_directories(root / "thumbs");
  UI::ThumbManager::SetTempPath(CString((root / "thumbs" / "").wstring()));
  UI::ThumbManager::InitInstance();
  Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString((root / "Theme/gdstrings.ini").wstring()));
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

PhotoForm::PhotoForm() : FixtureForm(L"PhotoForm") {}

int PhotoForm::Open(int width, int height, int x, int y) {
  if (!Make(width, height, x, y)) return 0;
  m_list = Get<UI::CUIList>(L"Photos");
  ListenEvent(UI::CUIList::kThumbsDoneEvent, fastdelegate::MakeDelegate(this, &PhotoForm::OnThumbsDone));
  ListenEvent(UI::CUIList::kPhotoCountEvent, fastdelegate::MakeDelegate(this, &PhotoForm::OnPhotoCount));
  return m_list ? 1 : 0;
}

int PhotoForm::OnThumbsDone(UI::CUIControl*, void*) {
  ++m_thumbsDone;
  m_thumbsDoneThread = ::GetCurrentThreadId();
  return 1;
}

int PhotoForm::OnPhotoCount(UI::CUIControl*, void* count) {
  ++m_photoCountEvents;
  m_lastPhotoCount = reinterpret_cast<intptr_t>(count);
  return 1;
}

std::string PhotoForm::ThumbFolder() const { return (fs::path(Common::GetAppPath().str()) / "thumbs").string(); }

void PhotoForm::AddPhotos(int count) {
  const fs::path root(Common::GetAppPath().str());
  const juce::Colour tints[] = {juce::Colour(214, 90, 60), juce::Colour(70, 150, 210), juce::Colour(90, 170, 90),
                                juce::Colour(230, 190, 60), juce::Colour(150, 100, 190)};
  for (int i = 0; i < count; ++i) {
    const std::string name = "photo" + std::to_string(i);
    fs::path file;
    juce::Image picture = Quadrants(400 + 40 * (i % 4), 300);
    {
      juce::Graphics g(picture);
      g.setColour(tints[i % 5]);
      g.fillEllipse(120, 80, 160, 140);
    }
    switch (i % 4) {
      case 1:
        file = root / (name + ".png");
        WritePng(file, picture);
        break;
      case 2:
        file = root / (name + ".jpg");
        WriteJpegWithExif(file, picture, picture.rescaled(160, 120), i % 8 == 2 ? 6 : 1);
        break;
      case 3:
        if (i == 3) {
          file = root / (name + ".jpg");
          dorvtest::WriteFile(file, JpegBytes(picture).substr(0, 200));  // damaged
          break;
        }
        [[fallthrough]];
      default:
        file = root / (name + ".jpg");
        WriteJpeg(file, picture);
        break;
    }
    auto* record = new UI::ListItemData(CString(file.wstring()));
    record->m_nPrintSize = 1;
    record->SetCanDrag(TRUE);
    m_list->AddItemData(record);
  }
  m_list->MeasureItems();
}

bool PhotoForm::WaitForThumbnails() {
  const int before = m_thumbsDone;
  return display::Desktop::Get().PumpUntil([&] { return m_thumbsDone > before; }, 30000);
}

std::vector<std::string> PhotoForm::Order() {
  std::vector<std::string> names;
  for (int i = 0; i < m_list->GetDataCount(); ++i) {
    auto* record = dynamic_cast<UI::ListItemData*>(m_list->GetDataFromIndex(i));
    names.push_back(fs::path(record->GetOriPath().str()).stem().string());
  }
  return names;
}

CPoint PhotoForm::PhotoCentre(int dataIndex) {
  auto* cell = dynamic_cast<UI::CUIListItem*>(m_list->GetItemFromDataIndex(dataIndex));
  if (!cell) return CPoint(-1, -1);
  return cell->GetPhotoBounds().CenterPoint();
}

}  // namespace uitest
