// One request of the status pipe, as the status cache answers it, with a few
// paths recorded under a published root.
#include <cstring>

#include "FuzzSupport.h"
#include "client/sync/status/CStatusCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CStatusCache* cache = [] {
    dorvfuzz::Home();  // the pipe and the shared root live in the fuzz home
    auto* made = new CStatusCache;
    const juce::String root = juce::String(dorvfuzz::Home()) + "/root";
    juce::File(root).createDirectory();
    made->PublishRoot(root);
    made->SetPathStatus(root + "/a/b.txt", CStatusCache::STATUS_SYNCING);
    made->SetPathStatus(root + "/c", CStatusCache::STATUS_ERROR);
    return made;
  }();
  StatusPipeRequest request{};
  std::memcpy(&request, data, size < sizeof request ? size : sizeof request);
  cache->HandleStatusRequest(request);
  return 0;
}
