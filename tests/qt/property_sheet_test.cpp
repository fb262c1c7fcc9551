// The desktop window driven as a user drives it, on Qt's offscreen platform:
// typing, clicks on buttons, tabs and check boxes, keys, and the ways of
// closing, also in the middle of a scan. What a scan makes of the files is
// the engine's part (tests/sorter); these tests prove what the window binds.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sorter/error_log.h"
#include "app/qt/desktop_program.h"
#include "app/qt/dialog_units.h"
#include "app/qt/page_templates.h"
#include "app/qt/property_sheet.h"
#include "app/qt/qt_shell.h"
#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"
#include "app/ini_file.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::readFile;
using testing_support::writeFile;

// testing_support::listTree, printable by QCOMPARE.
QStringList listTree(const std::string& root) {
  QStringList out;
  for (const std::string& entry : testing_support::listTree(root)) {
    out << QString::fromStdString(entry);
  }
  return out;
}

QString qt(const std::string& path) { return QString::fromStdString(path); }

}  // namespace

enum class CloseBy { ok, cancel, escape, closeButton };
Q_DECLARE_METATYPE(CloseBy)

class PropertySheetTest : public QObject {
  Q_OBJECT

 private:
  QLineEdit* edit(PropertySheet& sheet, int id) {
    return qobject_cast<QLineEdit*>(sheet.control(PropertySheet::sortPage, id));
  }
  QAbstractButton* button(PropertySheet& sheet, PropertySheet::Page page, int id) {
    return qobject_cast<QAbstractButton*>(sheet.control(page, id));
  }
  void clickStart(PropertySheet& sheet) {
    QTest::mouseClick(button(sheet, PropertySheet::sortPage, control::startButton), Qt::LeftButton);
  }
  // On its mark: the middle of a wide box may lie beyond its text, where a
  // click does nothing.
  void clickCheckBox(QAbstractButton* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    QRect mark = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, mark.center());
  }
  void typeInto(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  void closeSheet(PropertySheet& sheet, CloseBy how) {
    if (how == CloseBy::ok) QTest::mouseClick(sheet.okButton(), Qt::LeftButton);
    if (how == CloseBy::cancel) QTest::mouseClick(sheet.cancelButton(), Qt::LeftButton);
    if (how == CloseBy::escape) QTest::keyClick(&sheet, Qt::Key_Escape);
    if (how == CloseBy::closeButton) sheet.close();
  }
  void closeWays() {
    QTest::addColumn<CloseBy>("how");
    QTest::newRow("OK") << CloseBy::ok;
    QTest::newRow("Abbrechen") << CloseBy::cancel;
    QTest::newRow("Escape") << CloseBy::escape;
    QTest::newRow("close button") << CloseBy::closeButton;
  }
  // Runs action once the scan shows the file name: it arrives in the scan's
  // next pumpMessages, as a click of the user would.
  void whenFileShown(PropertySheet& sheet, const QString& name, std::function<void()> action) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(edit(sheet, control::currentFile), &QLineEdit::textChanged, &sheet,
                          [&sheet, name, action, connection](const QString& text) {
                            if (text != name) return;
                            QObject::disconnect(*connection);
                            QMetaObject::invokeMethod(&sheet, action, Qt::QueuedConnection);
                          });
  }
  // Runs action on the program's window once it is up.
  void whenWindowShown(std::function<void(PropertySheet&)> action) {
    QMetaObject::invokeMethod(
        qApp,
        [action] {
          auto* sheet = dynamic_cast<PropertySheet*>(QApplication::activeModalWidget());
          QVERIFY(sheet);
          action(*sheet);
        },
        Qt::QueuedConnection);
  }
  // Files "01".."count" of one artist and album, titled "Lied 1" and on.
  void makeSongs(int count) {
    for (int i = 1; i <= count; ++i) {
      const std::vector<std::string> frames = {
          id3::frame(3, "TPE1", id3::textBody(id3::Encoding::latin1, "Anna Apfel")),
          id3::frame(3, "TALB", id3::textBody(id3::Encoding::latin1, "Erstes")),
          id3::frame(3, "TIT2", id3::textBody(id3::Encoding::latin1, "Lied " + std::to_string(i)))};
      writeFile(source_ + "/0" + std::to_string(i) + ".mp3",
                id3::mp3File(id3::tag(3, frames), 6000, "", static_cast<std::uint32_t>(i)));
    }
  }
  std::string iniFile() const { return root_ + "/config/liedkorb.INI"; }
  void writeIni(const std::string& keys) { writeFile(iniFile(), "[general]\n" + keys); }
  QString iniValue(const char* key) const {
    return qt(::iniValue(parseIniText(readFile(iniFile())), "general", key).value_or("<missing>"));
  }

  std::unique_ptr<QTemporaryDir> temp_;
  std::string root_, source_, target_;
  QtShell shell_;
  std::vector<std::pair<QString, QString>> messages_;  // text, caption

 private slots:
  void init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    root_ = temp_->path().toStdString();
    source_ = root_ + "/quelle";
    target_ = root_ + "/ziel";
    for (const std::string& folder : {root_ + "/config", source_, target_}) {
      QVERIFY(std::filesystem::create_directory(testing_support::fsPath(folder)));
    }
    resetSharedState();
    platform::setConfigFolder(root_ + "/config");
    QVERIFY(allocateWorkBuffer());
    QVERIFY(allocateChecksumBuffer());
    QVERIFY(allocateDuplicateStorage());
    settings.quellPfad = source_;
    settings.zielPfad = target_;
    messages_.clear();
    shell_.setMessagePresenter([this](QWidget*, const QString& text, const QString& caption) {
      messages_.emplace_back(text, caption);
    });
    // No test may reach the real dialog: it would wait for a user.
    shell_.setFolderChooser([](QWidget*, const QString&, const QString&) {
      qWarning("folder chooser opened without an answer");
      return std::optional<QString>();
    });
    setShell(&shell_);
  }

  void cleanup() {
    setShell(nullptr);
    freeDuplicateStorage();
    checksumBuffer.reset();
    platform::setConfigFolder("");
    resetSharedState();
    temp_.reset();
  }

  void startScansTheTypedSourceAndShowsEachFile() {
    const std::string song =
        id3::mp3File("", 5000, id3::id3v1("Fuenf", "Carla Chor", "Live", "1999", 8), 5);
    writeFile(source_ + "/1.mp3", song);
    writeFile(source_ + "/2.mp3", song);
    settings.kuenstler = settings.crc = 1;
    settings.quellPfad = root_;
    PropertySheet sheet(shell_);
    sheet.show();
    // Typed and never read by leaving the page: the start button takes it.
    typeInto(edit(sheet, control::sourceEdit), qt(source_));
    clickStart(sheet);

    QVERIFY(readFile(target_ + "/Kuenstler/Carla Chor/Fuenf.MP3") == song);
    const std::pair<int, QString> shown[] = {
        {control::filesCounter, "1"},        {control::duplicatesCounter, "1"},
        {control::currentFolder, qt(source_)}, {control::currentFile, "2"},
        {control::artist, "Carla Chor"},     {control::album, "Live"},
        {control::title, "Fuenf"},           {control::year, "1999"},
        {control::genre, "Jazz"}};
    for (const auto& [id, text] : shown) QCOMPARE(edit(sheet, id)->text(), text);
    QCOMPARE(button(sheet, PropertySheet::sortPage, control::startButton)->text(),
             QString("&Start"));
    QCOMPARE(settings.quellPfad, source_);
    QVERIFY(messages_.empty());
  }

  // The box flipped while "03" is in hand applies from "04"; "&Abbruch"
  // while "04" is in hand lets it finish and starts no other.
  void clicksMidScanApplyFromTheNextFile() {
    makeSongs(6);
    settings.kuenstler = 1;
    PropertySheet sheet(shell_);
    sheet.show();
    QAbstractButton* start = button(sheet, PropertySheet::sortPage, control::startButton);
    auto* album = qobject_cast<QCheckBox*>(sheet.control(PropertySheet::optionsPage, 210));
    QVERIFY(album && !album->isChecked());
    QString textDuringScan, textAfterAbort;
    whenFileShown(sheet, "03", [&] {
      sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
      clickCheckBox(album);
    });
    whenFileShown(sheet, "04", [&] {
      sheet.tabs()->setCurrentIndex(PropertySheet::sortPage);
      textDuringScan = start->text();
      QTest::mouseClick(start, Qt::LeftButton);
      textAfterAbort = start->text();
    });
    QTest::mouseClick(start, Qt::LeftButton);

    QCOMPARE(textDuringScan, QString("&Abbruch"));
    QCOMPARE(textAfterAbort, QString("&Start"));
    QCOMPARE(listTree(target_ + "/Kuenstler/Anna Apfel"),
             QStringList({"Erstes/", "Erstes/Lied 3.MP3", "Erstes/Lied 4.MP3", "Lied 1.MP3",
                          "Lied 2.MP3"}));
    QCOMPARE(edit(sheet, control::filesCounter)->text(), QString("4"));
    QVERIFY(album->isChecked());
  }

  void clearCrcZeroesTheCountersShown() {
    scanCounters = {3, 2};
    PropertySheet sheet(shell_);
    sheet.show();
    QCOMPARE(edit(sheet, control::duplicatesCounter)->text(), QString("2"));
    sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
    QTest::mouseClick(button(sheet, PropertySheet::optionsPage, control::clearCrcButton),
                      Qt::LeftButton);
    // Shown at once on the sort page, though the options page is in front.
    QCOMPARE(edit(sheet, control::filesCounter)->text(), QString("0"));
    QCOMPARE(edit(sheet, control::duplicatesCounter)->text(), QString("0"));
  }

  // OK takes over the edits; the other ways keep what leaving the page read.
  void closingKeepsLastReadPath_data() { closeWays(); }
  void closingKeepsLastReadPath() {
    QFETCH(CloseBy, how);
    writeIni("quell-pfad=" + root_ + "/start\n");
    whenWindowShown([&](PropertySheet& sheet) {
      QCOMPARE(edit(sheet, control::sourceEdit)->text(), qt(root_ + "/start"));
      typeInto(edit(sheet, control::sourceEdit), qt(root_ + "/typed-first"));
      sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
      sheet.tabs()->setCurrentIndex(PropertySheet::sortPage);
      typeInto(edit(sheet, control::sourceEdit), qt(root_ + "/typed-second"));
      closeSheet(sheet, how);
    });
    QCOMPARE(runDesktopProgram(shell_), 0);
    QCOMPARE(iniValue("quell-pfad"),
             qt(root_ + (how == CloseBy::ok ? "/typed-second" : "/typed-first")));
  }

  // The chooser opens at the typed folder, though it was never read before,
  // and its answer goes into the button's edit.
  void browseButtonsAskChooserAtTheirEdit() {
    const QString typed = qt(root_ + "/getippt"), chosen = qt(root_ + "/gewählt");
    const std::tuple<int, int, QString> rows[] = {
        {control::browseTarget, control::targetEdit, "Ziel für MP3´s"},
        {control::browseCover, control::coverEdit, "Quelle für Cover"},
        {control::browseSource, control::sourceEdit, "Quelle für MP3´s"},
    };
    PropertySheet sheet(shell_);
    sheet.show();
    for (const auto& [buttonId, editId, title] : rows) {
      QStringList calls;  // title and start folder
      QWidget* owner = nullptr;
      shell_.setFolderChooser([&](QWidget* parent, const QString& asked, const QString& start) {
        owner = parent;
        calls << asked << start;
        return std::optional<QString>(chosen);
      });
      typeInto(edit(sheet, editId), typed);
      QTest::mouseClick(button(sheet, PropertySheet::sortPage, buttonId), Qt::LeftButton);
      QCOMPARE(calls, QStringList({title, typed}));
      QCOMPARE(owner, &sheet);
      QCOMPARE(edit(sheet, editId)->text(), chosen);
    }
  }

  void closingDuringScanStopsScanFirst_data() { closeWays(); }
  void closingDuringScanStopsScanFirst() {
    QFETCH(CloseBy, how);
    makeSongs(6);
    writeIni("kuenstler=1\nziel-pfad=" + target_ + "\nquell-pfad=" + source_ + "\n");
    bool visibleAfterClose = false;
    whenWindowShown([&](PropertySheet& sheet) {
      // A flag changed during the run shows that the settings were saved.
      sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
      clickCheckBox(button(sheet, PropertySheet::optionsPage, 200));
      sheet.tabs()->setCurrentIndex(PropertySheet::sortPage);
      whenFileShown(sheet, "02", [&sheet, how, &visibleAfterClose, this] {
        closeSheet(sheet, how);
        visibleAfterClose = sheet.isVisible();  // until the scan has wound down
      });
      clickStart(sheet);
    });
    QCOMPARE(runDesktopProgram(shell_), 0);

    QVERIFY(visibleAfterClose);
    QCOMPARE(listTree(target_ + "/Kuenstler"),
             QStringList({"Anna Apfel/", "Anna Apfel/Lied 1.MP3", "Anna Apfel/Lied 2.MP3"}));
    QCOMPARE(scanRunning, 0);
    QCOMPARE(iniValue("rekursiv"), QString("1"));
  }

  void statusLineShowsWholeMessage() {
    PropertySheet sheet(shell_);
    sheet.show();
    reportError("Verzeichnis\n/ziel/Kuenstler/AC:DC\nkonnte nicht angelegt werden",
                "/ziel/Kuenstler/AC:DC");
    auto* status =
        qobject_cast<QLabel*>(sheet.control(PropertySheet::sortPage, control::statusLine));
    QVERIFY(status);
    QCOMPARE(status->text(),
             QString("Verzeichnis /ziel/Kuenstler/AC:DC konnte nicht angelegt werden"));
    QCOMPARE(status->sizeHint().height(), QFontMetrics(status->font()).height());
  }

  void optionMarksFollowFlags() {
    settings.rekursiv = settings.crc = 1;
    PropertySheet sheet(shell_);
    for (int id : {101, 200, 201, 202, 203, 204, 205, 206, 207, 208, 210, 211, 212, 213}) {
      auto* box = qobject_cast<QCheckBox*>(sheet.control(PropertySheet::optionsPage, id));
      QVERIFY2(box, qPrintable(QString::number(id)));
      QCOMPARE(box->isChecked(), id == 200 || id == 206);
    }
  }

  void mnemonicClicksCheckBox() {
    PropertySheet sheet(shell_);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
    QTest::keyClick(&sheet, Qt::Key_V, Qt::AltModifier);  // "rekursiver &Verzeichnisscan"
    QTRY_COMPARE(settings.rekursiv, 1);
    QVERIFY(button(sheet, PropertySheet::optionsPage, 200)->isChecked());
  }

  void pagesFollowTheDialogTemplates() {
    // MS Sans Serif 8 at 96 dpi has the base units 6 and 13: a page of
    // 248 by 224 units is 372 by 364 pixels there.
    QCOMPARE(mapDialogRect({6, 13}, {0, 0, pageWidth, pageHeight}), QRect(0, 0, 372, 364));
    // Controls that meet in the template meet on the screen, whatever the
    // rounding: "Dateien:" and its counter.
    for (DialogBaseUnits units : {DialogBaseUnits{6, 13}, {7, 17}, {9, 19}}) {
      QCOMPARE(mapDialogRect(units, {12, 78, 32, 8}).right() + 1,
               mapDialogRect(units, {44, 76, 32, 12}).left());
    }
    // The pages keep the template's size in the font's units, widened only as
    // far as the texts need, and no text is cut.
    PropertySheet sheet(shell_);
    sheet.show();
    const DialogBaseUnits units = dialogBaseUnits(sheet.font());
    for (int i = 0; i < sheet.tabs()->count(); ++i) {
      QWidget* page = sheet.tabs()->widget(i);
      QCOMPARE(page->height(), mapDialogY(units, pageHeight));
      QVERIFY(page->width() >= mapDialogX(units, pageWidth));
      QVERIFY(page->width() <= mapDialogX(units, pageWidth) * 5 / 4);
      for (QWidget* widget : page->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
          QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
          QVERIFY2(label->sizeHint().height() <= label->height(), qPrintable(label->text()));
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
          QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
        }
      }
    }
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  PropertySheetTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "property_sheet_test.moc"
