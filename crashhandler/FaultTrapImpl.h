#pragma once
// The crash handler object behind FaultTrapInterface: its parameters, the
// reporter's command lines and the installed exception handler.
#include <memory>
#include <string>

#include "CrashLauncher.h"
#include "CustomInfoBuffer.h"
#include "ExceptionHandler.h"
#include "FaultTrapInterface.h"
#include "win32/WinDef.h"

class FaultTrapImpl : public FaultTrapInterface {
 public:
  FaultTrapImpl();
  virtual ~FaultTrapImpl();

  bool SetParameter(int kind, const wchar_t* value) override;
  bool Start(bool outOfProcess) override;
  void Release() override;

  // The command line the out-of-process reporter is started with.
  std::wstring ServerCommandLine() const;
  // The in-process reporter's command line as prepared by Start (it ends with
  // the opening quote of the dump's name until a dump completes it).
  const wchar_t* ReporterCommandLine() const { return m_pCommandLine; }

  static bool OnFilterException(void* context, const void* exceptionInfo, const void* assertion);
  static bool OnMinidumpWritten(const wchar_t* dumpPath, const wchar_t* dumpId, void* context,
                                const void* exceptionInfo, const void* assertion, bool succeeded);

 private:
  void StartReporterServer();
  void BuildReporterCommandLine();
  bool CreateDumpDirectory();
  bool PrepareCrashLaunch();
  std::wstring ReporterProgram() const;
  // Starts the reporter; with `serverName`, waits (bounded) until it serves there.
  bool LaunchReporter(const std::wstring& program, const std::wstring& commandLine, const std::string& serverName);

  BYTE m_bOutOfProcess = 1;
  BYTE m_bNoUI = 0;
  BYTE m_bSingleton = 1;
  std::wstring m_strSubmitUrl;
  std::wstring m_strProductName;
  std::wstring m_strVersion;
  std::wstring m_strBuildID;
  std::wstring m_strIpcName = L"HalvornDumpGenerationServer";
  std::wstring m_strDumpPath;
  std::wstring m_strUploadFiles;
  std::wstring m_strReporterPath = L"FaultCourier.exe";
  // The in-process reporter command line, with room reserved for the dump's
  // name; completed at crash time without allocating.
  wchar_t* m_pCommandLine = nullptr;
  size_t m_nCommandLineCapacity = 0;
  CustomInfoBuffer m_customInfo;
  std::unique_ptr<ExceptionHandler> m_pHandler;
  CrashLauncher m_launcher;
};
