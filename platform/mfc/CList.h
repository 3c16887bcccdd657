#pragma once
// CList: a doubly linked list walked with POSITION values, as MFC code uses it.
// A POSITION stays valid until its own element is removed.
#include <utility>

#include "mfc/Position.h"
#include "win32/WinDef.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
 public:
  CList() = default;
  CList(const CList& other) { AddTail(&other); }
  CList& operator=(const CList& other) {
    if (this != &other) {
      RemoveAll();
      AddTail(&other);
    }
    return *this;
  }
  ~CList() { RemoveAll(); }

  INT_PTR GetCount() const { return m_count; }
  INT_PTR GetSize() const { return m_count; }
  BOOL IsEmpty() const { return m_count == 0; }

  // The list must not be empty.
  TYPE& GetHead() { return m_head->data; }
  const TYPE& GetHead() const { return m_head->data; }
  TYPE& GetTail() { return m_tail->data; }
  const TYPE& GetTail() const { return m_tail->data; }

  POSITION AddHead(ARG_TYPE value) { return Link(new Node{value}, nullptr, m_head); }
  POSITION AddTail(ARG_TYPE value) { return Link(new Node{value}, m_tail, nullptr); }
  void AddTail(const CList* other) {
    // Counted, so that adding a list to itself ends.
    Node* n = other->m_head;
    for (INT_PTR i = 0, count = other->m_count; i < count; ++i, n = n->next) AddTail(n->data);
  }
  void AddHead(const CList* other) {
    Node* n = other->m_tail;
    for (INT_PTR i = 0, count = other->m_count; i < count; ++i, n = n->prev) AddHead(n->data);
  }

  // An empty list gives a default value.
  TYPE RemoveHead() { return m_head ? Take(m_head) : TYPE(); }
  TYPE RemoveTail() { return m_tail ? Take(m_tail) : TYPE(); }
  void RemoveAll() {
    while (m_head) {
      Node* next = m_head->next;
      delete m_head;
      m_head = next;
    }
    m_tail = nullptr;
    m_count = 0;
  }

  POSITION GetHeadPosition() const { return ToPos(m_head); }
  POSITION GetTailPosition() const { return ToPos(m_tail); }
  TYPE& GetNext(POSITION& pos) { Node* n = ToNode(pos); pos = ToPos(n->next); return n->data; }
  const TYPE& GetNext(POSITION& pos) const { Node* n = ToNode(pos); pos = ToPos(n->next); return n->data; }
  TYPE& GetPrev(POSITION& pos) { Node* n = ToNode(pos); pos = ToPos(n->prev); return n->data; }
  const TYPE& GetPrev(POSITION& pos) const { Node* n = ToNode(pos); pos = ToPos(n->prev); return n->data; }
  TYPE& GetAt(POSITION pos) { return ToNode(pos)->data; }
  const TYPE& GetAt(POSITION pos) const { return ToNode(pos)->data; }
  void SetAt(POSITION pos, ARG_TYPE value) { ToNode(pos)->data = value; }
  void RemoveAt(POSITION pos) {
    if (pos) delete Unlink(ToNode(pos));
  }
  POSITION InsertBefore(POSITION pos, ARG_TYPE value) {
    if (!pos) return AddHead(value);
    Node* at = ToNode(pos);
    return Link(new Node{value}, at->prev, at);
  }
  POSITION InsertAfter(POSITION pos, ARG_TYPE value) {
    if (!pos) return AddTail(value);
    Node* at = ToNode(pos);
    return Link(new Node{value}, at, at->next);
  }

  // Searches from the element after startAfter (from the head when null) with operator==.
  POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const {
    for (Node* n = startAfter ? ToNode(startAfter)->next : m_head; n; n = n->next) {
      if (n->data == value) return ToPos(n);
    }
    return nullptr;
  }
  POSITION FindIndex(INT_PTR index) const {
    if (index < 0 || index >= m_count) return nullptr;
    Node* n = m_head;
    while (index-- > 0) n = n->next;
    return ToPos(n);
  }

 private:
  struct Node {
    TYPE data;
    Node* prev = nullptr;
    Node* next = nullptr;
  };
  static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
  static Node* ToNode(POSITION p) { return reinterpret_cast<Node*>(p); }

  POSITION Link(Node* n, Node* prev, Node* next) {
    n->prev = prev;
    n->next = next;
    (prev ? prev->next : m_head) = n;
    (next ? next->prev : m_tail) = n;
    ++m_count;
    return ToPos(n);
  }
  Node* Unlink(Node* n) {
    (n->prev ? n->prev->next : m_head) = n->next;
    (n->next ? n->next->prev : m_tail) = n->prev;
    --m_count;
    return n;
  }
  TYPE Take(Node* n) {
    Unlink(n);
    TYPE value = std::move(n->data);
    delete n;
    return value;
  }

  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  INT_PTR m_count = 0;
};
