#include "client/windows/InstallerCheck.h"

#include <juce_cryptography/juce_cryptography.h>

#include "net/TransferLimits.h"

bool InstallerMatches(const juce::File& file, const std::string& md5) {
  if (file.isSymbolicLink() || !file.existsAsFile()) return false;
  const juce::int64 size = file.getSize();
  if (size <= 0 || size > Net::LimitsFor(Net::RequestKind::LargeFile).maxBodyBytes) return false;
  return juce::MD5(file).toHexString().toStdString() == md5;
}
