#include "ui/UIControl.h"

#include <algorithm>
#include <cmath>

#include "common/MutiLanSupport.h"
#include "common/XmlDocument.h"
#include "ui/UIForm.h"
#include "ui/render/DXCore.h"
#include "ui/render/TransformBase.h"
#include "ui/render/TransformHelper.h"
#include "ui/skin/SkinConfig.h"
#include "ui/skin/SkinReader.h"
#include "ui/skin/UISkinManager.h"

namespace UI {

CUIControl::CUIControl() : m_strTypeName(L"CUIControl") {}

CUIControl::~CUIControl() {
  // Only a control in its form's tree tells the form: a detached subtree has
  // been forgotten already, and its form may be gone. The root's form is
  // already being destroyed and forgets its own references.
  if (m_pOwnerForm && static_cast<CUIControl*>(m_pOwnerForm) != this && IsInOwnerFormTree())
    m_pOwnerForm->ForgetControl(this);
  // Released by code while still registered: the parent's list must not keep
  // it (the parent would release it again).
  if (m_pParent && m_pParent != this) {
    auto& siblings = m_pParent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  m_handlers.clear();
  if (m_pSkinConfig) m_pSkinConfig->Release();
  m_pSkinConfig = nullptr;
  delete m_pTransform;
  m_pTransform = nullptr;
  RemoveAllControlFromMap();
}

CString CUIControl::ToString() {
  CString text;
  text.Format(L"Type: %s , ID: %s", m_strTypeName, m_strObjectID);
  return text;
}

void CUIControl::Release() { delete this; }

// --- tree ---------------------------------------------------------------

void CUIControl::Unlink(CUIControl* child) {
  CUIControl* parent = child->m_pParent;
  if (!parent || parent == child) return;
  auto& list = parent->m_children;
  list.erase(std::remove(list.begin(), list.end(), child), list.end());
  Detached(child);
}

void CUIControl::Detached(CUIControl* child) {
  const bool inFormTree = child->IsInOwnerFormTree();  // else its form may be gone
  child->m_pParent = nullptr;
  CUIForm* form = child->m_pOwnerForm;
  if (!form || !inFormTree) return;
  // The form keeps no reference into a subtree that leaves its tree.
  form->ForgetControl(child);
  CPtrArray descendants;
  child->GetAllSubControls(descendants);
  for (INT_PTR i = 0; i < descendants.GetSize(); ++i) form->ForgetControl(static_cast<CUIControl*>(descendants[i]));
}

int CUIControl::RegisterControl(CUIControl* child) { return RegisterControl(GetChildCount(), child); }

int CUIControl::RegisterControl(int index, CUIControl* child) {
  // A control in two lists would be released twice, and a control can't hold itself.
  if (!child || child == this || index < 0 || index > GetChildCount()) return 0;
  if (std::find(m_children.begin(), m_children.end(), child) != m_children.end()) return 0;
  for (CUIControl* up = m_pParent, *last = this; up && up != last; last = up, up = up->m_pParent) {
    if (up == child) return 0;  // an ancestor can't become a descendant
  }
  Unlink(child);
  child->m_pParent = this;
  child->SetOwnerForm(m_pOwnerForm);
  m_children.insert(m_children.begin() + index, child);
  return 1;
}

CUIControl* CUIControl::UnRegisterControl(int index) {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  CUIControl* child = m_children[static_cast<size_t>(index)];
  m_children.erase(m_children.begin() + index);
  if (child) Detached(child);
  return child;
}

CUIControl* CUIControl::UnRegisterControl(const CString& id) {
  for (size_t i = 0; i < m_children.size(); ++i) {
    if (m_children[i] && m_children[i]->m_strObjectID.CompareNoCase(id) == 0)
      return UnRegisterControl(static_cast<int>(i));
  }
  return nullptr;
}

int CUIControl::UnRegisterControl(CUIControl* child) {
  auto it = std::find(m_children.begin(), m_children.end(), child);
  if (!child || it == m_children.end()) return 0;
  m_children.erase(it);
  Detached(child);
  return 1;
}

CUIControl* CUIControl::FindControl(CString id) {
  if (m_strObjectID.CompareNoCase(id) == 0) return this;
  for (CUIControl* child : m_children) {
    if (child && child->m_strObjectID.CompareNoCase(id) == 0) return child;
  }
  return nullptr;
}

CUIControl* CUIControl::FindControlRecusive(CString id) {
  if (m_strObjectID.CompareNoCase(id) == 0) return this;
  for (CUIControl* child : m_children) {
    if (!child) continue;
    if (CUIControl* found = child->FindControlRecusive(id)) return found;
  }
  return nullptr;
}

void CUIControl::GetAllSubControls(CPtrArray& out) {
  for (CUIControl* child : m_children) {
    if (!child) continue;
    out.Add(child);
    child->GetAllSubControls(out);
  }
}

void CUIControl::RemoveAllControlFromMap() {
  // Taken out of the list first, so a child's destructor sees a consistent
  // one; each keeps its parent until it is gone, so it still tells its form.
  std::vector<CUIControl*> children;
  children.swap(m_children);
  for (CUIControl* child : children) {
    if (child) child->Release();
  }
}

CUIControl* CUIControl::GetChild(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return m_children[static_cast<size_t>(index)];
}

void CUIControl::SetOwnerForm(CUIForm* form) {
  m_pOwnerForm = form;
  for (CUIControl* child : m_children) {
    if (child) child->SetOwnerForm(form);
  }
}

bool CUIControl::IsInOwnerFormTree() const {
  const CUIControl* top = this;
  while (top->m_pParent && top->m_pParent != top) top = top->m_pParent;
  return m_pOwnerForm && top == static_cast<const CUIControl*>(m_pOwnerForm);
}

BOOL CUIControl::IsValid() { return m_pOwnerForm && m_pParent ? TRUE : FALSE; }

BOOL CUIControl::IsUIForm() {
  return m_hOwnWnd || (m_pOwnerForm && static_cast<CUIControl*>(m_pOwnerForm) == this) ? TRUE : FALSE;
}

int CUIControl::GetDepth() {
  if (IsUIForm()) return 0;
  int depth = 0;
  for (CUIControl* up = m_pParent, *last = this; up && up != last; last = up, up = up->m_pParent) {
    ++depth;
    if (up->IsUIForm()) break;
  }
  return depth;
}

// --- state --------------------------------------------------------------

BOOL CUIControl::IsVisible() { return m_nTempVisible == 0 ? FALSE : m_bVisible; }

void CUIControl::SetVisible(BOOL visible) {
  m_bVisible = visible;
  SetTempVisible(visible);
  m_nTempVisible = -1;
}

void CUIControl::SetTempVisible(BOOL visible) {
  m_nTempVisible = visible;
  AddTooltip();
  if (m_hOwnWnd) ::ShowWindow(m_hOwnWnd, visible && m_bVisible ? SW_SHOWNORMAL : SW_HIDE);
  for (CUIControl* child : m_children) {
    if (child) child->SetTempVisible(visible);
  }
}

BOOL CUIControl::IsEnabled() { return m_nTempEnable == 0 ? FALSE : m_bEnabled; }

void CUIControl::SetEnabled(BOOL enabled) {
  m_bEnabled = enabled;
  SetTempEnable(enabled);
  m_nTempEnable = -1;
}

void CUIControl::SetTempEnable(BOOL enable) {
  m_nTempEnable = enable;
  if (m_hOwnWnd) ::EnableWindow(m_hOwnWnd, enable && m_bEnabled);
  for (CUIControl* child : m_children) {
    if (child) child->SetTempEnable(enable);
  }
}

void CUIControl::SetKBFocused(BOOL focused) {
  if (m_nTempEnable == 0 || !m_bEnabled) return;
  m_bKBFocused = focused;
  if (focused && m_pOwnerForm) m_pOwnerForm->SetKeyFocusControl(this);
}

// --- geometry and layout --------------------------------------------------

void CUIControl::SetBounds(const CRect& bounds) {
  if (bounds == m_rcBounds) return;
  if (m_pTransform) {
    m_pTransform->SetControlBounds(bounds);
    SetAllSubControlsTransform(m_pTransform);
  }
  m_rcBounds = bounds;
  AddTooltip();
}

CRect CUIControl::GetBoundsSmall() {
  const CRect& p = m_assData.m_padding;
  CRect r(m_rcBounds.left + std::abs(p.left), m_rcBounds.top + std::abs(p.top), m_rcBounds.right - std::abs(p.right),
          m_rcBounds.bottom - std::abs(p.bottom));
  if (r.right < r.left) std::swap(r.left, r.right);
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  return r;
}

void CUIControl::SetText(CString text, BOOL rearrange) {
  m_strText = text;
  if (rearrange && m_pParent) m_pParent->ArrangeAllSubControls();
}

void CUIControl::ArrangeAllSubControls() {
  if (m_pOwnerForm && static_cast<CUIControl*>(m_pOwnerForm) == this && m_hOwnWnd) {
    RECT client{};
    ::GetClientRect(m_hOwnWnd, &client);
    SetBounds(CRect(0, 0, client.right - client.left, client.bottom - client.top));
  }
  CRect available = GetBoundsSmall();
  CRect outer = GetBounds();
  // Iterating by index: a child's arrangement may not change this list, but a
  // stale iterator must not be the price if it does.
  for (size_t i = 0; i < m_children.size(); ++i) {
    CUIControl* child = m_children[i];
    if (!child) continue;
    child->ArrangeSelf(&available, &outer);
    child->ArrangeAllSubControls();
  }
}

void CUIControl::ArrangeSelf(CRect* available, CRect* parentBounds) {
  if (!m_pParent) return;
  CRect outer = parentBounds ? *parentBounds : m_pParent->GetBounds();
  CRect scratch = m_pParent->GetBoundsSmall();
  CRect& a = available ? *available : scratch;
  const CRect& m = m_assData.m_margin;
  CSize& size = m_assData.m_size;
  const int cx = size.cx, cy = size.cy;
  const int ow = outer.Width(), oh = outer.Height();
  int left = 0, top = 0, width = cx, height = cy;
  switch (m_assData.m_anchor) {
    case AnchorTopLeft: left = outer.left + m.left, top = outer.top + m.top; break;
    case AnchorTopRight: left = outer.right - cx - m.right, top = outer.top + m.top; break;
    case AnchorBottomLeft: left = outer.left + m.left, top = outer.bottom - cy - m.bottom; break;
    case AnchorBottomRight: left = outer.right - cx - m.right, top = outer.bottom - cy - m.bottom; break;
    case AnchorTopCenter: left = outer.left + ((ow - cx) >> 1) + m.left, top = outer.top + m.top; break;
    case AnchorCenter:
      left = outer.left + ((ow - cx) >> 1) + m.left, top = outer.top + ((oh - cy) >> 1) + m.top;
      break;
    case AnchorBottomCenter: left = outer.left + ((ow - cx) >> 1) + m.left, top = outer.bottom - cy - m.bottom; break;
    case DockTop:
      left = a.left + m.left, top = a.top + m.top, width = a.Width() - m.left - m.right;
      size.cx = width;
      a.top += m.top + cy;
      break;
    case DockBottom:
      a.bottom -= cy + m.bottom;
      left = a.left + m.left, top = a.bottom, width = a.Width() - m.left - m.right;
      size.cx = width;
      break;
    case DockLeft:
      left = a.left + m.left, top = a.top + m.top, height = a.Height() - m.top - m.bottom;
      size.cy = height;
      a.left += m.left + cx;
      break;
    case DockRight:
      a.right -= cx + m.right;
      left = a.right, top = a.top + m.top, height = a.Height() - m.top - m.bottom;
      size.cy = height;
      break;
    case DockFill:
      left = a.left + m.left, top = a.top + m.top;
      width = a.Width() - m.left - m.right, height = a.Height() - m.top - m.bottom;
      size = CSize(width, height);
      break;
    case DockCaption:
      left = outer.left + m.left, top = outer.top + m.top, width = ow - m.left - m.right;
      size.cx = width;
      a.top += m.top + cy;
      break;
    default: break;
  }
  SetBounds(CRect(left, top, left + width, top + height));
}

// --- drawing and input: the base behaviour ----------------------------------

CRect CUIControl::CombineClipBounds(const CRect* clip) {
  CRect bounds = GetBounds();
  if (!clip) return bounds;
  CRect result;
  result.IntersectRect(&bounds, clip);
  return result;
}

void CUIControl::Render(DXCore* core, const CRect* clip, const CRect* paint) {
  if (!IsVisible()) return;
  CRect c = CombineClipBounds(clip);
  if (m_bCheckClipEmpty && c.IsRectEmpty()) return;
  if (paint) {
    const CRect refresh = GetBoundsRefresh();
    CRect overlap;
    if (!overlap.IntersectRect(paint, &refresh)) return;
  }
  if (core) core->SetTransform(GetTransform());
  DXCore::ClipState saved;
  const bool clipping = m_bClipToBounds && core;
  if (clipping) {
    saved = core->SaveClip();
    core->SetClipRgn(c);
  }
  RenderSelf(core, &c);
  RenderAllSubControls(core, m_bClipToBounds ? &c : clip, paint);
  RenderAfterSubCtrls(core, &c, paint);
  if (clipping) core->RestoreClip(saved);
  if (core) core->SetTransform(nullptr);
}

void CUIControl::RenderAllSubControls(DXCore* core, const CRect* clip, const CRect* paint) {
  for (size_t i = 0; i < m_children.size(); ++i) {
    CUIControl* child = m_children[i];
    if (child && child->IsVisible() && !child->IsUIForm()) child->Render(core, clip, paint);
  }
}

CRect CUIControl::GetBoundsRefresh() {
  CTransformBase* transform = GetTransform();
  if (!transform || transform->IsIdentity()) return GetBounds();
  CPointF p[4];
  GetTransformedBounds(&p[0], &p[1], &p[2], &p[3]);
  float left = p[0].x, top = p[0].y, right = p[0].x, bottom = p[0].y;
  for (const CPointF& q : p) {
    left = std::min(left, q.x), top = std::min(top, q.y);
    right = std::max(right, q.x), bottom = std::max(bottom, q.y);
  }
  return CRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom));
}

void CUIControl::Refresh(BOOL paintNow, CRect* rect) {
  if (!IsValid() || !IsVisible()) return;
  HWND window = static_cast<CUIControl*>(m_pOwnerForm)->GetSelfHwnd();
  if (!window) return;
  CRect area = rect ? *rect : GetBoundsRefresh();
  m_pOwnerForm->SetNeedRefreshControl(this);
  ::InvalidateRect(window, &area, FALSE);
  if (paintNow) ::PostMessageW(window, WM_PAINT, 0, 0);
}

void CUIControl::DispatchMouseMessage(UINT message, UINT wParam, const CPoint& point) {
  for (CUIControl* c = this, *last = nullptr; c && c != last; last = c, c = c->m_pParent) {
    if (c->OnMouseMessage(message, wParam, point)) return;
  }
}

BOOL CUIControl::DispatchKeyMessage(UINT message, UINT wParam, UINT repeat, UINT flags) {
  for (CUIControl* c = this, *last = nullptr; c && c != last; last = c, c = c->m_pParent) {
    if (c->OnKeyMessage(message, wParam, repeat, flags)) return TRUE;
  }
  return FALSE;
}

BOOL CUIControl::IsCursorInBounds(const CPoint& point) {
  CTransformBase* transform = GetTransform();
  if (!transform) return GetBounds().PtInRect(point) ? TRUE : FALSE;
  CPointF p[4];
  GetTransformedBounds(&p[0], &p[1], &p[2], &p[3]);
  // The quadrilateral's outline runs p1, p2, p4, p3; the even-odd rule on
  // corners rounded half to even.
  const CPointF* order[4] = {&p[0], &p[1], &p[3], &p[2]};
  POINT poly[4];
  for (int i = 0; i < 4; ++i) {
    poly[i].x = static_cast<LONG>(std::nearbyint(order[i]->x));
    poly[i].y = static_cast<LONG>(std::nearbyint(order[i]->y));
  }
  return PointInPolygonAlternate(poly, 4, point) ? TRUE : FALSE;
}

bool CUIControl::PointInPolygonAlternate(const POINT* poly, int count, const CPoint& pt) {
  // Pixel centres: the pixel (x, y) is inside when its centre is, as a filled
  // region would cover it.
  const double px = pt.x + 0.5, py = pt.y + 0.5;
  bool inside = false;
  for (int i = 0, j = count - 1; i < count; j = i++) {
    const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
    if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

CUIControl* CUIControl::FindControlUnderPoint(const CPoint& point) {
  if (!IsVisible() || !IsCursorInBounds(point)) return nullptr;
  CPoint inner = point;
  if (IsUIForm()) inner -= CPoint(GetBounds().left, GetBounds().top);
  for (size_t i = m_children.size(); i-- > 0;) {
    CUIControl* child = m_children[i];
    if (!child) continue;
    if (CUIControl* hit = child->FindControlUnderPoint(inner)) return hit;
  }
  return m_bHitTransparent ? nullptr : this;
}

void CUIControl::GetTransformedBounds(CPointF* topLeft, CPointF* topRight, CPointF* bottomLeft,
                                      CPointF* bottomRight) {
  const RectF b(GetBounds());
  CPointF p[4] = {{b.left, b.top}, {b.right, b.top}, {b.left, b.bottom}, {b.right, b.bottom}};
  if (CTransformBase* transform = GetTransform()) {
    const XFORM xf = transform->GetXForm();
    CPointF q[4];
    CTransformHelper::TransformRect(xf, p[0], p[1], p[2], p[3], q[0], q[1], q[2], q[3]);
    std::copy(q, q + 4, p);
  }
  if (topLeft) *topLeft = p[0];
  if (topRight) *topRight = p[1];
  if (bottomLeft) *bottomLeft = p[2];
  if (bottomRight) *bottomRight = p[3];
}

// --- capture, hover and events ----------------------------------------------

void CUIControl::SetMouseCapture() {
  if (!m_pOwnerForm) return;
  m_pOwnerForm->SetCaptureControl(this);
  m_bMouseCaptured = TRUE;
  if (HWND window = static_cast<CUIControl*>(m_pOwnerForm)->GetSelfHwnd()) ::SetCapture(window);
}

void CUIControl::ReleaseMouseCapture() {
  if (!m_pOwnerForm) return;
  m_pOwnerForm->SetCaptureControl(nullptr);
  m_bMouseCaptured = FALSE;
  ::ReleaseCapture();
}

void CUIControl::HandleMouseHover(CUIControl* previous) {
  if (m_bHovered) return;
  m_bHovered = TRUE;
  OnMouseMessage(WM_MOUSEHOVER, 0, CPoint(0, 0));
  if (m_pParent && m_pParent != this) m_pParent->HandleMouseHover(previous);
}

void CUIControl::HandleMouseLeave(CUIControl* next) {
  if (!m_bHovered) return;
  m_bHovered = FALSE;
  OnMouseMessage(WM_MOUSELEAVE, 0, CPoint(0, 0));
  CUIControl* p = m_pParent;
  if (!p || p == this || p == next) return;
  if (next && p->GetDepth() < next->GetDepth()) return;
  p->HandleMouseLeave(next);
}

int CUIControl::ListenEvent(int id, const EventHandler& handler) {
  m_handlers[id] = handler;
  return 1;
}

int CUIControl::FireEvent(int id, void* data) {
  if (!IsEnabled() || !m_bEnabled) return 0;
  DispatchEvent(this, id, data);
  return 1;
}

int CUIControl::DispatchEvent(CUIControl* sender, int id, void* data) {
  for (CUIControl* c = this, *last = nullptr; c && c != last; last = c, c = c->m_pParent) {
    auto found = c->m_handlers.find(id);
    if (found != c->m_handlers.end() && found->second && found->second(sender, data)) break;
  }
  return 1;
}

void CUIControl::AddTooltip() {
  if (!m_pOwnerForm) return;
  if (m_strTooltip.IsEmpty() || !IsVisible() || !IsEnabled() || !m_bEnabled) {
    m_pOwnerForm->RemoveSubTooltip(this);
  } else {
    m_pOwnerForm->AddSubTooltip(this);
  }
}

void CUIControl::RemoveTooltip() {
  if (m_pOwnerForm) m_pOwnerForm->RemoveSubTooltip(this);
}

void CUIControl::AddAllSubTooltip() {
  CPtrArray all;
  GetAllSubControls(all);
  for (INT_PTR i = 0; i < all.GetSize(); ++i) static_cast<CUIControl*>(all[i])->AddTooltip();
}

void CUIControl::RemoveAllSubTooltip() {
  CPtrArray all;
  GetAllSubControls(all);
  for (INT_PTR i = 0; i < all.GetSize(); ++i) {
    auto* control = static_cast<CUIControl*>(all[i]);
    if (CUIForm* form = control->GetOwnerForm(); form && form->HasToolTip()) form->RemoveSubTooltip(control);
  }
}

// --- transforms -------------------------------------------------------------

void CUIControl::SetTransform(CTransformBase* transform) {
  if (!transform) return;
  if (transform != m_pTransform) {
    delete m_pTransform;
    m_pTransform = transform;
  }
  SetAllSubControlsTransform(m_pTransform);
}

void CUIControl::SetAllSubControlsTransform(CTransformBase* transform) {
  if (!transform) return;
  for (CUIControl* child : m_children) {
    if (child) child->SetTransform(transform->CloneCurrentValue());
  }
}

// --- build and skin -----------------------------------------------------------

int CUIControl::BuildFromXML(void* node) {
  if (!node || !OnBuildControlBefore()) return 0;
  ReadObjectData(node);
  CUISkinManager* skins = CUISkinManager::GetInstance();
  for (void* element = Common::CXmlDocument::GetFirstChild(node); element;
       element = Common::CXmlDocument::GetNextSibling(element)) {
    CUIControl* control = skins ? skins->CreateSkinObject(Common::CXmlDocument::GetNodeAttribute(element, L"type"))
                                : nullptr;
    if (!control) continue;
    control->SetObjectID(Common::CXmlDocument::GetNodeName(element));
    if (!RegisterControl(control)) {
      control->Release();
      continue;
    }
    control->BuildFromXML(element);
  }
  return OnBuildControlAfter();
}

void CUIControl::ReadObjectData(void* node) {
  CSkinReader reader(node);
  CString value;
  if (reader.GetString(value, L"css")) m_strCss = value;
  if (reader.GetString(value, L"ass")) m_strAss = value;
  if (reader.GetString(value, L"TipID"))
    m_strTooltip = Common::CMutiLanSupport::GetInstance()->GetStringViaID(value);
  if (reader.GetString(value, L"StrID")) SetText(Common::CMutiLanSupport::GetInstance()->GetStringViaID(value), FALSE);
  int flag = 1;
  if (reader.GetBool(flag, L"Visible") && !flag) SetVisible(FALSE);
  flag = 1;
  if (reader.GetBool(flag, L"Enable") && !flag) SetEnabled(FALSE);
  flag = 0;
  if (reader.GetBool(flag, L"IsHitTransparent") && flag) SetHitTransparent(TRUE);
}

void CUIControl::ReadAssSkinData(CString className) {
  const CString cls = className.IsEmpty() ? m_strTypeName : className;
  m_rcBounds.SetRectEmpty();
  if (m_pSkinConfig) m_pSkinConfig->Release();
  m_pSkinConfig = nullptr;
  if (!cls.IsEmpty() && !m_strAss.IsEmpty()) {
    if (CUISkinManager* skins = CUISkinManager::GetInstance()) skins->ReadAssData(m_strAss, cls, &m_assData);
  }
  for (CUIControl* child : m_children) {
    if (child) child->ReadAssSkinData(CString());
  }
}

_SkinConfig* CUIControl::GetSkinConfig(CString className) {
  if (m_pSkinConfig) return m_pSkinConfig;
  const CString cls = className.IsEmpty() ? m_strTypeName : className;
  if (CUISkinManager* skins = CUISkinManager::GetInstance()) skins->ReadCssData(m_strCss, cls, m_pSkinConfig);
  return m_pSkinConfig;
}

void CUIControl::SetSkinConfig(_SkinConfig* config) {
  _SkinConfig* copy = config ? config->Clone() : nullptr;
  if (m_pSkinConfig) m_pSkinConfig->Release();
  m_pSkinConfig = copy;
}

void CUIControl::OnSetSkinData() { GetSkinConfig(CString()); }

void CUIControl::DispathSkinChangeMsg() {
  OnSetSkinData();
  for (size_t i = 0; i < m_children.size(); ++i) {
    if (m_children[i]) m_children[i]->DispathSkinChangeMsg();
  }
}

}  // namespace UI
