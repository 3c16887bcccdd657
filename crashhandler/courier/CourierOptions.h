#pragma once
// The reporter's two command lines:
//   dump server:  /ipcname "<name>" /dumppath "<folder>" [/noui] [/singleton]
//   report:       /info "Name:value|...|" [/submiturl "<url>"] [UploadFiles "<files>"]
//                 [/noui] /dumppath "<dump file>"
#include <string>
#include <utility>
#include <vector>

struct CourierOptions {
  bool server = false;  // /ipcname given
  std::wstring ipcName;
  std::wstring dumpPath;  // the folder (server) or the dump file (report)
  bool noUi = false;
  bool singleton = false;
  bool report = false;  // /info given
  std::vector<std::pair<std::wstring, std::wstring>> info;
  std::wstring submitUrl;
  std::wstring uploadFiles;
};

CourierOptions ParseCourierOptions(const std::wstring& commandLine);
