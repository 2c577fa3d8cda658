// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a real desktop: run by scripts/with-desktop.sh on a private X server with a
// window manager (openbox), which enforces the size hints that offscreen runs cannot see.

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/HealthPanel.h"
#include "app/PadMapPanel.h"
#include "app/PadPanel.h"
#include "ui/PadMapView.h"
#include "ui/WaveformView.h"

#include <QProcess>
#include <QSplitter>
#include <QtTest>

namespace padsmith::test {

namespace {

// Asks the window manager, as a user's key or mouse would.
bool windowManager(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

QString windowId(const QWidget& window) {
    return QString::number(window.winId());
}

// The part of `widget` shown in the window's client area, in window coordinates.
QRect placeOf(const QWidget* widget, const QWidget& window) {
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

// No two of the zone area, the pads, their names and the health panel share a pixel, and each
// lies whole inside the window.
void checkNothingOverlaps(MainWindow& window) {
    QList<QPair<QString, QRect>> places;
    places.append({"zone area", placeOf(padMapPanel(window).area(), window)});
    for (int pad = 0; pad < kPadCount; ++pad) {
        places.append({QString("pad %1").arg(pad + 1), placeOf(padButton(window, pad), window)});
        places.append(
            {QString("name of pad %1").arg(pad + 1), placeOf(padLabel(window, pad), window)});
    }
    if (healthPanel(window).isVisible()) {
        places.append({"health panel", placeOf(&healthPanel(window), window)});
    }
    const QRect inside = window.rect();
    for (qsizetype i = 0; i < places.size(); ++i) {
        QVERIFY2(inside.contains(places[i].second), qPrintable(places[i].first + " is cut off"));
        for (qsizetype j = i + 1; j < places.size(); ++j) {
            // The names are centred under their pads and wider than the gap between them: only
            // their text, which is elided to fit, must not meet.
            if (places[i].first.startsWith("name") && places[j].first.startsWith("name")) {
                continue;
            }
            QVERIFY2(!places[i].second.intersects(places[j].second),
                     qPrintable(places[i].first + " overlaps " + places[j].first));
        }
    }
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display with a window manager (scripts/with-desktop.sh)");
        }
    }

    // Maximised through the window manager, the window grows and the velocity map and the
    // waveform with it; restored, it is as it was.
    void theWindowManagerMaximisesTheWindow() {
        AppFixture app;
        MainWindow& window = app.open();
        window.document().openKitPath(app.writeKit("kit.txt"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize before = window.size();
        QVERIFY(windowManager(
            "wmctrl", {"-i", "-r", windowId(window), "-b", "add,maximized_vert,maximized_horz"}));
        QTRY_VERIFY_WITH_TIMEOUT(
            window.width() > before.width() + 200 && window.height() > before.height() + 200, 5000);
        QTRY_VERIFY(padMapPanel(window).panesShown());
        QVERIFY(padMapPanel(window).map()->parentWidget()->height() > 0);
        const int mapWidth = padMapPanel(window).map()->width();
        const int waveWidth = padMapPanel(window).waveform()->width();
        QVERIFY(mapWidth > before.width() - 100);
        QVERIFY(waveWidth > before.width() - 100);
        checkNothingOverlaps(window);

        QVERIFY(windowManager("wmctrl", {"-i", "-r", windowId(window), "-b",
                                         "remove,maximized_vert,maximized_horz"}));
        QTRY_VERIFY_WITH_TIMEOUT(window.width() < before.width() + 50, 5000);
    }

    // Dragged smaller than it can be, the window stops at its minimum size, with or without the
    // health panel docked, and nothing overlaps there.
    void theMinimumSizeHoldsEverything() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const bool health : {false, true}) {
            if (health) {
                window.command(CommandId::KitHealth);
                QVERIFY(healthPanel(window).isVisible());
            }
            QVERIFY(windowManager("xdotool", {"windowsize", windowId(window), "300", "200"}));
            QTest::qWait(500);
            QTRY_VERIFY(window.width() >= window.minimumSizeHint().width());
            checkNothingOverlaps(window);
            // And it grows again as far as the user drags it.
            QVERIFY(windowManager("xdotool", {"windowsize", windowId(window), "1100", "850"}));
            QTRY_VERIFY2_WITH_TIMEOUT(
                window.width() >= 1050 && window.height() >= 800,
                qPrintable(QString("%1x%2").arg(window.width()).arg(window.height())), 5000);
            checkNothingOverlaps(window);
        }
    }

    // The size the user gave the window and the place of the dividers come back at the next
    // start.
    void sizeAndDividersAreRestored() {
        AppFixture app;
        {
            MainWindow& window = app.open();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(windowManager("xdotool", {"windowsize", windowId(window), "1000", "820"}));
            QTRY_VERIFY_WITH_TIMEOUT(window.width() == 1000 && window.height() == 820, 5000);
            QTRY_VERIFY(padMapPanel(window).panesShown());
            QSplitter* area = padMapPanel(window).area();
            QList<int> sizes = area->sizes();
            sizes[0] -= 40;
            sizes[1] += 40;
            area->setSizes(sizes);
            emit area->splitterMoved(sizes[0], 1);
            window.close();
        }
        const QList<int> placed = padMapPanel(*app.window).area()->sizes();
        MainWindow& again = app.open();
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTRY_COMPARE(again.size(), QSize(1000, 820));
        // The dividers come back where they were, give or take the status bar's settling.
        QTRY_VERIFY(padMapPanel(again).panesShown());
        const QList<int> restored = padMapPanel(again).area()->sizes();
        QCOMPARE(restored.size(), placed.size());
        for (qsizetype i = 0; i < placed.size(); ++i) {
            QVERIFY2(
                std::abs(restored[i] - placed[i]) <= 12,
                qPrintable(QString("pane %1: %2, not %3").arg(i).arg(restored[i]).arg(placed[i])));
        }
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::DesktopTest)
#include "DesktopTest.moc"
