// Reading the update description, which comes over plain HTTP from whoever
// answers: hostile documents give no update and reach nothing outside their text.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "client/windows/UpdateInfo.h"

namespace {

bool Read(const std::string& xml, UpdateInfo& info) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "update.xml", xml);
  return info.ReadUpdateXml((dir / "update.xml").string());
}

TEST(UpdateDescription, ReadsTheVersionElementsAttributes) {
  UpdateInfo info;
  ASSERT_TRUE(Read("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<any><Other/><Version VersionID=\"2.0\" "
                   "Description=\"新版***更好 &amp; 快\" URL=\"http://h/setup.exe\" MD5=\"abc\" Silent=\" yes\" "
                   "Signature=\"c2lnbmVk\"/></any>",
                   info));
  EXPECT_EQ(info.m_sVersionID, "2.0");
  EXPECT_EQ(info.m_sDescription, "新版***更好 & 快");
  EXPECT_EQ(info.m_sURL, "http://h/setup.exe");
  EXPECT_EQ(info.m_sMD5, "abc");
  EXPECT_EQ(info.m_sSignature, "c2lnbmVk");
  EXPECT_TRUE(info.m_bSilent);
  const std::pair<const char*, bool> silent[] = {{"", false}, {"0", false}, {"no", false}, {"True", true}, {"1", true}};
  for (const auto& [text, expected] : silent) {
    UpdateInfo other;
    ASSERT_TRUE(Read(std::string("<u><Version VersionID=\"2\" Description=\"d\" URL=\"u\" MD5=\"m\" Silent=\"") + text +
                         "\"/></u>",
                     other));
    EXPECT_EQ(other.m_bSilent, expected) << text;
    EXPECT_EQ(other.m_sSignature, "");  // unsigned: still an offer, whose download then fails
  }
}

TEST(UpdateDescription, ExternalEntitiesAreNeverLoaded) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "secret", "TOKEN-42");
  const std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE u [<!ENTITY x SYSTEM \"file://" + (dir / "secret").string() +
                          "\"><!ENTITY z SYSTEM \"/dev/zero\">]><u><Version VersionID=\"2\" Description=\"d\" "
                          "URL=\"http://h/&x;\" MD5=\"&z;\"/></u>";
  UpdateInfo info;
  Read(xml, info);
  EXPECT_EQ(info.m_sURL.find("TOKEN-42"), std::string::npos);
  EXPECT_LT(info.m_sMD5.size(), 16u);
}

TEST(UpdateDescription, DamagedBytesGiveNoUpdate) {
  const std::string cases[] = {
      "",
      std::string("<u><Version VersionID=\"2\" Description=\"d\" URL=\"u\" MD5=\"\xF0", 49),  // cut in a sequence
      "<u><Version VersionID=\"\xC0\xAF\" Description=\"d\" URL=\"u\" MD5=\"m\"/></u>",         // overlong form
      "<u><Version VersionID=\"\xED\xA0\x80\" Description=\"d\" URL=\"u\" MD5=\"m\"/></u>",     // a surrogate
      "<?xml version=\"1.0\" encoding=\"GB2312\"?><u><Version VersionID=\"\xD6\xD0\" Description=\"d\" URL=\"u\" MD5=\"m\"/></u>",
      "<u><Version",
      "<u><Version VersionID=\"2\" Description=\"d\" URL=\"u\" MD5=\"m\"/>",
      std::string("\0<u/>", 5),
  };
  for (const std::string& xml : cases) {
    UpdateInfo info;
    EXPECT_FALSE(Read(xml, info)) << xml;
  }
}

}  // namespace
