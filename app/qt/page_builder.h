#pragma once
#include <map>
#include <span>
#include <vector>

#include "app/qt/dialog_units.h"
#include "app/qt/page_templates.h"

class QWidget;

struct PageControl {
  QWidget* widget;
  ControlTemplate control;
};

// Makes the controls of a template as children of page, in template order:
// Qt's tab order is the order of creation, as Windows takes it from the
// template.
std::vector<PageControl> buildPage(QWidget* page, std::span<const ControlTemplate> controls);

// Places the controls and sizes the page in the given units.
void placePage(QWidget* page, const std::vector<PageControl>& controls,
               const DialogBaseUnits& units);

// The smallest horizontal unit at which the text of every label and check
// box fits its control. The templates were drawn for one font; a desktop font
// of other proportions would otherwise cut the end off some texts.
double horizontalUnitToFit(const std::vector<PageControl>& controls);

// The controls that carry an id, by id.
std::map<int, QWidget*> controlsById(const std::vector<PageControl>& controls);
