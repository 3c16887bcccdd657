#include "common/DeletedAtShutdown.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/ITrace.h"

namespace {

using Common::CDeletedAtShutdown;

// A registered object that notes its name in a journal when it is deleted and
// may delete another registered object from its destructor.
class Singleton : public CDeletedAtShutdown {
 public:
  Singleton(std::string name, std::vector<std::string>* journal) : m_name(std::move(name)), m_journal(journal) {}
  Singleton(const Singleton&) = default;
  ~Singleton() override {
    if (m_journal) m_journal->push_back(m_name);
    delete m_alsoDelete;
  }
  void Release() { delete this; }

  std::string m_name;
  std::vector<std::string>* m_journal;
  Singleton* m_alsoDelete = nullptr;
};

std::vector<std::string> g_journal;

class DeletedAtShutdownTest : public testing::Test {
 protected:
  // Leaves nothing registered by another test behind.
  void SetUp() override {
    CDeletedAtShutdown::DeleteAll();
    g_journal.clear();
  }
};

TEST_F(DeletedAtShutdownTest, DeletesLastRegisteredFirst) {
  new Singleton("first", &g_journal);
  new Singleton("second", &g_journal);
  new Singleton("third", &g_journal);
  CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(g_journal, (std::vector<std::string>{"third", "second", "first"}));
  CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(g_journal.size(), 3u);
}

TEST_F(DeletedAtShutdownTest, ObjectDeletedByItsOwnerIsNotDeletedAgain) {
  new Singleton("kept", &g_journal);
  auto* early = new Singleton("early", &g_journal);
  new Singleton("last", &g_journal);
  early->Release();
  ASSERT_EQ(g_journal, (std::vector<std::string>{"early"}));
  CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(g_journal, (std::vector<std::string>{"early", "last", "kept"}));
}

TEST_F(DeletedAtShutdownTest, CopyIsNotRegistered) {
  auto* original = new Singleton("original", &g_journal);
  auto* copy = new Singleton(*original);
  copy->m_name = "copy";
  *copy = *original;  // assignment doesn't register either
  copy->m_name = "copy";
  CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(g_journal, (std::vector<std::string>{"original"}));
  copy->Release();
}

TEST_F(DeletedAtShutdownTest, DestructorDeletingOtherRegisteredObjectsIsSafe) {
  auto* a = new Singleton("a", &g_journal);
  auto* b = new Singleton("b", &g_journal);
  new Singleton("c", &g_journal);
  auto* d = new Singleton("d", &g_journal);
  // d goes first and takes a and b with it; the walk must still reach c once.
  d->m_alsoDelete = b;
  b->m_alsoDelete = a;
  CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(g_journal, (std::vector<std::string>{"d", "b", "a", "c"}));
}

// Deleting during DeleteAll an object registered before it, and registering a
// new one meanwhile: the new one is not deleted by this walk.
class Recreating : public CDeletedAtShutdown {
 public:
  ~Recreating() override {
    g_journal.push_back("recreating");
    s_created = new Singleton("late", &g_journal);
  }
  static Singleton* s_created;
};
Singleton* Recreating::s_created = nullptr;

TEST_F(DeletedAtShutdownTest, ObjectRegisteredDuringTheWalkIsLeftAlone) {
  new Singleton("early", &g_journal);
  new Recreating;
  CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(g_journal, (std::vector<std::string>{"recreating", "early"}));
  ASSERT_NE(Recreating::s_created, nullptr);
  Recreating::s_created->Release();
}

// The real thing: a process that ends normally unloads the library, which
// releases the trace loggers and then deletes what is still registered, newest
// first.
TEST(CommonLibraryUnload, ProcessEndReleasesTracesThenDeletesRegisteredObjectsNewestFirst) {
  dorvtest::TempDir dir;
  const std::string journal = (dir / "journal.txt").string();
  struct Noting : CDeletedAtShutdown {
    Noting(std::string file, std::string name) : m_file(std::move(file)), m_name(std::move(name)) {}
    ~Noting() override {
      // A released logger's name yields no logger any more.
      bool traceReleased = ITrace_Creater(0, L"unload.log", 100000) == nullptr;
      std::ofstream(m_file, std::ios::app) << m_name << (traceReleased ? "" : " (trace alive)") << "\n";
    }
    std::string m_file, m_name;
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ITrace_Creater(0, L"unload.log", 100000);
    new Noting(journal, "one");
    new Noting(journal, "two");
    new Noting(journal, "three");
    std::exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(dorvtest::ReadFile(journal), "three\ntwo\none\n");
}

}  // namespace
