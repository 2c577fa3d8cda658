// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "kit/PadEdits.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace padsmith::test {

class EditingTest : public QObject {
    Q_OBJECT

private:
    static QString title(const MainWindow& window) { return window.windowTitle(); }

private slots:
    void popupsStartWithUndoAndRedo() {
        AppFixture app;
        MainWindow& window = app.open();
        for (QMenu* popup : {padMenu(window), zoneMenu(window)}) {
            const QList<QAction*> items = popup->actions();
            QCOMPARE(items.at(0)->text(), QStringLiteral("Undo\tCtrl+Z"));
            QCOMPARE(items.at(1)->text(), QStringLiteral("Redo\tCtrl+Shift+Z"));
            QVERIFY(items.at(2)->isSeparator());
            QVERIFY(!items.at(0)->isEnabled() && !items.at(1)->isEnabled());
        }
        QAction* undo = action(window, CommandId::Undo);
        QCOMPARE(undo->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+Z")});
        QCOMPARE(action(window, CommandId::Redo)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
        // Revert keeps its entries, without a key of its own.
        QCOMPARE(action(window, CommandId::Revert)->text(), QStringLiteral("Revert to Saved"));
        QVERIFY(action(window, CommandId::Revert)->shortcuts().isEmpty());
        QVERIFY(padMenu(window)->actions().contains(action(window, CommandId::Revert)));
        QVERIFY(zoneMenu(window)->actions().contains(action(window, CommandId::Revert)));
    }

    void editsUndoAndRedoThroughThePath() {
        AppFixture app;
        MainWindow& window = app.open();
        window.document().openKitPath(app.writeKit("kit.txt"));
        QVERIFY(!title(window).contains('*'));

        // One gesture: rename pad 0 and give pad 3 a copy of its zones.
        KitEditRecorder recorder(window.kit(), "Test Edit");
        recorder.touch(0).label = "BOOM";
        recorder.touch(3) = window.kit().pads[0];
        window.editPath().apply(recorder.finish());
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("BOOM"));
        QCOMPARE(padLabel(window, 3)->text(), QStringLiteral("BOOM"));
        QVERIFY(title(window).contains('*'));
        QCOMPARE(action(window, CommandId::Undo)->text(), QStringLiteral("Undo Test Edit\tCtrl+Z"));
        QVERIFY(action(window, CommandId::Undo)->isEnabled());

        window.command(CommandId::Undo);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("KICK"));
        QCOMPARE(padLabel(window, 3)->text(), QStringLiteral("XXX"));
        QVERIFY(window.kit().pads[3].empty());
        QVERIFY(!title(window).contains('*')); // back where the file is
        QCOMPARE(action(window, CommandId::Undo)->text(), QStringLiteral("Undo\tCtrl+Z"));
        QCOMPARE(action(window, CommandId::Redo)->text(),
                 QStringLiteral("Redo Test Edit\tCtrl+Shift+Z"));

        window.command(CommandId::Redo);
        QCOMPARE(window.kit().pads[3].size(), 1U);
        QVERIFY(title(window).contains('*'));

        // An edit that changes nothing is no step; a new kit forgets the steps.
        KitEditRecorder nothing(window.kit(), "Nothing");
        nothing.touch(5);
        window.editPath().apply(nothing.finish());
        QCOMPARE(action(window, CommandId::Undo)->text(), QStringLiteral("Undo Test Edit\tCtrl+Z"));
        app.dialogs.messageAnswers = {AnswerNo};
        window.command(CommandId::New);
        QVERIFY(!action(window, CommandId::Undo)->isEnabled());
        QVERIFY(!action(window, CommandId::Redo)->isEnabled());
    }

    void ctrlZUndoesAndRevertAsksFirst() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QString kit = app.writeKit("kit.txt");
        window.document().openKitPath(kit);
        padButton(window, 0)->setFocus();

        window.editPath().apply(renamePad(window.kit(), 0, "BOOM"));
        QTest::keyClick(padButton(window, 0), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.kit().pads[0].label, std::string("KICK"));
        QVERIFY(app.dialogs.messages.isEmpty()); // Ctrl+Z asks nothing and reads no file
        QTest::keyClick(padButton(window, 0), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(window.kit().pads[0].label, std::string("BOOM"));

        // Revert asks before it throws the change away; No keeps it.
        app.dialogs.messageAnswers = {AnswerNo};
        window.command(CommandId::Revert);
        QCOMPARE(app.dialogs.messages, QStringList{"Discard changes to kit.txt?"});
        QCOMPARE(window.kit().pads[0].label, std::string("BOOM"));
        app.dialogs.messageAnswers = {AnswerYes};
        window.command(CommandId::Revert);
        QCOMPARE(window.kit().pads[0].label, std::string("KICK"));
        QVERIFY(!title(window).contains('*'));
        // Unmodified: no question.
        window.command(CommandId::Revert);
        QCOMPARE(app.dialogs.messages.size(), 2);
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::EditingTest)
#include "EditingTest.moc"
