#include "client/core/LogWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

const std::string kFiller(99, 'x');

// Appends whole filler lines (the last one shorter) until the file has exactly size bytes.
void PadTo(const fs::path& file, std::uintmax_t size) {
  std::uintmax_t now = fs::file_size(file);
  ASSERT_LE(now, size);
  std::ofstream out(file, std::ios::binary | std::ios::app);
  for (; size - now > kFiller.size() + 1; now += kFiller.size() + 1) out << kFiller << '\n';
  if (size > now) out << std::string(size - now - 1, 'x') << '\n';
}

const char kStamp[] = R"(\[\d{1,2} \w{3} \d{4} \d{1,2}:\d{2}:\d{2}[ap]m\]  )";

class LogWriterTest : public testing::Test {
 protected:
  dorvtest::TempDir dir;
  CLogWriter log{juce::String(dir.path().string()), "dorv.log"};
  fs::path File() const { return dir / "dorv.log"; }
};

TEST_F(LogWriterTest, LinesCarryLevelStampFunctionAndMessage) {
  ASSERT_TRUE(log.Init("Product Version: 1.0.2, OS Version: 6.1"));
  struct Case {
    const char* name;
    std::function<void()> write;
    std::string pattern;  // {stamp} stands for the time stamp
  } cases[] = {
      {"WriteLog at KeyPoint", [&] { log.Write(KeyPoint, "Init Ini File", "Initialization Failed"); },
       "KeyPoint: {stamp}Function: Init Ini File,Message: Initialization Failed"},
      {"WriteLog at NormalLog", [&] { log.Write(NormalLog, "f", "m"); }, "NormalLog: {stamp}Function: f,Message: m"},
      {"WriteLog at level 3 has no level word", [&] { log.Write(3, "f", "m"); }, "{stamp}Function: f,Message: m"},
      {"error code line", [&] { log.WriteErrorCode("Sync", "404", "not found"); },
       "ErrorLog: {stamp}Function: Sync,ErrorCode: 404,Message: not found"},
      {"message only", [&] { log.WriteMessage(ErrorLog, "Exit App..."); }, "ErrorLog: {stamp}Message: Exit App..."},
      {"message only at level 3", [&] { log.WriteMessage(3, "cancel upload"); },
       "{stamp}Function: Message: cancel upload"},
      {"control characters from outside stay in their line",
       [&] { log.Write(KeyPoint, "Status\x01", juce::String::fromUTF8("GET /a\r\nKeyPoint: forged\x7f\tend\xc2\x85")); },
       R"(KeyPoint: {stamp}Function: Status\\x01,Message: GET /a\\r\\nKeyPoint: forged\\x7f\tend\\x85)"},
      {"Chinese text in UTF-8", [&] { log.WriteMessage(KeyPoint, juce::String::fromUTF8("同步完成")); },
       "KeyPoint: {stamp}Message: 同步完成"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.write();
    std::string pattern = std::regex_replace(c.pattern, std::regex(R"(\.)"), R"(\.)");
    pattern = std::regex_replace(pattern, std::regex(R"(\{stamp\})"), kStamp);
    std::string last = Lines(File()).back();
    EXPECT_TRUE(std::regex_match(last, std::regex(pattern))) << last;
  }
  auto lines = Lines(File());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Product Version: 1.0.2, OS Version: 6.1"), lines.end());
}

TEST_F(LogWriterTest, FiftiethWriteTrimsALogOfFourMiBOrMore) {
  ASSERT_TRUE(log.Init("welcome"));
  for (int i = 1; i < 50; ++i) log.WriteMessage(NormalLog, "round one " + juce::String(i));
  PadTo(File(), CLogWriter::kMaxSize - 1);
  log.WriteMessage(NormalLog, "round one 50");
  auto untouched = fs::file_size(File());
  EXPECT_GT(untouched, std::uintmax_t(CLogWriter::kMaxSize - 1)) << "a file below 4 MiB is left alone";

  PadTo(File(), 5 * 1024 * 1024);
  for (int i = 1; i < 50; ++i) log.WriteMessage(NormalLog, "round two " + juce::String(i));
  EXPECT_GT(fs::file_size(File()), std::uintmax_t(5 * 1024 * 1024)) << "the 49 writes before never trim";
  log.WriteMessage(NormalLog, "round two 50");

  auto size = fs::file_size(File());
  EXPECT_LE(size, std::uintmax_t(CLogWriter::kTrimmedSize + 200));
  EXPECT_GT(size, std::uintmax_t(CLogWriter::kTrimmedSize - 200));
  auto lines = Lines(File());
  // The trim starts after a line end; what follows is whole lines only.
  const std::regex whole(std::string("x+|NormalLog: ") + kStamp + R"(Message: round (one|two) \d+)");
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], whole)) << lines[i];
  EXPECT_TRUE(lines.front().empty()) << lines.front();
  EXPECT_NE(lines.back().find("round two 50"), std::string::npos);
  EXPECT_NE(lines[lines.size() - 2].find("round two 49"), std::string::npos);
}

TEST_F(LogWriterTest, LogIsTheUsersAloneWhateverTheUmaskAndAfterATrim) {
  const mode_t old = umask(0);
  CLogWriter nested(juce::String((dir / "data").string()), "dorv.log");
  ASSERT_TRUE(nested.Init("welcome"));
  umask(old);
  EXPECT_EQ(fs::status(dir / "data").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(dir / "data" / "dorv.log").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  PadTo(dir / "data" / "dorv.log", CLogWriter::kMaxSize + 10);
  umask(0);
  for (int i = 0; i < CLogWriter::kCheckEvery; ++i) nested.WriteMessage(NormalLog, "line");
  umask(old);
  ASSERT_LT(fs::file_size(dir / "data" / "dorv.log"), std::uintmax_t(CLogWriter::kMaxSize));
  EXPECT_EQ(fs::status(dir / "data" / "dorv.log").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// The log stays open between lines: a file that another process's trim (or a
// user) put in its place still gets the next line, never the old file.
TEST_F(LogWriterTest, AFilePutInTheLogsPlaceGetsTheNextLine) {
  ASSERT_TRUE(log.Init("welcome"));
  log.WriteMessage(NormalLog, "before");
  fs::rename(File(), dir / "old.log");
  dorvtest::WriteFile(File(), "a trimmed copy\n");
  log.WriteMessage(NormalLog, "after");
  const auto lines = Lines(File());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "a trimmed copy");
  EXPECT_NE(lines[1].find("Message: after"), std::string::npos);
  EXPECT_EQ(dorvtest::ReadFile(dir / "old.log").find("after"), std::string::npos);
}

TEST_F(LogWriterTest, LogThatCannotBeCreatedDropsLinesQuietly) {
  dorvtest::WriteFile(dir / "notafolder", "x");
  CLogWriter blocked(juce::String((dir / "notafolder").string()), "dorv.log");
  EXPECT_FALSE(blocked.Init("welcome"));
  blocked.Write(KeyPoint, "f", "dropped");
  blocked.WriteMessage(KeyPoint, "dropped");
  EXPECT_EQ(dorvtest::ReadFile(dir / "notafolder"), "x");
  EXPECT_FALSE(fs::exists(dir / "notafolder" / "dorv.log"));
}

// Writers on several threads with lines large enough that the log passes 4 MiB
// again and again, so that many trims run while other threads write: no line is
// torn, and none goes missing from the part of the log that a trim keeps.
TEST_F(LogWriterTest, TrimLosesNoLineOfConcurrentWriters) {
  ASSERT_TRUE(log.Init("welcome"));
  constexpr int kThreads = 8, kPerThread = 200;
  const juce::String payload = juce::String::repeatedString("y", 20000);
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([this, t, &payload] {
      for (int i = 0; i < kPerThread; ++i)
        log.Write(NormalLog, "writer" + juce::String(t), juce::String(i) + " " + payload + " end");
    });
  }
  for (auto& w : writers) w.join();

  EXPECT_LT(fs::file_size(File()), std::uintmax_t(CLogWriter::kMaxSize + 60 * 20100));
  // The payload is compared apart: std::regex recurses per character and a
  // 20000-character run overflows the stack under the sanitizers.
  const std::string tail = std::string(20000, 'y') + " end";
  const std::regex line(std::string("NormalLog: ") + kStamp + R"(Function: writer(\d),Message: (\d+) )");
  // Lines of one writer follow each other in the file; a trim only ever drops
  // the oldest, so each writer's lines in the file must run without a gap to its last.
  std::map<int, std::vector<int>> byWriter;
  auto lines = Lines(File());
  for (size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    const bool whole = lines[i].size() > tail.size() && lines[i].compare(lines[i].size() - tail.size(), tail.size(), tail) == 0;
    const std::string head = whole ? lines[i].substr(0, lines[i].size() - tail.size()) : std::string();
    if (whole && std::regex_match(head, m, line)) byWriter[std::stoi(m[1])].push_back(std::stoi(m[2]));
    else EXPECT_TRUE(i == 0 && lines[i].empty()) << "torn or foreign line " << i << ": " << lines[i].substr(0, 80);
  }
  ASSERT_FALSE(byWriter.empty());
  for (const auto& [writer, numbers] : byWriter) {
    EXPECT_EQ(numbers.back(), kPerThread - 1) << "writer " << writer;
    for (size_t i = 1; i < numbers.size(); ++i)
      EXPECT_EQ(numbers[i], numbers[i - 1] + 1) << "writer " << writer << " lost a line";
  }
}

// The process's log, dorv.log in the application-data folder, closed at exit
// and opened again by the next write.
class ProcessLog : public testing::Test {
 protected:
  void SetUp() override {
    FreeLog();
    fs::remove(file);
  }
  void TearDown() override { FreeLog(); }
  static fs::path AppDataLog() {
    CString folder;
    Common::GetAppDataPath(folder);
    return fs::path(Common::CString_to_utf8(folder)) / "dorv.log";
  }
  const fs::path file = AppDataLog();
};

TEST_F(ProcessLog, WriteAfterExitAddsReCreateLogAndKeepsEarlierLines) {
  ASSERT_TRUE(InitLog("Product Version: 1.0.2, OS Version: 6.1"));
  WriteMessageLog(KeyPoint, "Exit App...");
  FreeLog();
  WriteMessageLog(KeyPoint, "late line");
  auto lines = Lines(file);
  auto exit = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.find("Exit App...") != std::string::npos; });
  auto recreate = std::find(lines.begin(), lines.end(), "ReCreateLog");
  ASSERT_NE(exit, lines.end());
  ASSERT_NE(recreate, lines.end());
  EXPECT_LT(exit, recreate);
  EXPECT_NE(lines.back().find("late line"), std::string::npos);
}

TEST_F(ProcessLog, WriteAfterExitAndDeletionBeginsANewFile) {
  ASSERT_TRUE(InitLog("Product Version: 1.0.2, OS Version: 6.1"));
  WriteLog(KeyPoint, "Init", "started");
  FreeLog();
  fs::remove(file);
  WriteErrorCodeLog("Late", "7", "after the file went");
  auto lines = Lines(file);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "ReCreateLog"), lines.end());
  EXPECT_NE(lines.back().find("ErrorCode: 7,Message: after the file went"), std::string::npos);
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "Product Version: 1.0.2, OS Version: 6.1"), lines.end());
}

}  // namespace
