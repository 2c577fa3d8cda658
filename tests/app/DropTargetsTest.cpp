// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DropTargets.h"

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "audio/SampleFiles.h"
#include "audio/SampleStream.h"
#include "kit/KitScript.h"
#include "ui/CellTableView.h"

#include <QDirIterator>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <sndfile.h>
#include <vector>

namespace padsmith::test {

class DropTargetsTest : public QObject {
    Q_OBJECT

private:
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

    // A sample file as the drop table names it: a WAVE file, or FLAC or Ogg Vorbis encoded as
    // such; a name that starts with "Broken", or of another kind, holds bytes no decoder reads.
    static void writeSampleFile(const QString& path) {
        const QString name = QFileInfo(path).fileName();
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (name.startsWith("Broken") || (suffix != "flac" && suffix != "ogg")) {
            AppFixture::touch(path, suffix == "wav" && !name.startsWith("Broken")
                                        ? QByteArray::fromStdString(testing::waveFile(
                                              1, 1, 44100, 16, std::string(400, '\x10')))
                                        : QByteArray("not a sample"));
            return;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 1;
        info.format =
            suffix == "flac" ? SF_FORMAT_FLAC | SF_FORMAT_PCM_16 : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
        QVERIFY(file != nullptr);
        std::vector<float> frames(2000, 0.25F);
        sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size()));
        sf_close(file);
    }

    // Sample files in the library, by name (see writeSampleFile).
    static QStringList samples(AppFixture& app, const QStringList& names) {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(app.path("lib/" + name));
            writeSampleFile(paths.last());
        }
        return paths;
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
    // tests/data/drop_cases.tsv: the editor's drop and padsmith-kit add-samples make the same
    // pad of the same files, and refuse the same ones.
    void dropsAndAddSamplesAgree() {
        QFile cases(QStringLiteral(PADSMITH_TEST_DATA "/drop_cases.tsv"));
        QVERIFY(cases.open(QIODevice::ReadOnly | QIODevice::Text));
        int rows = 0;
        while (!cases.atEnd()) {
            const QString line = QString::fromUtf8(cases.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith('#')) {
                continue;
            }
            const QStringList cell = line.split('\t');
            QCOMPARE(cell.size(), 5);
            ++rows;
            AppFixture app;
            KitDocument kit;
            kit.kitName = "Drops";
            kit.pads[0].label = toStd(cell[1]);
            SampleZone zone;
            zone.key = cell[0].toInt();
            zone.padName = toStd(cell[1]);
            zone.sampleName = "first.wav";
            zone.sourcePath = toStd(samples(app, {"first.wav"}).first());
            kit.pads[0].append(zone);
            const QString script = app.path("drops.txt");
            AppFixture::touch(script, QByteArray::fromStdString(formatKitScript(kit)));
            const QString file = app.path("lib/" + cell[2]);
            writeSampleFile(file);
            const QByteArray original = bytesOf(file);
            const bool refused = cell[4] == "refused";
            const bool decoded = !refused && !cell[2].endsWith(".wav");
            const QString what = line + QStringLiteral(": ");

            // The editor.
            MainWindow& window = app.open(false);
            window.document().openKitPath(script);
            window.dropTargets().dropFiles({file}, {DropTargets::Target::Kind::Pad, 2},
                                           Qt::NoModifier);
            const Pad& dropped = window.kit().pads[2];
            if (refused) {
                QVERIFY2(dropped.empty(), qPrintable(what + "the editor took it"));
                QVERIFY2(!app.dialogs.messages.isEmpty(), qPrintable(what + "no message"));
            } else {
                QVERIFY2(dropped.size() == 1, qPrintable(what + "the editor took nothing"));
                QCOMPARE(fromStd(dropped.label), cell[3]);
                QCOMPARE(dropped.at(0).key, cell[4].toInt());
                // A decoded file plays from its WAV copy in the cache.
                const QString source = fromStd(dropped.at(0).sourcePath);
                QCOMPARE(source == QDir::toNativeSeparators(file), !decoded);
                QVERIFY2(!decoded || (source.startsWith(app.path("cache")) &&
                                      fromStd(dropped.at(0).sampleName).endsWith(".wav")),
                         qPrintable(what + source));
            }

            // The tool, on the same kit.
            QProcess tool;
            tool.start(QStringLiteral(PADSMITH_KIT_TOOL), {"add-samples", script, "--pad", "3",
                                                           file, "--output", app.path("out.txt")});
            QVERIFY(tool.waitForFinished(20000));
            if (refused) {
                QVERIFY2(tool.exitCode() != 0, qPrintable(what + "the tool took it"));
                QVERIFY2(!QFile::exists(app.path("out.txt")), qPrintable(what + "written"));
                continue;
            }
            QVERIFY2(tool.exitCode() == 0,
                     qPrintable(what + QString::fromUtf8(tool.readAllStandardError())));
            QFile out(app.path("out.txt"));
            QVERIFY(out.open(QIODevice::ReadOnly));
            const std::optional<KitScriptContent> written =
                parseKitScript(out.readAll().toStdString());
            QVERIFY(written.has_value());
            std::vector<SampleZone> added;
            for (const SampleZone& zoneLine : written->zones) {
                if (zoneLine.padNumber == 3) {
                    added.push_back(zoneLine);
                }
            }
            QVERIFY2(added.size() == 1, qPrintable(what + "the tool wrote no zone"));
            QCOMPARE(fromStd(added.front().padName), cell[3]);
            QCOMPARE(added.front().key, cell[4].toInt());
            // The tool keeps its decoded copy beside the kit it wrote.
            const auto path = std::find_if(written->paths.begin(), written->paths.end(),
                                           [](const auto& p) { return p.padNumber == 3; });
            QVERIFY(path != written->paths.end());
            QVERIFY2(fromStd(path->path).startsWith(app.path(decoded ? "out sources" : "lib")),
                     qPrintable(what + fromStd(path->path)));
            QCOMPARE(bytesOf(file), original);
        }
        QVERIFY(rows >= 10);
    }

    void dropsOntoPadsAreCopiesAndOneUndoStepEach() {
        AppFixture app;
        MainWindow& window = app.open(false);
        window.show();
        const QStringList kicks = samples(app, {"Kick v10.wav", "Kick v2.wav", "Kick v1.wav"});

        // Plain: appended in natural order on the kick's key, the empty pad named after its drum.
        QCOMPARE(drop(window, kicks, padPosition(window, 3)), Qt::CopyAction);
        QCOMPARE(window.kit().currentPad, 3);
        const Pad& plain = window.kit().pads[3];
        QCOMPARE(sampleNames(plain), (QStringList{"Kick v1.wav", "Kick v2.wav", "Kick v10.wav"}));
        QCOMPARE(plain.at(0).key, 36);
        QCOMPARE(plain.label, std::string("Kick"));
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

    // A dropped FLAC file plays from its WAV copy in the cache until the first Save moves the
    // copy into the kit's sample folder; the user's file stays as it was. One that cannot be
    // decoded is named with the reason.
    void aDroppedFlacFileIsKeptByTheFirstSave() {
        AppFixture app;
        MainWindow& window = app.open(false);
        window.show();
        const QString flac = app.path("lib/Kick Deep.flac");
        writeSampleFile(flac);
        const QByteArray original = bytesOf(flac);
        writeSampleFile(app.path("lib/Broken Tom.ogg"));
        app.dialogs.messageAnswers = {AnswerOk};
        drop(window, {flac, app.path("lib/Broken Tom.ogg")}, padPosition(window, 1));
        QCOMPARE(window.kit().pads[1].size(), 1U);
        QCOMPARE(window.kit().pads[1].at(0).sampleName, std::string("Kick Deep.wav"));
        QVERIFY(app.dialogs.messages.last().contains(
            QDir::toNativeSeparators(app.path("lib/Broken Tom.ogg")) + ": cannot be decoded"));

        app.dialogs.saveAnswers = {app.plugin + "Deep.txt"};
        app.dialogs.messageAnswers = {AnswerOk, AnswerOk};
        window.command(CommandId::Save);
        QVERIFY(QFile::exists(app.plugin + "Deep.txt"));
        QVERIFY(QFile::exists(app.plugin + "Deep/Kick Deep.wav"));
        QVERIFY(isPlayableSample(toFsPath(app.plugin + "Deep/Kick Deep.wav")));
        QDirIterator left(app.path("cache"), QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(!left.hasNext());
        QCOMPARE(bytesOf(flac), original);
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
