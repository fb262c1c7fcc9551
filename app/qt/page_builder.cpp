#include "app/qt/page_builder.h"

#include <qdrawutil.h>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace {

// Left indent of the indented labels, in dialog units.
constexpr int labelIndent = 16;

QString qtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A group box drawn as on Windows: the frame's top line runs through the
// middle of the title. (QGroupBox in most styles puts the title above the
// frame, which would push the frame into the controls the templates place
// just below its top edge.)
class GroupFrame : public QWidget {
 public:
  GroupFrame(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int indent = metrics.averageCharWidth();
    const QRect titleRect(indent, 0, metrics.horizontalAdvance(title_) + 4, metrics.height());
    const QRect frame = rect().adjusted(0, metrics.height() / 2, 0, 0);
    if (!title_.isEmpty()) painter.setClipRegion(QRegion(rect()).subtracted(titleRect));
    // An etched line, whatever the style: the styles' own group box frames
    // make room for a title above them.
    qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
    painter.setClipping(false);
    style()->drawItemText(&painter, titleRect, Qt::AlignHCenter | Qt::AlignTop, palette(),
                          isEnabled(), title_, QPalette::WindowText);
  }

 private:
  QString title_;
};

QLabel* makeLabel(QWidget* page, const ControlTemplate& control) {
  auto* label = new QLabel(qtText(control.text), page);
  label->setTextFormat(Qt::PlainText);
  switch (control.kind) {
    case ControlKind::rightLabel:
      label->setAlignment(Qt::AlignRight | Qt::AlignTop);
      break;
    case ControlKind::centredLabel:
      label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      break;
    default:
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      break;
  }
  return label;
}

QLineEdit* makeEdit(QWidget* page, bool readOnly) {
  auto* edit = new QLineEdit(page);
  if (readOnly) {
    edit->setReadOnly(true);
    // Grey like the window, as read-only edits are on Windows, so that what
    // the user can type into stands out.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
  }
  return edit;
}

QWidget* makeControl(QWidget* page, const ControlTemplate& control) {
  switch (control.kind) {
    case ControlKind::rightLabel:
    case ControlKind::leftLabel:
    case ControlKind::centredLabel:
    case ControlKind::indentedLabel:
      return makeLabel(page, control);
    case ControlKind::edit:
      return makeEdit(page, false);
    case ControlKind::readOnlyEdit:
      return makeEdit(page, true);
    case ControlKind::pushButton:
    case ControlKind::heading:
      return new QPushButton(qtText(control.text), page);
    case ControlKind::checkBox:
      return new QCheckBox(qtText(control.text), page);
    case ControlKind::groupBox:
      return new GroupFrame(qtText(control.text), page);
    case ControlKind::etchedFrame: {
      auto* frame = new QFrame(page);
      frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
      return frame;
    }
  }
  return nullptr;
}

bool isFrame(ControlKind kind) {
  return kind == ControlKind::groupBox || kind == ControlKind::etchedFrame;
}

}  // namespace

std::vector<PageControl> buildPage(QWidget* page, std::span<const ControlTemplate> controls) {
  std::vector<PageControl> built;
  for (const ControlTemplate& control : controls) {
    if (QWidget* widget = makeControl(page, control)) built.push_back({widget, control});
  }
  // Frames lie beneath the controls they surround.
  for (const PageControl& placed : built) {
    if (isFrame(placed.control.kind)) placed.widget->lower();
  }
  return built;
}

void placePage(QWidget* page, const std::vector<PageControl>& controls,
               const DialogBaseUnits& units) {
  page->setFixedSize(mapDialogX(units, pageWidth), mapDialogY(units, pageHeight));
  for (const PageControl& placed : controls) {
    placed.widget->setGeometry(mapDialogRect(units, placed.control.rect));
    if (placed.control.kind == ControlKind::indentedLabel) {
      placed.widget->setContentsMargins(mapDialogX(units, labelIndent), 0, 0, 0);
    }
  }
}

double horizontalUnitToFit(const std::vector<PageControl>& controls) {
  double unit = 0;
  for (const PageControl& placed : controls) {
    const ControlTemplate& control = placed.control;
    int available = control.rect.width;
    int needed = 0;
    if (auto* label = qobject_cast<QLabel*>(placed.widget)) {
      if (control.kind == ControlKind::indentedLabel) available -= labelIndent;
      needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
    } else if (qobject_cast<QCheckBox*>(placed.widget)) {
      needed = placed.widget->sizeHint().width();
    }
    if (needed == 0 || available <= 0) continue;
    // One pixel more, for the rounding of the edges.
    unit = std::max(unit, (needed + 1) * 4.0 / available);
  }
  return unit;
}

std::map<int, QWidget*> controlsById(const std::vector<PageControl>& controls) {
  std::map<int, QWidget*> byId;
  for (const PageControl& placed : controls) {
    if (placed.control.id != noControlId) byId[placed.control.id] = placed.widget;
  }
  return byId;
}
