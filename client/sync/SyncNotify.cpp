#include "client/sync/SyncNotify.h"

// Anchors the interface's type information in the engine library.
ISyncNotifyUI::~ISyncNotifyUI() = default;
