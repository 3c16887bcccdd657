#pragma once
// The product's limits and the last signed-in account, kept in the main
// database's ProductInfo table (one row, ProductID "0"). The process-wide copy
// is read by value and replaced whole under a lock, from any thread.
#include <juce_core/juce_core.h>

struct ProductInfo {
  int FileMaxCount = 0;
  int FileMaxDepth = 0;
  int FileMaxSize = 0;
  // The value of the product header of requests.
  juce::String ProductName;
  // The account that signed in last; empty when none.
  juce::String CurrentUser;
};

// A copy of the process-wide record (empty texts and zero limits until loaded).
ProductInfo GetProductInfo();
// Creates the ProductInfo table with its default row when it is missing, then
// reads row "0" into info. False when the table cannot be created or the read
// fails; a table without row "0" leaves info as it was and gives true.
bool LoadProductInfo(ProductInfo& info);
// The same into the process-wide record.
bool LoadProductInfo();
// Replaces the process-wide record and writes its row.
void SaveProductInfo(const ProductInfo& value);
// Ends the process-wide record at exit; a later use starts a fresh one.
void DeleteProductInfo();
