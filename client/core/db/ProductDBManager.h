#pragma once
// The main table ProductInfo: one row, ProductID "0".
#include "client/core/account/ProductInfo.h"
#include "client/core/db/DBManagerBase.h"

class ProductDBManager : public DBManagerBase {
 public:
  int CreateDBTable() override;
  bool IsDBTableExist() override;
  int DropDBTable() override;

  int ReplaceProductInfo(const ProductInfo& info);
  // Reads row "0" into info; the execution result (a missing row gives 0 and
  // leaves info as it was).
  int SelectProductInfo(ProductInfo& info);
};
