// dorv-devserver: the local cloud service. Prints its port as the first line
// of its output and serves until SIGTERM or SIGINT.
#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <thread>

#include "HttpService.h"
#include "Options.h"

int main(int argc, char** argv) {
  devserver::Options options;
  std::string error;
  if (!devserver::ParseOptions(argc, argv, options, error)) {
    std::cerr << "dorv-devserver: " << error << "\n" << devserver::Usage();
    return 2;
  }
  // Writes to a peer that went away must fail, not end the process.
  signal(SIGPIPE, SIG_IGN);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    devserver::HttpService service(options);
    int port = service.Bind();
    if (port < 0) {
      std::cerr << "dorv-devserver: cannot listen on port " << options.port << std::endl;
      return 1;
    }
    std::cout << port << std::endl;
    std::thread waiter([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      service.Stop();
    });
    waiter.detach();
    service.Run();
  } catch (const std::exception& e) {
    std::cerr << "dorv-devserver: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
