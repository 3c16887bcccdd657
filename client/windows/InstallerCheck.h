#pragma once
// Whether a file is the installer an update description names: a plain file
// (no link) of a size an installer can have, whose MD5 as lower-case hex is
// the description's byte for byte. The size is checked first, so that a huge
// file is refused without reading it.
#include <string>

#include <juce_core/juce_core.h>

bool InstallerMatches(const juce::File& file, const std::string& md5);
