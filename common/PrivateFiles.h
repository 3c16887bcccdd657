#pragma once
// The program's data files 0600 in folders 0700: the layer's helpers under the
// names the Common library's callers use.
#include "win32/PrivateFiles.h"

namespace Common {

using win32::MakePrivateFile;
using win32::MakePrivateFolder;

}  // namespace Common
