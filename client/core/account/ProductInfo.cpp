#include "client/core/account/ProductInfo.h"

#include <memory>
#include <mutex>

#include "client/core/context/GlobalContext.h"

namespace {

std::mutex g_productLock;
std::unique_ptr<ProductInfo> g_productInfo;

ProductInfo& TheProductInfoLocked() {
  if (!g_productInfo) g_productInfo = std::make_unique<ProductInfo>();
  return *g_productInfo;
}

ProductInfo DefaultProductInfo() {
  ProductInfo info;
  info.FileMaxCount = 1000;
  info.FileMaxDepth = 10;
  info.FileMaxSize = 50000000;
  return info;
}

}  // namespace

ProductInfo GetProductInfo() {
  std::lock_guard<std::mutex> hold(g_productLock);
  return TheProductInfoLocked();
}

bool LoadProductInfo(ProductInfo& info) {
  ProductDBManager* manager = GetGlobalContext()->m_pProductDBManager.get();
  if (manager == nullptr) return false;
  if (!manager->IsDBTableExist()) {
    if (manager->CreateDBTable() != 0) return false;
    manager->ReplaceProductInfo(DefaultProductInfo());
  }
  return manager->SelectProductInfo(info) == 0;
}

bool LoadProductInfo() {
  ProductInfo info = GetProductInfo();
  if (!LoadProductInfo(info)) return false;
  std::lock_guard<std::mutex> hold(g_productLock);
  TheProductInfoLocked() = info;
  return true;
}

void SaveProductInfo(const ProductInfo& value) {
  {
    std::lock_guard<std::mutex> hold(g_productLock);
    TheProductInfoLocked() = value;
  }
  if (ProductDBManager* manager = GetGlobalContext()->m_pProductDBManager.get())
    manager->ReplaceProductInfo(value);
}

void DeleteProductInfo() {
  std::unique_ptr<ProductInfo> ending;
  std::lock_guard<std::mutex> hold(g_productLock);
  ending.swap(g_productInfo);
}
