// The automation socket of the real program (LARKBAY_AUTOMATION) trusts no
// more than it must: a path that names anything but a socket is left as it
// is and the program starts without listening; a socket left by an earlier
// copy is replaced; only this user's connections are answered; the variable
// reaches none of the program's children but the updater, which hands it on
// to the copy it starts again.
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <memory>

#include "app_test_support.h"
#include "automation_remote.h"
#include "server_run.h"
#include "services/signature/release_signature.h"

namespace larkbay {
namespace {

using testing::EndFamily;
using testing::Remote;
using testing::Running;

constexpr uid_t kNobody = 65534;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool Address(const QString& path, sockaddr_un& address) {
  const QByteArray native = QFile::encodeName(path);
  if (static_cast<size_t>(native.size()) >= sizeof address.sun_path) return false;
  address = {};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
  return true;
}

// A socket file nobody listens on any more, as a copy ended hard leaves it.
bool MakeStaleSocket(const QString& path) {
  sockaddr_un address{};
  if (!Address(path, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool bound =
      fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) ::close(fd);
  return bound;
}

enum class Peer { kAnswered = 1, kRefused = 0, kNoConnection = 2, kNoUser = 3, kSilent = 4 };

// Connects to `path` from a child process running as `uid` and says "ping":
// whether the program answered or closed the connection unanswered.
Peer PingAs(const QString& path, uid_t uid) {
  sockaddr_un address{};
  if (!Address(path, address)) return Peer::kNoConnection;
  const pid_t child = ::fork();
  if (child < 0) return Peer::kNoUser;
  if (child == 0) {
    // Only async-signal-safe calls: the test has threads.
    if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
      ::_exit(static_cast<int>(Peer::kNoUser));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      ::_exit(static_cast<int>(Peer::kNoConnection));
    constexpr char kPing[] = "ping\n";
    [[maybe_unused]] const ssize_t sent = ::send(fd, kPing, sizeof kPing - 1, MSG_NOSIGNAL);
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, 10000) <= 0) ::_exit(static_cast<int>(Peer::kSilent));
    char byte = 0;
    ::_exit(static_cast<int>(::recv(fd, &byte, 1, 0) > 0 ? Peer::kAnswered : Peer::kRefused));
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? static_cast<Peer>(WEXITSTATUS(status)) : Peer::kSilent;
}

// Every process below `root` (children, theirs, …).
QList<qint64> Descendants(qint64 root) {
  QMultiMap<qint64, qint64> children;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (!number) continue;
    const QByteArray stat = ReadAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (close > 0 && fields.size() > 1) children.insert(fields[1].toLongLong(), pid);
  }
  QList<qint64> found;
  QList<qint64> next{root};
  while (!next.isEmpty()) {
    for (const qint64 child : children.values(next.takeFirst())) {
      found << child;
      next << child;
    }
  }
  return found;
}

qint64 RecordedProgram(const testing::TempAppData& appData) {
  static const QRegularExpression program(QStringLiteral("Program=(\\d+)"));
  return program.match(appData.ReadConfigIni()).captured(1).toLongLong();
}

}  // namespace

class AutomationChannelTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir downloads_;
  std::unique_ptr<testing::ServerRun> server_;

  QProcessEnvironment Environment(const QString& socket) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LARKBAY_API_BASE"), server_->Base());
    env.insert(QStringLiteral("LARKBAY_LOG"), QStringLiteral("1"));
    env.insert(QStringLiteral("LARKBAY_AUTOMATION"), socket);
    return env;
  }
  static QString Log(const testing::TempAppData& appData) {
    return QString::fromUtf8(ReadAll(appData.Path() + QStringLiteral("/Lark-Bay/lark-bay.log")));
  }

 private slots:
  void initTestCase() {
    const QString pack = QStringLiteral(LARKBAY_ENGINE_PACK_DIR);
    QVERIFY(QFile::copy(qEnvironmentVariable("LARKBAY_UPDATER_BINARY"),
                        downloads_.filePath(QStringLiteral("Update.exe"))));
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      QVERIFY(
          QFile::copy(pack + u'/' + QLatin1String(file), downloads_.filePath(QLatin1String(file))));
    // The updater and what it installs, signed by the release key (the demo's).
    const QByteArray key = ReadAll(QStringLiteral(LARKBAY_DEMO_KEY_FILE));
    for (const char* file : {"Update.exe", "Enginepack"}) {
      const QString path = downloads_.filePath(QLatin1String(file));
      const std::string signature = SignDetached(ReadAll(path).toStdString(), key.toStdString());
      QVERIFY(!signature.empty());
      QVERIFY(Write(path + QStringLiteral(".sig"), QByteArray::fromStdString(signature)));
    }
    server_ = std::make_unique<testing::ServerRun>();
    QVERIFY2(server_->Start({QStringLiteral("--downloads"), downloads_.path()}),
             server_->Output().constData());
  }

  void pathThatIsNotASocketIsLeftAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("regular file") << QStringLiteral("file");
    QTest::newRow("symlink to a file") << QStringLiteral("link to file");
    QTest::newRow("symlink to a socket") << QStringLiteral("link to socket");
  }
  void pathThatIsNotASocketIsLeftAlone() {
    QFETCH(QString, kind);
    testing::TempAppData appData;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("automation.sock"));
    const QString target = dir.filePath(QStringLiteral("target"));
    const QByteArray precious("precious data\n\0\xff", 16);
    if (kind == QLatin1String("file")) {
      QVERIFY(Write(path, precious));
    } else {
      QVERIFY(kind == QLatin1String("link to file") ? Write(target, precious)
                                                    : MakeStaleSocket(target));
      QVERIFY(QFile::link(target, path));
    }
    struct stat before {};
    QVERIFY(::lstat(QFile::encodeName(path).constData(), &before) == 0);

    // A user whose engine downloads kept failing: the legacy player, the
    // quickest start to the main window.
    const QByteArray packMd5 =
        QCryptographicHash::hash(ReadAll(downloads_.filePath(QStringLiteral("Enginepack"))),
                                 QCryptographicHash::Md5)
            .toHex();
    appData.WriteConfigIni("[Lark-Bay]\r\nHandedOverEngine=" + packMd5 +
                           "\r\nHandedOverEngineBadPacks=3\r\n");
    QProcessEnvironment env = Environment(path);
    env.insert(QStringLiteral("LARKBAY_STARTUP_TIMING"), QStringLiteral("1"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(qEnvironmentVariable("LARKBAY_APP_BINARY"), {});
    QVERIFY(program.waitForStarted());
    struct Cleanup {
      QProcess& process;
      ~Cleanup() {
        EndFamily(process.processId());
        process.waitForFinished(5000);
      }
    } cleanup{program};
    QByteArray printed;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                   printed += program.readAllStandardError();
                   return printed.contains("main window shown") ||
                          program.state() == QProcess::NotRunning;
                 },
                 testing::kLongMs * testing::TestTimeFactor()),
             printed.constData());
    QVERIFY2(printed.contains("main window shown"), printed.constData());

    struct stat after {};
    QVERIFY(::lstat(QFile::encodeName(path).constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    if (kind == QLatin1String("file")) QCOMPARE(ReadAll(path), precious);
    if (kind == QLatin1String("link to file")) QCOMPARE(ReadAll(target), precious);
    if (kind != QLatin1String("file")) QCOMPARE(QFileInfo(path).symLinkTarget(), target);
    QVERIFY2(Log(appData).contains(QStringLiteral("automation: ") + path +
                                   QStringLiteral(" exists and is not a socket")),
             qPrintable(Log(appData).right(3000)));
  }

  void onlyThisUserAndOnlyTheRestartedCopyReachIt() {
    testing::TempAppData appData;
    // A folder others may pass through: the socket's own mode and the
    // program's check of its peer are what keep them out.
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0711) == 0);
    const QString path = dir.filePath(QStringLiteral("automation.sock"));
    QVERIFY(MakeStaleSocket(path));
    Remote app(path);

    // No engine and no pack: the updater fetches it, ends this copy and
    // starts the program again, which has to listen on the same path.
    QProcess first;
    first.setProcessEnvironment(Environment(path));
    // Into a file, which the updater it starts goes on writing to after this
    // copy has ended (a pipe closed with it would end the updater too).
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.setStandardOutputFile(dir.filePath(QStringLiteral("output.txt")));
    first.start(qEnvironmentVariable("LARKBAY_APP_BINARY"), {});
    QVERIFY(first.waitForStarted());
    const qint64 firstPid = first.processId();
    qint64 second = 0;
    struct Cleanup {
      QProcess& first;
      qint64& second;
      ~Cleanup() {
        EndFamily(second);
        if (first.state() != QProcess::NotRunning) EndFamily(first.processId());
        first.waitForFinished(5000);
      }
    } cleanup{first, second};
    // The stale socket was replaced.
    QVERIFY(
        app.WaitFor([&] { return !app.Ask("ping").startsWith(QLatin1String("error")); }, 60000));
    app.Disconnect();
    QVERIFY2(first.waitForFinished(testing::kLongMs * testing::TestTimeFactor()),
             ReadAll(dir.filePath(QStringLiteral("output.txt"))).right(3000).constData());
    QVERIFY2(app.WaitFor([&] {
      second = RecordedProgram(appData);
      return second != firstPid && Running(second);
    }),
             qPrintable(Log(appData).right(3000)));
    QVERIFY(app.WaitFor([&] { return app.Ask("ping") == QLatin1String("main"); }));
    QCOMPARE(app.Ask("value", QStringLiteral("PlayerEngine")), QStringLiteral("cef"));
    app.Disconnect();

    // The engine's helpers (and whatever they start) never see the variable.
    const QList<qint64> family = Descendants(second);
    int read = 0;
    for (const qint64 pid : family) {
      // (One that has just ended, or a zombie, shows nothing.)
      const QByteArray environment = ReadAll(QStringLiteral("/proc/%1/environ").arg(pid));
      if (environment.isEmpty()) continue;
      ++read;
      for (const QByteArray& entry : environment.split('\0'))
        QVERIFY2(!entry.startsWith("LARKBAY_AUTOMATION="),
                 qPrintable(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget()));
    }
    QVERIFY2(read > 0, qPrintable(QString::number(family.size())));

    struct stat info {};
    QVERIFY(::lstat(QFile::encodeName(path).constData(), &info) == 0);
    QVERIFY(S_ISSOCK(info.st_mode));
    // Qt's UserAccessOption: the owner's bits only (0700).
    QCOMPARE(info.st_mode & 077, 0u);
    QCOMPARE(info.st_uid, ::geteuid());
    if (::geteuid() != 0) QSKIP("connecting as another user needs root");
    // Past the file's mode, the program's own check of the peer.
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0666) == 0);
    const struct {
      uid_t uid;
      Peer expected;
    } peers[] = {
        {::geteuid(), Peer::kAnswered}, {kNobody, Peer::kRefused}, {::geteuid(), Peer::kAnswered}};
    for (const auto& peer : peers)
      QCOMPARE(static_cast<int>(PingAs(path, peer.uid)), static_cast<int>(peer.expected));
    const QString refused = QStringLiteral("automation: a connection from user %1 ").arg(kNobody);
    QVERIFY2(app.WaitFor([&] { return Log(appData).contains(refused); }, 10000),
             qPrintable(Log(appData).right(3000)));
    QCOMPARE(app.Ask("ping"), QStringLiteral("main"));
  }

  void cleanupTestCase() { server_.reset(); }
};

}  // namespace larkbay

QTEST_MAIN(larkbay::AutomationChannelTest)
#include "automation_channel_test.moc"
