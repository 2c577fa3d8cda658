// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QRect>

namespace padsmith {

// Converts the window's layout, given in dialog units, to pixels with the dialog font's
// metrics: a horizontal unit is a quarter of the font's average character width, a vertical
// unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& dialogFont);
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int x(int units) const { return scale(units, baseX_, 4); }
    int y(int units) const { return scale(units, baseY_, 8); }
    QRect rect(int left, int top, int width, int height) const;
    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    static int scale(int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    }
    int baseX_;
    int baseY_;
};

// The dialog font ("MS Sans Serif" 8 points, or the closest font present).
QFont dialogFont();
// The font of the window's controls ("Small Fonts" 11 pixels, or the closest font present).
QFont controlFont();

} // namespace padsmith
