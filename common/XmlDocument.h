#pragma once
// CXmlDocument: one TinyXML document behind CString names, values and paths.
//
// The document's bytes are text in the ANSI code page: every CString going in is converted
// with CString_to_MBCS, every byte string coming out is read back from the ANSI code page.
// Node handles are TiXmlNode pointers of the owned tree (or of a detached element from
// CreateNode); they die with the document (LoadFile, Clear, the destructor).
#include "mfc/Afx.h"

class TiXmlDocument;

namespace Common {

class CXmlDocument {
 public:
  CXmlDocument();
  // Loads the file; whether that worked is not reported (PathWalk then finds nothing).
  explicit CXmlDocument(const CString& path);
  virtual ~CXmlDocument();

  // One wrapper owns its document: a copy would delete it twice.
  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;

  // Replaces the document by the file's; on failure no document remains. 1 or 0.
  int LoadFile(const CString& path);
  void Clear();
  // Saves to the file the document was loaded from (0 when there is none or saving fails).
  int SaveFile();
  int SaveFile(const CString& path);

  // Space-separated tag names from the root element down: "Skin Window Button" is the first
  // Button under the first Window under the root Skin. Null when no document is loaded or a
  // step is missing. A path without names throws CInvalidArgException*.
  void* PathWalk(const CString& path);
  // Appends a new element at the document's top level (creating an empty document when none
  // is loaded) and returns it.
  void* InsertEndChild(const CString& name);
  // Loads another file and appends a copy of its root element under the element PathWalk(path)
  // finds. With merge set and a child of that element named like the root, only the root's
  // child elements are appended to that child. 1 or 0.
  int Include(const CString& file, const CString& path, int merge);

  static CString GetNodeName(void* node);
  static CString GetNodeAttribute(void* node, const CString& name);
  // The value of the element's first child when that child is a text node.
  static CString GetNodeText(void* node);
  // The navigation operations give null for a null handle too.
  static void* GetFirstChild(void* node);
  static void* GetFirstChild(void* node, CString name);
  static void* FindChild(void* node, const CString& name);
  static void* GetNextSibling(void* node);
  // Adds or replaces the attribute; returns the element, or null when node is not an element.
  static void* SetNodeAttribute(void* node, const CString& name, const CString& value);
  // Appends a new text child (an existing one stays); returns the element or null.
  static void* SetNodeText(void* node, CString text);
  // A detached element: insert copies of it with InsertEndChild, free it with DeleteNode.
  static void* CreateNode(const CString& name);
  // Appends a copy of child with its subtree; returns the copy, or null (null handles, or a
  // document as the child).
  static void* InsertEndChild(void* parent, void* child);
  // Deletes the node and its subtree (unlinking it first should it still be in a tree). 1.
  static int DeleteNode(void* node);

 private:
  TiXmlDocument* m_pDocument = nullptr;
};

}  // namespace Common
