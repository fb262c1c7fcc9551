#pragma once
#include <QDialog>

#include <array>
#include <map>
#include <optional>

class QPushButton;
class QTabWidget;
class QtShell;

// The program's one window: the four pages on tabs, OK and Cancel. The sort
// page's controls are attached to the shell, so the engine writes into them
// by id; the buttons of the sort and options pages call the page logic.
class PropertySheet : public QDialog {
 public:
  enum Page { sortPage = 0, optionsPage = 1, charityPage = 2, supportPage = 3 };

  explicit PropertySheet(QtShell& shell, QWidget* parent = nullptr);
  ~PropertySheet() override;

  QTabWidget* tabs() const { return tabs_; }
  // A control by page and id; ids are per page (101 is the target edit on the
  // sort page and "nur Namen säubern" on the options page). Null for an id
  // the page does not have.
  QWidget* control(Page page, int controlId) const;
  QPushButton* okButton() const { return okButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }

  // Every way of closing ends here (OK, Cancel, Escape, the close button).
  // While a scan runs, the scan is stopped as "&Abbruch" stops it, and the
  // window closes once the file in hand is finished and the scan has
  // returned; the window never goes away under a running scan.
  void done(int result) override;

 private:
  void pressStartStop();
  void pressBrowse(int buttonId);
  void pageChanged(int index);
  void pressOk();

  QtShell& shell_;
  QTabWidget* tabs_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  std::array<std::map<int, QWidget*>, 4> controls_;
  int activePage_ = sortPage;
  // Nesting of the start button's handler: a press during a scan arrives
  // inside the running one.
  int startStopDepth_ = 0;
  std::optional<int> pendingResult_;
};
