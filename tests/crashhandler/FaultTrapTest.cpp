// The library's exports, its parameters and Start, seen from a host process.
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

#include "CrashFixture.h"
#include "win32/Windows.h"

namespace crashtest {
namespace {

std::vector<std::string> StartLines() {
  std::vector<std::string> lines;
  for (const std::string& line : CourierLog())
    if (line.rfind("start ", 0) == 0) lines.push_back(line.substr(6));
  return lines;
}

using FaultTrapExportTest = CrashTest;

TEST_F(FaultTrapExportTest, FactoriesGiveIndependentObjects) {
  HMODULE library = ::LoadLibraryW(L"" FAULTTRAP_LIBRARY);
  ASSERT_NE(library, nullptr);
  auto create2 = reinterpret_cast<CreateFaultTrap2Fn>(::GetProcAddress(library, "CreateFaultTrap2"));
  ASSERT_NE(create2, nullptr);
  EXPECT_EQ(create2(nullptr), 0);
  FaultTrapInterface* a = nullptr;
  FaultTrapInterface* b = nullptr;
  EXPECT_EQ(create2(&a), 1);
  EXPECT_EQ(create2(&b), 1);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  a->Release();
  b->Release();

  // The C++ export: bool CreateFaultTrap(FaultTrapInterface**).
  using CreateFn = bool (*)(FaultTrapInterface**);
  auto create = reinterpret_cast<CreateFn>(::GetProcAddress(library, "_Z15CreateFaultTrapPP18FaultTrapInterface"));
  ASSERT_NE(create, nullptr);
  EXPECT_FALSE(create(nullptr));
  FaultTrapInterface* c = nullptr;
  EXPECT_TRUE(create(&c));
  ASSERT_NE(c, nullptr);
  c->Release();
}

TEST_F(FaultTrapExportTest, SetParameterAcceptsAndRefuses) {
  FaultTrapInterface* trap = Create();
  ASSERT_NE(trap, nullptr);
  for (int kind = 0; kind <= 9; ++kind) {
    EXPECT_TRUE(trap->SetParameter(kind, L"value")) << kind;
    EXPECT_FALSE(trap->SetParameter(kind, nullptr)) << kind;
  }
  for (int kind : {-1, 10, 11, 1000}) EXPECT_FALSE(trap->SetParameter(kind, L"value")) << kind;
  EXPECT_FALSE(trap->SetParameter(4, L"a/b"));
  EXPECT_FALSE(trap->SetParameter(4, L"a\\b"));
  EXPECT_TRUE(trap->SetParameter(4, L""));
}

// What the parameters make of the dump server's command line.
struct ServerLineCase {
  const char* name;
  std::vector<std::pair<int, std::wstring>> parameters;  // {3, L"*"}: the test's dump folder
  std::string expected;                                  // "*" stands for the dump folder
};

void PrintTo(const ServerLineCase& c, std::ostream* out) { *out << c.name; }

class ServerCommandLineTest : public CrashTest, public ::testing::WithParamInterface<ServerLineCase> {};

TEST_P(ServerCommandLineTest, ReporterStartsWithIt) {
  const ServerLineCase& c = GetParam();
  const std::string folder = (m_dir.path() / "Dump").string() + "/";
  FaultTrapInterface* trap = Create();
  ASSERT_NE(trap, nullptr);
  for (const auto& [kind, value] : c.parameters) {
    std::wstring text = value == L"*" ? std::wstring(folder.begin(), folder.end()) : value;
    trap->SetParameter(kind, text.c_str());
  }
  EXPECT_TRUE(trap->Start(true));
  std::string expected = c.expected;
  for (size_t at; (at = expected.find('*')) != std::string::npos;) expected.replace(at, 1, folder);
  EXPECT_EQ(StartLines(), std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, ServerCommandLineTest,
    ::testing::Values(
        ServerLineCase{"program",
                       {{3, L"*"}, {0, L"Dorv"}, {1, L"2000"}, {2, L"internal-test"}, {4, L"halvorn-dorv"}},
                       "/ipcname \"halvorn-dorv\" /dumppath \"*\" /singleton "},
        ServerLineCase{"noUiTrueAnyCase",
                       {{3, L"*"}, {4, L"n1"}, {7, L"TRUE"}},
                       "/ipcname \"n1\" /dumppath \"*\" /noui /singleton "},
        ServerLineCase{"noUiClearedSingletonKept",
                       {{3, L"*"}, {4, L"n2"}, {7, L"tRuE"}, {7, L"no"}},
                       "/ipcname \"n2\" /dumppath \"*\" /singleton "},
        ServerLineCase{"singletonOff",
                       {{3, L"*"}, {4, L"n3"}, {8, L"false"}, {7, L"True"}},
                       "/ipcname \"n3\" /dumppath \"*\" /noui "},
        ServerLineCase{"refusedNameKeepsDefault",
                       {{3, L"*"}, {4, L"bad/name"}, {4, L"bad\\name"}},
                       "/ipcname \"HalvornDumpGenerationServer\" /dumppath \"*\" /singleton "},
        ServerLineCase{"noDumpFolder", {{4, L"n4"}, {8, L"yes"}}, "/ipcname \"n4\" "}),
    [](const ::testing::TestParamInfo<ServerLineCase>& info) { return std::string(info.param.name); });

TEST_F(FaultTrapExportTest, StartInstallsOnce) {
  FaultTrapInterface* trap = Create();
  ASSERT_NE(trap, nullptr);
  const std::string folder = (m_dir.path() / "Dump").string() + "/";
  trap->SetParameter(3, std::wstring(folder.begin(), folder.end()).c_str());
  trap->SetParameter(4, L"once");
  EXPECT_TRUE(trap->Start(true));
  EXPECT_TRUE(trap->Start(false));
  EXPECT_TRUE(trap->Start(true));
  EXPECT_EQ(StartLines().size(), 1u);
  // The folder is there for the dumps in this mode too.
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(FaultTrapExportTest, InProcessStartNeedsItsDumpFolder) {
  dorvtest::WriteFile(m_dir / "file", "x");
  FaultTrapInterface* blocked = Create();
  ASSERT_NE(blocked, nullptr);
  const std::string under = (m_dir.path() / "file" / "Dump").string() + "/";
  blocked->SetParameter(3, std::wstring(under.begin(), under.end()).c_str());
  EXPECT_FALSE(blocked->Start(false));

  FaultTrapInterface* fine = Create();
  ASSERT_NE(fine, nullptr);
  const std::string deep = (m_dir.path() / "a" / "b" / "Dump").string() + "/";
  fine->SetParameter(3, std::wstring(deep.begin(), deep.end()).c_str());
  const mode_t oldMask = ::umask(022);
  EXPECT_TRUE(fine->Start(false));
  ::umask(oldMask);
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(fs::status(deep).permissions(), fs::perms::owner_all) << "dumps are the user's alone";
  // In process no reporter is started until a crash.
  EXPECT_TRUE(StartLines().empty());
}

}  // namespace
}  // namespace crashtest
