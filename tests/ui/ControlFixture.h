#pragma once
// A form for the controls' tests: built from a skin's build node, shown on the
// headless desktop in the foreground, driven by injected pointer and key input
// (in client coordinates), with a log of the events that reach its root.
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/UIForm.h"

namespace uitest {

struct EventRecord {
  std::string sender;  // the object ID of the sender
  int id = 0;
  friend bool operator==(const EventRecord&, const EventRecord&) = default;
};
void PrintTo(const EventRecord& e, std::ostream* os);

class FixtureForm : public UI::CUIForm {
 public:
  explicit FixtureForm(const wchar_t* id = L"Fixture") { SetObjectID(id); }
  // Creates the window at (x, y) with the client size, shows it in front and
  // logs events 1, 2, 5 and 6. 0 when the form could not be made.
  int Make(int width, int height, int x = 100, int y = 100);

  template <typename T>
  T* Get(const wchar_t* id) {
    return dynamic_cast<T*>(FindControlRecusive(id));
  }
  CRect BoundsOf(const wchar_t* id);

  void MoveTo(int x, int y);
  void Down(int x, int y);
  void Up(int x, int y);
  void Click(int x, int y);
  // Clicks the middle of a control.
  void ClickOn(const wchar_t* id);
  void Key(UINT virtualKey);
  // Puts a control at (left, top) with the size (width, height) of `place`,
  // anchored to the form's top left, with the padding.
  void Place(const wchar_t* id, const CRect& place, const CRect& padding = CRect());
  // Titles pages P1, P2, P3 of a tab control built from kTabsBuild and lets
  // each page fill the panel.
  void TitleTabs(const wchar_t* first, const wchar_t* second, const wchar_t* third);
  // The last frame as a PNG file.
  bool SavePicture(const std::string& path);
  // A pixel of the last frame, ARGB.
  uint32_t At(int x, int y);
  // The event log since the last call, emptied.
  std::vector<EventRecord> TakeEvents();

 private:
  int Log(int id, UI::CUIControl* sender);
  int OnClick(UI::CUIControl* sender, void*) { return Log(1, sender); }
  int OnChanged(UI::CUIControl* sender, void*) { return Log(2, sender); }
  int OnEnter(UI::CUIControl* sender, void*) { return Log(5, sender); }
  int OnLeave(UI::CUIControl* sender, void*) { return Log(6, sender); }
  int OnCompleted(UI::CUIControl* sender, void*) { return Log(8, sender); }
  POINT ToScreen(int x, int y);

  std::vector<EventRecord> m_events;
};

// A tab control "Tabs" of the shipped skin with three pages, P1 to P3, whose
// headers hold labels T1 to T3.
extern const char kTabsBuild[];

// Typed text (WM_CHAR each), a key pressed while a modifier is held, pumped.
void Type(const std::wstring& text);
void Chord(UINT modifier, UINT key);
// The clipboard's Unicode text ("<closed>" when it cannot be opened); replaces it.
std::wstring ClipboardText();
void SetClipboardText(const std::wstring& text);

// Every file of the shipped theme, with `build` (elements under "BuildRoot")
// added to its build file and `layouts` (class elements holding layouts, as
// under "ass") to its default skin.
Files ShippedTheme(const std::string& build = "", const std::string& layouts = "");

}  // namespace uitest
