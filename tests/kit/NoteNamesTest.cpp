// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/NoteNames.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace padsmith {
namespace {

TEST(NoteNames, KeysToNames) {
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "C-2"}, {1, "c#-2"},   {11, "B-2"},  {12, "C-1"},  {24, "C0"},
        {36, "C1"}, {48, "C2"},    {60, "C3"},   {61, "c#3"},  {69, "A3"},
        {72, "C4"}, {96, "C6"},    {120, "C8"},  {127, "G8"},  {128, "C-2"},
        {-1, "G8"}, {-128, "C-2"}, {104, "g#6"}, {1000, "g#6"}};
    for (const auto& [key, name] : cases) {
        EXPECT_EQ(noteName(key), name) << "key " << key;
    }
}

TEST(NoteNames, EveryNameReadsBackAsItsKey) {
    for (int key = 0; key < 128; ++key) {
        EXPECT_EQ(noteIndex(noteName(key)), key) << noteName(key);
    }
}

TEST(NoteNames, NamesAndTheirOtherSpellings) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"C3", 60},   {"c3", 60},    {"c#3", 61},  {"C#3", 61}, {"#C3", 61}, {"#c3", 61},
        {"C_3", 60},  {"E#3", 65},   {"e#3", 65},  {"H#3", 60}, {"h#3", 60}, {"F-2", 5},
        {"-F3", 65},  {" G8", 127},  {"B3", 71},   {"b3", 71},  {"E#-2", 5}, {"D_-1", -1},
        {" c#-2", 1}, {"-d#-1", 15}, {" C#-1", 13}};
    for (const auto& [text, key] : cases) {
        EXPECT_EQ(noteIndex(text), key) << "'" << text << "'";
    }
}

TEST(NoteNames, TextsThatSpellNoName) {
    for (const std::string text : {"G#8", "C9", "Cb3", "Db3", "60", "", "#", "#c", "#c-1", "H3",
                                   "C3 ", "C", "C_", "  C3", "c##3", "C3x", "-", " "}) {
        EXPECT_EQ(noteIndex(text), -1) << "'" << text << "'";
    }
    EXPECT_EQ(noteIndex(std::string(255, 'C')), -1);
    EXPECT_EQ(noteIndex(std::string(100000, '#')), -1);
    EXPECT_EQ(noteIndex(std::string("C3\0junk", 7)), 60); // typed text ends at its zero byte
}

} // namespace
} // namespace padsmith
