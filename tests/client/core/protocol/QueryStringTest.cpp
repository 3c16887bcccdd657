#include <gtest/gtest.h>

#include "client/core/protocol/QueryString.h"

TEST(QueryString, ValuesArePercentEncoded) {
  EXPECT_EQ(PercentEncode("abc-XYZ_0.9~"), "abc-XYZ_0.9~");
  EXPECT_EQ(PercentEncode("a b\t&+#=|%/?"), "a%20b%09%26%2B%23%3D%7C%25%2F%3F");
  EXPECT_EQ(PercentEncode("\xC3\xA9"), "%C3%A9");
}

TEST(QueryString, ComposesAnOperationUrl) {
  std::string url = OperationUrl("http://h/fs/service/", "syncDir");
  AppendQueryString("", url, "version");
  AppendQueryInt64(url, "id", -1);
  AppendQueryInt64(url, "userId", 9007199254740993LL);
  AppendQueryString("12|345", url, "version");
  AppendQueryLong(url, "recursive", true);
  AppendQueryLong(url, "getFiles", false);
  AppendQueryString("a b&c=d", url, "a");
  EXPECT_EQ(url,
            "http://h/fs/service/?op=syncDir&id=-1&userId=9007199254740993&version=12%7C345&recursive=1&getFiles=0"
            "&a=a%20b%26c%3Dd");
}
