// The update description as the start-up check reads it from the download,
// then its signature and digest checked over the input taken as the installer.
#include "FuzzSupport.h"
#include "client/windows/InstallerCheck.h"
#include "client/windows/UpdateInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = dorvfuzz::WriteInput(data, size, "update.xml");
  UpdateInfo info;
  info.ReadUpdateXml(path);
  CheckInstaller(juce::File(path), info.m_sMD5, info.m_sSignature);
  return 0;
}
