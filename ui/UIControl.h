#pragma once
// A control of the skinned framework: a node of a form's control tree. It owns
// its children (released with it), finds them by object ID ignoring case, has
// visibility and enabling of its own that its ancestors can override, and is
// placed by its parent's layout pass from its size, margin, padding and anchor
// or dock code. A tree is built from an element of the build file and styled
// from the skin files. A form's root control is its own parent.
// The tree belongs to the UI thread; nothing here locks.
#include <map>
#include <vector>

#include "fastdelegate/FastDelegate.h"
#include "mfc/Afx.h"
#include "ui/UIObject.h"
#include "ui/render/RectF.h"
#include "ui/skin/AssData.h"
#include "win32/WinUser.h"

namespace UI {

class CUIForm;
class DXCore;
class CTransformBase;
class _SkinConfig;

using EventHandler = fastdelegate::FastDelegate2<class CUIControl*, void*, int>;

class CUIControl : public CUIObject {
 public:
  CUIControl();
  CUIControl(const CUIControl&) = delete;
  CUIControl& operator=(const CUIControl&) = delete;
  // Leaves the owner form's references, then releases the configuration,
  // the transform and every child.
  ~CUIControl() override;

  // The virtual operations keep this order; derived classes append theirs.
  CString GetType() override { return m_strTypeName; }
  BOOL Equals(CUIObject* other) override { return CUIObject::Equals(other); }
  CString ToString() override;
  virtual void Release();
  virtual void SetBounds(const CRect& bounds);
  virtual CRect GetBounds() { return m_rcBounds; }
  // The bounds, or the box around the transformed corners.
  virtual CRect GetBoundsRefresh();
  // The owner form sends every mouse message to the capturing control.
  virtual void SetMouseCapture();
  virtual void ReleaseMouseCapture();
  // 0 while an ancestor hides the control, else its own flag.
  virtual BOOL IsVisible();
  // Ignored while the control is disabled; setting it tells the owner form.
  virtual void SetKBFocused(BOOL focused);
  virtual void SetHitTransparent(BOOL transparent) { m_bHitTransparent = transparent; }
  // The control has an owner form and a parent.
  virtual BOOL IsValid();
  virtual BOOL IsMouseCapture() { return m_bMouseCaptured; }
  // The control has its own window or is its owner form's root.
  virtual BOOL IsUIForm();
  virtual BOOL IsCursorInBounds(const CPoint& point);
  // The style record, loaded on first use (className empty: the type name);
  // null while the skin has none for it.
  virtual _SkinConfig* GetSkinConfig(CString className);
  virtual void SetText(CString text, BOOL rearrange);
  virtual void MeasureSelf(CRect*) {}
  virtual void MeasureAllSubControl() {}
  // Places the control in its parent from its layout code.
  virtual void ArrangeSelf(CRect* available, CRect* parentBounds);
  virtual void ArrangeAllSubControls();
  virtual void Render(DXCore* core, const CRect* clip, const CRect* paint);
  virtual void RenderSelf(DXCore*, const CRect*) {}
  virtual void RenderAllSubControls(DXCore* core, const CRect* clip, const CRect* paint);
  virtual void RenderAfterSubCtrls(DXCore*, const CRect*, const CRect*) {}
  virtual void Refresh(BOOL paintNow, CRect* rect);
  virtual BOOL OnMouseMessage(UINT, UINT, const CPoint&) { return FALSE; }
  virtual BOOL OnKeyMessage(UINT, UINT, UINT, UINT) { return FALSE; }
  virtual void DispatchMouseMessage(UINT message, UINT wParam, const CPoint& point);
  virtual BOOL DispatchKeyMessage(UINT message, UINT wParam, UINT repeat, UINT flags);
  virtual CUIControl* FindControlUnderPoint(const CPoint& point);
  virtual BOOL OnSetCursor(UINT, UINT) { return FALSE; }
  virtual BOOL OnActivate(UINT, BOOL) { return FALSE; }
  virtual CTransformBase* GetTransform() { return m_pTransform; }
  // Takes ownership of a transform (null does nothing) and gives each
  // descendant its own copy of its current value.
  virtual void SetTransform(CTransformBase* transform);
  virtual void SetAllSubControlsTransform(CTransformBase* transform);
  // The corners (left, top), (right, top), (left, bottom), (right, bottom),
  // mapped through the transform when there is one.
  virtual void GetTransformedBounds(CPointF* topLeft, CPointF* topRight, CPointF* bottomLeft, CPointF* bottomRight);
  // One WM_MOUSEHOVER to this control and each ancestor not yet hovered.
  virtual void HandleMouseHover(CUIControl* previous);
  // WM_MOUSELEAVE up the chain, sparing the ancestors that stay under the mouse.
  virtual void HandleMouseLeave(CUIControl* next);

 protected:
  virtual CRect CombineClipBounds(const CRect* clip);
  virtual void SetTempVisible(BOOL visible);
  virtual void SetTempEnable(BOOL enable);
  virtual void OnSetSkinData();
  virtual BOOL OnBuildControlBefore() { return TRUE; }
  virtual BOOL OnBuildControlAfter() { return TRUE; }

 public:
  void SetObjectID(CString id) { m_strObjectID = id; }
  CString GetObjectID() const { return m_strObjectID; }
  void SetCss(const CString& css) { m_strCss = css; }
  CString GetCss() const { return m_strCss; }
  void SetAss(const CString& ass) { m_strAss = ass; }
  CString GetAss() const { return m_strAss; }
  CString GetText() const { return m_strText; }
  void SetTooltipText(const CString& text) { m_strTooltip = text; }
  CString GetTooltipText() const { return m_strTooltip; }

  // Appends a child: 0 for null or a child already in this list. A child of
  // another control is first taken out of that control's list.
  int RegisterControl(CUIControl* child);
  // Inserts a child at index (0 to the number of children); 0 for null, for a
  // child already in this list, or for an index outside that range.
  int RegisterControl(int index, CUIControl* child);
  // Take a child out of the list without releasing it; the child keeps its
  // owner form, which forgets every reference into the child's subtree.
  CUIControl* UnRegisterControl(int index);
  CUIControl* UnRegisterControl(const CString& id);
  int UnRegisterControl(CUIControl* child);
  CUIControl* FindControl(CString id);
  CUIControl* FindControlRecusive(CString id);
  // Every descendant, depth first, each before its own children.
  void GetAllSubControls(CPtrArray& out);
  void RemoveAllControlFromMap();
  int GetChildCount() const { return static_cast<int>(m_children.size()); }
  CUIControl* GetChild(int index) const;

  CUIControl* GetParentContainer() const { return m_pParent; }
  CUIControl* GetParent() const { return m_pParent; }
  void SetParentContainer(CUIControl* parent) { m_pParent = parent; }
  CUIForm* GetOwnerForm() const { return m_pOwnerForm; }
  // Sets the owner form of this control and of all its descendants.
  void SetOwnerForm(CUIForm* form);
  HWND GetSelfHwnd() const { return m_hOwnWnd; }
  HWND GetOwnWindow() const { return m_hOwnWnd; }
  int GetDepth();

  void SetVisible(BOOL visible);
  void SetEnabled(BOOL enabled);
  BOOL IsEnabled();
  BOOL IsKBFocused() const { return m_bKBFocused; }
  BOOL IsHitTransparent() const { return m_bHitTransparent; }
  BOOL IsHovered() const { return m_bHovered; }
  void SetCheckClipBoundsEmpty(BOOL check) { m_bCheckClipEmpty = check; }
  void SetClipToBounds(BOOL clip) { m_bClipToBounds = clip; }
  BOOL IsClipToBounds() const { return m_bClipToBounds; }
  void SetTransContainer(BOOL trans) { m_bTransContainer = trans; }
  BOOL IsTransContainer() const { return m_bTransContainer; }

  // The bounds moved in by the absolute value of each padding side, never
  // with a negative width or height.
  CRect GetBoundsSmall();
  void SetMargin(CRect margin) { m_assData.m_margin = margin; }
  void SetMargin(int left, int top, int right, int bottom) { m_assData.m_margin.SetRect(left, top, right, bottom); }
  CRect GetMargin() const { return m_assData.m_margin; }
  void SetPadding(CRect padding) { m_assData.m_padding = padding; }
  void SetPadding(int left, int top, int right, int bottom) { m_assData.m_padding.SetRect(left, top, right, bottom); }
  CRect GetPadding() const { return m_assData.m_padding; }
  void SetSize(const CSize& size) { m_assData.m_size = size; }
  void SetSize(int cx, int cy) { m_assData.m_size = CSize(cx, cy); }
  CSize GetSize() const { return m_assData.m_size; }
  void SetAnchorStyle(AnchorStyle style) { m_assData.m_anchor = style; }
  unsigned int GetAnchorStyle() const { return m_assData.m_anchor; }

  // Builds the subtree from an element of the build file. 0 for null or when
  // the control refuses (OnBuildControlBefore); else OnBuildControlAfter's result.
  int BuildFromXML(void* node);
  // Re-reads the layout data (className empty: the type name) and drops the
  // style record, in the whole subtree.
  void ReadAssSkinData(CString className);
  // Holds a clone of config in place of the current record.
  void SetSkinConfig(_SkinConfig* config);
  // OnSetSkinData on this control, then on every descendant, parents first.
  void DispathSkinChangeMsg();

  // Events travel up the parent chain until a handler returns non-zero; a
  // control holds one handler per id.
  int ListenEvent(int id, const EventHandler& handler);
  void SetEventHandler(int id, const EventHandler& handler) { ListenEvent(id, handler); }
  // 0 without effect while the control is disabled; else dispatched, and 1.
  int FireEvent(int id, void* data);
  // Dispatched whatever the enabling; always 1.
  int DispatchEvent(CUIControl* sender, int id, void* data);

  // The control's part in its form's tooltip window.
  void AddTooltip();
  void RemoveTooltip();
  void AddAllSubTooltip();
  void RemoveAllSubTooltip();

 protected:
  void ReadObjectData(void* node);
  // The alternate (even-odd) fill rule for a pixel of a polygon.
  static bool PointInPolygonAlternate(const POINT* poly, int count, const CPoint& pt);
  // Takes the child out of its parent's list, when it has one.
  static void Unlink(CUIControl* child);
  // The parent chain ends at the owner form's root.
  bool IsInOwnerFormTree() const;
  // A child out of its parent's list: no parent, and its form forgets the subtree.
  static void Detached(CUIControl* child);

  CString m_strObjectID;
  CString m_strTypeName;
  CString m_strAss;
  CString m_strCss;
  CString m_strTooltip;
  CString m_strText;
  _AssData m_assData;
  BOOL m_bHitTransparent = FALSE;
  BOOL m_bKBFocused = FALSE;
  BOOL m_bMouseCaptured = FALSE;
  CUIForm* m_pOwnerForm = nullptr;
  CUIControl* m_pParent = nullptr;
  HWND m_hOwnWnd = nullptr;
  std::vector<CUIControl*> m_children;
  _SkinConfig* m_pSkinConfig = nullptr;
  BOOL m_bHovered = FALSE;
  BOOL m_bCheckClipEmpty = TRUE;
  CRect m_rcBounds;
  BOOL m_bVisible = TRUE;
  BOOL m_bEnabled = TRUE;
  // -1: no ancestor has set it since the own setter; 0 off; else on.
  int m_nTempVisible = -1;
  int m_nTempEnable = -1;
  std::map<int, EventHandler> m_handlers;
  BOOL m_bClipToBounds = FALSE;
  BOOL m_bTransContainer = TRUE;
  CTransformBase* m_pTransform = nullptr;
};

}  // namespace UI
