// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DropTargets.h"

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "audio/SampleFiles.h"
#include "ui/CellTableView.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace padsmith::test {

class DropTargetsTest : public QObject {
    Q_OBJECT

private:
    // Playable WAVE files in the sample library, by name.
    static QStringList samples(AppFixture& app, const QStringList& names) {
        QStringList paths;
        const std::string wave = testing::waveFile(1, 1, 44100, 16, std::string(400, '\x10'));
        for (const QString& name : names) {
            paths.append(app.path("lib/" + name));
            AppFixture::touch(paths.last(), QByteArray::fromStdString(wave));
        }
        return paths;
    }

    // Drops `paths` at `position` of the window, as the desktop hands a drop over, proposing a
    // move; returns the action the window took the drop with.
    static Qt::DropAction drop(MainWindow& window, const QStringList& paths, QPoint position,
                               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls.append(QUrl::fromLocalFile(path));
        }
        data.setUrls(urls);
        QDropEvent event(QPointF(position), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                         modifiers);
        event.setDropAction(Qt::MoveAction);
        static_cast<QObject&>(window).event(&event);
        return event.dropAction();
    }

    static QPoint padPosition(MainWindow& window, int pad) {
        PadButton* button = padButton(window, pad);
        return button->mapTo(&window, button->rect().center());
    }

    static QPoint rowPosition(MainWindow& window, int row) {
        CellTableView* list = zoneList(window);
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        return list->viewport()->mapTo(&window, cell.center());
    }

    static QStringList sampleNames(const Pad& pad) {
        QStringList names;
        for (const SampleZone& zone : pad) {
            names.append(fromStd(zone.sampleName));
        }
        return names;
    }

    static QList<QPair<int, int>> windows(const Pad& pad) {
        QList<QPair<int, int>> result;
        for (const SampleZone& zone : pad) {
            result.append({zone.velocityLow, zone.velocityHigh});
        }
        return result;
    }

private slots:
    void dropsOntoPadsAreCopiesAndOneUndoStepEach() {
        AppFixture app;
        MainWindow& window = app.open(false);
        window.show();
        const QStringList kicks = samples(app, {"Kick v10.wav", "Kick v2.wav", "Kick v1.wav"});

        // Plain: appended in natural order on key 60, the empty pad named after the first.
        QCOMPARE(drop(window, kicks, padPosition(window, 3)), Qt::CopyAction);
        QCOMPARE(window.kit().currentPad, 3);
        const Pad& plain = window.kit().pads[3];
        QCOMPARE(sampleNames(plain), (QStringList{"Kick v1.wav", "Kick v2.wav", "Kick v10.wav"}));
        QCOMPARE(plain.at(0).key, 60);
        QCOMPARE(plain.label, std::string("KICKV"));
        QCOMPARE(window.editPath().undoName(), QStringLiteral("Drop Samples"));
        window.editPath().undo();
        QVERIFY(window.kit().pads[3].empty());

        // Shift: velocity layers, softest first, in one step; the files stay where they are.
        QCOMPARE(drop(window, kicks, padPosition(window, 4), Qt::ShiftModifier), Qt::CopyAction);
        const Pad& layered = window.kit().pads[4];
        QCOMPARE(sampleNames(layered), (QStringList{"Kick v1.wav", "Kick v2.wav", "Kick v10.wav"}));
        QCOMPARE(windows(layered), (QList<QPair<int, int>>{{1, 56}, {57, 93}, {94, 127}}));
        for (const QString& kick : kicks) {
            QVERIFY(QFile::exists(kick));
        }
        QCOMPARE(window.editPath().undoName(), QStringLiteral("Drop Velocity Layers"));
        window.editPath().undo();
        QVERIFY(window.kit().pads[4].empty());
        window.editPath().redo();

        // Control: onto the first empty pad, whatever pad is under the drop.
        const QStringList snare = samples(app, {"Snare.wav"});
        drop(window, snare, padPosition(window, 4), Qt::ControlModifier);
        QCOMPARE(window.kit().currentPad, 0);
        QCOMPARE(sampleNames(window.kit().pads[0]), QStringList{"Snare.wav"});
        QCOMPARE(window.kit().pads[4].size(), 3U);

        // Control with every pad taken: refused, with a message.
        for (int pad = 0; pad < kPadCount; ++pad) {
            if (window.kit().pads[static_cast<std::size_t>(pad)].empty()) {
                window.kit().pads[static_cast<std::size_t>(pad)].append(SampleZone{});
            }
        }
        app.dialogs.messageAnswers = {AnswerOk};
        drop(window, snare, padPosition(window, 2), Qt::ControlModifier);
        QCOMPARE(app.dialogs.messages.last(),
                 QStringLiteral("No pad is empty: the samples were not added."));
        QCOMPARE(window.kit().pads[0].size(), 1U);
    }

    void dropsOntoRowsAndTheWindowGoToTheCurrentPad() {
        AppFixture app;
        MainWindow& window = app.open(false);
        window.show();
        drop(window, samples(app, {"a.wav", "b.wav", "c.wav"}), padPosition(window, 1));
        QCOMPARE(window.kit().currentPad, 1);
        window.kit().pads[1].at(1).key = 45;

        // Onto row 1: that row's sample is replaced, its key stays.
        drop(window, samples(app, {"new.wav"}), rowPosition(window, 1));
        QCOMPARE(sampleNames(window.kit().pads[1]), (QStringList{"a.wav", "new.wav", "c.wav"}));
        QCOMPARE(window.kit().pads[1].at(1).key, 45);

        // Below the last row: appended.
        CellTableView* list = zoneList(window);
        const QPoint below =
            list->viewport()->mapTo(&window, QPoint(20, list->viewport()->height() - 4));
        drop(window, samples(app, {"end.wav"}), below);
        QCOMPARE(sampleNames(window.kit().pads[1]).last(), QStringLiteral("end.wav"));

        // Anywhere else: the current pad; a file that cannot be played is named and left out.
        AppFixture::touch(app.path("lib/song.mp3"), "ID3 not a wave");
        app.dialogs.messageAnswers = {AnswerOk};
        const QPoint onPicture = picture(window)->mapTo(&window, QPoint(4, 4));
        drop(window, samples(app, {"z.wav"}) << app.path("lib/song.mp3"), onPicture);
        QCOMPARE(sampleNames(window.kit().pads[1]).last(), QStringLiteral("z.wav"));
        QCOMPARE(window.kit().pads[1].size(), 5U);
        QVERIFY(app.dialogs.messages.last().contains(QStringLiteral("song.mp3")));
        QVERIFY(!app.dialogs.messages.last().contains(QStringLiteral("z.wav")));
    }

    void aDroppedFolderIsOfferedAsANewKit() {
        AppFixture app;
        MainWindow& window = app.open(false);
        window.show();
        samples(app, {"Kit/Kick/Kick Soft.wav", "Kit/Kick/Kick Hard.wav", "Kit/Snare 1.wav"});
        AppFixture::touch(app.path("lib/Kit/readme.txt"), "not a sample");
        window.kit().pads[5].append(SampleZone{});
        window.document().updateTitle(window.kit().updateModified());

        // The save question first; then the pads the folder makes, changed in the preview.
        app.dialogs.messageAnswers = {AnswerNo};
        app.dialogs.folderKitAnswers = {true};
        app.dialogs.onFolderKit = [](FolderKitPlan& plan) { setPlanKey(plan, 1, 40); };
        drop(window, {app.path("lib/Kit")}, padPosition(window, 0));
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("Save changes to Untitled?"));
        QCOMPARE(app.dialogs.folderKitPlans.size(), 1);
        const KitDocument& kit = window.kit();
        QVERIFY(kit.pads[5].empty());
        QCOMPARE(kit.pads[0].label, std::string("Kick"));
        QCOMPARE(sampleNames(kit.pads[0]), (QStringList{"Kick Soft.wav", "Kick Hard.wav"}));
        QCOMPARE(windows(kit.pads[0]), (QList<QPair<int, int>>{{1, 74}, {75, 127}}));
        QCOMPARE(kit.pads[0].at(0).key, 36);
        QCOMPARE(kit.pads[1].label, std::string("Snare"));
        QCOMPARE(kit.pads[1].at(0).key, 40);
        QVERIFY(kit.modified());
        QCOMPARE(window.editPath().undoName(), QStringLiteral("New Kit from Folder"));

        // From the File menu, cancelled in the preview: the kit stays as it is.
        app.dialogs.messageAnswers = {AnswerNo};
        app.dialogs.onFolderKit = nullptr;
        app.dialogs.browseAnswers = {app.path("lib/Kit")};
        app.dialogs.folderKitAnswers = {false};
        window.command(CommandId::NewKitFromFolder);
        QCOMPARE(app.dialogs.browsePrompts.size(), 1);
        QCOMPARE(app.dialogs.folderKitPlans.size(), 2);
        QCOMPARE(kit.pads[1].at(0).key, 40);
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::DropTargetsTest)
#include "DropTargetsTest.moc"
