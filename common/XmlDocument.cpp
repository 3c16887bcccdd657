#include "common/XmlDocument.h"

#include <tinyxml.h>

#include <memory>

#include "common/StringConvert.h"
#include "common/TextSplit.h"
#include "common/XmlParse.h"

namespace Common {

namespace {

std::string Ansi(const CString& text) { return CString_to_MBCS(text); }

CString FromAnsi(const char* bytes) {
  CString out;
  if (bytes) MBCS_to_CString(bytes, out);
  return out;
}

TiXmlNode* Node(void* handle) { return static_cast<TiXmlNode*>(handle); }

TiXmlElement* Element(void* handle) { return handle ? Node(handle)->ToElement() : nullptr; }

}  // namespace

CXmlDocument::CXmlDocument() = default;

CXmlDocument::CXmlDocument(const CString& path) { LoadFile(path); }

CXmlDocument::~CXmlDocument() { Clear(); }

int CXmlDocument::LoadFile(const CString& path) {
  Clear();
  m_pDocument = new TiXmlDocument();
  if (LoadXmlFile(*m_pDocument, Ansi(path))) return 1;
  Clear();
  return 0;
}

void CXmlDocument::Clear() {
  delete m_pDocument;
  m_pDocument = nullptr;
}

int CXmlDocument::SaveFile() {
  if (!m_pDocument) return 0;
  return m_pDocument->SaveFile() ? 1 : 0;
}

int CXmlDocument::SaveFile(const CString& path) {
  if (!m_pDocument) return 0;
  return m_pDocument->SaveFile(Ansi(path).c_str()) ? 1 : 0;
}

void* CXmlDocument::PathWalk(const CString& path) {
  if (!m_pDocument) return nullptr;
  CStringList names;
  AnalyzeString(path, L' ', names);
  if (names.IsEmpty()) AfxThrowInvalidArgException();
  TiXmlNode* current = m_pDocument;
  for (POSITION pos = names.GetHeadPosition(); pos && current;)
    current = current->FirstChildElement(Ansi(names.GetNext(pos)).c_str());
  return current;
}

void* CXmlDocument::InsertEndChild(const CString& name) {
  if (!m_pDocument) m_pDocument = new TiXmlDocument();
  return m_pDocument->InsertEndChild(TiXmlElement(Ansi(name).c_str()));
}

int CXmlDocument::Include(const CString& file, const CString& path, int merge) {
  auto included = std::make_unique<TiXmlDocument>();
  if (!LoadXmlFile(*included, Ansi(file))) return 0;
  TiXmlNode* target = Node(PathWalk(path));
  if (!target) return 0;
  TiXmlElement* root = included->RootElement();
  if (!root) return 0;
  if (merge) {
    if (TiXmlElement* same = target->FirstChildElement(root->Value())) {
      int ok = 1;
      for (TiXmlElement* child = root->FirstChildElement(); child; child = child->NextSiblingElement())
        if (!same->InsertEndChild(*child)) ok = 0;
      return ok;
    }
  }
  return target->InsertEndChild(*root) ? 1 : 0;
}

CString CXmlDocument::GetNodeName(void* node) { return node ? FromAnsi(Node(node)->Value()) : CString(); }

CString CXmlDocument::GetNodeAttribute(void* node, const CString& name) {
  TiXmlElement* element = Element(node);
  return element ? FromAnsi(element->Attribute(Ansi(name).c_str())) : CString();
}

CString CXmlDocument::GetNodeText(void* node) {
  if (!node) return CString();
  TiXmlNode* first = Node(node)->FirstChild();
  return first && first->ToText() ? FromAnsi(first->Value()) : CString();
}

void* CXmlDocument::GetFirstChild(void* node) { return node ? Node(node)->FirstChildElement() : nullptr; }

void* CXmlDocument::GetFirstChild(void* node, CString name) {
  return node ? Node(node)->FirstChildElement(Ansi(name).c_str()) : nullptr;
}

void* CXmlDocument::FindChild(void* node, const CString& name) { return GetFirstChild(node, name); }

void* CXmlDocument::GetNextSibling(void* node) { return node ? Node(node)->NextSiblingElement() : nullptr; }

void* CXmlDocument::SetNodeAttribute(void* node, const CString& name, const CString& value) {
  TiXmlElement* element = Element(node);
  if (!element) return nullptr;
  element->SetAttribute(Ansi(name).c_str(), Ansi(value).c_str());
  return element;
}

void* CXmlDocument::SetNodeText(void* node, CString text) {
  TiXmlElement* element = Element(node);
  if (!element) return nullptr;
  element->LinkEndChild(new TiXmlText(Ansi(text).c_str()));
  return element;
}

void* CXmlDocument::CreateNode(const CString& name) {
  return static_cast<TiXmlNode*>(new TiXmlElement(Ansi(name).c_str()));
}

void* CXmlDocument::InsertEndChild(void* parent, void* child) {
  if (!parent || !child) return nullptr;
  return Node(parent)->InsertEndChild(*Node(child));
}

int CXmlDocument::DeleteNode(void* node) {
  TiXmlNode* n = Node(node);
  if (n && n->Parent())
    n->Parent()->RemoveChild(n);  // deletes it
  else
    delete n;
  return 1;
}

}  // namespace Common
