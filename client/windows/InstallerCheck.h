#pragma once
// Whether a file is the installer an update description names: a plain file
// (no link) of a size an installer can have, whose MD5 as lower-case hex is
// the description's byte for byte, and whose bytes carry the description's
// signature by an accepted update key. The size is checked first, so that a
// huge file is refused without reading it.
#include <string>

#include <juce_core/juce_core.h>

enum class InstallerVerdict {
  Matches,
  NotTheDescribedFile,  // missing, a link, a wrong size or another MD5
  NotSigned,            // no signature, or none by an accepted key
};

InstallerVerdict CheckInstaller(const juce::File& file, const std::string& md5, const std::string& signature);
