// Qt's own Open and Save dialog behind the main window's buttons, on the offscreen platform: what
// it proposes, that it asks before replacing a file, and that it leaves nothing open behind it.

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "frontend/core/workflow.hpp"
#include "frontend/qt/file_dialog.hpp"
#include "frontend/qt/main_window.hpp"
#include "tests/frontend/frontend_test_support.hpp"

namespace kova {
namespace {

using test::file_bytes;

QFileDialog* shown_dialog() { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }

QLineEdit* name_box(QFileDialog* dialog) { return dialog->findChild<QLineEdit*>("fileNameEdit"); }

// Runs `answer` on the file dialog once it is shown.
void when_shown(std::function<void(QFileDialog*)> answer) {
  QTimer::singleShot(0, [answer] {
    if (QFileDialog* dialog = shown_dialog()) answer(dialog);
  });
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    home_ = std::make_unique<test::ScopedHome>();
    workflow_ = std::make_unique<Workflow>();
    dialog_ = std::make_unique<FileDialog>();
    alert_ = {};
    main_ = std::make_unique<Form1>(FrontEndServices{*workflow_, *dialog_, alert_, launcher_});
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    input_ = home_->file("genes.txt");
    test::write_bytes(input_, "g1 1 2 3\ng2 4 5 6\n");
  }
  void cleanup() {
    main_.reset();
    workflow_.reset();
    home_.reset();
  }

  void the_save_dialog_never_proposes_the_input() {
    choose_input();
    QString proposed_name;
    QString proposed_folder;
    when_shown([&](QFileDialog* dialog) {
      proposed_name = name_box(dialog)->text();
      proposed_folder = dialog->directory().absolutePath();
      // Enter at once takes what is proposed.
      QTest::keyClick(name_box(dialog), Qt::Key_Return);
    });
    click("Command1");
    QCOMPARE(proposed_name, QString("result.txt"));
    QCOMPARE(proposed_folder, home_->path());
    QCOMPARE(file_bytes(home_->outinfo()), (input_ + "\r\n" + home_->file("result.txt") + "\r\n").toUtf8());
    QCOMPARE(help(),
             QString::fromLocal8Bit(output_chosen_message(QFile::encodeName(home_->file("result.txt")).toStdString())));
    // The Open dialog that follows offers the input again, not the output.
    when_shown([&](QFileDialog* dialog) {
      proposed_name = name_box(dialog)->text();
      dialog->reject();
    });
    click("Open");
    QCOMPARE(proposed_name, QString("genes.txt"));
    QVERIFY(alert_.errors.isEmpty());
  }

  void an_existing_output_is_replaced_only_after_a_yes() {
    choose_input();
    const QString earlier = home_->file("earlier.txt");
    test::write_bytes(earlier, "an earlier result\n");
    QString question;
    bool dialog_stayed = false;
    when_shown([&](QFileDialog* dialog) {
      name_box(dialog)->setText("earlier.txt");
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        question = box->text();
        box->button(QMessageBox::No)->click();
      });
      QMetaObject::invokeMethod(dialog, "accept");  // returns once the question has been answered
      dialog_stayed = dialog->isVisible();
      dialog->reject();
    });
    click("Command1");
    QVERIFY2(question.contains("earlier.txt already exists"), qPrintable(question));
    QVERIFY(dialog_stayed);
    QCOMPARE(file_bytes(home_->outinfo()), (input_ + "\r\n").toUtf8());
    QCOMPARE(file_bytes(earlier), QByteArray("an earlier result\n"));
  }

  // A path typed in full lists the matching names under the name box; Enter there must close the
  // dialog with that list, or the list goes on taking the next click.
  void a_typed_path_and_enter_leave_no_list_open() {
    QString typed_into;
    when_shown([&](QFileDialog* dialog) {
      QLineEdit* box = name_box(dialog);
      box->setFocus();
      QTest::keyClicks(box, input_, Qt::NoModifier, 20);  // as fast as a person: the folder list loads meanwhile
      QCompleter* completer = box->completer();
      if (!completer || !QTest::qWaitFor([&] { return completer->popup()->isVisible(); }, 5000)) {
        dialog->reject();
        return;
      }
      typed_into = box->text();
      QTest::keyClick(completer->popup(), Qt::Key_Return);
    });
    click("Open");
    QCOMPARE(typed_into, input_);
    QCOMPARE(file_bytes(home_->outinfo()), (input_ + "\r\n").toUtf8());
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
  }

 private:
  void click(const QString& button) { QTest::mouseClick(main_->findChild<QPushButton*>(button), Qt::LeftButton); }
  QString help() { return main_->findChild<QPlainTextEdit*>("Text1")->toPlainText(); }

  void choose_input() {
    when_shown([&](QFileDialog* dialog) {
      dialog->selectFile(input_);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    click("Open");
    QCOMPARE(file_bytes(home_->outinfo()), (input_ + "\r\n").toUtf8());
  }

  std::unique_ptr<test::ScopedHome> home_;
  std::unique_ptr<Workflow> workflow_;
  std::unique_ptr<FileDialog> dialog_;
  test::RecordingAlert alert_;
  test::RecordingLauncher launcher_;
  std::unique_ptr<Form1> main_;
  QString input_;
};

}  // namespace kova

QTEST_MAIN(kova::DialogsTest)
#include "dialogs_test.moc"
