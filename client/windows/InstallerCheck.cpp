#include "client/windows/InstallerCheck.h"

#include <juce_cryptography/juce_cryptography.h>

#include "client/windows/UpdateSignature.h"
#include "net/TransferLimits.h"

InstallerVerdict CheckInstaller(const juce::File& file, const std::string& md5, const std::string& signature) {
  if (file.isSymbolicLink() || !file.existsAsFile()) return InstallerVerdict::NotTheDescribedFile;
  const juce::int64 size = file.getSize();
  if (size <= 0 || size > Net::LimitsFor(Net::RequestKind::LargeFile).maxBodyBytes)
    return InstallerVerdict::NotTheDescribedFile;
  // Mapped, not read: the signature is checked over the whole file at once
  // without holding a copy of it.
  const juce::MemoryMappedFile mapped(file, juce::MemoryMappedFile::readOnly);
  const auto* bytes = static_cast<const unsigned char*>(mapped.getData());
  if (!bytes || static_cast<juce::int64>(mapped.getSize()) != size) return InstallerVerdict::NotTheDescribedFile;
  if (juce::MD5(bytes, mapped.getSize()).toHexString().toStdString() != md5) return InstallerVerdict::NotTheDescribedFile;
  if (!IsSignedWithUpdateKey(bytes, mapped.getSize(), signature)) return InstallerVerdict::NotSigned;
  return InstallerVerdict::Matches;
}
