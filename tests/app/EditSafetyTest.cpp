// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does while the window is busy, or while an edit is open: commands and keys sent
// into every place that lets events run, and commands given over an open cell editor or pad
// rename box. Nothing may crash, no typed text may be lost, nothing may land where it was not
// typed.
#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "app/MidiRouter.h"
#include "app/Operation.h"
#include "app/PadPanel.h"
#include "app/ZoneListPanel.h"
#include "ui/CellTableView.h"
#include "ui/InPlaceEdit.h"

#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace padsmith::test {

namespace {

constexpr int kKeyColumn = 1;
constexpr int kVoicesColumn = 3;

// The window with a kit on disk: pad 0 plays three zones (keys 36, 37, 38), the rest is empty.
struct EditWindow {
    EditWindow() : window(app.open(false)) {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        KitDocument kit;
        kit.kitName = "kit";
        kit.pads[0].label = "KICK";
        for (int key : {36, 37, 38}) {
            SampleZone zone;
            zone.key = key;
            zone.padName = "KICK";
            zone.sampleName = "k" + std::to_string(key) + ".wav";
            zone.sourcePath = toStd(app.path("library/kick.wav"));
            kit.pads[0].append(zone);
        }
        AppFixture::touch(app.path("library/kick.wav"), "RIFF");
        path = app.path("kit.txt");
        AppFixture::touch(path, QByteArray::fromStdString(formatKitScript(kit)));
        window.document().openKitPath(path);
    }

    CellTableView& list() const { return *zoneList(window); }
    QLineEdit* editor() const { return qobject_cast<QLineEdit*>(list().cellEditor()); }
    const Pad& pad(int index) const { return window.kit().pads[static_cast<std::size_t>(index)]; }
    // Opens the editor of `column` in `row` of the current pad by typing `text` into it; the
    // row is selected alone first, unless `keepSelection`.
    void typeInto(int row, int column, const QString& text, bool keepSelection = false) {
        list().setFocus();
        if (!keepSelection) {
            zonePanel(window).selectRow(row);
        }
        list().setCurrentCell(row, column);
        QTest::keyClicks(&list(), text.left(1));
        QVERIFY(editor() != nullptr);
        QTest::keyClicks(editor(), text.mid(1));
    }
    // Commands and a Ctrl+Z key that wait in the event queue behind whatever runs now.
    void queueInterruptions() {
        for (const CommandId id : {CommandId::Undo, CommandId::Redo, CommandId::Paste,
                                   CommandId::Undo, CommandId::Delete}) {
            QMetaObject::invokeMethod(
                &window,
                [this, id] {
                    ranInsideOperation = ranInsideOperation || operationRunning();
                    window.command(id);
                },
                Qt::QueuedConnection);
        }
        if (QWidget* focused = QApplication::focusWidget()) {
            QCoreApplication::postEvent(
                focused, new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier));
        }
    }

    AppFixture app;
    MainWindow& window;
    QString path;
    bool ranInsideOperation = false;
};

} // namespace

class EditSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void commandsSentIntoEveryPumpNeitherCrashNorChangeTheKit() {
        EditWindow w;
        // Pad 1 cut and pasted onto the empty pad 9: Undo empties pad 9 again.
        padButton(w.window, 0)->setFocus();
        w.window.command(CommandId::Cut);
        padPanel(w.window).selectPad(8, 0);
        w.window.command(CommandId::Paste);
        QCOMPARE(w.pad(8).size(), 3U);

        // A click on pad 9 plays it whole before anything waiting runs (it used to let Undo
        // empty the pad between choosing the row and reading it).
        w.queueInterruptions();
        QTest::mouseClick(padButton(w.window, 8), Qt::LeftButton);
        QCOMPARE(w.window.kit().currentPad, 8);
        QCoreApplication::processEvents();
        QVERIFY(!w.ranInsideOperation);

        // Long work lets the window repaint; what arrives meanwhile is dropped, not run.
        w.window.command(CommandId::Redo);
        const KitDocument before = w.window.kit();
        w.window.options().setShareSamples(true);
        w.queueInterruptions();
        w.window.command(CommandId::DeleteUnusedSamples);
        QVERIFY(w.ranInsideOperation);
        QVERIFY(w.window.kit().pads == before.pads);

        // And so in a kit read.
        w.ranInsideOperation = false;
        w.queueInterruptions();
        w.app.dialogs.openAnswers = {w.path};
        w.app.dialogs.messageAnswers = {AnswerNo}; // the save question
        w.window.command(CommandId::Open);
        QVERIFY(w.ranInsideOperation);
        QCOMPARE(w.pad(0).size(), 3U);
        QVERIFY(w.pad(8).empty());
    }

    void commandsCommitAnOpenEditFirst() {
        EditWindow w;
        // Ctrl+S with a typed value still in its editor saves that value.
        w.typeInto(0, kVoicesColumn, QStringLiteral("7"));
        QTest::keyClick(w.editor(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.list().isEditing());
        QCOMPARE(w.pad(0).at(0).voices, 7);
        QCOMPARE(w.pad(0).at(1).voices, 0); // Ctrl held for Save is not "every row"
        QVERIFY(!w.window.windowTitle().contains('*'));
        QVERIFY(bytesOf(w.path).contains(" 1.00, 1.00,  0,  7,"));

        // A text that spells nothing stops the command and stays in its editor.
        w.typeInto(1, kKeyColumn, QStringLiteral("kick"));
        w.window.command(CommandId::Save);
        QCOMPARE(w.app.dialogs.messages.last(),
                 QStringLiteral("\"kick\" is no value for Key: type a note name such as C3, or a "
                                "number 0 to 127."));
        QVERIFY(w.editor() != nullptr);
        QCOMPARE(w.editor()->text(), QStringLiteral("kick"));
        // Enter is refused the same way; the message does not end the edit.
        w.app.dialogs.onMessage = [&w] { copyrightField(w.window)->setFocus(); };
        QTest::keyClick(w.editor(), Qt::Key_Return);
        QVERIFY(w.editor() != nullptr);
        QCOMPARE(w.pad(0).at(1).key, 37);
        w.app.dialogs.onMessage = nullptr;
        w.editor()->setText(QStringLiteral("C3 "));
        // A click on another pad commits it first, on the pad it was typed on.
        QTest::mouseClick(padButton(w.window, 4), Qt::LeftButton);
        QCOMPARE(w.pad(0).at(1).key, 60);
        QCOMPARE(w.window.kit().currentPad, 4);

        // Undo goes back to the pad of the edit, with its row selected.
        w.window.command(CommandId::Undo);
        QCOMPARE(w.window.kit().currentPad, 0);
        QCOMPARE(zonePanel(w.window).selectedRows(), QList<int>{1});
        QCOMPARE(w.pad(0).at(1).key, 37);

        // A MIDI note commits an open edit before it plays.
        w.typeInto(2, kVoicesColumn, QStringLiteral("9"));
        midiRouter(w.window).handleMessage(0x90 | (36 << 8) | (100 << 16));
        QVERIFY(!w.list().isEditing());
        QCOMPARE(w.pad(0).at(2).voices, 9);
    }

    void aTypedValueGoesToTheCursorRowToo() {
        EditWindow w;
        w.list().setFocus();
        zonePanel(w.window).selectRow(0);
        // The cursor moves to row 2 without taking the selection along.
        w.typeInto(2, kKeyColumn, QStringLiteral("E2"), true);
        QTest::keyClick(w.editor(), Qt::Key_Return);
        QCOMPARE(w.pad(0).at(0).key, 52);
        QCOMPARE(w.pad(0).at(1).key, 37);
        QCOMPARE(w.pad(0).at(2).key, 52);
    }

    void thePadNameKeepsWhatWasTypedThroughARefusal() {
        EditWindow w;
        w.window.command(CommandId::RenamePad, 0);
        InPlaceEdit* box = padPanel(w.window).renameBox();
        QVERIFY(box != nullptr && box->hasFocus());
        box->clear();
        // The code page's message takes the focus for a moment; the box stays with its "K".
        w.app.dialogs.onMessage = [&w] { copyrightField(w.window)->setFocus(); };
        typeText(box, QStringLiteral("Kł,os"));
        QTRY_VERIFY(!w.app.dialogs.messages.isEmpty());
        QVERIFY(box->editing());
        QCOMPARE(box->text(), QStringLiteral("Kos")); // neither the "ł" nor the comma
        // Ctrl+S names the pad before it saves.
        w.window.command(CommandId::Save);
        QVERIFY(!box->editing());
        QCOMPARE(w.pad(0).label, std::string("Kos"));
        QVERIFY(bytesOf(w.path).contains(",Kos,"));
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::EditSafetyTest)
#include "EditSafetyTest.moc"
