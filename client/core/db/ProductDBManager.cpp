#include "client/core/db/ProductDBManager.h"

#include "client/core/db/DBRecordColumns.h"
#include "client/core/db/DBTables.h"

namespace {

DBColumns<ProductInfo> MakeProductColumns() {
  using R = ProductInfo;
  DBColumn<R> productID("ProductID");
  productID.fixedValue = "0";
  return DBColumns<R>{
      productID,
      {"ProductName", &R::ProductName},
      {"FileMaxCount", &R::FileMaxCount},
      {"FileMaxDepth", &R::FileMaxDepth},
      {"FileMaxSize", &R::FileMaxSize},
      {"CurrentUser", &R::CurrentUser},
  };
}

const DBColumns<ProductInfo>& ProductColumns() {
  static const DBColumns<ProductInfo> columns = MakeProductColumns();
  return columns;
}

int ReadProductRow(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  ReadRecord(*static_cast<ProductInfo*>(context), ProductColumns(), count, values, names);
  return 0;
}

}  // namespace

int ProductDBManager::CreateDBTable() { return CreateTable(Database::Main, DBTables::ProductInfo()); }
bool ProductDBManager::IsDBTableExist() { return TableExists(Database::Main, DBTables::ProductInfo()); }
int ProductDBManager::DropDBTable() { return DropTable(Database::Main, DBTables::ProductInfo()); }

int ProductDBManager::ReplaceProductInfo(const ProductInfo& info) {
  static const juce::String sql = DBTables::ReplaceSQL(DBTables::ProductInfo());
  DBStatement statement(sql);
  BindRecord(statement, info, ProductColumns());
  return ExecSQLMain(nullptr, nullptr, statement);
}

int ProductDBManager::SelectProductInfo(ProductInfo& info) {
  DBStatement statement("SELECT * FROM ProductInfo WHERE ProductID = ? LIMIT 1");
  statement.Bind(juce::String("0"));
  return ExecSQLMain(&info, ReadProductRow, statement);
}
