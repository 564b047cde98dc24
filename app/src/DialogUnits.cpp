#include "tandrel/dialog/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

namespace tandrel::dialog {
namespace {

// value * numerator / denominator, rounded half away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of 52 letters, rounded: (sum / 26 + 1) / 2.
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

int DialogUnits::MapX(int units) const {
    return MulDiv(units, baseX_, 4);
}

int DialogUnits::MapY(int units) const {
    return MulDiv(units, baseY_, 8);
}

QRect DialogUnits::MapDialogRect(const DialogRect& rect) const {
    // Each edge converts on its own, so adjacent controls stay adjacent.
    const int left = MapX(rect.x);
    const int top = MapY(rect.y);
    const int right = MapX(rect.x + rect.cx);
    const int bottom = MapY(rect.y + rect.cy);
    return {left, top, right - left, bottom - top};
}

}  // namespace tandrel::dialog
