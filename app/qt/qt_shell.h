#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

#include "common/shell.h"

// The engine's window on the Linux desktop: control ids of the sort page
// mapped to its widgets, message boxes as QMessageBox, the event loop
// drained between files, the folder chooser of QFileDialog.
class QtShell : public Shell {
 public:
  // Asks the user for a folder; nothing when the user cancelled.
  using FolderChooser = std::function<std::optional<QString>(QWidget* owner, const QString& title,
                                                             const QString& startFolder)>;
  // Shows a modal message with one OK button.
  using MessagePresenter =
      std::function<void(QWidget* owner, const QString& text, const QString& caption)>;

  QtShell();

  // The widget that shows control id of the sort page: a QLineEdit, a QLabel
  // or a button. Controls of a widget that has gone are ignored.
  void attachControl(int controlId, QWidget* widget);
  void detachControls();

  // Replace the dialogs (the tests choose and answer themselves).
  void setFolderChooser(FolderChooser chooser);
  void setMessagePresenter(MessagePresenter presenter);

  void setText(int controlId, std::string_view text) override;
  void setNumber(int controlId, std::uint32_t value) override;
  std::string getText(int controlId) override;
  void messageBox(std::string_view text, std::string_view caption) override;
  void pumpMessages() override;
  bool browseForFolder(std::string_view title, std::string_view startFolder,
                       std::string& chosen) override;

 private:
  QWidget* control(int controlId) const;

  std::map<int, QPointer<QWidget>> controls_;
  FolderChooser chooseFolder_;
  MessagePresenter presentMessage_;
};

// The dialogs the program uses unless a test replaces them.
std::optional<QString> chooseFolderWithDialog(QWidget* owner, const QString& title,
                                              const QString& startFolder);
void showMessageBox(QWidget* owner, const QString& text, const QString& caption);
