#include "app/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>

#include <cmath>

DialogBaseUnits dialogBaseUnits(const QFont& font) {
  QFontMetrics metrics(font);
  int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  int x = (alphabet / 26 + 1) / 2;
  int y = metrics.height();
  return DialogBaseUnits{x < 1 ? 1.0 : x, y < 1 ? 1.0 : y};
}

// Rounded half away from zero, as the Windows mapping rounds.
int mapDialogX(const DialogBaseUnits& units, int x) {
  return static_cast<int>(std::lround(x * units.x / 4.0));
}
int mapDialogY(const DialogBaseUnits& units, int y) {
  return static_cast<int>(std::lround(y * units.y / 8.0));
}

QRect mapDialogRect(const DialogBaseUnits& units, const DialogRect& rect) {
  int left = mapDialogX(units, rect.x);
  int top = mapDialogY(units, rect.y);
  int right = mapDialogX(units, rect.x + rect.width);
  int bottom = mapDialogY(units, rect.y + rect.height);
  return QRect(left, top, right - left, bottom - top);
}
