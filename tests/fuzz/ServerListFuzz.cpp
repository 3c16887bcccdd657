// server_list.xml beside the program, as the server list reads it at start.
#include "FuzzSupport.h"
#include "client/core/protocol/ServerList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = dorvfuzz::WriteInput(data, size, "server_list.xml");
  ServerList list;
  list.LoadFromFile(juce::File(path));
  return 0;
}
