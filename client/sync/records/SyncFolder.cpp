#include "client/sync/records/SyncFolder.h"

SyncFolder::SyncFolder() : m_pFolderData(std::make_unique<SyncFolderData>()) {}

SyncFolder::~SyncFolder() = default;
