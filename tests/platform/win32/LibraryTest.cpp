#include <gtest/gtest.h>

#include <string>

#include "win32/Windows.h"

namespace {

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

using Answer = int (*)(int);
using Loads = int (*)();

TEST(Libraries, ABareNameIsFoundInTheProgramsFolder) {
  // The plug-in lies beside the test program; the name alone finds it.
  HMODULE module = LoadLibraryW(L"TestPlugin.dll");
  ASSERT_NE(module, nullptr) << GetLastError();
  auto answer = reinterpret_cast<Answer>(GetProcAddress(module, "PluginAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(20), 41);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  // The same library by its full path is the same module, loaded once.
  HMODULE again = LoadLibraryW(Wide(WIN32_TEST_PLUGIN).c_str());
  EXPECT_EQ(again, module);
  EXPECT_EQ(reinterpret_cast<Loads>(GetProcAddress(again, "PluginLoads"))(), 1);
  EXPECT_EQ(GetModuleHandleW(L"TestPlugin.dll"), module);
  EXPECT_EQ(win32::ModuleHandleFromAddress(reinterpret_cast<void*>(answer)), module);
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Libraries, MissingAndBrokenLibraries) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(L"FaultTrap-missing.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryW(L"/no/such/folder/FaultTrap.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryW(Wide(WIN32_CHILD).c_str()), nullptr);  // a program, not a library
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "x"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Libraries, TheProgramHasAHandleAndAFileName) {
  HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_NE(self, nullptr);
  wchar_t path[4096];
  ASSERT_GT(GetModuleFileNameW(self, path, 4096), 0u);
  wchar_t direct[4096];
  ASSERT_GT(GetModuleFileNameW(nullptr, direct, 4096), 0u);
  EXPECT_EQ(std::wstring(path), std::wstring(direct));
  EXPECT_EQ(win32::ModuleHandleFromAddress(reinterpret_cast<void*>(&Wide)), self);
}

}  // namespace
