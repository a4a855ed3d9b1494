#include "service/VersionInfo.h"
#include "tests/StringPrinter.h"
#include "tests/support/FakeVersionResource.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

namespace {

SoftwareEntry filledEntry() {
    return SoftwareEntry{9, 1031, u"old", u"old", u"9.9", u"9.9.9", u"", true};
}

// Id, language and support, then the texts the resource fills, "|" apart.
String fields(const SoftwareEntry& e) {
    return String::format(u"%i|%i|%i|%s|%s|%s|%s|%s", e.id, e.id_locale, int(e.supported),
                          e.file_desc, e.product_name, e.file_version, e.file_version_full,
                          e.module_name);
}

} // namespace

TEST(VersionInfo, MajorFromProductMinorFromFileAndLaterTranslationWins) {
    FakeResource res;
    res.fixed = {0x00050003, 0x00010002}; // product 5.3, file 1.2
    res.translations = {{0x0407, 0x04b0}, {0x0409, 0x04b0}};
    res.strings[u"\\StringFileInfo\\040704b0\\FileDescription"] = u"Editor";
    res.strings[u"\\StringFileInfo\\040704b0\\ProductName"] = u"Foo Editor";
    res.strings[u"\\StringFileInfo\\040904b0\\ProductName"] = u"Foo Editor (en)";
    res.strings[u"\\StringFileInfo\\040904b0\\FileVersion"] = u"1.2.3.4";
    SoftwareEntry e = filledEntry();
    EXPECT_EQ(readVersionInfo(res, nullptr, u"C:\\foo.exe", u"foo.exe", nullptr, e), 1);
    // The later pair has no FileDescription: the earlier one's is kept.
    EXPECT_EQ(fields(e), String(u"9|1031|1|Editor|Foo Editor (en)|5.2|1.2.3.4|foo.exe"));
}

TEST(VersionInfo, ZeroVersionWordsLeaveTheShortVersionToTheTitles) {
    MemoryAutomation tree;
    auto window = tree.add(tree.root(), u"Foo Editor 2.1 - notes.txt");
    auto edit = tree.add(window, u"Text", u"Edit");

    FakeResource res;
    res.fixed = {0x00050000, 0}; // file version 0.x: no short version from the numbers
    res.translations = {{0x0409, 0x04b0}};
    res.strings[u"\\StringFileInfo\\040904b0\\ProductName"] = u"Foo Editor";
    res.strings[u"\\StringFileInfo\\040904b0\\FileVersion"] = u"2.1.0.77";
    SoftwareEntry e = filledEntry();
    EXPECT_EQ(readVersionInfo(res, &tree, u"foo.exe", u"foo.exe", edit, e), 1);
    EXPECT_EQ(fields(e), String(u"9|1031|1||Foo Editor|2.1|2.1|foo.exe")); // both from the title
    EXPECT_EQ(displayText(e), String(u" - v2.1"));
}

TEST(VersionInfo, WithoutResourceTextsAreEmptiedAndResultIsZero) {
    MemoryAutomation tree;
    auto window = tree.add(tree.root(), u"Bar 3");
    SoftwareEntry e = filledEntry();
    FakeResource none;
    none.resourceSize = 0;
    EXPECT_EQ(readVersionInfo(none, &tree, u"bar.exe", u"bar.exe", window, e), 0);
    EXPECT_EQ(fields(e), String(u"9|1031|1|||||bar.exe")); // no name to look for in the titles

    // A readable resource without translation table gives 0 but keeps the numbers.
    FakeResource noTable;
    noTable.fixed = {0x00030000, 0x00000004};
    noTable.hasTranslations = false;
    EXPECT_EQ(readVersionInfo(noTable, &tree, u"bar.exe", u"bar.exe", window, e), 0);
    EXPECT_EQ(e.file_version, String(u"3.4"));

    FakeResource unreadable;
    unreadable.readable = false;
    unreadable.fixed = {0x00030000, 0x00000004};
    EXPECT_EQ(readVersionInfo(unreadable, &tree, u"bar.exe", u"bar.exe", window, e), 0);
    EXPECT_TRUE(e.file_version.empty());
}

TEST(VersionFromTitles, ScansAfterTheNameUpToTheDesktop) {
    MemoryAutomation tree;
    auto window = tree.add(tree.root(), u"Foo Editor 2.1 - notes.txt");
    auto pane = tree.add(window, u"Foo Editor settings"); // no version here
    auto button = tree.add(pane, std::nullopt);

    String shortVersion = u"x", fullVersion = u"y";
    versionFromTitles(&tree, button, u"Foo Editor", shortVersion, fullVersion);
    EXPECT_EQ(shortVersion, String(u"2.1"));
    EXPECT_EQ(fullVersion, String(u"2.1"));

    // Other characters before the version are skipped; after it they end it, as
    // does the second blank.
    auto odd = tree.add(tree.root(), u"Foo Editor v1.0-beta2 x 7");
    versionFromTitles(&tree, odd, u"Foo Editor", shortVersion, fullVersion);
    EXPECT_EQ(shortVersion, String(u"1.0"));

    // No version anywhere below the desktop: both stay.
    auto plain = tree.add(tree.root(), u"Foo Editor - notes 3.txt");
    shortVersion = u"keep";
    versionFromTitles(&tree, plain, u"Foo Editor", shortVersion, fullVersion);
    EXPECT_EQ(shortVersion, String(u"keep"));

    // The walk stops at a name beginning with "Desktop", even one that holds the name.
    tree.properties(tree.root())->name = String(u"Desktop Foo Editor 4.0");
    versionFromTitles(&tree, plain, u"Foo Editor", shortVersion, fullVersion);
    EXPECT_EQ(shortVersion, String(u"keep"));

    // An empty name finds nothing; no client finds nothing.
    versionFromTitles(&tree, button, u"", shortVersion, fullVersion);
    EXPECT_EQ(shortVersion, String(u"keep"));
    versionFromTitles(nullptr, button, u"Foo Editor", shortVersion, fullVersion);
    EXPECT_EQ(shortVersion, String(u"keep"));
}
