// Renders the window with each of its four pages into PNG files, without a
// display: liedkorb-qt-screenshots FOLDER writes FOLDER/linux-mp3-copy.png,
// linux-optionen.png, linux-charity.png and linux-support.png. The window
// shows made-up example settings; no settings file is read or written.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QStyleFactory>
#include <QTabWidget>

#include <array>
#include <cstdio>

#include "app/qt/property_sheet.h"
#include "app/qt/qt_shell.h"
#include "common/controls.h"
#include "common/state.h"

namespace {

void fillExampleState() {
  settings.zielPfad = "/home/anna/Musik/sortiert";
  settings.coverPfad = "/home/anna/Musik/Cover";
  settings.quellPfad = "/home/anna/Downloads/MP3";
  for (std::int32_t Settings::*flag :
       {&Settings::rekursiv, &Settings::crc, &Settings::crcSave, &Settings::kuenstler,
        &Settings::makealbum, &Settings::genre, &Settings::unbekannt, &Settings::cover}) {
    settings.*flag = 1;
  }
  scanCounters.files = 128;
  scanCounters.duplicates = 3;
}

void showExampleFile() {
  setControlText(control::currentFolder, "/home/anna/Downloads/MP3/Sommer");
  setControlText(control::currentFile, "07 Über den Dächern.mp3");
  setControlText(control::artist, "Karla Nordwind");
  setControlText(control::album, "Leuchtfeuer");
  setControlText(control::title, "Über den Dächern");
  setControlText(control::year, "2019");
  setControlText(control::genre, "Pop");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: liedkorb-qt-screenshots FOLDER\n");
    return 2;
  }
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot make %s\n", argv[1]);
    return 1;
  }

  fillExampleState();
  QtShell shell;
  setShell(&shell);
  int status = 0;
  {
    PropertySheet sheet(shell);
    showExampleFile();
    sheet.show();
    const std::array<const char*, 4> names{"linux-mp3-copy.png", "linux-optionen.png",
                                           "linux-charity.png", "linux-support.png"};
    for (int page = 0; page < static_cast<int>(names.size()); ++page) {
      sheet.tabs()->setCurrentIndex(page);
      QApplication::processEvents();
      QString file = folder.filePath(QString::fromLatin1(names[static_cast<std::size_t>(page)]));
      if (!sheet.grab().save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        status = 1;
      }
    }
  }
  setShell(nullptr);
  return status;
}
