#include "CourierOptions.h"

#include "win32/CommandLine.h"

CourierOptions ParseCourierOptions(const std::wstring& commandLine) {
  CourierOptions options;
  std::vector<std::wstring> args = win32::SplitCommandLine(commandLine);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == L"/ipcname" && hasValue) {
      options.server = true;
      options.ipcName = args[++i];
    } else if (a == L"/dumppath" && hasValue) {
      options.dumpPath = args[++i];
    } else if (a == L"/noui") {
      options.noUi = true;
    } else if (a == L"/singleton") {
      options.singleton = true;
    } else if (a == L"/submiturl" && hasValue) {
      options.submitUrl = args[++i];
    } else if (a == L"UploadFiles" && hasValue) {
      options.uploadFiles = args[++i];
    } else if (a == L"/info" && hasValue) {
      options.report = true;
      const std::wstring& text = args[++i];
      size_t start = 0;
      while (start < text.size()) {
        size_t end = text.find(L'|', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring field = text.substr(start, end - start);
        size_t colon = field.find(L':');
        if (colon != std::wstring::npos && colon > 0)
          options.info.emplace_back(field.substr(0, colon), field.substr(colon + 1));
        start = end + 1;
      }
    }
  }
  return options;
}
