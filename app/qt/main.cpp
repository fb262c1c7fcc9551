#include <QApplication>
#include <QIcon>

#include "app/qt/desktop_program.h"
#include "app/qt/qt_shell.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("liedkorb"));
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("liedkorb"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("liedkorb")));
  QtShell shell;
  return runDesktopProgram(shell);
}
