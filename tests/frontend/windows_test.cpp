// The three windows on the offscreen platform: real button clicks, the dialog wrapper (and once
// Qt's own dialog), captions, geometry in twips, focus order, and the wiring to the workflow: each
// click reaches it and its answer reaches the screen. The messages' words and the run description
// files' bytes are the workflow's, held by its own tests (tests/frontend/core).

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include "frontend/core/window_layouts.hpp"
#include "frontend/core/workflow.hpp"
#include "frontend/qt/file_dialog.hpp"
#include "frontend/qt/main_window.hpp"
#include "tests/frontend/frontend_test_support.hpp"

namespace kova {
namespace {

using test::file_bytes;

QWidget* top_level(const QString& name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == name) return w;
  }
  return nullptr;
}

QStringList visible_windows() {
  QStringList names;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->objectName().startsWith("Form")) names << w->objectName();
  }
  names.sort();
  return names;
}

template <typename T = QWidget>
T* control(QWidget* window, const QString& name) {
  T* found = window->findChild<T*>(name);
  if (!found) qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
  return found;
}

void click(QWidget* window, const QString& button) {
  QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

void type_entries(QWidget* form2, const QString& genes, const QString& samples, const QString& threshold) {
  for (const auto& [box, text] : {std::pair{"Text1", genes}, {"Text2", samples}, {"Text3", threshold}}) {
    auto* edit = control<QLineEdit>(form2, box);
    edit->clear();
    QTest::keyClicks(edit, text);
  }
}

QString caption(QWidget* w) {
  if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
  if (auto* f = qobject_cast<QGroupBox*>(w)) return f->title();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
  return "?";
}

// The caption is drawn whole inside the control: on one line where the control holds one, else
// word-wrapped within it.
bool caption_shows_whole(QWidget* c) {
  const QFontMetrics metrics = c->fontMetrics();
  if (auto* label = qobject_cast<QLabel*>(c)) {
    if (!label->wordWrap()) return label->sizeHint().width() <= label->width() && metrics.height() <= label->height();
    return label->heightForWidth(label->width()) <= label->height() &&
           metrics.boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text()).width() <= label->width();
  }
  if (auto* button = qobject_cast<QPushButton*>(c)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QRect text = metrics.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, button->text());
    return room.contains(text);
  }
  if (auto* frame = qobject_cast<QGroupBox*>(c)) return metrics.horizontalAdvance(frame->title()) < frame->width();
  return true;
}

// The focus chain as Tab walks it from the window's first focus, by control name.
QStringList tab_walk(QWidget* window, int steps) {
  window->activateWindow();
  QApplication::setActiveWindow(window);
  QStringList names;
  for (int i = 0; i < steps; ++i) {
    QWidget* focus = QApplication::focusWidget();
    names << (focus ? focus->objectName() : "(none)");
    QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
  }
  return names;
}

// The window's client size for 13-pixel text, in pixels at 96 dots per inch.
QSize window_size_at_13_pixels(const QString& window) {
  if (window == "Form1") return {360, 254};
  if (window == "Form2") return {312, 262};
  return {147, 144};
}

// `actual` is `drawn` (pixels for 13-pixel text) grown by `scale`, each edge within a pixel.
bool near(const QRect& actual, const QRect& drawn, double scale) {
  const auto close = [&](int a, int d) { return std::abs(a - d * scale) <= 1.0; };
  return close(actual.left(), drawn.left()) && close(actual.top(), drawn.top()) &&
         close(actual.width(), drawn.width()) && close(actual.height(), drawn.height());
}

QString rect_text(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

// A text of the workflow as the window shows it.
QString said(std::string_view text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

// The file's lines without their ends, however they end; none when it is missing.
QStringList lines_of(const QString& path) {
  return QString::fromLocal8Bit(file_bytes(path).value_or(QByteArray()))
      .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
}

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    home_ = std::make_unique<test::ScopedHome>();
    workflow_ = std::make_unique<Workflow>();
    dialog_ = std::make_unique<FileDialog>();
    alert_ = {};
    launcher_ = {};
    main_ = std::make_unique<Form1>(FrontEndServices{*workflow_, *dialog_, alert_, launcher_});
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
  }

  void cleanup() {
    main_.reset();
    workflow_.reset();
    home_.reset();
  }

  void whole_run_by_clicks() {
    dialog_->preset_choice("/d/expr data/in.txt");
    click(main_.get(), "Open");
    QCOMPARE(dialog_->qt_dialog().windowTitle(), said(kInputDialogTitle));
    QCOMPARE(dialog_->qt_dialog().acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(help(), said(input_chosen_message("/d/expr data/in.txt")));

    click(main_.get(), "Command4");
    QWidget* form2 = top_level("Form2");
    QVERIFY(form2);
    QCOMPARE(visible_windows(), QStringList{"Form2"});
    // Three different entries, so that a box read as another shows.
    type_entries(form2, "5", "7", "0.9");
    click(form2, "Command1");
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QCOMPARE(lines_of(home_->doutinfo()), QStringList({"5", "7", "0.9"}));
    QCOMPARE(help(), said(parameters_message({"5", "7", "0.9"})));

    dialog_->preset_choice("/d/out.txt");
    click(main_.get(), "Command1");
    QCOMPARE(dialog_->qt_dialog().windowTitle(), said(kOutputDialogTitle));
    QCOMPARE(dialog_->qt_dialog().acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog_->qt_dialog().nameFilters(), QStringList{"Text (*.txt)"});
    const QString output_chosen = said(output_chosen_message("/d/out.txt"));
    QCOMPARE(help(), output_chosen);

    click(main_.get(), "Command2");
    QWidget* form3 = top_level("Form3");
    QVERIFY(form3);
    QCOMPARE(visible_windows(), QStringList{"Form3"});
    click(form3, "Command2");
    QCOMPARE(launcher_.started, QStringList{"kova2"});
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QCOMPARE(help(), output_chosen);

    // Again, to the other engine; the boxes keep their text for the next showing.
    click(main_.get(), "Command2");
    click(form3, "Command1");
    QCOMPARE(launcher_.started, QStringList({"kova2", "kova1"}));
    click(main_.get(), "Command4");
    QCOMPARE(caption(control(form2, "Text3")), QString("0.9"));
    QVERIFY(alert_.errors.isEmpty());
  }

  void captions_and_geometry_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("pixels");  // for the 13-pixel text the layouts were drawn for: 15 twips a pixel
    QTest::newRow("main window") << "Form1"
                                 << ""
                                 << ""
                                 << "KOVA" << QRect(0, 0, 360, 254);
    QTest::newRow("Frame1") << "Form1"
                            << "Frame1"
                            << "Form1"
                            << "Controls" << QRect(8, 16, 137, 233);
    QTest::newRow("Open") << "Form1"
                          << "Open"
                          << "Form1"
                          << "Select Input File" << QRect(16, 40, 113, 25);
    QTest::newRow("Command4") << "Form1"
                              << "Command4"
                              << "Frame1"
                              << "Enter Input Description" << QRect(8, 64, 113, 33);
    QTest::newRow("Command1") << "Form1"
                              << "Command1"
                              << "Frame1"
                              << "Enter Output File Name" << QRect(8, 112, 113, 33);
    QTest::newRow("Command2") << "Form1"
                              << "Command2"
                              << "Frame1"
                              << "Start Biclustering" << QRect(8, 152, 113, 25);
    QTest::newRow("Command3") << "Form1"
                              << "Command3"
                              << "Frame1"
                              << "Exit" << QRect(32, 192, 49, 33);
    QTest::newRow("Frame2") << "Form1"
                            << "Frame2"
                            << "Form1"
                            << "Help Window" << QRect(200, 24, 145, 217);
    QTest::newRow("Text1 help") << "Form1"
                                << "Text1"
                                << "Frame2"
                                << "" << QRect(8, 16, 129, 193);
    QTest::newRow("input window") << "Form2"
                                  << ""
                                  << ""
                                  << "Input parameters" << QRect(0, 0, 312, 262);
    QTest::newRow("Enter Data") << "Form2"
                                << "Frame1"
                                << "Form2"
                                << "Enter Data" << QRect(24, 16, 273, 193);
    QTest::newRow("genes box") << "Form2"
                               << "Text1"
                               << "Form2"
                               << "" << QRect(32, 40, 73, 25);
    QTest::newRow("Label1") << "Form2"
                            << "Label1"
                            << "Frame1"
                            << "Number of Genes in Input File" << QRect(88, 32, 153, 33);
    QTest::newRow("samples box") << "Form2"
                                 << "Text2"
                                 << "Frame1"
                                 << "" << QRect(8, 80, 73, 25);
    QTest::newRow("Label2") << "Form2"
                            << "Label2"
                            << "Frame1"
                            << "Number of Samples in Input File" << QRect(88, 88, 161, 17);
    QTest::newRow("threshold box") << "Form2"
                                   << "Text3"
                                   << "Frame1"
                                   << "" << QRect(8, 128, 73, 25);
    QTest::newRow("Label3") << "Form2"
                            << "Label3"
                            << "Frame1"
                            << "Correlation threshold" << QRect(88, 136, 105, 17);
    QTest::newRow("Submit") << "Form2"
                            << "Command1"
                            << "Form2"
                            << "Submit" << QRect(112, 216, 73, 33);
    QTest::newRow("engine window") << "Form3"
                                   << ""
                                   << ""
                                   << "Execute" << QRect(0, 0, 147, 144);
    QTest::newRow("KOVA") << "Form3"
                          << "Command1"
                          << "Form3"
                          << "KOVA" << QRect(24, 24, 89, 25);
    QTest::newRow("OR") << "Form3"
                        << "Label1"
                        << "Form3"
                        << "OR" << QRect(56, 64, 65, 25);
    QTest::newRow("no overlapping") << "Form3"
                                    << "Command2"
                                    << "Form3"
                                    << "KOVA (no overlapping)" << QRect(8, 96, 129, 33);
  }
  void captions_and_geometry() {
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QRect, pixels);
    QWidget* w = open_window(window);
    QVERIFY(w);
    // One scale for the whole window, from its width; never smaller than its text asks for.
    const double scale = w->width() / double(window_size_at_13_pixels(window).width());
    const double text_scale = 15 * pixels_per_twip(w->fontMetrics().height(), w->logicalDpiY());
    QVERIFY2(scale > text_scale * 0.99, qPrintable(QString("scale %1 for text %2 px").arg(scale).arg(text_scale)));
    if (name.isEmpty()) {
      QCOMPARE(w->windowTitle(), text);
      QVERIFY(near(w->rect(), pixels, scale));
      return;
    }
    QWidget* c = control(w, name);
    QCOMPARE(c->parentWidget()->objectName(), container);
    QCOMPARE(caption(c), text);
    QVERIFY2(near(c->geometry(), pixels, scale),
             qPrintable(QString("%1 at scale %2").arg(rect_text(c->geometry())).arg(scale)));
  }

  void controls_drawn_over_their_frame() {
    // Open and the genes box belong to the window but lie inside the frame, in front of it.
    for (const auto& [window, over, frame] :
         {std::tuple{"Form1", "Open", "Frame1"}, std::tuple{"Form2", "Text1", "Frame1"}}) {
      QWidget* w = open_window(window);
      QVERIFY(w);
      QWidget* top = w->childAt(control(w, over)->geometry().center());
      QVERIFY(top == control(w, over) || control(w, over)->isAncestorOf(top));
      QVERIFY(control(w, frame)->geometry().contains(control(w, over)->geometry()));
    }
  }

  void focus_order_by_tab_index() {
    QCOMPARE(tab_walk(main_.get(), 7),
             QStringList({"Open", "Command1", "Command2", "Command3", "Text1", "Command4", "Open"}));
    QWidget* form2 = open_window("Form2");
    QVERIFY(form2);
    QCOMPARE(tab_walk(form2, 5), QStringList({"Text1", "Text2", "Command1", "Text3", "Text1"}));
    QWidget* form3 = open_window("Form3");
    QVERIFY(form3);
    QCOMPARE(tab_walk(form3, 3), QStringList({"Command1", "Command2", "Command1"}));
  }

  void focus_starts_on_the_first_button_and_enter_presses_a_button() {
    QApplication::setActiveWindow(main_.get());
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QCOMPARE(QApplication::focusWidget(), control(main_.get(), "Open"));
    // Enter on the focused "Enter Input Description" goes to the input parameters window.
    control(main_.get(), "Command4")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(visible_windows(), QStringList{"Form2"});
    QWidget* form2 = top_level("Form2");
    QApplication::setActiveWindow(form2);
    QCOMPARE(QApplication::focusWidget(), control(form2, "Text1"));
    type_entries(form2, "5", "5", "0.9");
    control(form2, "Command1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QVERIFY(QFile::exists(home_->doutinfo()));

    QWidget* form3 = open_window("Form3");
    QVERIFY(form3);
    QApplication::setActiveWindow(form3);
    QVERIFY(QTest::qWaitForWindowActive(form3));
    QCOMPARE(QApplication::focusWidget(), control(form3, "Command1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(launcher_.started, QStringList{"kova1"});
    QVERIFY(alert_.errors.isEmpty());
  }

  void every_caption_shows_whole_at_three_font_sizes_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("8 point") << 8;
    QTest::newRow("12 point") << 12;
    QTest::newRow("16 point") << 16;
  }
  void every_caption_shows_whole_at_three_font_sizes() {
    QFETCH(int, points);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPointSize(points);
    QApplication::setFont(font);
    rebuild_main_window();
    for (const QString& name : {QString("Form1"), QString("Form2"), QString("Form3")}) {
      QWidget* w = open_window(name);
      QVERIFY(w);
      for (QWidget* c : w->findChildren<QWidget*>()) {
        if (!c->isVisible()) continue;
        QVERIFY2(caption_shows_whole(c), qPrintable(name + "." + c->objectName() + " \"" + caption(c) + "\" in " +
                                                    rect_text(c->geometry()) + " at " + QString::number(points)));
        QVERIFY2(w->rect().contains(c->geometry()) || c->parentWidget() != w, qPrintable(c->objectName()));
      }
      w->hide();
    }
    // Larger text, larger windows: at least as wide against the text as drawn (360 pixels for 13).
    QVERIFY(main_->width() * 13 >= 360 * main_->fontMetrics().height() * 0.99);
    QApplication::setFont(before);
  }

  void paths_the_engine_reads_otherwise_give_a_message_box_and_keep_the_help() {
    dialog_->preset_choice("/d/in.txt");
    click(main_.get(), "Open");
    const QString message1 = help();
    dialog_->preset_choice("/d/result");
    click(main_.get(), "Command1");
    QCOMPARE(alert_.errors.size(), 1);
    QCOMPARE(help(), message1);
  }

  void entries_the_engine_cannot_use_give_a_message_box_and_keep_the_window() {
    click(main_.get(), "Command4");
    QWidget* form2 = top_level("Form2");
    type_entries(form2, "5", "5", "0,85");
    click(form2, "Command1");
    QCOMPARE(alert_.errors.size(), 1);
    QCOMPARE(visible_windows(), QStringList{"Form2"});
    QVERIFY(!QFile::exists(home_->doutinfo()));
  }

  void entries_that_disagree_with_the_matrix_are_written_only_when_the_user_says_so() {
    const QString matrix = home_->file("genes.txt");
    test::write_bytes(matrix, "g1 1 2 3\ng2 4 5 6\n");
    dialog_->preset_choice(matrix);
    click(main_.get(), "Open");
    click(main_.get(), "Command4");
    QWidget* form2 = top_level("Form2");
    type_entries(form2, "2", "4", "0.9");
    click(form2, "Command1");
    // The question is the workflow's about these very entries, each box as itself.
    QCOMPARE(alert_.questions, QStringList{said(workflow_->compare_with_input({"2", "4", "0.9"}).value_or(""))});
    QCOMPARE(visible_windows(), QStringList{"Form2"});
    QVERIFY(!QFile::exists(home_->doutinfo()));
    alert_.answer_yes = true;
    click(form2, "Command1");
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QVERIFY(QFile::exists(home_->doutinfo()));
    // Entries that agree ask nothing.
    click(main_.get(), "Command4");
    type_entries(form2, "2", "3", "0.9");
    click(form2, "Command1");
    QCOMPARE(alert_.questions.size(), 2);
    QVERIFY(alert_.errors.isEmpty());
  }

  void help_pane_wraps_without_scroll_bars() {
    auto* pane = control<QPlainTextEdit>(main_.get(), "Text1");
    QCOMPARE(pane->toPlainText(), QString());
    QCOMPARE(pane->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(main_->windowIcon().availableSizes(), QList<QSize>({QSize(16, 16), QSize(32, 32)}));
  }

  void cancelled_dialogs_keep_help_and_files() {
    dialog_->preset_cancel();
    click(main_.get(), "Open");
    QCOMPARE(help(), QString());
    QVERIFY(!QFile::exists(home_->outinfo()));
    dialog_->preset_choice("/d/in.txt");
    click(main_.get(), "Open");
    const QString message1 = help();
    dialog_->preset_cancel();
    click(main_.get(), "Command1");
    QCOMPARE(help(), message1);
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QVERIFY(alert_.errors.isEmpty());
  }

  void out_of_order_clicks_tell_the_first_step() {
    click(main_.get(), "Command1");
    QCOMPARE(alert_.errors.size(), 1);
    click(main_.get(), "Command2");
    QCOMPARE(alert_.errors.size(), 2);
    QCOMPARE(help(), QString());
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QVERIFY(!QFile::exists(home_->outinfo()));
  }

  void unwritable_files_give_a_message_box_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("outinfo.txt") << "outinfo.txt";
    QTest::newRow("doutinfo.txt") << "doutinfo.txt";
  }
  void unwritable_files_give_a_message_box() {
    QFETCH(QString, file);
    const bool input_fails = file == "outinfo.txt";
    QVERIFY(QDir().mkdir(home_->file(file)));
    dialog_->preset_choice("/d/in.txt");
    click(main_.get(), "Open");
    // A failed input choice gives its message box at once and no help.
    QCOMPARE(alert_.errors.size(), input_fails ? 1 : 0);
    QCOMPARE(help().isEmpty(), input_fails);
    click(main_.get(), "Command4");
    QWidget* form2 = top_level("Form2");
    type_entries(form2, "5", "5", "0.9");
    click(form2, "Command1");
    QCOMPARE(alert_.errors.size(), 1);
    // A failed Submit keeps its window, so the user can try again.
    QCOMPARE(visible_windows(), QStringList{input_fails ? "Form1" : "Form2"});
    if (input_fails) QCOMPARE(help(), said(parameters_message({"5", "5", "0.9"})));
  }

  void engine_that_cannot_start_gives_a_message_box() {
    launcher_.failure = "Cannot start the engine kova2: not found";
    dialog_->preset_choice("/d/in.txt");
    click(main_.get(), "Open");
    dialog_->preset_choice("/d/out.txt");
    click(main_.get(), "Command1");
    const QString message3 = help();
    click(main_.get(), "Command2");
    click(top_level("Form3"), "Command2");
    QCOMPARE(alert_.errors, QStringList{*launcher_.failure});
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QCOMPARE(help(), message3);
  }

  void closing_a_window_from_its_title_bar() {
    click(main_.get(), "Command4");
    QVERIFY(top_level("Form2")->close() == false);  // refused as a close, done as a hide
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    dialog_->preset_choice("/d/in.txt");
    click(main_.get(), "Open");
    dialog_->preset_choice("/d/out.txt");
    click(main_.get(), "Command1");
    click(main_.get(), "Command2");
    top_level("Form3")->close();
    QCOMPARE(visible_windows(), QStringList{"Form1"});
    QVERIFY(launcher_.started.isEmpty());
    QVERIFY(main_->close());
    QCOMPARE(visible_windows(), QStringList{});
  }

  void exit_keeps_what_was_written() {
    dialog_->preset_choice("/d/in.txt");
    click(main_.get(), "Open");
    click(main_.get(), "Command3");
    QCOMPARE(visible_windows(), QStringList{});
    QCOMPARE(file_bytes(home_->outinfo()), QByteArray("/d/in.txt\r\n"));
  }

  void qt_dialog_itself_answers_and_cancels() {
    QTemporaryDir folder;
    const QString chosen = folder.filePath("genes.txt");
    test::write_bytes(chosen, "g1 1 2 3\n");
    QString title;
    QStringList filters;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      title = dialog->windowTitle();
      filters = dialog->nameFilters();
      dialog->selectFile(chosen);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    click(main_.get(), "Open");
    QCOMPARE(title, said(kInputDialogTitle));
    QCOMPARE(filters, QStringList{"Text (*.txt)"});
    // The path picked reached the workflow as the file name it is.
    const QString message1 = help();
    QCOMPARE(message1, said(input_chosen_message(QFile::encodeName(chosen).toStdString())));

    QTimer::singleShot(0, [] {
      if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    click(main_.get(), "Command1");
    QCOMPARE(help(), message1);
    QVERIFY(alert_.errors.isEmpty());
  }

 private:
  QString help() { return control<QPlainTextEdit>(main_.get(), "Text1")->toPlainText(); }

  // A new main window for a changed application font; not a slot, which QtTest would run as a case.
  void rebuild_main_window() {
    main_.reset();
    workflow_ = std::make_unique<Workflow>();
    main_ = std::make_unique<Form1>(FrontEndServices{*workflow_, *dialog_, alert_, launcher_});
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
  }

  // Brings up Form2 or Form3 through their buttons; Form1 is there from the start.
  QWidget* open_window(const QString& name) {
    if (name == "Form2") {
      main_->show();
      click(main_.get(), "Command4");
    } else if (name == "Form3") {
      dialog_->preset_choice("/d/in.txt");
      if (!QFile::exists(home_->outinfo())) click(main_.get(), "Open");
      dialog_->preset_choice("/d/out.txt");
      click(main_.get(), "Command1");
      click(main_.get(), "Command2");
    } else {
      return main_.get();
    }
    QWidget* w = top_level(name);
    if (w && !QTest::qWaitForWindowExposed(w)) qWarning("%s was not exposed", qPrintable(name));
    return w;
  }

  std::unique_ptr<test::ScopedHome> home_;
  std::unique_ptr<Workflow> workflow_;
  std::unique_ptr<FileDialog> dialog_;
  test::RecordingAlert alert_;
  test::RecordingLauncher launcher_;
  std::unique_ptr<Form1> main_;
};

}  // namespace kova

QTEST_MAIN(kova::WindowsTest)
#include "windows_test.moc"
