// Download throughput through the engine on loopback, against curl on the
// same file in the same run (as it is, and with its file flushed to the disk
// as the engine does with a finished download), and the longest stall of the
// interface thread while five downloads run.
//   larkbay_download_bench [megabytes]          (default 200)
// Needs lark-bay-server (LARKBAY_SERVER_BINARY, set by the build) and curl.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "bench_program.h"
#include "downloads/download_list.h"
#include "downloads/download_manager.h"
#include "server_run.h"
#include "state/program_state.h"

using namespace larkbay;
using bench::WaitFor;

namespace {

bool WriteFile(const QString& path, qint64 bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray block(1 << 20, Qt::Uninitialized);
  for (int i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) & 0xFF);
  for (qint64 written = 0; written < bytes; written += block.size())
    if (file.write(block.constData(), std::min<qint64>(block.size(), bytes - written)) < 0)
      return false;
  return true;
}

bool FlushToDisk(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fdatasync(fd) == 0;
  ::close(fd);
  return flushed;
}

}  // namespace

int main(int argc, char** argv) {
  bench::PrepareProcess();
  // The engine writes its last files while the application ends: the
  // folder goes after it.
  QTemporaryDir root;
  QApplication app(argc, argv);
  const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 200;

  bench::UseScratchFolders(root);
  QDir().mkpath(root.filePath(QStringLiteral("media/audio")));
  const QString big = root.filePath(QStringLiteral("media/audio/big-hq.mp3"));
  const QString small = root.filePath(QStringLiteral("media/audio/small-hq.mp3"));
  if (!WriteFile(big, megabytes << 20) || !WriteFile(small, 20LL << 20)) return 1;
  testing::ServerRun server;
  if (!server.Start({QStringLiteral("--media"), root.filePath(QStringLiteral("media"))})) {
    std::fprintf(stderr, "the server did not start\n");
    return 1;
  }
  const QString bigUrl = server.Base() + QStringLiteral("/media/audio/big-hq.mp3");
  const QString smallUrl = server.Base() + QStringLiteral("/media/audio/small-hq.mp3");

  auto program = bench::StartWithEngine(server.Base().toStdString(), LARKBAY_ENGINE_DIR);
  if (!program) return 1;
  ProgramState& state = program->State();
  auto finished = [&](size_t from, size_t count) {
    if (state.DownloadTasks.size() < from + count) return false;
    for (size_t i = from; i < from + count; ++i) {
      const int s = state.DownloadTasks[i].State;
      if (s != kTaskCompleted && s != kTaskFailed) return false;
    }
    return true;
  };

  // curl on the same file, written to the same file system as the engine's,
  // taking turns with the engine while the program runs, so that both sides
  // share whatever else the machine does (the program's player page among
  // it). Each side's figure is the median of three transfers: one transfer
  // of a quarter of a second says more about the machine's other load than
  // about the download.
  constexpr int kTransfers = 3;
  const auto median = [](std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
  };
  QElapsedTimer timer;
  std::vector<double> curlRuns;
  std::vector<double> curlFlushedRuns;
  std::vector<double> engineRuns;
  const QString curlOut = root.filePath(QStringLiteral("curl.out"));
  for (size_t run = 0; run < kTransfers; ++run) {
    // curl runs beside the event loop, which goes on serving the program.
    QProcess curl;
    timer.start();
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("-o"), curlOut, bigUrl});
    if (!WaitFor([&] { return curl.state() == QProcess::NotRunning; }, 600000) ||
        curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0) {
      std::fprintf(stderr, "curl failed\n");
      return 1;
    }
    curlRuns.push_back(timer.elapsed() / 1000.0);
    // The engine flushes a finished download to the disk (fdatasync) before
    // it calls it complete; curl leaves that to the kernel. The same flush
    // after curl gives the figure of the same work.
    if (!FlushToDisk(curlOut)) {
      std::fprintf(stderr, "curl's file could not be flushed\n");
      return 1;
    }
    curlFlushedRuns.push_back(timer.elapsed() / 1000.0);
    QFile::remove(curlOut);

    timer.restart();
    StartDownload(program->Downloads(), bigUrl.toStdString(), "big" + std::to_string(run));
    if (!WaitFor([&] { return finished(run, 1); }, 600000) ||
        state.DownloadTasks[run].State != kTaskCompleted) {
      std::fprintf(stderr, "the engine's download did not finish\n");
      return 1;
    }
    engineRuns.push_back(timer.elapsed() / 1000.0);
    QFile::remove(
        QString::fromStdString(state.appState.SavePath + state.DownloadTasks[run].FileName));
  }
  const double curlSeconds = median(curlRuns);
  const double curlFlushedSeconds = median(curlFlushedRuns);
  const double engineSeconds = median(engineRuns);

  // The interface thread's longest gap between two 5 ms ticks while five
  // downloads run.
  qint64 longest = 0;
  QElapsedTimer tick;
  tick.start();
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] { longest = std::max(longest, tick.restart()); });
  for (int i = 0; i < 5; ++i)
    StartDownload(program->Downloads(), smallUrl.toStdString(), "small" + std::to_string(i));
  tick.restart();
  probe.start(5);
  const bool five = WaitFor([&] { return finished(kTransfers, 5); }, 300000);
  probe.stop();

  const double mb = static_cast<double>(megabytes);
  std::printf("file                     %lld MB\n", static_cast<long long>(megabytes));
  std::printf("curl                     %.1f MB/s (%.2f s, median of %d)\n", mb / curlSeconds,
              curlSeconds, kTransfers);
  std::printf("engine download          %.1f MB/s (%.2f s, median of %d), %.0f %% of curl\n",
              mb / engineSeconds, engineSeconds, kTransfers, 100.0 * curlSeconds / engineSeconds);
  std::printf("curl, flushed to disk    %.1f MB/s (%.2f s, median of %d); engine %.0f %% of it\n",
              mb / curlFlushedSeconds, curlFlushedSeconds, kTransfers,
              100.0 * curlFlushedSeconds / engineSeconds);
  std::printf("each transfer            curl");
  for (double seconds : curlRuns) std::printf(" %.2f", seconds);
  std::printf(" s, flushed");
  for (double seconds : curlFlushedRuns) std::printf(" %.2f", seconds);
  std::printf(" s, engine");
  for (double seconds : engineRuns) std::printf(" %.2f", seconds);
  std::printf(" s\n");
  std::printf("five downloads of 20 MB  %s; longest interface-thread stall %lld ms\n",
              five ? "finished" : "did not finish", static_cast<long long>(longest));
  program.reset();
  return five ? 0 : 1;
}
