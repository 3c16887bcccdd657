#pragma once
// A clean application-data folder with the main database open, for one test.
// The folder itself is the process's (tests/support points it at a temporary
// folder); the fixture removes the databases and users/ before and after.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace dorvtest {

std::filesystem::path AppDataFolder();
// Removes dorv.db (with its log files), users/ and dorv.log.
void RemoveDatabases();
// Lines of dorv.log that contain text.
int CountLogLines(const std::string& text);
// One value read straight from a database file with its own connection.
std::string ReadValue(const std::filesystem::path& db, const std::string& sql);

class DBTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace dorvtest
