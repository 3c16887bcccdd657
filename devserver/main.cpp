// dorv-devserver: the local cloud service. Prints its port as the first line
// of its output and serves until SIGTERM or SIGINT.
#include <pthread.h>
#include <signal.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
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
    // On a stop signal the service stops listening; its workers then wait for
    // idle keep-alive connections to time out (seconds). Whatever a worker was
    // writing is in SQLite transactions and content files written before their
    // rows, so when the workers are not done soon, the process ends without them.
    std::mutex lock;
    std::condition_variable ended;
    bool runReturned = false;
    std::thread waiter([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      service.Stop();
      std::unique_lock guard(lock);
      if (!ended.wait_for(guard, std::chrono::milliseconds(300), [&] { return runReturned; })) _exit(0);
    });
    service.Run();  // returns only after the waiter's Stop
    {
      std::lock_guard guard(lock);
      runReturned = true;
    }
    ended.notify_all();
    waiter.join();
  } catch (const std::exception& e) {
    std::cerr << "dorv-devserver: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
