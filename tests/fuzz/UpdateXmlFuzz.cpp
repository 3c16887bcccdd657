// The update description as the start-up check reads it from the download.
#include "FuzzSupport.h"
#include "client/windows/UpdateInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = dorvfuzz::WriteInput(data, size, "update.xml");
  UpdateInfo info;
  info.ReadUpdateXml(path);
  return 0;
}
