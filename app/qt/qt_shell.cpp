#include "app/qt/qt_shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include <utility>

#include "common/controls.h"

namespace {

QString qtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8Text(const QString& text) {
  QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The window that has the keyboard focus owns a message; before the window
// exists there is none.
QWidget* focusedWindow() {
  if (QWidget* focus = QApplication::focusWidget()) return focus->window();
  return QApplication::activeWindow();
}

}  // namespace

std::optional<QString> chooseFolderWithDialog(QWidget* owner, const QString& title,
                                              const QString& startFolder) {
  QString folder =
      QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(folder);
}

void showMessageBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  // File names may hold "<" and "&"; they are shown as they are.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QtShell::QtShell() : chooseFolder_(chooseFolderWithDialog), presentMessage_(showMessageBox) {}

void QtShell::attachControl(int controlId, QWidget* widget) {
  controls_[controlId] = widget;
}

void QtShell::detachControls() {
  controls_.clear();
}

void QtShell::setFolderChooser(FolderChooser chooser) {
  chooseFolder_ = chooser ? std::move(chooser) : FolderChooser(chooseFolderWithDialog);
}

void QtShell::setMessagePresenter(MessagePresenter presenter) {
  presentMessage_ = presenter ? std::move(presenter) : MessagePresenter(showMessageBox);
}

QWidget* QtShell::control(int controlId) const {
  auto it = controls_.find(controlId);
  return it == controls_.end() ? nullptr : it->second.data();
}

void QtShell::setText(int controlId, std::string_view text) {
  QWidget* widget = control(controlId);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(qtText(text));
    // Long paths show their beginning, as a fixed edit does.
    edit->setCursorPosition(0);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    // The status line is one line high; a message with line breaks would
    // show its first line only, so the lines are joined. The tip shows a
    // message that is too long for the line.
    QString line = qtText(text);
    line.replace(u'\n', u' ');
    label->setText(line);
    label->setToolTip(line);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(qtText(text));
  }
}

void QtShell::setNumber(int controlId, std::uint32_t value) {
  setText(controlId, std::to_string(value));
}

std::string QtShell::getText(int controlId) {
  QWidget* widget = control(controlId);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return utf8Text(edit->text());
  if (auto* label = qobject_cast<QLabel*>(widget)) return utf8Text(label->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return utf8Text(button->text());
  return {};
}

void QtShell::messageBox(std::string_view text, std::string_view caption) {
  presentMessage_(focusedWindow(), qtText(text), qtText(caption));
}

void QtShell::pumpMessages() {
  QCoreApplication::processEvents();
}

bool QtShell::browseForFolder(std::string_view title, std::string_view startFolder,
                              std::string& chosen) {
  QWidget* page = control(control::startButton);
  QWidget* owner = page ? page->window() : focusedWindow();
  std::optional<QString> folder = chooseFolder_(owner, qtText(title), qtText(startFolder));
  if (!folder) return false;
  chosen = utf8Text(*folder);
  return true;
}
