// Finding the engine and starting it in a terminal window, with stand-in programs on PATH.

#include "frontend/qt/launcher.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "tests/frontend/frontend_test_support.hpp"

namespace kova {
namespace {

void make_program(const QString& path, const QByteArray& script, bool executable = true) {
  test::write_bytes(path, script);
  QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
  if (executable) permissions |= QFile::ExeOwner;
  QFile::setPermissions(path, permissions);
}

// PATH is the given folders only, for the object's lifetime.
class ScopedPath {
 public:
  explicit ScopedPath(const QStringList& folders) : previous_(qgetenv("PATH")) {
    qputenv("PATH", QFile::encodeName(folders.join(':')));
  }
  ~ScopedPath() { qputenv("PATH", previous_); }

 private:
  QByteArray previous_;
};

QString launch_failure(const QString& engine_name) {
  try {
    ProcessLauncher().start(engine_name.toStdString());
  } catch (const LaunchError& e) {
    return QString::fromLocal8Bit(e.what());
  }
  return {};
}

// A terminal stand-in that records its folder and arguments, one a line.
const QByteArray kRecordingTerminal = "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"$0.called\"\n";

}  // namespace

class LauncherTest : public QObject {
  Q_OBJECT

 private slots:
  void own_folder_first_then_search_path_data() {
    QTest::addColumn<QString>("in_own_folder");  // "exec", "plain" (not executable) or "none"
    QTest::addColumn<bool>("on_path");
    QTest::addColumn<QString>("found");  // "own", "path" or ""
    QTest::newRow("both: own folder wins") << "exec" << true << "own";
    QTest::newRow("own folder only") << "exec" << false << "own";
    QTest::newRow("search path only") << "none" << true << "path";
    QTest::newRow("not executable beside: search path") << "plain" << true << "path";
    QTest::newRow("nowhere") << "none" << false << "";
  }
  void own_folder_first_then_search_path() {
    QFETCH(QString, in_own_folder);
    QFETCH(bool, on_path);
    QFETCH(QString, found);
    QTemporaryDir own, path_folder;
    if (in_own_folder != "none") make_program(own.filePath("kova2"), "#!/bin/sh\n", in_own_folder == "exec");
    if (on_path) make_program(path_folder.filePath("kova2"), "#!/bin/sh\n");
    ScopedPath path({path_folder.path()});
    const QString expected = found == "own"    ? own.filePath("kova2")
                             : found == "path" ? path_folder.filePath("kova2")
                                               : "";
    QCOMPARE(find_engine("kova2", own.path()), expected);
  }

  void engine_runs_in_a_terminal_in_the_current_folder_data() {
    QTest::addColumn<QString>("terminal");
    QTest::newRow("system terminal") << "x-terminal-emulator";
    QTest::newRow("xterm when there is no system terminal") << "xterm";
  }
  void engine_runs_in_a_terminal_in_the_current_folder() {
    QFETCH(QString, terminal);
    QTemporaryDir bin, work;
    make_program(bin.filePath(terminal), kRecordingTerminal);
    make_program(bin.filePath("kova2"), "#!/bin/sh\n");
    ScopedPath path({bin.path()});
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    ProcessLauncher().start("kova2");
    QDir::setCurrent(previous);
    const QString record = bin.filePath(terminal + ".called");
    QTRY_VERIFY_WITH_TIMEOUT(test::file_bytes(record).value_or("").count('\n') == 3, 10000);
    QCOMPARE(*test::file_bytes(record), QFile::encodeName(QDir(work.path()).canonicalPath()) + "\n-e\n" +
                                            QFile::encodeName(bin.filePath("kova2")) + "\n");
  }

  void what_cannot_be_started_is_named() {
    QTemporaryDir bin;
    ScopedPath path({bin.path()});
    QVERIFY(launch_failure("kova1").startsWith("Cannot start the engine kova1: it is neither in the folder of KOVA ("));
    make_program(bin.filePath("kova2"), "#!/bin/sh\n");
    QCOMPARE(launch_failure("kova2"),
             "Cannot start the engine " + bin.filePath("kova2") +
                 ": no terminal window program was found (neither x-terminal-emulator nor xterm is on the search "
                 "path).");
    // A terminal that exists but cannot be run.
    make_program(bin.filePath("xterm"), "", false);
    QFile::setPermissions(bin.filePath("xterm"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    test::write_bytes(bin.filePath("xterm"), QByteArray("\x7f"
                                                        "ELF broken",
                                                        11));
    QVERIFY2(launch_failure("kova2").startsWith("Cannot start the terminal window " + bin.filePath("xterm") +
                                                " for the engine " + bin.filePath("kova2") + ": "),
             qPrintable(launch_failure("kova2")));
  }
};

}  // namespace kova

QTEST_GUILESS_MAIN(kova::LauncherTest)
#include "launcher_test.moc"
