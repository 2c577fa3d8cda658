// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PadMapView.h"

#include <QtTest>

namespace padsmith::test {

class PadMapViewTest : public QObject {
    Q_OBJECT

private slots:
    // A block's name reads on its colour, however far a MIDI hit's flash has lightened it.
    void namesReadOnEveryBlockLitOrNot() {
        QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white) * 10), 210);
        for (int id = 0; id < 360; ++id) {
            const QColor base = blockColour(id);
            for (int step = 0; step <= 10; ++step) {
                const double a = 0.5 * step / 10;
                const QColor lit =
                    QColor::fromRgbF(base.redF() * (1 - a) + a, base.greenF() * (1 - a) + a,
                                     base.blueF() * (1 - a) + a);
                for (const QColor& fill : {lit, base.darker(250)}) {
                    QVERIFY2(contrastRatio(readableTextOn(fill), fill) >= 4.5,
                             qPrintable(QString("block %1, flash %2").arg(id).arg(a)));
                }
            }
        }
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::PadMapViewTest)
#include "PadMapViewTest.moc"
