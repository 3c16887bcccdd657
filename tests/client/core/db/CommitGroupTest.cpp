// Rows written in a commit group: they reach the disk together when the group
// ends, before any other thread's statement, and a crash loses none of the
// groups committed before it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "DBTestFolder.h"
#include "client/core/db/DBConnection.h"

namespace {

class CommitGroupTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    m_path = dorvtest::AppDataFolder() / "group.db";
    std::filesystem::remove(m_path);
  }
  void TearDown() override {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(m_path.string() + suffix);
    DBTest::TearDown();
  }
  static int Run(DBConnection& db, const DBStatement& statement) {
    std::string message;
    return db.Execute(nullptr, nullptr, statement, message);
  }
  static int Insert(DBConnection& db, int id) {
    return Run(db, DBStatement("INSERT INTO Rows (ID) VALUES (?)").Bind(id));
  }
  // What another connection finds on the disk.
  std::string Committed() { return dorvtest::ReadValue(m_path, "SELECT group_concat(ID) FROM Rows"); }

  std::filesystem::path m_path;
};

TEST_F(CommitGroupTest, AGroupCommitsAtItsEndAndBeforeAStatementOfAnotherThread) {
  DBConnection db;
  ASSERT_EQ(db.Open(juce::String(m_path.string())), 0);
  ASSERT_EQ(Run(db, "CREATE TABLE Rows (ID INTEGER)"), 0);
  {
    DBCommitGroup group(&db);
    ASSERT_EQ(Insert(db, 1), 0);
    std::thread member([&] {
      DBCommitGroup::Member joined(group);
      EXPECT_EQ(Insert(db, 2), 0);
    });
    member.join();
    EXPECT_EQ(Committed(), "<null>") << "still in the group's transaction";
    std::thread outsider([&] { EXPECT_EQ(Run(db, "SELECT ID FROM Rows"), 0); });
    outsider.join();
    EXPECT_EQ(Committed(), "1,2") << "committed before the other thread's statement";
    ASSERT_EQ(Insert(db, 3), 0);
    EXPECT_EQ(Committed(), "1,2");
  }
  EXPECT_EQ(Committed(), "1,2,3");
  ASSERT_EQ(Insert(db, 4), 0);
  EXPECT_EQ(Committed(), "1,2,3,4") << "each row commits on its own again";
}

// A long batch on one thread: its rows reach the disk every few writes, and
// the groups made inside it (downloads side by side) add to it instead of
// committing on their own.
TEST_F(CommitGroupTest, ABatchCommitsEveryFewWritesAndTheGroupsMadeInsideItJoinIt) {
  DBConnection db;
  ASSERT_EQ(db.Open(juce::String(m_path.string())), 0);
  ASSERT_EQ(Run(db, "CREATE TABLE Rows (ID INTEGER)"), 0);
  {
    DBCommitGroup batch(&db, 3);
    ASSERT_EQ(Insert(db, 1), 0);
    {
      DBCommitGroup inner(&db);
      std::thread member([&] {
        DBCommitGroup::Member joined(inner);
        EXPECT_EQ(Insert(db, 2), 0);
      });
      member.join();
    }
    EXPECT_EQ(Committed(), "<null>") << "the inner group's end commits nothing";
    ASSERT_EQ(Insert(db, 3), 0);
    EXPECT_EQ(Committed(), "1,2,3") << "the third write commits";
    ASSERT_EQ(Insert(db, 4), 0);
    EXPECT_EQ(Committed(), "1,2,3");
    std::thread outsider([&] {
      DBCommitGroup other(&db);  // another thread's group while one is open: nothing
      EXPECT_EQ(Insert(db, 5), 0);
    });
    outsider.join();
    EXPECT_EQ(Committed(), "1,2,3,4,5") << "another thread's write commits the batch first, then its own";
    ASSERT_EQ(Insert(db, 6), 0);
  }
  EXPECT_EQ(Committed(), "1,2,3,4,5,6");
}

TEST_F(CommitGroupTest, AProcessKilledInAGroupKeepsEveryRowCommittedBeforeIt) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    DBConnection db;
    bool ok = db.Open(juce::String(m_path.string())) == 0 && Run(db, "CREATE TABLE Rows (ID INTEGER)") == 0;
    {
      DBCommitGroup first(&db);
      for (int id = 1; ok && id <= 3; ++id) ok = Insert(db, id) == 0;
    }
    ok = ok && Insert(db, 4) == 0;
    DBCommitGroup second(&db);
    for (int id = 5; ok && id <= 6; ++id) ok = Insert(db, id) == 0;
    char byte = ok ? 1 : 0;
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    for (;;) pause();  // killed here, in the middle of the second group
  }
  close(ready[1]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  EXPECT_EQ(byte, 1);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(Committed(), "1,2,3,4");
}

}  // namespace
