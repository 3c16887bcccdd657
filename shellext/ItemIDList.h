#pragma once
// A shell item identifier list turned into a file-system path.
#include <string>

#include "win32/Windows.h"

class ItemIDList {
 public:
  // `parent`: the list of the folder that holds the item, or null when `item` is absolute.
  ItemIDList(const ITEMIDLIST* item, const ITEMIDLIST* parent) : m_item(item), m_parent(parent) {}
  // The item's parsing name; empty on any failure.
  std::wstring GetPath() const;

 private:
  const ITEMIDLIST* m_item;
  const ITEMIDLIST* m_parent;
};
