#include "client/core/JsonText.h"

#include <gtest/gtest.h>

TEST(CheckJsonText, GuardsAgainstErrorPagesAndTruncatedBodies) {
  struct Row {
    const char* name;
    std::string text;
    bool passes;
  } rows[] = {
      {"empty object", "{ }", true},
      {"two characters, even a whole object", "{}", false},
      {"blanks around", " \r\n\t{\"code\":200}\n ", true},
      {"lone opening brace", "{", false},
      {"two letters", "ab", false},
      {"empty", "", false},
      {"extra closing brace is ignored", "{}}", true},
      {"second object", "{}{", false},
      {"unclosed", "{\"a\":{}", false},
      {"short html page", "<html>error</html>", false},
      {"array", "[1, 2, 3]", false},
      {"longer than 200 passes unchecked", "<" + std::string(250, 'x'), true},
      {"opening brace inside a string", R"({"m":"{"})", true},
      {"closing brace inside a string", R"({"m":"}{"})", true},
      {"escaped quote before a brace", R"({"m":"\"{"})", true},
      {"escaped backslash ends the string", R"({"m":"\\"})", true},
      {"unterminated string", R"({"m":"})", false},
  };
  for (const Row& row : rows) EXPECT_EQ(CheckJsonText(row.text), row.passes) << row.name;
}

TEST(JsonParse, ParsesValidRepliesAndRefusesOthers) {
  Json::Value value;
  ASSERT_TRUE(JsonParse(R"({"code":200,"result":{"m":"{"}})", value));
  EXPECT_EQ(value["code"].asInt(), 200);
  EXPECT_EQ(value["result"]["m"].asString(), "{");

  EXPECT_FALSE(JsonParse("<html>500</html>", value));
  EXPECT_FALSE(JsonParse("{\"a\":}", value));
  EXPECT_FALSE(JsonParse("{" + std::string(300, ' ') + "broken", value));
}

TEST(JsonToText, WritesIndentedJsonThatReadsBack) {
  Json::Value body;
  body["dir"]["id"] = Json::Int64(-1);
  body["dir"]["dirName"] = "a \"b\" {c}";
  body["recursive"] = true;
  body["extraFiles"].append(Json::Value(Json::objectValue));
  const std::string text = JsonToText(body);
  EXPECT_NE(text.find("\n   \""), std::string::npos) << text;

  Json::Value back;
  ASSERT_TRUE(JsonParse(text, back));
  EXPECT_EQ(back, body);
}
