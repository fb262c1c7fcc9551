// The desktop window driven as a user drives it, on Qt's offscreen platform:
// typing, clicks on buttons, tabs and check boxes, keys, and the ways of
// closing, also in the middle of a scan of a generated library.
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

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/error_log.h"
#include "app/qt/desktop_program.h"
#include "app/qt/dialog_units.h"
#include "app/qt/page_templates.h"
#include "app/qt/property_sheet.h"
#include "app/qt/qt_shell.h"
#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"
#include "tests/support/id3_writer.h"

namespace fs = std::filesystem;

namespace {

void writeWholeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  QVERIFY2(out.good(), path.c_str());
}

std::string readWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file and folder below root, relative, folders with a trailing '/'.
QStringList listTree(const fs::path& root) {
  QStringList out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    QString relative = QString::fromStdString(fs::relative(it->path(), root).generic_string());
    if (it->is_directory()) relative += u'/';
    out << relative;
  }
  out.sort();
  return out;
}

// The value of key in an INI file's text.
QString iniValue(const fs::path& iniFile, const QString& key) {
  const QString text = QString::fromStdString(readWholeFile(iniFile));
  for (const QString& line : text.split(u'\n')) {
    if (line.startsWith(key + u'=')) return line.mid(key.size() + 1).trimmed();
  }
  return {};
}

std::string taggedFile(std::string_view artist, std::string_view album, std::string_view title,
                       std::string_view genre, std::uint32_t seed) {
  std::vector<std::string> frames;
  auto add = [&frames](std::string_view id, std::string_view text) {
    if (!text.empty())
      frames.push_back(id3::frame(3, id, id3::textBody(id3::Encoding::latin1, text)));
  };
  add("TPE1", artist);
  add("TALB", album);
  add("TIT2", title);
  add("TCON", genre);
  return id3::mp3File(id3::tag(3, frames), 6000, "", seed);
}

QString qt(const fs::path& path) {
  return QString::fromStdString(path.string());
}

}  // namespace

class PropertySheetTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void scanSortsGeneratedLibrary();
  void abortLetsFileInHandFinish();
  void checkBoxFlippedMidScanAppliesFromNextFile();
  void clearCrcEmptiesTableAndZeroesCounters();
  void closingKeepsLastReadPath_data();
  void closingKeepsLastReadPath();
  void browseButtonsAskChooserAtCurrentFolder_data();
  void browseButtonsAskChooserAtCurrentFolder();
  void closingDuringScanStopsScanFirst_data();
  void closingDuringScanStopsScanFirst();
  void statusLineShowsWholeMessage();
  void optionMarksFollowFlags_data();
  void optionMarksFollowFlags();
  void mnemonicClicksCheckBox();
  void dialogUnitsMapLikeWindows();
  void noTextIsCut();

 private:
  QLineEdit* edit(PropertySheet& sheet, int id) {
    return qobject_cast<QLineEdit*>(sheet.control(PropertySheet::sortPage, id));
  }
  QAbstractButton* button(PropertySheet& sheet, PropertySheet::Page page, int id) {
    return qobject_cast<QAbstractButton*>(sheet.control(page, id));
  }
  // Clicks a check box on its mark: the middle of a wide box may lie beyond
  // its text, where a click does nothing.
  void clickCheckBox(QAbstractButton* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    QRect mark = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, mark.center());
  }
  // Replaces the edit's text by typing.
  void typeInto(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  // Runs action through the event loop once the scan shows the file name:
  // it arrives in the scan's next pumpMessages, as a click of the user would.
  void whenFileShown(PropertySheet& sheet, const QString& name, std::function<void()> action) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(edit(sheet, control::currentFile), &QLineEdit::textChanged, &sheet,
                          [&sheet, name, action, connection](const QString& text) {
                            if (text != name) return;
                            QObject::disconnect(*connection);
                            QMetaObject::invokeMethod(&sheet, action, Qt::QueuedConnection);
                          });
  }
  // Once the program's window is up, runs action on it.
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
  // Files "01".."count" of one artist, titled "Lied 1" and on.
  void makeSongs(const fs::path& folder, int count, std::string_view genre = "Pop") {
    fs::create_directories(folder);
    for (int i = 1; i <= count; ++i) {
      std::string number = (i < 10 ? "0" : "") + std::to_string(i);
      writeWholeFile(folder / (number + ".mp3"),
                     taggedFile("Anna Apfel", "Erstes", "Lied " + std::to_string(i), genre,
                                static_cast<std::uint32_t>(i)));
    }
  }
  fs::path iniFile() const { return root_ / "config" / "liedkorb.INI"; }
  void writeIni(const std::string& keys) { writeWholeFile(iniFile(), "[general]\n" + keys); }

  std::unique_ptr<QTemporaryDir> temp_;
  fs::path root_;
  QtShell shell_;
  std::vector<std::pair<QString, QString>> messages_;  // text, caption
};

void PropertySheetTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  QVERIFY(temp_->isValid());
  root_ = fs::path(temp_->path().toStdString());
  fs::create_directories(root_ / "config");
  resetSharedState();
  platform::setConfigFolder((root_ / "config").string());
  QVERIFY(allocateWorkBuffer());
  QVERIFY(allocateChecksumBuffer());
  QVERIFY(allocateDuplicateStorage());
  messages_.clear();
  shell_.setMessagePresenter([this](QWidget*, const QString& text, const QString& caption) {
    messages_.emplace_back(text, caption);
  });
  // No test may reach the real dialog: it would wait for a user.
  shell_.setFolderChooser([](QWidget*, const QString&, const QString&) -> std::optional<QString> {
    qWarning("folder chooser opened without an answer");
    return std::nullopt;
  });
  setShell(&shell_);
  clearDuplicateTable();
}

void PropertySheetTest::cleanup() {
  setShell(nullptr);
  freeDuplicateStorage();
  checksumBuffer.reset();
  platform::setConfigFolder("");
  resetSharedState();
  temp_.reset();
}

void PropertySheetTest::scanSortsGeneratedLibrary() {
  const fs::path source = root_ / "quelle";
  const fs::path target = root_ / "ziel";
  fs::create_directories(source);
  fs::create_directories(target);
  const std::string first = taggedFile("Anna Apfel", "Erstes", "Eins", "Pop", 1);
  writeWholeFile(source / "01 a.mp3", first);
  writeWholeFile(source / "02 b.mp3", taggedFile("Bert Birne", "", "Zwei", "", 2));
  writeWholeFile(source / "03 c.mp3", id3::mp3File("", 5000, "", 3));
  writeWholeFile(source / "04 d.mp3", first);
  writeWholeFile(source / "05 e.MP3",
                 id3::mp3File("", 5000, id3::id3v1("Fuenf", "Carla Chor", "", "1999", 8), 5));
  writeWholeFile(source / "notiz.txt", "kein Lied");
  settings.kuenstler = settings.genre = settings.unbekannt = settings.crc = 1;
  settings.zielPfad = target.string();

  PropertySheet sheet(shell_);
  sheet.show();
  // Typed and never read by leaving the page: the start button takes it.
  typeInto(edit(sheet, control::sourceEdit), qt(source));
  QTest::mouseClick(button(sheet, PropertySheet::sortPage, control::startButton), Qt::LeftButton);

  QCOMPARE(listTree(target), QStringList({
                                 "Genre/",
                                 "Genre/Jazz/",
                                 "Genre/Jazz/05 e.MP3",
                                 "Genre/Pop/",
                                 "Genre/Pop/01 a.mp3",
                                 "Kuenstler/",
                                 "Kuenstler/Anna Apfel/",
                                 "Kuenstler/Anna Apfel/Eins.MP3",
                                 "Kuenstler/Bert Birne/",
                                 "Kuenstler/Bert Birne/Zwei.MP3",
                                 "Kuenstler/Carla Chor/",
                                 "Kuenstler/Carla Chor/Fuenf.MP3",
                                 "Mit ID3-Tag/",
                                 "Mit ID3-Tag/02 b.mp3",
                                 "Ohne ID3-Tag/",
                                 "Ohne ID3-Tag/03 c.mp3",
                             }));
  QVERIFY(readWholeFile(target / "Kuenstler/Anna Apfel/Eins.MP3") == first);
  QCOMPARE(edit(sheet, control::filesCounter)->text(), QString("7"));
  QCOMPARE(edit(sheet, control::duplicatesCounter)->text(), QString("1"));
  QCOMPARE(edit(sheet, control::currentFolder)->text(), qt(source));
  QCOMPARE(edit(sheet, control::currentFile)->text(), QString("05 e"));
  QCOMPARE(edit(sheet, control::artist)->text(), QString("Carla Chor"));
  QCOMPARE(edit(sheet, control::title)->text(), QString("Fuenf"));
  QCOMPARE(edit(sheet, control::year)->text(), QString("1999"));
  QCOMPARE(edit(sheet, control::genre)->text(), QString("Jazz"));
  QCOMPARE(button(sheet, PropertySheet::sortPage, control::startButton)->text(), QString("&Start"));
  QCOMPARE(settings.quellPfad, source.string());
  QCOMPARE(scanRunning, 0);
  QVERIFY(messages_.empty());
}

void PropertySheetTest::abortLetsFileInHandFinish() {
  const fs::path source = root_ / "quelle";
  const fs::path target = root_ / "ziel";
  makeSongs(source, 6);
  fs::create_directories(target);
  settings.kuenstler = 1;
  settings.zielPfad = target.string();
  settings.quellPfad = source.string();

  PropertySheet sheet(shell_);
  sheet.show();
  QAbstractButton* start = button(sheet, PropertySheet::sortPage, control::startButton);
  QString textDuringScan;
  QString textAfterAbort;
  whenFileShown(sheet, "03", [&] {
    textDuringScan = start->text();
    QTest::mouseClick(start, Qt::LeftButton);
    textAfterAbort = start->text();
  });
  QTest::mouseClick(start, Qt::LeftButton);

  QCOMPARE(textDuringScan, QString("&Abbruch"));
  QCOMPARE(textAfterAbort, QString("&Start"));
  QCOMPARE(listTree(target / "Kuenstler"),
           QStringList({"Anna Apfel/", "Anna Apfel/Lied 1.MP3", "Anna Apfel/Lied 2.MP3",
                        "Anna Apfel/Lied 3.MP3"}));
  QCOMPARE(edit(sheet, control::filesCounter)->text(), QString("3"));
  QCOMPARE(start->text(), QString("&Start"));
  QCOMPARE(scanRunning, 0);
}

void PropertySheetTest::checkBoxFlippedMidScanAppliesFromNextFile() {
  const fs::path source = root_ / "quelle";
  const fs::path target = root_ / "ziel";
  makeSongs(source, 4);
  fs::create_directories(target);
  settings.kuenstler = 1;
  settings.zielPfad = target.string();
  settings.quellPfad = source.string();

  PropertySheet sheet(shell_);
  sheet.show();
  auto* album = qobject_cast<QCheckBox*>(sheet.control(PropertySheet::optionsPage, 210));
  QVERIFY(album && !album->isChecked());
  whenFileShown(sheet, "03", [&] {
    sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
    clickCheckBox(album);
  });
  QTest::mouseClick(button(sheet, PropertySheet::sortPage, control::startButton), Qt::LeftButton);

  QCOMPARE(listTree(target / "Kuenstler" / "Anna Apfel"),
           QStringList(
               {"Erstes/", "Erstes/Lied 3.MP3", "Erstes/Lied 4.MP3", "Lied 1.MP3", "Lied 2.MP3"}));
  QVERIFY(album->isChecked());
  QCOMPARE(settings.makealbum, 1);
}

void PropertySheetTest::clearCrcEmptiesTableAndZeroesCounters() {
  const fs::path source = root_ / "quelle";
  const fs::path target = root_ / "ziel";
  fs::create_directories(source);
  fs::create_directories(target);
  const std::string song = taggedFile("Anna Apfel", "", "Eins", "", 1);
  writeWholeFile(source / "01.mp3", song);
  writeWholeFile(source / "02.mp3", song);
  settings.kuenstler = settings.crc = settings.crcSave = 1;
  settings.zielPfad = target.string();
  settings.quellPfad = source.string();

  PropertySheet sheet(shell_);
  sheet.show();
  QTest::mouseClick(button(sheet, PropertySheet::sortPage, control::startButton), Qt::LeftButton);
  QCOMPARE(edit(sheet, control::filesCounter)->text(), QString("1"));
  QCOMPARE(edit(sheet, control::duplicatesCounter)->text(), QString("1"));
  QCOMPARE(duplicateCount(), 1u);

  sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
  QAbstractButton* clear = button(sheet, PropertySheet::optionsPage, control::clearCrcButton);
  QCOMPARE(clear->text(), QString("&CRC &löschen"));
  QTest::mouseClick(clear, Qt::LeftButton);

  // Shown at once on the sort page, though the options page is in front.
  QCOMPARE(edit(sheet, control::filesCounter)->text(), QString("0"));
  QCOMPARE(edit(sheet, control::duplicatesCounter)->text(), QString("0"));
  QCOMPARE(duplicateCount(), 0u);
  QCOMPARE(scanCounters.files, 0u);
  QCOMPARE(scanCounters.duplicates, 0u);
  QCOMPARE(settings.crc, 1);
  QCOMPARE(settings.crcSave, 1);
}

enum class CloseBy { ok, cancel, escape, closeButton };
Q_DECLARE_METATYPE(CloseBy)

namespace {

void closeSheet(PropertySheet& sheet, CloseBy how) {
  switch (how) {
    case CloseBy::ok:
      QTest::mouseClick(sheet.okButton(), Qt::LeftButton);
      break;
    case CloseBy::cancel:
      QTest::mouseClick(sheet.cancelButton(), Qt::LeftButton);
      break;
    case CloseBy::escape:
      QTest::keyClick(&sheet, Qt::Key_Escape);
      break;
    case CloseBy::closeButton:
      sheet.close();
      break;
  }
}

}  // namespace

void PropertySheetTest::closingKeepsLastReadPath_data() {
  QTest::addColumn<CloseBy>("how");
  QTest::addColumn<QString>("stored");
  // OK takes over the edits; the other ways keep what leaving the page read.
  QTest::newRow("OK") << CloseBy::ok << "typed-second";
  QTest::newRow("Abbrechen") << CloseBy::cancel << "typed-first";
  QTest::newRow("Escape") << CloseBy::escape << "typed-first";
  QTest::newRow("close button") << CloseBy::closeButton << "typed-first";
}

void PropertySheetTest::closingKeepsLastReadPath() {
  QFETCH(CloseBy, how);
  QFETCH(QString, stored);
  writeIni("quell-pfad=" + (root_ / "start").string() + "\n");
  whenWindowShown([&](PropertySheet& sheet) {
    QCOMPARE(edit(sheet, control::sourceEdit)->text(), qt(root_ / "start"));
    typeInto(edit(sheet, control::sourceEdit), qt(root_ / "typed-first"));
    sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
    sheet.tabs()->setCurrentIndex(PropertySheet::sortPage);
    typeInto(edit(sheet, control::sourceEdit), qt(root_ / "typed-second"));
    closeSheet(sheet, how);
  });
  QCOMPARE(runDesktopProgram(shell_), 0);
  QCOMPARE(iniValue(iniFile(), "quell-pfad"), qt(root_ / stored.toStdString()));
}

void PropertySheetTest::browseButtonsAskChooserAtCurrentFolder_data() {
  QTest::addColumn<int>("buttonId");
  QTest::addColumn<int>("editId");
  QTest::addColumn<QString>("title");
  QTest::addColumn<bool>("choose");
  QTest::newRow("target") << control::browseTarget << control::targetEdit
                          << QString("Ziel für MP3´s") << true;
  QTest::newRow("cover, cancelled")
      << control::browseCover << control::coverEdit << QString("Quelle für Cover") << false;
  QTest::newRow("source") << control::browseSource << control::sourceEdit
                          << QString("Quelle für MP3´s") << true;
  QTest::newRow("source, cancelled")
      << control::browseSource << control::sourceEdit << QString("Quelle für MP3´s") << false;
}

void PropertySheetTest::browseButtonsAskChooserAtCurrentFolder() {
  QFETCH(int, buttonId);
  QFETCH(int, editId);
  QFETCH(QString, title);
  QFETCH(bool, choose);
  const QString typed = qt(root_ / "getippt");
  const QString chosen = qt(root_ / "gewählt");
  struct Call {
    QWidget* owner;
    QString title;
    QString start;
  };
  std::vector<Call> calls;
  shell_.setFolderChooser([&](QWidget* owner, const QString& t, const QString& start) {
    calls.push_back({owner, t, start});
    return choose ? std::optional<QString>(chosen) : std::nullopt;
  });

  PropertySheet sheet(shell_);
  sheet.show();
  typeInto(edit(sheet, editId), typed);
  QTest::mouseClick(button(sheet, PropertySheet::sortPage, buttonId), Qt::LeftButton);

  QCOMPARE(calls.size(), std::size_t{1});
  QCOMPARE(calls[0].owner, &sheet);
  QCOMPARE(calls[0].title, title);
  // The chooser opens at the typed folder, though it was never read before.
  QCOMPARE(calls[0].start, typed);
  const QString expected = choose ? chosen : typed;
  QCOMPARE(edit(sheet, editId)->text(), expected);
  const std::string& setting = editId == control::targetEdit  ? settings.zielPfad
                               : editId == control::coverEdit ? settings.coverPfad
                                                              : settings.quellPfad;
  QCOMPARE(QString::fromStdString(setting), expected);
}

void PropertySheetTest::closingDuringScanStopsScanFirst_data() {
  QTest::addColumn<CloseBy>("how");
  QTest::newRow("close button") << CloseBy::closeButton;
  QTest::newRow("Escape") << CloseBy::escape;
  QTest::newRow("Abbrechen") << CloseBy::cancel;
  QTest::newRow("OK") << CloseBy::ok;
}

void PropertySheetTest::closingDuringScanStopsScanFirst() {
  QFETCH(CloseBy, how);
  const fs::path source = root_ / "quelle";
  const fs::path target = root_ / "ziel";
  makeSongs(source, 6);
  fs::create_directories(target);
  writeIni("kuenstler=1\nziel-pfad=" + target.string() + "\nquell-pfad=" + source.string() + "\n");
  bool visibleAfterClose = false;
  whenWindowShown([&](PropertySheet& sheet) {
    // A flag changed during the run shows that the settings were saved.
    sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
    clickCheckBox(button(sheet, PropertySheet::optionsPage, 200));
    sheet.tabs()->setCurrentIndex(PropertySheet::sortPage);
    whenFileShown(sheet, "02", [&sheet, how, &visibleAfterClose] {
      closeSheet(sheet, how);
      // The window stays until the scan has wound down.
      visibleAfterClose = sheet.isVisible();
    });
    QTest::mouseClick(button(sheet, PropertySheet::sortPage, control::startButton), Qt::LeftButton);
  });
  QCOMPARE(runDesktopProgram(shell_), 0);

  QVERIFY(visibleAfterClose);
  QCOMPARE(listTree(target / "Kuenstler"),
           QStringList({"Anna Apfel/", "Anna Apfel/Lied 1.MP3", "Anna Apfel/Lied 2.MP3"}));
  QCOMPARE(scanRunning, 0);
  QCOMPARE(iniValue(iniFile(), "rekursiv"), QString("1"));
}

void PropertySheetTest::statusLineShowsWholeMessage() {
  PropertySheet sheet(shell_);
  sheet.show();
  reportError("Verzeichnis\n/ziel/Kuenstler/AC:DC\nkonnte nicht angelegt werden",
              "/ziel/Kuenstler/AC:DC");
  auto* status = qobject_cast<QLabel*>(sheet.control(PropertySheet::sortPage, control::statusLine));
  QVERIFY(status);
  QCOMPARE(status->text(),
           QString("Verzeichnis /ziel/Kuenstler/AC:DC konnte nicht angelegt werden"));
  QCOMPARE(status->sizeHint().height(), QFontMetrics(status->font()).height());
}

void PropertySheetTest::optionMarksFollowFlags_data() {
  QTest::addColumn<int>("value");
  QTest::newRow("all off") << 0;
  QTest::newRow("all on") << 1;
}

void PropertySheetTest::optionMarksFollowFlags() {
  QFETCH(int, value);
  for (const FlagKey& flag : flagKeys) settings.*flag.member = value;
  PropertySheet sheet(shell_);
  int boxes = 0;
  for (const FlagKey& flag : flagKeys) {
    auto* box =
        qobject_cast<QCheckBox*>(sheet.control(PropertySheet::optionsPage, flag.checkBoxId));
    QVERIFY2(box, flag.key.data());
    QCOMPARE(box->isChecked(), value != 0);
    ++boxes;
  }
  QCOMPARE(boxes, 14);
}

void PropertySheetTest::mnemonicClicksCheckBox() {
  PropertySheet sheet(shell_);
  sheet.show();
  QApplication::setActiveWindow(&sheet);
  QVERIFY(QTest::qWaitForWindowActive(&sheet));
  sheet.tabs()->setCurrentIndex(PropertySheet::optionsPage);
  // "rekursiver &Verzeichnisscan"
  QTest::keyClick(&sheet, Qt::Key_V, Qt::AltModifier);
  QTRY_COMPARE(settings.rekursiv, 1);
  QVERIFY(qobject_cast<QCheckBox*>(sheet.control(PropertySheet::optionsPage, 200))->isChecked());
}

void PropertySheetTest::dialogUnitsMapLikeWindows() {
  // MS Sans Serif 8 at 96 dpi has the base units 6 and 13: a page of
  // 248 by 224 units is 372 by 364 pixels there.
  const DialogBaseUnits windows{6, 13};
  QCOMPARE(mapDialogRect(windows, {0, 0, pageWidth, pageHeight}), QRect(0, 0, 372, 364));
  // Controls that meet in the template meet on the screen, whatever the
  // rounding: "Dateien:" and its counter.
  for (DialogBaseUnits units :
       {DialogBaseUnits{6, 13}, DialogBaseUnits{7, 17}, DialogBaseUnits{9, 19}}) {
    QRect label = mapDialogRect(units, {12, 78, 32, 8});
    QRect counter = mapDialogRect(units, {44, 76, 32, 12});
    QCOMPARE(label.right() + 1, counter.left());
  }
  // The pages keep the template's size in the font's units, widened only as
  // far as the texts need.
  PropertySheet sheet(shell_);
  sheet.show();
  const DialogBaseUnits units = dialogBaseUnits(sheet.font());
  for (int i = 0; i < sheet.tabs()->count(); ++i) {
    QWidget* page = sheet.tabs()->widget(i);
    QCOMPARE(page->height(), mapDialogY(units, pageHeight));
    QVERIFY(page->width() >= mapDialogX(units, pageWidth));
    QVERIFY(page->width() <= mapDialogX(units, pageWidth) * 5 / 4);
  }
}

void PropertySheetTest::noTextIsCut() {
  PropertySheet sheet(shell_);
  sheet.show();
  for (int i = 0; i < sheet.tabs()->count(); ++i) {
    for (QWidget* widget : sheet.tabs()->widget(i)->findChildren<QWidget*>()) {
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        QVERIFY2(label->sizeHint().height() <= label->height(), qPrintable(label->text()));
      } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
      }
    }
  }
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  PropertySheetTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "property_sheet_test.moc"
