// lark-bay-server: the reference API server of the Lark-Bay client.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "http_server.h"

using namespace larkbay::server;

int main(int argc, char** argv) {
  ServerRuntime runtime;
  std::string error;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!ParseServerOptions(args, LARKBAY_SERVER_DEFAULT_PORT, LARKBAY_SERVER_DATA_DIR,
                          runtime.options, error)) {
    std::fprintf(stderr, "lark-bay-server: %s\n%s", error.c_str(), ServerUsage().c_str());
    return 2;
  }
  if (runtime.options.help) {
    std::fputs(ServerUsage().c_str(), stdout);
    return 0;
  }
  if (!LoadCatalogue(runtime.options.data, runtime.catalogue, error)) {
    std::fprintf(stderr, "lark-bay-server: %s\n", error.c_str());
    return 1;
  }
  runtime.api.catalogue = &runtime.catalogue;
  runtime.api.digests = &runtime.digests;
  runtime.api.downloadsDir = runtime.options.downloads;
  runtime.api.mainVersion = runtime.options.mainVersion.empty() ? runtime.catalogue.mainVersion
                                                                : runtime.options.mainVersion;
  runtime.api.faults = runtime.options.faults;

  // SIGINT and SIGTERM are taken by one thread that stops the server; every
  // other thread (the server's workers included) inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::unique_ptr<httplib::Server> served;
  if (runtime.options.Tls()) {
    auto tls = std::make_unique<httplib::SSLServer>(runtime.options.tlsCert.c_str(),
                                                    runtime.options.tlsKey.c_str());
    if (!tls->is_valid()) {
      std::fprintf(stderr, "lark-bay-server: cannot use the certificate %s with the key %s\n",
                   runtime.options.tlsCert.c_str(), runtime.options.tlsKey.c_str());
      return 1;
    }
    served = std::move(tls);
  } else {
    served = std::make_unique<httplib::Server>();
  }
  httplib::Server& server = *served;
  // A second server on a taken port must fail instead of sharing it (the
  // library's default would set SO_REUSEPORT).
  server.set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  InstallRoutes(server, runtime);
  const std::string& host = runtime.options.host;
  if (runtime.options.port == 0) {
    runtime.boundPort = server.bind_to_any_port(host);
  } else if (server.bind_to_port(host, runtime.options.port)) {
    runtime.boundPort = runtime.options.port;
  }
  if (runtime.boundPort <= 0) {
    std::fprintf(stderr, "lark-bay-server: cannot listen on %s:%d\n", host.c_str(),
                 runtime.options.port);
    return 1;
  }

  // A signal may come before the accept loop runs, and stop() does nothing
  // until then: wait for the loop to start (or to have ended) before stopping.
  std::atomic<bool> listenEnded{false};
  std::thread signalWaiter([&server, &stopSignals, &listenEnded] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    while (!server.is_running() && !listenEnded) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    server.stop();
  });

  // The announced files' digests are read before the first client comes, so
  // the first configuration answer does not wait for a pack's MD5.
  for (const char* name : {"Update.exe", "Enginepack", "cef.pak"}) {
    runtime.digests.Md5Of(runtime.options.downloads / name);
  }

  std::printf("lark-bay-server ready at %s://%s:%d/ data=%s media=%s faults=%s\n",
              runtime.options.Scheme().c_str(), host.c_str(),
              runtime.boundPort, runtime.options.data.c_str(), runtime.options.media.c_str(),
              runtime.options.faults.Names().c_str());
  std::fflush(stdout);
  const bool listened = server.listen_after_bind();
  listenEnded = true;

  // Wake the waiter when the server ended on its own; a second signal is harmless.
  pthread_kill(signalWaiter.native_handle(), SIGTERM);
  signalWaiter.join();
  std::printf("lark-bay-server stopped\n");
  std::fflush(stdout);
  return listened ? 0 : 1;
}
