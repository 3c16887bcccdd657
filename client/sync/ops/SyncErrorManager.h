#pragma once
// Maps an error code of the service onto an operation's result code, with the
// notice the user gets for it. Every code is matched here and nowhere else.
#include <juce_core/juce_core.h>

struct SyncCancelToken;

namespace SyncErrorManager {

// While the token's cancel flag is set (the user is exiting) every code gives
// 3. -1 takes the engine offline and gives 4. An unknown code gives 3.
int ProcessSyncError(int code, SyncCancelToken* cancelToken);

// The code's name, empty for an unknown code (and for -1).
juce::String GetErrorName(int code);

}  // namespace SyncErrorManager
