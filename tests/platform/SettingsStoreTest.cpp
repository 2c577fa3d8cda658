// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace padsmith {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QString file() const { return folder.filePath(QStringLiteral("Padsmith.conf")); }
    QTemporaryDir folder;
};

TEST_F(SettingsStoreTest, ValuesSurviveAFreshStore) {
    const QString longPath = QStringLiteral("/music/") + QString(300, QLatin1Char('x'));
    {
        SettingsStore store(file());
        store.writeString(QStringLiteral("ZVDIR"), QStringLiteral("/opt/Zarvo/"));
        store.writeNumber(QStringLiteral("flShared"), 8);
        store.writeNumber(QStringLiteral("WaveOutChk"), -1);
        store.writeString(QStringLiteral("Zarvo Script File (*.txt)"), longPath);
        store.writeString(QStringLiteral("Audio file (*.wav,*.aif)"), QStringLiteral("/a,b"));
        store.writeString(QStringLiteral("FILE1"), QStringLiteral("/kits/rock.txt"));
        store.writeString(QStringLiteral("FILE2"), QString());
    }
    // A new store reads numbers back from text.
    const SettingsStore store(file());
    EXPECT_EQ(store.readString(QStringLiteral("ZVDIR")), QStringLiteral("/opt/Zarvo/"));
    EXPECT_EQ(store.readNumber(QStringLiteral("flShared"), 0), 8);
    EXPECT_EQ(store.readNumber(QStringLiteral("WaveOutChk"), 1223), -1);
    EXPECT_EQ(store.readString(QStringLiteral("Zarvo Script File (*.txt)")), longPath);
    EXPECT_EQ(store.readString(QStringLiteral("Audio file (*.wav,*.aif)")), QStringLiteral("/a,b"));
    EXPECT_TRUE(store.valueExists(QStringLiteral("FILE2")));
    EXPECT_EQ(store.readString(QStringLiteral("FILE2"), QStringLiteral("x")), QString());
}

TEST_F(SettingsStoreTest, MissingAfterExistingYieldsTheDefault) {
    SettingsStore store(file());
    store.writeString(QStringLiteral("FILE1"), QStringLiteral("/kits/a.txt"));
    store.writeNumber(QStringLiteral("flShared"), 8);
    EXPECT_EQ(store.readString(QStringLiteral("FILE1")), QStringLiteral("/kits/a.txt"));
    EXPECT_EQ(store.readString(QStringLiteral("FILE2"), QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_EQ(store.readNumber(QStringLiteral("flShared"), 0), 8);
    EXPECT_EQ(store.readNumber(QStringLiteral("WaveOutChk"), 1223), 1223);
    EXPECT_FALSE(store.valueExists(QStringLiteral("WaveOutChk")));
    store.writeString(QStringLiteral("WaveOutChk"), QStringLiteral("speakers"));
    EXPECT_EQ(store.readNumber(QStringLiteral("WaveOutChk"), 1223), 1223);

    store.deleteValue(QStringLiteral("FILE1"));
    store.deleteValue(QStringLiteral("FILE9")); // missing: no error
    EXPECT_EQ(store.readString(QStringLiteral("FILE1"), QStringLiteral("gone")),
              QStringLiteral("gone"));
}

TEST_F(SettingsStoreTest, CodePageIsWindows1252UntilAnotherIsChosen) {
    {
        SettingsStore store(file());
        EXPECT_EQ(readCodePageName(store), QStringLiteral("Windows-1252"));
        store.writeString(QStringLiteral("CodePage"), QStringLiteral("  "));
        EXPECT_EQ(readCodePageName(store), QStringLiteral("Windows-1252"));
        writeCodePageName(store, QStringLiteral("Windows-1250"));
    }
    const SettingsStore store(file());
    EXPECT_EQ(readCodePageName(store), QStringLiteral("Windows-1250"));
}

TEST(ForeignValues, VstPathTakesTheFirstFolderOfVstPath) {
#if !defined(Q_OS_WIN)
    const QByteArray saved = qgetenv("VST_PATH");
    qputenv("VST_PATH", "::/usr/lib/vst:/opt/vst");
    EXPECT_EQ(vstPluginsPath(), QStringLiteral("/usr/lib/vst"));
    qunsetenv("VST_PATH");
    EXPECT_EQ(vstPluginsPath(), QDir::homePath() + QStringLiteral("/.vst"));
    if (!saved.isNull()) {
        qputenv("VST_PATH", saved);
    }
#endif
    EXPECT_FALSE(personalFolder().isEmpty());
}

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
TEST(ForeignValues, PersonalIsTheDocumentsFolderTheUserNamed) {
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    QFile names(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    ASSERT_TRUE(names.open(QIODevice::WriteOnly));
    names.write("XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    names.close();

    // Named but not there yet: the home folder, where a dialog can start.
    const QString withoutFolder = personalFolder();
    QDir(home.path()).mkdir(QStringLiteral("Dokumente"));
    const QString withFolder = personalFolder();

    qputenv("HOME", savedHome);
    if (savedConfig.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }
    EXPECT_EQ(withoutFolder, home.path());
    EXPECT_EQ(withFolder, home.filePath(QStringLiteral("Dokumente")));
}
#endif

} // namespace
} // namespace padsmith
