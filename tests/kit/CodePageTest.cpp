// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/CodePage.h"

#include "kit/SampleZone.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace padsmith {
namespace {

CodePage page(std::string_view name) {
    const auto found = CodePage::byName(name);
    EXPECT_TRUE(found.has_value()) << name;
    return found.value_or(CodePage{});
}

TEST(CodePage, EveryByteOfEveryCodePageReadsAsOneCharacterAndWritesBackTheSame) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    for (const CodePage& codePage : CodePage::all()) {
        const std::string text = codePage.decode(bytes);
        EXPECT_TRUE(isValidUtf8(text)) << codePage.name();
        EXPECT_EQ(characterCount(text), 256U) << codePage.name();
        EXPECT_EQ(codePage.byteLength(text), 256U) << codePage.name();
        const CodePage::Encoded back = codePage.encode(text);
        EXPECT_TRUE(back.ok()) << codePage.name();
        EXPECT_EQ(back.bytes, bytes) << codePage.name();
    }
}

TEST(CodePage, KnownCharactersOfEachCodePage) {
    const CodePage western;
    EXPECT_EQ(western.name(), "Windows-1252");
    EXPECT_EQ(western.decode("M\xFCller,K\xD6"
                             "CK,Caf\xE9.wav,\x80"),
              "Müller,KÖCK,Café.wav,€");
    EXPECT_EQ(page("Windows-1250")
                  .decode("\xA3\xF3"
                          "d\x9F"),
              "Łódź");
    EXPECT_EQ(page("Windows-1251").decode("\xC1\xE0\xF0\xE0\xE1\xE0\xED"), "Барабан");
    EXPECT_EQ(page("Windows-1257").decode("\xD9\xE8"), "Łč");
    EXPECT_EQ(page("ISO-8859-1").decode("\xA4\xE9"), "¤é");
    EXPECT_EQ(page("ISO-8859-15").decode("\xA4\xE9"), "€é");
    // A byte the code page leaves undefined keeps its number.
    EXPECT_EQ(western.decode("\x81"), "\u0081");
}

TEST(CodePage, NamesAreFoundWithoutRegardToCaseAndDashes) {
    EXPECT_EQ(page("windows-1252"), CodePage{});
    EXPECT_EQ(page("CP1251").name(), "Windows-1251");
    EXPECT_EQ(page("iso_8859_15").name(), "ISO-8859-15");
    EXPECT_FALSE(CodePage::byName("UTF-8"));
    EXPECT_FALSE(CodePage::byName(""));
    EXPECT_FALSE(CodePage::byName("Windows-125"));

    const std::vector<CodePage> all = CodePage::all();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().name(), kDefaultCodePage);
    std::set<std::string_view> names;
    for (const CodePage& codePage : all) {
        EXPECT_TRUE(names.insert(codePage.name()).second);
        EXPECT_EQ(page(codePage.name()), codePage);
    }
}

TEST(CodePage, EncodingStopsAtTheFirstCharacterTheCodePageCannotHold) {
    const CodePage western;
    const CodePage::Encoded cafe = western.encode("Café €");
    EXPECT_TRUE(cafe.ok());
    EXPECT_EQ(cafe.bytes, "Caf\xE9 \x80");

    const CodePage::Encoded polish = western.encode("aŁbЖ");
    EXPECT_FALSE(polish.ok());
    EXPECT_EQ(polish.unheld, "Ł");
    EXPECT_TRUE(polish.bytes.empty());
    EXPECT_EQ(page("Windows-1250").encode("Łódź").bytes, "\xA3\xF3"
                                                         "d\x9F");
    EXPECT_EQ(page("Windows-1251").encode("aŁbЖ").unheld, "Ł");

    // Text that is no UTF-8 (a file name in another encoding) names its byte.
    const CodePage::Encoded raw = western.encode("Caf\xE9.wav");
    EXPECT_FALSE(raw.ok());
    EXPECT_EQ(raw.unheld, "\xE9");
    // Characters beyond the basic plane and lone surrogates are refused whole.
    EXPECT_EQ(western.encode("x😀").unheld, "😀");
    EXPECT_EQ(western.encode("\xED\xA0\x80").unheld, "\xED");
}

TEST(CodePage, RefusalNamesTheCharacterAndTheCodePage) {
    const CodePage western;
    EXPECT_FALSE(codePageRefusal(western, "KÖCK"));
    EXPECT_FALSE(codePageRefusal(western, ""));

    const auto refusal = codePageRefusal(western, "Łódź.wav");
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("\"Ł\" (U+0141)"), std::string::npos) << *refusal;
    EXPECT_NE(refusal->find("Windows-1252"), std::string::npos) << *refusal;
    EXPECT_FALSE(codePageRefusal(page("Windows-1250"), "Łódź.wav"));

    const auto raw = codePageRefusal(western, "Caf\xE9");
    ASSERT_TRUE(raw);
    EXPECT_NE(raw->find("the byte 0xE9"), std::string::npos) << *raw;
    EXPECT_TRUE(isValidUtf8(*raw));
}

TEST(Utf8, ValidityRejectsOverlongSurrogateTruncatedAndTooLargeForms) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("Café Ж € 😀"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));     // overlong "/" in three bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("Caf\xC3"));          // cut off at the end
    EXPECT_FALSE(isValidUtf8("\xC3(x"));           // continuation missing
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_FALSE(isValidUtf8("\x80"));

    EXPECT_FALSE(isUtf8WithNonAscii("vst samples,"));
    EXPECT_TRUE(isUtf8WithNonAscii("Café"));
    EXPECT_FALSE(isUtf8WithNonAscii("Caf\xE9"));
    // Windows-1252 text that happens to form UTF-8 is rare but possible: "Ã©" is "é" in UTF-8.
    EXPECT_TRUE(isUtf8WithNonAscii("\xC3\xA9"));
}

TEST(Utf8, FileTextDropsTheByteOrderMarkAndChoosesUtf8OnlyWhenOnlyUtf8ExplainsIt) {
    const CodePage western;
    EXPECT_EQ(decodeFileText("vst samples,", western), "vst samples,");
    EXPECT_EQ(decodeFileText("Caf\xE9,", western), "Café,");
    EXPECT_EQ(decodeFileText("Café,", western), "Café,");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBFvst samples,", western), "vst samples,");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF"
                             "Café,",
                             western),
              "Café,");
    // A mark before text that is not UTF-8 after all: the mark goes, the rest is read in the
    // code page.
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF"
                             "Caf\xE9,",
                             western),
              "Café,");
    EXPECT_EQ(decodeFileText("\xD6", page("Windows-1251")), "Ц");
    // "É–" in Windows-1252 happens to be valid UTF-8 ("ɖ"): a code page the user named is taken
    // at its word, the guess is only for when none was named. A mark still means UTF-8.
    EXPECT_FALSE(western.isNamed());
    EXPECT_TRUE(page("Windows-1252").isNamed());
    EXPECT_EQ(decodeFileText("\xC9\x96", western), "ɖ");
    EXPECT_EQ(decodeFileText("\xC9\x96", page("Windows-1252")), "É–");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF\xC9\x96", page("Windows-1252")), "ɖ");
    // Only a mark at the very start counts.
    EXPECT_EQ(withoutUtf8Bom("a\xEF\xBB\xBF"), "a\xEF\xBB\xBF");
    EXPECT_EQ(withoutUtf8Bom(""), "");
}

TEST(Utf8, CuttingKeepsWholeCharacters) {
    EXPECT_EQ(characterCount("KÖCK"), 4U);
    EXPECT_EQ(cutCharacters("ÉÉÉ", 2), "ÉÉ");
    EXPECT_EQ(cutCharacters("aЖ😀b", 3), "aЖ😀");
    EXPECT_EQ(cutCharacters("abc", 10), "abc");
    EXPECT_EQ(cutCharacters("abc", 0), "");
    // Stray bytes count one each, so 8-bit text is cut as before.
    EXPECT_EQ(characterCount("Caf\xE9\xE9"), 5U);
    EXPECT_EQ(cutCharacters("Caf\xE9\xE9", 4), "Caf\xE9");
    // Field limits count the bytes the code page gives: 31 letters "Ö" fit a pad name.
    std::string name;
    for (int i = 0; i < 40; ++i) {
        name += "Ö";
    }
    const std::string cut = cutText(name, kPadNameMax);
    EXPECT_EQ(CodePage{}.encode(cut).bytes.size(), kPadNameMax);
    EXPECT_TRUE(isValidUtf8(cut));
}

TEST(Utf8, CaseFoldingCoversEveryLetterOfTheOfferedCodePages) {
    EXPECT_EQ(foldCase("KICK.WAV"), "kick.wav");
    EXPECT_EQ(foldCase("ŠŒŽŸÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ"), "šœžÿàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ");
    EXPECT_EQ(foldCase("ŠŚŤŽŹŁĄŞŻĽŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖŘŮÚŰÜÝŢ"),
              "šśťžźłąşżľŕáâăäĺćçčéęëěíîďđńňóôőöřůúűüýţ");
    EXPECT_EQ(foldCase("ЂЃЉЊЌЋЏЎЈҐЁЄЇІЅАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"),
              "ђѓљњќћџўјґёєїіѕабвгдежзийклмнопрстуфхцчшщъыьэюя");
    EXPECT_EQ(foldCase("ØŖÆĄĮĀĆÄÅĘĒČÉŹĖĢĶĪĻŠŃŅÓŌÕÖŲŁŚŪÜŻŽ"), "øŗæąįāćäåęēčéźėģķīļšńņóōõöųłśūüżž");
    // Lower case, signs and letters without a pair stay; so do stray bytes.
    EXPECT_EQ(foldCase("ßµ×÷ƒ€ ż 1_-"), "ßµ×÷ƒ€ ż 1_-");
    EXPECT_EQ(foldCase("A\xE9Z"), "a\xE9z");
}

TEST(Utf8, DescribedCharacters) {
    EXPECT_EQ(describeCharacter("Ł"), "\"Ł\" (U+0141)");
    EXPECT_EQ(describeCharacter("😀"), "\"😀\" (U+1F600)");
    EXPECT_EQ(describeCharacter("\xFF"), "the byte 0xFF");
}

} // namespace
} // namespace padsmith
