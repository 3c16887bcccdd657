#include "ControlFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "display/Desktop.h"
#include "ui/render/DXCore.h"
#include "win32/Clipboard.h"

#include <juce_graphics/juce_graphics.h>

namespace uitest {

using display::Desktop;

void PrintTo(const EventRecord& e, std::ostream* os) { *os << "{" << e.sender << ", " << e.id << "}"; }

int FixtureForm::Make(int width, int height, int x, int y) {
  if (!Create(WS_POPUP, L"DorvControlTest", L"控件", nullptr, 0, CRect(x, y, x + width, y + height))) return 0;
  ListenEvent(1, fastdelegate::MakeDelegate(this, &FixtureForm::OnClick));
  ListenEvent(2, fastdelegate::MakeDelegate(this, &FixtureForm::OnChanged));
  ListenEvent(5, fastdelegate::MakeDelegate(this, &FixtureForm::OnEnter));
  ListenEvent(6, fastdelegate::MakeDelegate(this, &FixtureForm::OnLeave));
  ListenEvent(8, fastdelegate::MakeDelegate(this, &FixtureForm::OnCompleted));
  ::SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER);
  ShowWindow(SW_SHOW);
  ::SetForegroundWindow(m_hWnd);
  ::SetFocus(m_hWnd);
  Desktop::Get().PumpUntilIdle();
  return 1;
}

int FixtureForm::Log(int id, UI::CUIControl* sender) {
  const CString name = sender ? sender->GetObjectID() : CString(L"?");
  std::string narrow;
  for (int i = 0; i < name.GetLength(); ++i) narrow += static_cast<char>(name[i]);
  m_events.push_back({narrow, id});
  return 0;
}

std::vector<EventRecord> FixtureForm::TakeEvents() {
  std::vector<EventRecord> events;
  events.swap(m_events);
  return events;
}

CRect FixtureForm::BoundsOf(const wchar_t* id) {
  UI::CUIControl* control = FindControlRecusive(id);
  return control ? control->GetBounds() : CRect();
}

POINT FixtureForm::ToScreen(int x, int y) {
  POINT at{x, y};
  ::ClientToScreen(m_hWnd, &at);
  return at;
}

void FixtureForm::MoveTo(int x, int y) {
  const POINT at = ToScreen(x, y);
  Desktop::Get().MouseMove(at.x, at.y);
  Desktop::Get().PumpUntilIdle();
}

void FixtureForm::Down(int x, int y) {
  const POINT at = ToScreen(x, y);
  Desktop::Get().MouseMove(at.x, at.y);
  Desktop::Get().MouseDown(Desktop::Button::Left, at.x, at.y);
  Desktop::Get().PumpUntilIdle();
}

void FixtureForm::Up(int x, int y) {
  const POINT at = ToScreen(x, y);
  Desktop::Get().MouseMove(at.x, at.y);
  Desktop::Get().MouseUp(Desktop::Button::Left, at.x, at.y);
  Desktop::Get().PumpUntilIdle();
}

void FixtureForm::Click(int x, int y) {
  Down(x, y);
  Up(x, y);
}

void FixtureForm::ClickOn(const wchar_t* id) {
  const CPoint middle = BoundsOf(id).CenterPoint();
  Click(middle.x, middle.y);
}

void FixtureForm::Key(UINT virtualKey) {
  Desktop::Get().KeyPress(virtualKey);
  Desktop::Get().PumpUntilIdle();
}

void FixtureForm::Place(const wchar_t* id, const CRect& place, const CRect& padding) {
  UI::CUIControl* control = FindControlRecusive(id);
  ASSERT_NE(control, nullptr);
  control->SetAnchorStyle(UI::AnchorTopLeft);
  control->SetMargin(place.left, place.top, 0, 0);
  control->SetSize(place.right, place.bottom);
  control->SetPadding(padding);
}

const char kTabsBuild[] =
    "<Tabs type=\"CUITabControl\" css=\"Default\">"
    "<P1 type=\"CUITabItem\" css=\"Default\"><Header type=\"CUITabItemHeader\">"
    "<T1 type=\"CUILabel\" css=\"TabTitle\"/></Header></P1>"
    "<P2 type=\"CUITabItem\" css=\"Default\"><Header type=\"CUITabItemHeader\">"
    "<T2 type=\"CUILabel\" css=\"TabTitle\"/></Header></P2>"
    "<P3 type=\"CUITabItem\" css=\"Default\"><Header type=\"CUITabItemHeader\">"
    "<T3 type=\"CUILabel\" css=\"TabTitle\"/></Header></P3></Tabs>";

void FixtureForm::TitleTabs(const wchar_t* first, const wchar_t* second, const wchar_t* third) {
  const wchar_t* titles[] = {first, second, third};
  const wchar_t* labels[] = {L"T1", L"T2", L"T3"};
  const wchar_t* pages[] = {L"P1", L"P2", L"P3"};
  for (int i = 0; i < 3; ++i) {
    UI::CUIControl* title = FindControlRecusive(labels[i]);
    UI::CUIControl* page = FindControlRecusive(pages[i]);
    ASSERT_TRUE(title && page);
    title->SetAnchorStyle(UI::DockFill);
    title->SetText(titles[i], FALSE);
    page->SetAnchorStyle(UI::DockFill);
  }
}

bool FixtureForm::SavePicture(const std::string& path) {
  Desktop::Get().PumpUntilIdle();
  juce::File out(juce::String(path.c_str()));
  out.deleteFile();
  juce::FileOutputStream stream(out);
  return stream.openedOk() && juce::PNGImageFormat().writeImageToStream(GetRenderContext()->GetBackBuffer(), stream);
}

uint32_t FixtureForm::At(int x, int y) {
  Desktop::Get().PumpUntilIdle();
  return GetRenderContext()->GetBackBuffer().getPixelAt(x, y).getARGB();
}

void Type(const std::wstring& text) {
  Desktop::Get().TypeText(text);
  Desktop::Get().PumpUntilIdle();
}

void Chord(UINT modifier, UINT key) {
  Desktop::Get().KeyDown(modifier);
  Desktop::Get().KeyPress(key);
  Desktop::Get().KeyUp(modifier);
  Desktop::Get().PumpUntilIdle();
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return L"<closed>";
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

void SetClipboardText(const std::wstring& text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* units = static_cast<wchar_t*>(::GlobalLock(block));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, units);
  ::GlobalUnlock(block);
  ::SetClipboardData(CF_UNICODETEXT, block);
  ::CloseClipboard();
}

Files ShippedTheme(const std::string& build, const std::string& layouts) {
  namespace fs = std::filesystem;
  Files files;
  const fs::path source(DORV_THEME_SOURCE_DIR);
  for (const auto& entry : fs::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), source);
    if (relative == "CMakeLists.txt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string name = relative == "PreSkin.xml" ? "PreSkin.xml" : "Theme/" + relative.string();
    files[name] = content.str();
  }
  std::string& buildFile = files["Theme/Build.xml"];
  const auto end = buildFile.rfind("</BuildRoot>");
  if (end != std::string::npos) buildFile.insert(end, build);
  // Each class element of `layouts` joins the skin's element of that class
  // (a look-up finds only the first element of a name).
  std::string& skin = files["Theme/Default/Skin.xml"];
  const auto assStart = skin.find("<ass>");
  for (size_t at = 0; (at = layouts.find('<', at)) != std::string::npos;) {
    const size_t nameEnd = layouts.find('>', at);
    const std::string name = layouts.substr(at + 1, nameEnd - at - 1);
    const std::string close = "</" + name + ">";
    const size_t closeAt = layouts.find(close, nameEnd);
    const std::string inner = layouts.substr(nameEnd + 1, closeAt - nameEnd - 1);
    const size_t existing = assStart == std::string::npos ? std::string::npos : skin.find("<" + name + ">", assStart);
    if (existing != std::string::npos)
      skin.insert(existing + name.size() + 2, inner);
    else
      skin.insert(skin.rfind("</ass>"), "<" + name + ">" + inner + close);
    at = closeAt + close.size();
  }
  return files;
}

}  // namespace uitest
