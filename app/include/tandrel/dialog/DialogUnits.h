#pragma once

// Dialog units, as dialog templates measure: a horizontal unit is a quarter of
// the dialog font's average Latin letter width, a vertical unit an eighth of
// its height. Converting through the font's base units keeps a dialog's
// proportions whatever font the machine substitutes.

#include <QRect>
#include <QSize>

#include "tandrel/dialog/DialogTemplate.h"

class QFont;

namespace tandrel::dialog {

class DialogUnits {
  public:
    /// Uses the given base units (pixels per 4 horizontal and per 8 vertical dialog units).
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    /// Measures a font's base units: the rounded average width of "A".."Z" and
    /// "a".."z", and the font's height (ascent plus descent).
    static DialogUnits ForFont(const QFont& font);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    /// Returns horizontal dialog units in pixels, rounded.
    int MapX(int units) const;
    /// Returns vertical dialog units in pixels, rounded.
    int MapY(int units) const;
    /// Converts a rectangle edge by edge, as a dialog template's rectangles convert.
    QRect MapDialogRect(const DialogRect& rect) const;
    /// Converts a width and height in dialog units.
    QSize MapSize(int cx, int cy) const { return {MapX(cx), MapY(cy)}; }

  private:
    int baseX_;
    int baseY_;
};

}  // namespace tandrel::dialog
