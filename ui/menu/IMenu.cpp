#include "ui/menu/IMenu.h"

#include "ui/UIForm.h"
#include "ui/image/ImageConfig.h"
#include "ui/menu/UIMenu.h"

namespace UI {

IMenu::IMenu() = default;

IMenu::IMenu(CString caption, int id, int disabled, int checked)
    : m_strCaption(caption), m_nID(id), m_bDisabled(disabled), m_bChecked(checked) {}

IMenu::IMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, CString iconFile)
    : m_strIconFile(iconFile),
      m_strCaption(caption),
      m_nID(id),
      m_bDisabled(disabled),
      m_bChecked(checked),
      m_handler(handler) {}

IMenu::IMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, _ImageConfig* icon)
    : m_strCaption(caption), m_nID(id), m_bDisabled(disabled), m_bChecked(checked), m_handler(handler) {
  if (icon && !icon->m_strFile.IsEmpty()) {
    m_pIconImage = new _ImageConfig;
    m_pIconImage->Copy(icon);
  }
}

IMenu::~IMenu() {
  delete m_pIconImage;
  m_pIconImage = nullptr;
  delete m_pMenuData;
  m_pMenuData = nullptr;
  Destroy();
}

void IMenu::Release() { delete this; }

void IMenu::Destroy() {
  for (INT_PTR i = 0; i < m_children.GetSize(); ++i) static_cast<IMenu*>(m_children[i])->Release();
  m_children.RemoveAll();
}

IMenu* IMenu::GetSubMenu(int index) const {
  if (index < 0 || index >= m_children.GetSize()) return nullptr;
  return static_cast<IMenu*>(m_children[index]);
}

void IMenu::AddMenu(IMenu* child) {
  if (child) m_children.Add(child);
}

IMenu* IMenu::AddMenu(CString caption, int id, int disabled, int checked) {
  auto* child = new IMenu(caption, id, disabled, checked);
  AddMenu(child);
  return child;
}

IMenu* IMenu::AddMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, CString iconFile) {
  auto* child = new IMenu(caption, id, disabled, checked, handler, iconFile);
  AddMenu(child);
  return child;
}

IMenu* IMenu::AddMenu(CString caption, int id, int disabled, int checked, MenuHandler handler, _ImageConfig* icon) {
  auto* child = new IMenu(caption, id, disabled, checked, handler, icon);
  AddMenu(child);
  return child;
}

IMenu* IMenu::FindIMenu(int id) {
  if (id < -1) return nullptr;
  for (INT_PTR i = 0; i < m_children.GetSize(); ++i) {
    auto* child = static_cast<IMenu*>(m_children[i]);
    if (child->m_nID == id) return child;
    if (IMenu* found = child->FindIMenu(id)) return found;
  }
  return nullptr;
}

void IMenu::GetAllSubMenu(std::list<IMenu*>& out) {
  for (INT_PTR i = 0; i < m_children.GetSize(); ++i) {
    auto* child = static_cast<IMenu*>(m_children[i]);
    out.push_back(child);
    child->GetAllSubMenu(out);
  }
}

IMenu* IMenu::CloneChildren(IMenu* source, IMenu* into) {
  for (INT_PTR i = 0; i < source->m_children.GetSize(); ++i) {
    auto* child = static_cast<IMenu*>(source->m_children[i]);
    auto* copy = new IMenu(child->m_strCaption, child->m_nID, child->IsDisabled(), child->IsChecked());
    copy->m_handler = child->m_handler;
    into->AddMenu(CloneChildren(child, copy));
  }
  return into;
}

IMenu* IMenu::Clone(IMenu* source) {
  auto* root = new IMenu;
  return source ? CloneChildren(source, root) : root;
}

int IMenu::Invoke() {
  if (m_handler.empty()) return 0;
  try {
    m_handler(this);
  } catch (...) {
    return 0;
  }
  return 1;
}

int IMenu::InvokeMenu(IMenu* root, IMenu* chosen, CUIMenu* menu) {
  if (menu) menu->ReleaseChainWindows();
  if (chosen) chosen->Invoke();
  if (root) root->Release();
  return 1;
}

void IMenu::PopupMenu(CUIForm* owner, IMenu* root, int x, int y, int dx, CString style) {
  auto* menu = new CUIMenu(style);
  if (!menu->Create(nullptr)) {
    // Nothing to show the tree in: it goes, as it would when the menu closed.
    menu->Release();
    if (root) root->Release();
    return;
  }
  menu->SetOwnerForm(owner);
  menu->LoadMenuW(root);
  if (x == -1 || y == -1) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    x = cursor.x;
    y = cursor.y;
  }
  if (owner) owner->SetActiveMenu(menu);
  menu->PopupMenu(x, y, dx, 0, nullptr, 1);
}

}  // namespace UI
