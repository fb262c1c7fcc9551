#pragma once
#include <QFont>
#include <QRect>

// The pages are laid out in dialog units, as their Windows templates are: a
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height. Mapping them through the font in
// use keeps the proportions of the layout on any desktop font and screen.
struct DialogBaseUnits {
  double x = 0;  // average character width in pixels
  double y = 0;  // character height in pixels
};

// A rectangle in dialog units.
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The base units of a font, measured as Windows measures them for a dialog
// font: the width of the 52 letters of the alphabet halved and rounded, and
// the full line height.
DialogBaseUnits dialogBaseUnits(const QFont& font);

int mapDialogX(const DialogBaseUnits& units, int x);
int mapDialogY(const DialogBaseUnits& units, int y);

// Each edge is mapped on its own, so controls that meet in the template
// still meet on the screen.
QRect mapDialogRect(const DialogBaseUnits& units, const DialogRect& rect);
