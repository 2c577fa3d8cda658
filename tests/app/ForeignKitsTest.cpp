// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "WindowParts.h"
#include "app/ForeignKitCommands.h"
#include "app/HealthPanel.h"
#include "audio/SampleFiles.h"
#include "kit/KitHealth.h"

#include <QDirIterator>
#include <QTest>
#include <algorithm>

namespace padsmith::test {

// File > Import Kit... and Export Kit..., as a user goes through them.
class ForeignKitsTest : public QObject {
    Q_OBJECT

private:
    // A 16-bit mono WAVE file of a few samples.
    static QByteArray wave() {
        return QByteArray::fromStdString(testing::waveFile(1, 1, 44100, 16, std::string(8, '\1')));
    }

private slots:
    void importOpensAnUnsavedKitAndExportWritesBothFormats() {
        AppFixture app;
        qputenv("XDG_CACHE_HOME", app.path("cache").toUtf8());
        AppFixture::touch(app.path("lib/kick.wav"), wave());
        AppFixture::touch(app.path("lib/snare.wav"), wave());
        AppFixture::touch(app.path("lib/Drums.sfz"),
                          "<group> group_label=Kick\n<region> sample=kick.wav key=36 "
                          "ampeg_attack=1\n<group>\n<region> sample=snare.wav key=d2 pan=-100\n");
        MainWindow& window = app.open(false);
        window.document().openKitPath(app.writeKit("Rock.txt"));
        window.kit().pads[0].at(0).key = 40;
        QVERIFY(window.kit().updateModified());

        // A modified kit is offered for saving first; Cancel keeps it.
        app.dialogs.openAnswers = {app.path("lib/Drums.sfz")};
        app.dialogs.messageAnswers = {AnswerCancel};
        window.command(CommandId::ImportKit);
        QCOMPARE(window.document().documentName(), QStringLiteral("Rock.txt"));
        QCOMPARE(app.dialogs.openAnswers.size(), 1);

        app.dialogs.messageAnswers = {AnswerNo, AnswerOk};
        window.command(CommandId::ImportKit);
        const KitDocument& kit = window.kit();
        QCOMPARE(window.document().documentName(), QStringLiteral("Untitled"));
        QVERIFY(window.document().currentPath().isEmpty());
        QVERIFY(kit.modified());
        QCOMPARE(kit.pads[0].label, std::string("Kick"));
        QCOMPARE(kit.pads[0].at(0).sampleName, std::string("kick.wav"));
        QCOMPARE(zonePanel(window).selectedRows(), QList<int>{0}); // its waveform shows
        QCOMPARE(kit.pads[1].at(0).key, 38);
        QCOMPARE(kit.pads[1].at(0).gainRight, 0.25F);
        QVERIFY(app.dialogs.messages.last().contains("Drums: 2 pad(s), 2 zone(s)."));
        QVERIFY(app.dialogs.messages.last().contains("ampeg_attack (1 region)"));
        // Nothing reached the plug-in folder: that happens at Save.
        QCOMPARE(QDir(app.plugin).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"Zarvo.dll"});

        app.dialogs.saveAnswers = {app.path("out/Drums.sfz")};
        app.dialogs.messageAnswers = {AnswerOk};
        window.command(CommandId::ExportKit);
        QVERIFY(bytesOf(app.path("out/Drums.sfz")).contains("sample=kick.wav key=36 lovel=1"));
        QCOMPARE(bytesOf(app.path("out/snare.wav")), wave());

        app.dialogs.saveAnswers = {app.path("h2/drumkit.xml")};
        app.dialogs.messageAnswers = {AnswerOk};
        window.command(CommandId::ExportKit);
        QVERIFY(bytesOf(app.path("h2/drumkit.xml")).contains("<midiOutNote>38</midiOutNote>"));
        QVERIFY(app.dialogs.messages.last().contains("2 zone(s) written"));
    }

    // Kit Health looks at an imported kit at once; what the kit plays from the cache moves into
    // its sample folder at the first Save, and the cache keeps nothing of it.
    void importedKitIsCheckedAndOutlivesTheCache() {
        AppFixture app;
        qputenv("XDG_CACHE_HOME", app.path("cache").toUtf8());
        AppFixture::touch(app.path("lib/a/hit.wav"), wave());
        AppFixture::touch(app.path("lib/b/hit.wav"), wave() + "b");
        AppFixture::touch(app.path("lib/Two.sfz"), "<region> sample=a/hit.wav key=36\n"
                                                   "<region> sample=b/hit.wav key=38\n"
                                                   "<region> sample=gone.wav key=40\n");
        MainWindow& window = app.open();
        HealthPanel& health = healthPanel(window);
        app.dialogs.openAnswers = {app.path("lib/Two.sfz")};
        app.dialogs.messageAnswers = {AnswerOk};
        window.command(CommandId::ImportKit);
        QTRY_VERIFY(!health.busy());
        QVERIFY(std::any_of(
            health.findings().begin(), health.findings().end(),
            [](const HealthFinding& f) { return f.kind == HealthKind::MissingSample; }));

        // The second hit.wav plays from a copy named for the kit, in the cache.
        const std::string renamed = window.kit().pads[1].at(0).sourcePath;
        QCOMPARE(window.kit().pads[1].at(0).sampleName, std::string("b hit.wav"));
        QVERIFY(renamed.starts_with(toStd(app.path("cache"))));
        app.dialogs.saveAnswers = {app.plugin + "Two.txt"};
        app.dialogs.messageAnswers = {AnswerOk, AnswerOk, AnswerOk};
        window.command(CommandId::Save);
        QVERIFY(QFile::exists(app.plugin + "Two.txt"));
        QCOMPARE(bytesOf(app.plugin + "Two/b hit.wav"), wave() + "b");
        QCOMPARE(window.kit().pads[1].at(0).sourcePath, toStd(app.plugin + "Two/b hit.wav"));
        QVERIFY(!bytesOf(app.plugin + "Two.txt").contains("cache"));
        QDirIterator left(app.path("cache"), QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(!left.hasNext());
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::ForeignKitsTest)
#include "ForeignKitsTest.moc"
