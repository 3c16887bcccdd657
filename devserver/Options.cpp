#include "Options.h"

#include "Query.h"

namespace devserver {

const char* Usage() {
  return "usage: dorv-devserver --data DIR [--port N] [--user ACCOUNT:PASSWORD]... [--admin]\n"
         "                      [--update DIR] [--link-hold-ms N] [--product NAME]\n"
         "Serves the cloud protocol on 127.0.0.1 and prints the port as its first line.\n";
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    auto number = [&](int& out, int min, int max) {
      const char* v = value();
      if (!v) return false;
      auto n = ParseInt64(v);
      if (!n || *n < min || *n > max) {
        error = arg + ": not a number in range";
        return false;
      }
      out = static_cast<int>(*n);
      return true;
    };
    if (arg == "--port") {
      if (!number(options.port, 0, 65535)) return false;
    } else if (arg == "--data") {
      const char* v = value();
      if (!v) return false;
      options.dataDir = v;
    } else if (arg == "--user") {
      const char* v = value();
      if (!v) return false;
      std::string spec = v;
      size_t colon = spec.find(':');
      if (colon == std::string::npos || colon == 0) {
        error = "--user wants ACCOUNT:PASSWORD";
        return false;
      }
      options.users.emplace_back(spec.substr(0, colon), spec.substr(colon + 1));
    } else if (arg == "--admin") {
      options.admin = true;
    } else if (arg == "--update") {
      const char* v = value();
      if (!v) return false;
      options.updateDir = v;
    } else if (arg == "--link-hold-ms") {
      if (!number(options.linkHoldMs, 1, 3600 * 1000)) return false;
    } else if (arg == "--product") {
      const char* v = value();
      if (!v) return false;
      options.product = v;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (options.dataDir.empty()) {
    error = "--data is required";
    return false;
  }
  return true;
}

}  // namespace devserver
