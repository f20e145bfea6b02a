// The workflow without windows: what each step writes, which message it gives, what it refuses.

#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

#include "frontend/workflow.hpp"
#include "tests/frontend/frontend_test_support.hpp"

namespace kova {
namespace {

using test::file_bytes;
using test::ScopedHome;

PathChooser answer(const QString& path) {
  return [path] { return std::optional<QString>(path); };
}
PathChooser cancel() {
  return [] { return std::optional<QString>(); };
}
// A chooser that must not be asked: the step has to be refused before any dialog.
PathChooser must_not_ask(bool& asked) {
  return [&asked] {
    asked = true;
    return std::optional<QString>("/never/asked.txt");
  };
}

// The refusal's text, or an empty text when the step went through.
template <typename Step>
QString refusal(Step step) {
  try {
    step();
  } catch (const WorkflowError& e) {
    return e.text();
  }
  return {};
}

}  // namespace

class WorkflowTest : public QObject {
  Q_OBJECT

 private slots:
  void whole_run_writes_both_files_and_the_three_messages() {
    ScopedHome home;
    Workflow run;
    test::RecordingLauncher launcher;
    const QString input = "/data/expr data/genes.txt";
    const QString output = "/out/result.txt";

    QCOMPARE(run.select_input(answer(input)),
             std::optional<QString>("Selected input file for clustering is /data/expr data/genes.txt.    Next action: "
                                    "Click [Enter Input Description] to enter number of genes and samples in input "
                                    "file /data/expr data/genes.txt"));
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/data/expr data/genes.txt\r\n"));

    QCOMPARE(run.submit({"120", "17", "0.85"}),
             QString("Number of gene in input file is 120 and number of samples are 17. If entries are correct then "
                     "next action: Click [Enter Output File Name] to select file name that will store result"));
    QCOMPARE(file_bytes(home.doutinfo()), QByteArray("120\r\n17\r\n0.85\r\n"));

    QCOMPARE(run.select_output(answer(output)),
             std::optional<QString>("Selected file for storing result is /out/result.txt.    Next action: Click "
                                    "[Start Clustering] to start ZOVA clustering"));
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/data/expr data/genes.txt\r\n/out/result.txt\r\n"));

    run.start_biclustering();
    run.start_engine(Engine::Kova2, launcher);
    // The same run description can be handed to the other engine: a repeated start closes nothing.
    run.start_biclustering();
    run.start_engine(Engine::Kova1, launcher);
    QCOMPARE(launcher.started, QStringList({"kova2", "kova1"}));
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/data/expr data/genes.txt\r\n/out/result.txt\r\n"));

    // A further run empties the run file again.
    QVERIFY(run.select_input(answer("/data/second.txt")));
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/data/second.txt\r\n"));
  }

  void submit_writes_the_boxes_unchanged_data() {
    QTest::addColumn<QString>("genes");
    QTest::addColumn<QString>("samples");
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("numbers_in_message");
    QTest::newRow("numbers") << "120" << "17" << "0.85" << QByteArray("120\r\n17\r\n0.85\r\n") << "120 and number of samples are 17";
    QTest::newRow("all empty") << "" << "" << "" << QByteArray("\r\n\r\n\r\n") << " and number of samples are ";
    QTest::newRow("blanks kept") << " 5 " << "\t5" << "0.9  " << QByteArray(" 5 \r\n\t5\r\n0.9  \r\n") << " 5  and number of samples are \t5";
    QTest::newRow("no numbers") << "-3" << "many" << "0,85" << QByteArray("-3\r\nmany\r\n0,85\r\n") << "-3 and number of samples are many";
    QTest::newRow("non-ASCII") << QString::fromUtf8("fünf") << "5" << "0.9" << QByteArray("f\xc3\xbc" "nf\r\n5\r\n0.9\r\n")
                               << QString::fromUtf8("fünf and number of samples are 5");
  }
  void submit_writes_the_boxes_unchanged() {
    QFETCH(QString, genes);
    QFETCH(QString, samples);
    QFETCH(QString, threshold);
    QFETCH(QByteArray, file);
    QFETCH(QString, numbers_in_message);
    ScopedHome home;
    Workflow run;
    test::write_bytes(home.doutinfo(), "an older and much longer file\r\n\r\n\r\n\r\n");
    const QString message = run.submit({genes, samples, threshold});
    QCOMPARE(file_bytes(home.doutinfo()), file);
    QCOMPARE(message, "Number of gene in input file is " + numbers_in_message +
                          ". If entries are correct then next action: Click [Enter Output File Name] to select file "
                          "name that will store result");
    // Written again unchanged on a later submit.
    run.submit({genes, samples, threshold});
    QCOMPARE(file_bytes(home.doutinfo()), file);
  }

  void paths_are_written_as_file_name_bytes() {
    ScopedHome home;
    Workflow run;
    const QString folder = QString::fromUtf8("/tmp/Größe ä/") + QString(250, QChar('x')) + "/" + QString(250, QChar('y'));
    const QString input = folder + QString::fromUtf8("/µ genes  ñ.txt");
    const QString output = folder + QString::fromUtf8("/résumé out.txt");
    QVERIFY(run.select_input(answer(input)));
    QVERIFY(run.select_output(answer(output)));
    run.start_biclustering();
    const QByteArray folder_bytes = "/tmp/Gr\xc3\xb6\xc3\x9f" "e \xc3\xa4/" + QByteArray(250, 'x') + "/" + QByteArray(250, 'y');
    QCOMPARE(file_bytes(home.outinfo()), folder_bytes + "/\xc2\xb5 genes  \xc3\xb1.txt\r\n" + folder_bytes +
                                             "/r\xc3\xa9sum\xc3\xa9 out.txt\r\n");
  }

  void an_output_chosen_again_replaces_the_first() {
    ScopedHome home;
    Workflow run;
    QVERIFY(run.select_input(answer("/d/in.txt")));
    QVERIFY(run.select_output(answer("/d/first.txt")));
    QCOMPARE(run.select_output(answer("/d/second")),
             std::optional<QString>("Selected file for storing result is /d/second.    Next action: Click [Start "
                                    "Clustering] to start ZOVA clustering"));
    run.start_biclustering();
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/d/in.txt\r\n/d/second\r\n"));
  }

  void a_cancelled_choice_changes_nothing() {
    ScopedHome home;
    Workflow run;
    // No run yet: cancelling leaves no file behind and no run begun.
    QCOMPARE(run.select_input(cancel()), std::optional<QString>());
    QVERIFY(!QFile::exists(home.outinfo()));
    QVERIFY(!refusal([&] { run.start_biclustering(); }).isEmpty());

    QVERIFY(run.select_input(answer("/d/in.txt")));
    QCOMPARE(run.select_output(cancel()), std::optional<QString>());
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/d/in.txt\r\n"));
    QVERIFY(run.select_output(answer("/d/out.txt")));
    QCOMPARE(run.select_output(cancel()), std::optional<QString>());
    run.start_biclustering();

    // The previous run's complete file survives a cancelled new input choice.
    QCOMPARE(run.select_input(cancel()), std::optional<QString>());
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/d/in.txt\r\n/d/out.txt\r\n"));
    run.start_biclustering();  // still that run, still closed
  }

  void clicks_out_of_order_are_refused_without_touching_the_file() {
    ScopedHome home;
    Workflow run;
    test::RecordingLauncher launcher;
    bool asked = false;

    QVERIFY(refusal([&] { run.select_output(must_not_ask(asked)); }).contains("[Select Input File] first"));
    QVERIFY(refusal([&] { run.start_biclustering(); }).contains("[Select Input File] first"));
    QVERIFY(refusal([&] { run.start_engine(Engine::Kova2, launcher); }).contains("[Start Biclustering] first"));
    QVERIFY(!QFile::exists(home.outinfo()));

    QVERIFY(run.select_input(answer("/d/in.txt")));
    QVERIFY(refusal([&] { run.select_input(must_not_ask(asked)); }).contains("[Start Biclustering]"));
    QVERIFY(refusal([&] { run.start_biclustering(); }).contains("[Enter Output File Name] first"));
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/d/in.txt\r\n"));

    QVERIFY(run.select_output(answer("/d/out.txt")));
    run.start_biclustering();
    QVERIFY(refusal([&] { run.select_output(must_not_ask(asked)); }).contains("[Select Input File] first"));
    QCOMPARE(file_bytes(home.outinfo()), QByteArray("/d/in.txt\r\n/d/out.txt\r\n"));
    QVERIFY(!asked);
    QVERIFY(launcher.started.isEmpty());
  }

  void unwritable_run_description_files_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folders in their place") << "folders" << "Cannot create the run description file";
    QTest::newRow("device that is full") << "full" << "Cannot write the run description file";
    QTest::newRow("home without write permission") << "read-only" << "Cannot create the run description file";
    QTest::newRow("home that cannot hold files") << "proc" << "Cannot create the run description file";
  }
  void unwritable_run_description_files() {
    QFETCH(QString, setup);
    QFETCH(QString, expected);
    ScopedHome home;
    if (setup == "folders") {
      QVERIFY(QDir().mkdir(home.outinfo()));
      QVERIFY(QDir().mkdir(home.doutinfo()));
    } else if (setup == "full") {
      QVERIFY(QFile::link("/dev/full", home.outinfo()));
      QVERIFY(QFile::link("/dev/full", home.doutinfo()));
    } else if (setup == "read-only") {
      if (geteuid() == 0) QSKIP("running as root, which may write to any folder");
      QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else {
      qputenv("HOME", "/proc/self");
    }
    Workflow run;
    bool asked = false;
    const QString input_refusal = refusal([&] { run.select_input(must_not_ask(asked)); });
    const QString submit_refusal = refusal([&] { run.submit({"5", "5", "0.9"}); });
    QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString home_path = setup == "proc" ? QString("/proc/self") : home.path();
    QVERIFY2(input_refusal.startsWith(expected + " '" + home_path + "/outinfo.txt': "), qPrintable(input_refusal));
    QVERIFY2(submit_refusal.startsWith(expected + " '" + home_path + "/doutinfo.txt': "), qPrintable(submit_refusal));
    // A write that failed leaves no run begun; the workflow goes on refusing what comes later.
    QVERIFY(refusal([&] { run.start_biclustering(); }).contains("[Select Input File] first"));
    if (setup != "full") QVERIFY(!asked);
  }

  void home_not_set_is_reported() {
    ScopedHome home;
    qunsetenv("HOME");
    Workflow run;
    bool asked = false;
    QVERIFY(refusal([&] { run.select_input(must_not_ask(asked)); }).contains("HOME is not set"));
    QVERIFY(refusal([&] { run.submit({}); }).contains("HOME is not set"));
    QVERIFY(!asked);
  }
};

}  // namespace kova

QTEST_GUILESS_MAIN(kova::WorkflowTest)
#include "workflow_test.moc"
