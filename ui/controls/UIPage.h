#pragma once
// One step of a multi-step window. A page starts hidden and is chained to a
// previous and a next page, set by the application or named in its style as
// siblings; buttons inside it (named in its style) move along the chain, and
// the application may veto each move from a handler called before it.
// UI thread only; the chained pages are siblings and live as long as the page.
#include "fastdelegate/FastDelegate.h"
#include "ui/UIControl.h"

namespace UI {

class CUIPage;
class _PageConfig;

// Called with the page and an int holding 0; setting it to 1 allows the move.
using PageChangeHandler = fastdelegate::FastDelegate2<CUIPage*, int&>;

class CUIPage : public CUIControl {
 public:
  CUIPage();

  // Used as given; the style's page ID is then not consulted.
  void SetPrevPage(CUIPage* page) { m_pPrevPage = page; }
  void SetNextPage(CUIPage* page) { m_pNextPage = page; }
  CUIPage* GetPrevPage() const { return m_pPrevPage; }
  CUIPage* GetNextPage() const { return m_pNextPage; }
  void SetBeforChangePrePageHandler(PageChangeHandler handler) { m_beforePrev = handler; }
  void SetBeforChangeNextPageHandler(PageChangeHandler handler) { m_beforeNext = handler; }
  // Hide this page and show the target, when the handler allows it; event 2
  // (the new page as data) when this page is enabled; the window repaints.
  void ChangeToPrevPage();
  void ChangeToNextPage();

 protected:
  // Takes the default visibility and listens for its buttons' clicks; 0
  // without a style record.
  BOOL OnBuildControlAfter() override;

 private:
  int OnPageButtonClick(CUIControl* sender, void* data);
  void TryToSetPrePageFromConfig(_PageConfig* config);
  void TryToSetNextPageFromConfig(_PageConfig* config);
  void TryToSetPagesFromConfig(_PageConfig* config);
  // The sibling named by id: a page is kept as the chain's pointer; any other
  // control is only shown by the move, and looked up again each time.
  CUIControl* FindTarget(const CString& id);
  bool IsInWindow() const;
  void ChangeTo(CUIPage*& page, CUIControl* other, PageChangeHandler& handler);

  CUIPage* m_pPrevPage = nullptr;
  CUIPage* m_pNextPage = nullptr;
  PageChangeHandler m_beforeNext;
  PageChangeHandler m_beforePrev;
};

}  // namespace UI
