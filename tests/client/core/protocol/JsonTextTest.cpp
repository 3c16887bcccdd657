#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <filesystem>

#include "TempDir.h"
#include "client/core/protocol/JsonText.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"

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

namespace {

int CountLogLines(const std::string& needle) {
  CString folder;
  Common::GetAppDataPath(folder);
  const std::string log =
      dorvtest::ReadFile(std::filesystem::path(Common::CString_to_String(folder).toStdString()) / "dorv.log");
  int count = 0;
  for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++count;
  return count;
}

}  // namespace

TEST(JsonParse, ABodyThatFailsTheCheckIsLoggedOnce) {
  const int before = CountLogLines("Function: JSON::Parse,Message: <html>503</html>");
  Json::Value value;
  EXPECT_FALSE(JsonParse("<html>503</html>", value));
  EXPECT_EQ(CountLogLines("Function: JSON::Parse,Message: <html>503</html>"), before + 1);

  const int long_before = CountLogLines("JSON::Parse");
  EXPECT_FALSE(JsonParse("{" + std::string(300, ' ') + "broken", value));
  EXPECT_EQ(CountLogLines("JSON::Parse"), long_before) << "a long body passes the check and fails only the parser";
}
