// The theme's string table file.
#include <string>

#include "FuzzSupport.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = dorvfuzz::WriteInput(data, size, "gdstrings.ini");
  CString widePath;
  Common::utf8_to_CString(path, widePath);
  Common::CMutiLanSupport* table = Common::CMutiLanSupport::GetInstance();
  table->ClearAll();
  table->LoadStringTable(widePath);
  table->GetStringViaID(L"STRID_APP_NAME");
  table->GetStringViaID(L"");
  return 0;
}
