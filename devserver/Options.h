#pragma once
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace devserver {

struct Options {
  int port = 0;  // 0: any free port
  std::filesystem::path dataDir;
  std::vector<std::pair<std::string, std::string>> users;  // account, password
  bool admin = false;
  std::filesystem::path updateDir;
  int linkHoldMs = 20000;
  std::string product = "dorv";
};

// Parses the command line; on an error returns false with a message.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
const char* Usage();

}  // namespace devserver
