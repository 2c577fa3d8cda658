// SPDX-License-Identifier: GPL-3.0-or-later
// Kits from Windows: names with accents in the plug-in's code page, files on disk in UTF-8.
#include "FakeHost.h"
#include "kit/InstrumentFile.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneFiles.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

fs::path utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

class AccentedKitTest : public ::testing::Test, protected test::PluginFolder {
protected:
    void SetUp() override {
        askForFolder = false;
        location.shareSamples = true;
        // The sample lies on this system under its UTF-8 name.
        library = folder / "library";
        folder.write("library/Café.wav", "cafe");
    }

    // "Rock.txt" as the writer makes it, its texts in `encode` (a code page or UTF-8 as is).
    std::string rockKit(const std::function<std::string(const std::string&)>& encode) const {
        return encode("vst samples,\r\nRock,\r\nZARVO SAMPLES,\r\nMüller,\r\n\r\n"
                      " 1,  0, 0, 36,KÖCK,Café.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\r\n"
                      "-1\r\n\r\n 1," +
                      (library / "Café.wav").string() + ",\r\n-1\r\n\r\nPadsmith by Mervane");
    }
    static std::string windows1252(const std::string& text) {
        return CodePage().encode(text).bytes;
    }
    static std::string asUtf8(const std::string& text) { return text; }

    fs::path library;
};

TEST_F(AccentedKitTest, WindowsKitIsShownFoundInstalledAndRewrittenByteForByte) {
    const std::string original = rockKit(windows1252);
    ASSERT_NE(original.find("M\xFCller"), std::string::npos);
    const fs::path path = folder.write("kits/Rock.txt", original);

    KitDocument kit;
    ASSERT_TRUE(read(kit, path));
    EXPECT_EQ(kit.copyright, "Müller");
    EXPECT_EQ(kit.pads[0].label, "KÖCK");
    ASSERT_EQ(kit.pads[0].size(), 1U);
    EXPECT_EQ(kit.pads[0].at(0).sampleName, "Café.wav");
    // Found under its UTF-8 name, not marked missing.
    EXPECT_EQ(kit.pads[0].at(0).sourcePath, (library / "Café.wav").string());

    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(TempFolder::read(path), original);
    EXPECT_EQ(TempFolder::read(plugin / "Rock.txt"), original);
    EXPECT_EQ(TempFolder::read(plugin / "ZARVO SAMPLES" / utf8Path("Café.wav")), "cafe");
}

TEST_F(AccentedKitTest, AnotherCodePageReadsOtherLettersAndStillKeepsEveryByte) {
    const std::string original = rockKit(windows1252);
    const fs::path path = folder.write("kits/Rock.txt", original);
    location.codePage = *CodePage::byName("Windows-1251");

    KitDocument kit;
    ASSERT_TRUE(read(kit, path));
    EXPECT_EQ(kit.copyright, "Mьller");
    EXPECT_EQ(kit.pads[0].label, "KЦCK");
    EXPECT_EQ(kit.pads[0].at(0).sampleName, "Cafй.wav");
    EXPECT_TRUE(isMarkedMissing(kit.pads[0].at(0).sourcePath));

    // What the code page read, it writes back: the texts keep their bytes (the path is now
    // marked missing, since no "Cafй.wav" exists).
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    const std::string written = TempFolder::read(path);
    EXPECT_NE(written.find("\r\nM\xFCller,\r\n"), std::string::npos);
    EXPECT_NE(written.find(",K\xD6"
                           "CK,Caf\xE9.wav,"),
              std::string::npos);
}

TEST_F(AccentedKitTest, Utf8KitsAreReadAsUtf8WithOrWithoutAByteOrderMarkAndWrittenInTheCodePage) {
    for (const std::string& prefix : {std::string(), std::string(kUtf8Bom)}) {
        const fs::path path = folder.write("kits/Rock.txt", prefix + rockKit(asUtf8));
        KitDocument kit;
        ASSERT_TRUE(read(kit, path)) << "with mark: " << !prefix.empty();
        EXPECT_EQ(kit.copyright, "Müller");
        EXPECT_EQ(kit.pads[0].label, "KÖCK");
        EXPECT_EQ(kit.pads[0].at(0).sourcePath, (library / "Café.wav").string());

        // The plug-in reads the format tag from the first byte: no mark, and its code page.
        ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
        EXPECT_EQ(TempFolder::read(path), rockKit(windows1252));
    }
    // A mark before plain ASCII is no reason to refuse the kit either.
    const fs::path plain =
        folder.write("kits/Plain.txt", std::string(kUtf8Bom) + "vst samples,\r\nPlain,\r\nP,\r\n,"
                                                               "\r\n\r\n-1\r\n\r\n-1\r\n\r\n");
    KitDocument kit;
    EXPECT_TRUE(read(kit, plain));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(AccentedKitTest, TextTheCodePageCannotHoldIsRefusedWithItsCharacterNamed) {
    const fs::path path = folder.write("kits/Rock.txt", rockKit(windows1252));
    KitDocument kit;
    ASSERT_TRUE(read(kit, path));
    kit.pads[0].label = "ŁÓDŹ";
    const KitDocument before = kit;

    EXPECT_FALSE(test::saveShown(kit, path, location, host, false));
    ASSERT_EQ(host.messages.size(), 1U);
    const std::string& message = host.messages[0].second;
    EXPECT_NE(message.find("Pad 1, pad name \"ŁÓDŹ\""), std::string::npos) << message;
    EXPECT_NE(message.find("\"Ł\" (U+0141)"), std::string::npos) << message;
    EXPECT_NE(message.find("Windows-1252"), std::string::npos) << message;
    // Nothing written, nothing installed, the kit as it was.
    EXPECT_EQ(TempFolder::read(path), rockKit(windows1252));
    EXPECT_FALSE(fs::exists(plugin / "Rock.txt"));
    EXPECT_EQ(kit.pads[0], before.pads[0]);
    EXPECT_EQ(kit.kitName, before.kitName);

    // The code page that holds the letter writes it.
    location.codePage = *CodePage::byName("Windows-1250");
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    EXPECT_NE(TempFolder::read(path).find(",\xA3\xD3"
                                          "D\x8F,"),
              std::string::npos);
}

TEST_F(AccentedKitTest, UnheldTextsAreListedInFileOrderWithWhereTheyStand) {
    KitDocument kit;
    kit.copyright = "Łukasz";
    kit.pads[2].label = "Snare";
    SampleZone zone;
    zone.sampleName = "Łódź.wav";
    zone.sourcePath = "/samples/Жук/Łódź.wav";
    kit.pads[2].append(zone);

    const std::vector<UnheldText> unheld = findUnheldTexts(kit, CodePage());
    ASSERT_EQ(unheld.size(), 3U);
    EXPECT_EQ(unheld[0].field, "copyright");
    EXPECT_EQ(unheld[1].field, "sample name");
    EXPECT_EQ(unheld[1].pad, 2);
    EXPECT_EQ(unheld[1].row, 0);
    EXPECT_EQ(unheld[2].field, "source path");
    EXPECT_EQ(unheld[2].character, "Ж");
    EXPECT_EQ(unheldTextMessage(unheld[0], CodePage()).substr(0, 21), "Copyright \"Łukasz\": ");
    EXPECT_EQ(findUnheldTexts(kit, *CodePage::byName("Windows-1250")).size(), 1U);
}

TEST_F(AccentedKitTest, InstrumentFilesTravelInTheCodePageAndRefuseWhatItCannotHold) {
    const fs::path path = folder.write("kits/Rock.txt", rockKit(windows1252));
    KitDocument kit;
    ASSERT_TRUE(read(kit, path));
    const fs::path zvi = folder / "kock.zvi";
    ASSERT_TRUE(exportInstrument(kit, 0, zvi, CodePage()));
    const std::string bytes = TempFolder::read(zvi);
    EXPECT_NE(bytes.find(",K\xD6"
                         "CK,Caf\xE9.wav,"),
              std::string::npos);

    // Back into another pad, from the file as written and from a UTF-8 copy with a mark.
    folder.write("utf8.zvi", std::string(kUtf8Bom) + CodePage().decode(bytes));
    for (const fs::path& file : {zvi, folder / "utf8.zvi"}) {
        Pad pad;
        SampleFinder finder(host);
        const InstrumentImport imported =
            importInstrument(KitDocument{}, pad, 4, file, finder, CodePage());
        ASSERT_EQ(imported.imported, 1U) << file;
        EXPECT_EQ(pad.label, "KÖCK");
        EXPECT_EQ(pad.at(0).sampleName, "Café.wav");
        EXPECT_EQ(pad.at(0).sourcePath, (library / "Café.wav").string());
    }

    kit.pads[0].label = "Łódź";
    EXPECT_FALSE(exportInstrument(kit, 0, zvi, CodePage()));
    EXPECT_EQ(TempFolder::read(zvi), bytes);
    EXPECT_EQ(savePadAsKit(kit, 0, {plugin, false, CodePage()}, false), PadKitResult::Unheld);
    EXPECT_FALSE(fs::exists(plugin / "Rock Łódź.txt"));
    EXPECT_EQ(savePadAsKit(kit, 0, {plugin, false, *CodePage::byName("Windows-1250")}, false),
              PadKitResult::Written);
}

TEST_F(AccentedKitTest, SampleNamesTheCodePageCannotHoldAreNeitherImportedNorGivenByRename) {
    const fs::path cafe = library / "Café.wav";
    const fs::path lodz = folder.write("library/Łódź.wav", "lodz");
    KitDocument kit;
    ImportKeyRange keyRange;
    SampleImport import = importSamples(kit, 0, -1, {lodz, cafe}, keyRange, location, host);
    ASSERT_EQ(import.notImported, std::vector<fs::path>{lodz});
    ASSERT_EQ(import.edit.changes.size(), 1U);
    ASSERT_EQ(import.edit.changes[0].after.size(), 1U);
    EXPECT_EQ(import.edit.changes[0].after.at(0).sampleName, "Café.wav");
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_NE(host.messages[0].second.find("Łódź.wav: \"Ł\" (U+0141)"), std::string::npos)
        << host.messages[0].second;

    applyEdit(kit, import.edit);
    const SampleRename rename = renameSample(kit, 0, 0, "Łódź 2.wav", location);
    EXPECT_NE(rename.error.find("\"Ł\" (U+0141)"), std::string::npos) << rename.error;
    EXPECT_TRUE(rename.edit.empty());
    EXPECT_TRUE(fs::exists(cafe));

    location.codePage = *CodePage::byName("Windows-1250");
    EXPECT_TRUE(importSamples(kit, 0, -1, {lodz}, keyRange, location, host).notImported.empty());
}

TEST_F(AccentedKitTest, MovedSampleOfAWindowsPathIsFoundUnderItsUtf8NameInAnyLetterCase) {
    folder.write("search/deep/ÉCHO.WAV", "echo");
    const std::string script =
        windows1252("vst samples,\r\nRock,\r\nZARVO SAMPLES,\r\n,\r\n\r\n"
                    " 1,  0, 0, 36,KÖCK,Café.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\r\n"
                    " 2,  0, 0, 38,ÉCHO,écho.wav,  1,127, 38, 38, 1.00, 1.00,  0,  0,\r\n"
                    "-1\r\n\r\n 1,C:\\Samples\\Café.wav,\r\n 2,D:\\Drums\\écho.wav,\r\n-1\r\n\r\n"
                    "Padsmith by Mervane");
    const fs::path path = folder.write("kits/Rock.txt", script);
    folder.write("search/Café.wav", "moved");

    KitDocument kit;
    SampleFinder finder(host);
    finder.setSearchFolder(folder / "search");
    ASSERT_TRUE(readKitScript(kit, path, location, host, finder));
    EXPECT_EQ(kit.pads[0].at(0).sourcePath, (folder / "search" / "Café.wav").string());
    EXPECT_EQ(kit.pads[1].at(0).sourcePath, (folder / "search" / "deep" / "ÉCHO.WAV").string());
}

TEST_F(AccentedKitTest, CleaningComparesNamesInTheCodePageWithoutRegardToCase) {
    location.shareSamples = true;
    const fs::path shared = plugin / "ZARVO SAMPLES";
    for (const char* name : {"Café.wav", "écho.wav", "unused.wav", "CafÃ©.wav", "naïve.wav"}) {
        folder.write("Zarvo/ZARVO SAMPLES/" + std::string(name), "x");
    }
    // A name that is no UTF-8 cannot be compared with the scripts: it stays.
    std::ofstream(shared / "\xE9t\xE9.wav") << "x";
    folder.write("Zarvo/Windows.txt",
                 windows1252("vst samples,\r\nWindows,\r\nZARVO SAMPLES,\r\n,\r\n\r\n"
                             " 1,  0, 0, 36,A,Café.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\r\n"
                             " 2,  0, 0, 38,B,ÉCHO.wav,  1,127, 38, 38, 1.00, 1.00,  0,  0,\r\n"
                             "-1\r\n\r\n-1\r\n\r\nPadsmith by Mervane"));
    // A kit made by a Linux tool in UTF-8: the plug-in reads its bytes in its code page, so
    // the file of that reading stays too.
    folder.write("Zarvo/Linux.txt",
                 "vst samples,\r\nLinux,\r\nZARVO SAMPLES,\r\n,\r\n\r\n"
                 " 1,  0, 0, 36,A,Café.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\r\n"
                 "-1\r\n\r\n-1\r\n\r\nPadsmith by Mervane");

    const std::vector<fs::path> deleted = deleteUnusedSamples(plugin, host, false, CodePage());
    ASSERT_EQ(deleted.size(), 2U);
    EXPECT_EQ(deleted[0].filename(), "naïve.wav");
    EXPECT_EQ(deleted[1].filename(), "unused.wav");
    EXPECT_TRUE(fs::exists(shared / "Café.wav"));
    EXPECT_TRUE(fs::exists(shared / "écho.wav"));
    EXPECT_TRUE(fs::exists(shared / "CafÃ©.wav"));
    EXPECT_TRUE(fs::exists(shared / "\xE9t\xE9.wav"));
}

} // namespace
} // namespace padsmith
