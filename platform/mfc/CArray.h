#pragma once
// CArray: a growable array with MFC's operations. An index outside the array is a caller
// error: reading or writing through it throws std::out_of_range; SetAtGrow and InsertAt grow.
#include <vector>

#include "win32/WinDef.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
 public:
  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  BOOL IsEmpty() const { return m_items.empty(); }
  // growBy is accepted for compatibility; growth is the vector's.
  void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
    (void)growBy;
    m_items.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0);
  }
  void RemoveAll() { m_items.clear(); }
  void FreeExtra() { m_items.shrink_to_fit(); }

  const TYPE& GetAt(INT_PTR index) const { return m_items.at(Index(index)); }
  TYPE& GetAt(INT_PTR index) { return m_items.at(Index(index)); }
  void SetAt(INT_PTR index, ARG_TYPE value) { m_items.at(Index(index)) = value; }
  TYPE& ElementAt(INT_PTR index) { return m_items.at(Index(index)); }
  const TYPE& ElementAt(INT_PTR index) const { return m_items.at(Index(index)); }
  TYPE& operator[](INT_PTR index) { return m_items.at(Index(index)); }
  const TYPE& operator[](INT_PTR index) const { return m_items.at(Index(index)); }
  TYPE* GetData() { return m_items.data(); }
  const TYPE* GetData() const { return m_items.data(); }

  INT_PTR Add(ARG_TYPE value) {
    m_items.push_back(value);
    return GetSize() - 1;
  }
  // Returns the index of the first appended element.
  INT_PTR Append(const CArray& other) {
    INT_PTR first = GetSize();
    std::vector<TYPE> copy(other.m_items);  // safe when other is this array
    m_items.insert(m_items.end(), copy.begin(), copy.end());
    return first;
  }
  void Copy(const CArray& other) {
    if (this != &other) m_items = other.m_items;
  }
  void SetAtGrow(INT_PTR index, ARG_TYPE value) {
    if (index >= GetSize()) SetSize(index + 1);
    SetAt(index, value);
  }
  // Inserting beyond the end grows the array with default values first, as MFC does.
  void InsertAt(INT_PTR index, ARG_TYPE value, INT_PTR count = 1) {
    if (index < 0 || count <= 0) return;
    TYPE copy(value);
    if (index > GetSize()) SetSize(index);
    m_items.insert(m_items.begin() + index, static_cast<size_t>(count), copy);
  }
  void InsertAt(INT_PTR index, const CArray* other) {
    if (index < 0 || other == nullptr) return;
    std::vector<TYPE> copy(other->m_items);
    if (index > GetSize()) SetSize(index);
    m_items.insert(m_items.begin() + index, copy.begin(), copy.end());
  }
  // Removes up to count elements from index; an index outside the array removes nothing.
  void RemoveAt(INT_PTR index, INT_PTR count = 1) {
    if (index < 0 || index >= GetSize() || count <= 0) return;
    INT_PTR end = index + count < GetSize() ? index + count : GetSize();
    m_items.erase(m_items.begin() + index, m_items.begin() + end);
  }

 private:
  static size_t Index(INT_PTR index) { return index < 0 ? static_cast<size_t>(-1) : static_cast<size_t>(index); }

  std::vector<TYPE> m_items;
};
