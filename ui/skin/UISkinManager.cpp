#include "ui/skin/UISkinManager.h"

#include <new>
#include <string>

#include "common/AppPaths.h"
#include "common/PathText.h"
#include "common/XmlDocument.h"

namespace UI {

namespace {

// The program's folder followed by the parts, joined by the separator.
CString ThemePath(std::initializer_list<const wchar_t*> parts) {
  CString path = Common::GetAppPath();
  bool first = true;
  for (const wchar_t* part : parts) {
    if (!first) path += Common::kPathSeparator;
    path += part;
    first = false;
  }
  return path;
}

// The document of a well-formed XML file; null when the file is missing or
// not well-formed.
std::unique_ptr<Common::CXmlDocument> LoadDocument(const CString& path) {
  auto document = std::make_unique<Common::CXmlDocument>();
  if (!document->LoadFile(path)) return nullptr;
  return document;
}

}  // namespace

CUISkinManager* CUISkinManager::s_pInstance = nullptr;

CUISkinManager* CUISkinManager::GetInstance() {
  if (!s_pInstance) s_pInstance = new (std::nothrow) CUISkinManager();
  return s_pInstance;
}

CUISkinManager::CUISkinManager()
    : m_strBaseSkin(L"Default"), m_strCurrentSkin(L"Default"), m_strRememberedSkin(L"Default") {}

CUISkinManager::~CUISkinManager() {
  SavePreSkin();  // a failed write is of no consequence at the end
  if (s_pInstance == this) s_pInstance = nullptr;
}

int CUISkinManager::InitSkinData() {
  if (!LoadSkinBuildFile()) return 0;
  if (!LoadAllSkinItem()) return 0;
  if (!LoadDefaultSkin()) return 0;
  if (!LoadPreSkin()) return 0;
  return 1;
}

int CUISkinManager::LoadSkinBuildFile() {
  m_pBuild = LoadDocument(ThemePath({L"Theme", L"Build.xml"}));
  return m_pBuild ? 1 : 0;
}

int CUISkinManager::LoadAllSkinItem() {
  std::unique_ptr<Common::CXmlDocument> list = LoadDocument(ThemePath({L"Theme", L"SkinDatas.xml"}));
  if (!list) return 0;
  for (void* skin = Common::CXmlDocument::GetFirstChild(list->PathWalk(L"SkinsRoot")); skin;
       skin = Common::CXmlDocument::GetNextSibling(skin)) {
    m_skins.emplace_back(Common::CXmlDocument::GetNodeAttribute(skin, L"Name"),
                         Common::CXmlDocument::GetNodeAttribute(skin, L"Text"));
  }
  return 1;
}

int CUISkinManager::LoadDefaultSkin() {
  m_pDefaultSkin = LoadDocument(ThemePath({L"Theme", L"Default", L"Skin.xml"}));
  return m_pDefaultSkin ? 1 : 0;
}

int CUISkinManager::LoadPreSkin() {
  if (std::unique_ptr<Common::CXmlDocument> pre = LoadDocument(ThemePath({L"PreSkin.xml"}))) {
    if (void* element = pre->PathWalk(L"PreSkin"))
      m_strRememberedSkin = Common::CXmlDocument::GetNodeAttribute(element, L"Name");
  }
  if (m_strRememberedSkin.CompareNoCase(m_strBaseSkin) != 0) SetSkinFile(m_strRememberedSkin);
  return 1;
}

int CUISkinManager::SetSkinFile(const CString& name) {
  if (name.CompareNoCase(m_strCurrentSkin) == 0) return 1;
  m_strCurrentSkin = name;
  m_pCurrentSkin.reset();
  if (name.CompareNoCase(m_strBaseSkin) == 0) return 1;
  bool listed = false;
  for (const SkinItem& skin : m_skins) listed = listed || skin.m_strName.CompareNoCase(name) == 0;
  if (!listed) return 1;
  m_pCurrentSkin = LoadDocument(ThemePath({L"Theme", name, L"Skin.xml"}));
  return m_pCurrentSkin ? 1 : 0;
}

void* CUISkinManager::GetBuildNode(const CString& path) const {
  CString names = path;
  if (!m_pBuild || names.Trim().IsEmpty()) return nullptr;  // a path without names names nothing
  return m_pBuild->PathWalk(path);
}

CString CUISkinManager::GetSkinNameText(const CString& name) const {
  for (const SkinItem& skin : m_skins) {
    if (skin.m_strName.CompareNoCase(name) == 0) return skin.m_strText;
  }
  return CString();
}

int CUISkinManager::SavePreSkin() {
  m_strRememberedSkin = m_strCurrentSkin;
  Common::CXmlDocument document;
  Common::CXmlDocument::SetNodeAttribute(document.InsertEndChild(L"PreSkin"), L"Name", m_strRememberedSkin);
  return document.SaveFile(ThemePath({L"PreSkin.xml"}));
}

}  // namespace UI
