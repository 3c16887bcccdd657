#include "ui/skin/UISkinManager.h"

#include <new>
#include <string>

#include <tinyxml.h>

#include "common/AppPaths.h"
#include "common/PathText.h"
#include "common/StringConvert.h"

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
std::unique_ptr<TiXmlDocument> LoadDocument(const CString& path) {
  auto document = std::make_unique<TiXmlDocument>(Common::CString_to_utf8(path).c_str());
  if (!document->LoadFile(TIXML_ENCODING_UTF8)) return nullptr;
  return document;
}

TiXmlElement* FindElement(TiXmlDocument* document, const CString& path) {
  if (!document) return nullptr;
  TiXmlNode* node = document;
  int start = 0;
  for (CString name = path.Tokenize(L" ", start); start >= 0; name = path.Tokenize(L" ", start)) {
    TiXmlElement* child = node->FirstChildElement(Common::CString_to_utf8(name).c_str());
    if (!child) return nullptr;
    node = child;
  }
  return node == document ? nullptr : node->ToElement();
}

CString Attribute(const TiXmlElement* element, const char* name) {
  CString text;
  if (const char* value = element->Attribute(name)) Common::utf8_to_CString(value, text);
  return text;
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
  std::unique_ptr<TiXmlDocument> list = LoadDocument(ThemePath({L"Theme", L"SkinDatas.xml"}));
  if (!list) return 0;
  if (TiXmlElement* root = FindElement(list.get(), L"SkinsRoot")) {
    for (TiXmlElement* skin = root->FirstChildElement(); skin; skin = skin->NextSiblingElement())
      m_skins.emplace_back(Attribute(skin, "Name"), Attribute(skin, "Text"));
  }
  return 1;
}

int CUISkinManager::LoadDefaultSkin() {
  m_pDefaultSkin = LoadDocument(ThemePath({L"Theme", L"Default", L"Skin.xml"}));
  return m_pDefaultSkin ? 1 : 0;
}

int CUISkinManager::LoadPreSkin() {
  if (std::unique_ptr<TiXmlDocument> pre = LoadDocument(ThemePath({L"PreSkin.xml"}))) {
    if (TiXmlElement* element = FindElement(pre.get(), L"PreSkin")) m_strRememberedSkin = Attribute(element, "Name");
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

void* CUISkinManager::GetBuildNode(const CString& path) const { return FindElement(m_pBuild.get(), path); }

CString CUISkinManager::GetSkinNameText(const CString& name) const {
  for (const SkinItem& skin : m_skins) {
    if (skin.m_strName.CompareNoCase(name) == 0) return skin.m_strText;
  }
  return CString();
}

int CUISkinManager::SavePreSkin() {
  m_strRememberedSkin = m_strCurrentSkin;
  TiXmlDocument document;
  document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  auto* root = new TiXmlElement("PreSkin");
  root->SetAttribute("Name", Common::CString_to_utf8(m_strRememberedSkin).c_str());
  document.LinkEndChild(root);
  return document.SaveFile(Common::CString_to_utf8(ThemePath({L"PreSkin.xml"})).c_str()) ? 1 : 0;
}

}  // namespace UI
