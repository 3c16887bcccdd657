// GlobalConfig.xml in the data folder, read as the program reads it at start.
#include <string>

#include "FuzzSupport.h"
#include "client/core/GlobalConfig.h"
#include "common/StringConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dorvfuzz::Home();  // the data folder is the fuzz home's
  const std::string path = Common::CString_to_utf8(GetGlobalConfigPath());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  GlobalConfig config;
  InitGlobalConfig(config);
  return 0;
}
