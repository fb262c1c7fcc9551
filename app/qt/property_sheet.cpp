#include "app/qt/property_sheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "app/options_page.h"
#include "app/qt/dialog_units.h"
#include "app/qt/page_builder.h"
#include "app/qt/page_templates.h"
#include "app/qt/qt_shell.h"
#include "app/sort_page.h"
#include "common/controls.h"
#include "common/state.h"

namespace {

// Sort page controls the engine writes into or reads from.
constexpr std::array shellControlIds{
    control::startButton,
    control::targetEdit,
    control::coverEdit,
    control::sourceEdit,
    control::duplicatesCounter,
    control::filesCounter,
    control::currentFolder,
    control::currentFile,
    control::artist,
    control::title,
    control::album,
    control::year,
    control::genre,
    control::statusLine,
};

// Sheet buttons as on Windows: 50 by 14 dialog units, 4 apart.
constexpr int sheetButtonWidth = 50;
constexpr int sheetButtonHeight = 14;
constexpr int sheetButtonGap = 4;
constexpr int sheetMargin = 6;

}  // namespace

PropertySheet::PropertySheet(QtShell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
  setWindowTitle(QStringLiteral("Liedkorb 2.7"));
  tabs_ = new QTabWidget(this);
  const std::array<std::pair<const char*, std::span<const ControlTemplate>>, 4> pages{{
      {"MP3-Copy", sortPageTemplate},
      {"Optionen", optionsPageTemplate},
      {"Charity", charityPageTemplate},
      {"Support", supportPageTemplate},
  }};
  std::array<std::vector<PageControl>, 4> built;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    auto* page = new QWidget;
    built[i] = buildPage(page, pages[i].second);
    controls_[i] = controlsById(built[i]);
    tabs_->addTab(page, QString::fromUtf8(pages[i].first));
  }
  // The font's own units, widened where a text would not fit otherwise.
  DialogBaseUnits units = dialogBaseUnits(font());
  for (const auto& controls : built) units.x = std::max(units.x, horizontalUnitToFit(controls));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    placePage(tabs_->widget(static_cast<int>(i)), built[i], units);
  }

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  cancelButton_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  okButton_->setDefault(true);
  for (QPushButton* button : {okButton_, cancelButton_}) {
    button->setFixedSize(mapDialogX(units, sheetButtonWidth), mapDialogY(units, sheetButtonHeight));
  }
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(mapDialogX(units, sheetButtonGap));
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  auto* layout = new QVBoxLayout(this);
  int marginX = mapDialogX(units, sheetMargin);
  int marginY = mapDialogY(units, sheetMargin);
  layout->setContentsMargins(marginX, marginY, marginX, marginY);
  layout->setSpacing(marginY);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);
  // A property sheet keeps the size of its pages.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(okButton_, &QPushButton::clicked, this, [this] { pressOk(); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { reject(); });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { pageChanged(index); });

  // The sort page.
  for (int id : shellControlIds) shell_.attachControl(id, control(sortPage, id));
  connect(static_cast<QAbstractButton*>(control(sortPage, control::startButton)),
          &QAbstractButton::clicked, this, [this] { pressStartStop(); });
  for (int id : {control::browseTarget, control::browseCover, control::browseSource}) {
    connect(static_cast<QAbstractButton*>(control(sortPage, id)), &QAbstractButton::clicked, this,
            [this, id] { pressBrowse(id); });
  }
  sortPageInit();

  // The options page: the marks are set before any click can arrive, and
  // from then on each click flips the mark and the flag together. The flags
  // are never read back from the boxes.
  for (int id : optionsPageCheckedIds()) {
    if (auto* box = qobject_cast<QCheckBox*>(control(optionsPage, id))) box->setChecked(true);
  }
  for (const auto& [id, widget] : controls_[optionsPage]) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      connect(button, &QAbstractButton::clicked, this,
              [controlId = id] { optionsPageCommand(controlId); });
    }
  }
}

PropertySheet::~PropertySheet() {
  shell_.detachControls();
}

QWidget* PropertySheet::control(Page page, int controlId) const {
  const auto& byId = controls_[static_cast<std::size_t>(page)];
  auto it = byId.find(controlId);
  return it == byId.end() ? nullptr : it->second;
}

void PropertySheet::done(int result) {
  if (startStopDepth_ > 0) {
    pendingResult_ = result;
    scanRunning = 0;
    return;
  }
  QDialog::done(result);
}

void PropertySheet::pressStartStop() {
  // Once a close is waiting for the scan, a press may not start another.
  if (pendingResult_) return;
  ++startStopDepth_;
  startStop();
  --startStopDepth_;
  if (startStopDepth_ == 0 && pendingResult_) {
    int result = *pendingResult_;
    pendingResult_.reset();
    QDialog::done(result);
  }
}

void PropertySheet::pressBrowse(int buttonId) {
  browseForFolder(buttonId);
}

void PropertySheet::pageChanged(int index) {
  // Leaving the sort page takes over what was typed into its path edits.
  if (activePage_ == sortPage && index != sortPage) readPathEdits();
  activePage_ = index;
}

void PropertySheet::pressOk() {
  // OK takes over the path edits; Cancel and the close button do not, so a
  // path typed since the sort page was last left is then not stored.
  readPathEdits();
  accept();
}
