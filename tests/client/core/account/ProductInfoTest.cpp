// The product record and its row in the main database.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "../db/DBTestFolder.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"

namespace {

class ProductInfoTest : public dorvtest::DBTest {
 protected:
  void TearDown() override {
    DeleteProductInfo();
    DBTest::TearDown();
  }
};

TEST_F(ProductInfoTest, AFreshDatabaseGetsTheDefaultRowAndReadsItBack) {
  ProductInfo info;
  info.ProductName = "kept";
  ASSERT_TRUE(LoadProductInfo(info));
  EXPECT_EQ(info.FileMaxCount, 1000);
  EXPECT_EQ(info.FileMaxDepth, 10);
  EXPECT_EQ(info.FileMaxSize, 50000000);
  EXPECT_EQ(info.ProductName, "");
  EXPECT_EQ(info.CurrentUser, "");
  EXPECT_EQ(dorvtest::ReadValue(dorvtest::AppDataFolder() / "dorv.db",
                                "SELECT ProductID || ',' || FileMaxSize FROM ProductInfo"),
            "0,50000000");
}

TEST_F(ProductInfoTest, ATableWithoutRowZeroLeavesTheRecordAndSucceeds) {
  ASSERT_EQ(GetGlobalContext()->m_pProductDBManager->CreateDBTable(), 0);
  ProductInfo info;
  info.FileMaxCount = 5;
  ASSERT_TRUE(LoadProductInfo(info));
  EXPECT_EQ(info.FileMaxCount, 5);
}

TEST_F(ProductInfoTest, SavedValuesReachTheSingletonAndTheDatabase) {
  ASSERT_TRUE(LoadProductInfo());
  ProductInfo info = GetProductInfo();
  info.ProductName = "Dorv \"Pro\" 100%";
  info.CurrentUser = juce::String::fromUTF8("o'neil@例子.com");
  info.FileMaxCount = 7;
  SaveProductInfo(info);
  EXPECT_EQ(GetProductInfo().CurrentUser, info.CurrentUser);

  DeleteProductInfo();
  EXPECT_EQ(GetProductInfo().CurrentUser, "") << "a new singleton starts empty";
  ASSERT_TRUE(LoadProductInfo());
  const ProductInfo back = GetProductInfo();
  EXPECT_EQ(back.ProductName, info.ProductName);
  EXPECT_EQ(back.CurrentUser, info.CurrentUser);
  EXPECT_EQ(back.FileMaxCount, 7);
  EXPECT_EQ(back.FileMaxDepth, 10);
}

TEST_F(ProductInfoTest, ACreationFailureIsReported) {
  CloseAllDB();  // no database: the table can be neither found nor made
  ProductInfo info;
  EXPECT_FALSE(LoadProductInfo(info));
}

}  // namespace
