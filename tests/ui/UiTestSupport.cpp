#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace uitest {

XmlText::XmlText(const std::string& xml) {
  const auto file = m_dir / "doc.xml";
  dorvtest::WriteFile(file, xml);
  EXPECT_TRUE(m_doc.LoadFile(CString(file.wstring().c_str())));
}

bool InProgramFolder(const Files& files) {
  if (std::getenv("DORV_UI_IN_PROGRAM_FOLDER")) return true;
  dorvtest::TempDir folder("dorv-uiprog");
  for (const auto& [name, content] : files) dorvtest::WriteFile(folder / name, content);
  const auto program = folder / "program";
  std::filesystem::copy_file(std::filesystem::read_symlink("/proc/self/exe"), program);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
  const auto log = folder / "out.txt";
  const std::string command = "cd '" + folder.path().string() + "' && DORV_UI_IN_PROGRAM_FOLDER=1 ./program --gtest_filter='" +
                              filter + "' > '" + log.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << dorvtest::ReadFile(log);
  return false;
}

Files SkinTheme(const std::string& defaultCss, const std::string& blueCss, const std::string& build) {
  return {
      {"Theme/SkinDatas.xml",
       "<SkinsRoot><Skin Name=\"Default\" Text=\"Plain\"/><Skin Name=\"Blue\" Text=\"Sky\"/></SkinsRoot>"},
      {"Theme/Build.xml", "<BuildRoot>" + build + "</BuildRoot>"},
      {"Theme/Default/Skin.xml", "<UIRoot>" + defaultCss + "</UIRoot>"},
      {"Theme/Blue/Skin.xml", "<UIRoot>" + blueCss + "</UIRoot>"},
  };
}

}  // namespace uitest
