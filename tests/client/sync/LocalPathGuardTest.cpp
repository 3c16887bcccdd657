// The guard of the engine's disk work: names from the service, paths made from
// them, and links, against a real folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/records/SyncRootFolder.h"

namespace {

namespace fs = std::filesystem;

TEST(LocalPathGuardTest, ANameFromTheServiceIsOnePlainComponent) {
  struct Row {
    const char* name;
    std::string text;
    bool valid;
  };
  const Row rows[] = {
      {"plain", "report.txt", true},
      {"dots inside", "a..b", true},
      {"leading dot", ".hidden", true},
      {"at the limit", std::string(255, 'x'), true},
      {"empty", "", false},
      {"dot", ".", false},
      {"dot dot", "..", false},
      {"slash", "x/../../thesis.txt", false},
      {"backslash", "a\\b", false},
      {"nul", std::string("cut\0rest", 8), false},
      {"past the limit", std::string(256, 'x'), false},
      {"past the limit in bytes", std::string(128, '\xc3') + std::string(128, '\xa9'), false},
  };
  for (const Row& row : rows) {
    juce::String reason;
    EXPECT_EQ(LocalPathGuard::IsValidName(row.text, &reason), row.valid) << row.name;
    EXPECT_EQ(reason.isEmpty(), row.valid) << row.name;
  }
}

TEST(LocalPathGuardTest, OnlyPathsBelowTheRootThroughNoLinkPass) {
  dorvtest::TempDir dir{"dorv-guard"};
  const fs::path root = dir.path() / "root";
  fs::create_directories(root / "sub");
  fs::create_directories(dir.path() / "outside");
  fs::create_directory_symlink(dir.path() / "outside", root / "link");
  fs::create_symlink(dir.path() / "outside", root / "sub" / "file-link");
  SyncFolderData row;
  row.m_FolderID = 7;
  row.m_FolderPath = juce::String(root.string());
  SyncRootFolder::DeleteInstance();
  SyncRootFolder::GetInstance()->SetRootFolder(row.m_FolderPath, "0|0", row);

  const std::string r = root.string();
  struct Row {
    std::string path;
    bool inside;
  };
  const Row rows[] = {
      {r, true},
      {r + "/new.txt", true},
      {r + "/sub/new.txt", true},
      {r + "/missing/new.txt", true},
      {r + "/../escaped.txt", false},
      {r + "/sub/../../escaped.txt", false},
      {r + "/./x", false},
      {r + "//x", false},
      {r + "-sibling/x", false},
      {dir.path().string(), false},
      {"/etc/passwd", false},
      {r + "/link", false},
      {r + "/link/inside-the-target.txt", false},
      {r + "/sub/file-link", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(LocalPathGuard::IsInsideRoot(juce::String(row.path), "test"), row.inside) << row.path;
  EXPECT_TRUE(LocalPathGuard::IsThroughLink(juce::String(r + "/link/x")));
  EXPECT_FALSE(LocalPathGuard::IsThroughLink(juce::String(r + "/sub/x")));

  std::vector<juce::String> folders, files, links;
  std::ofstream(root / "sub" / "a.txt") << "a";
  LocalPathGuard::ListFolder(juce::String((root / "sub").string()), folders, files, &links);
  EXPECT_TRUE(folders.empty());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], juce::String((root / "sub" / "a.txt").string()));
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], juce::String((root / "sub" / "file-link").string()));
  SyncRootFolder::DeleteInstance();
}

}  // namespace
