#include "app/VersionInfo.h"
#include "app/win/FileVersionResource.h"
#include "base/win/WideText.h"
#include "tests/StringPrinter.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// lotse.exe lies beside the test program in the build tree.
String lotseExePath() {
    wchar_t self[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    String path = fromWide(self, static_cast<int>(n));
    int cut = -1;
    for (int at = path.find(u"\\"); at >= 0; at = path.find(u"\\", at + 1))
        cut = at;
    return path.substr(0, cut + 1) + String(u"lotse.exe");
}

} // namespace

TEST(FileVersionResource, ReadsTheProgramsOwnVersionResource) {
    FileVersionResource resource;
    SoftwareEntry entry;
    entry.id = 7;
    ASSERT_EQ(readVersionInfo(resource, nullptr, lotseExePath(), u"lotse.exe", nullptr, entry), 1);
    EXPECT_EQ(entry.file_desc, String(u"Lotse"));
    EXPECT_EQ(entry.product_name, String(u"Lotse"));
    EXPECT_EQ(entry.file_version, String(u"1.0")); // product major, file minor
    EXPECT_EQ(entry.file_version_full, String(u"1.0.2"));
    EXPECT_EQ(entry.module_name, String(u"lotse.exe"));
    EXPECT_EQ(entry.id, 7);

    String company, copyright, missing(u"unchanged");
    EXPECT_TRUE(resource.queryString(u"\\StringFileInfo\\040704b0\\CompanyName", company));
    EXPECT_EQ(company, String(u"Nordlicht"));
    EXPECT_TRUE(resource.queryString(u"\\StringFileInfo\\040704b0\\LegalCopyright", copyright));
    EXPECT_EQ(copyright, String(u"© Nordlicht"));
    EXPECT_FALSE(resource.queryString(u"\\StringFileInfo\\040704b0\\NoSuchValue", missing));
    EXPECT_EQ(missing, String(u"unchanged"));
}

TEST(FileVersionResource, ReadsForeignProgramsAndFailsQuietlyWithoutResource) {
    FileVersionResource resource;
    // Wine's registry editor: string table "040904B0" (found through the
    // translation 0x409/1200), product 5.2.3790.0, file 5.2.3790.0.
    SoftwareEntry regedit;
    ASSERT_EQ(readVersionInfo(resource, nullptr, u"C:\\windows\\regedit.exe", u"regedit.exe",
                              nullptr, regedit),
              1);
    EXPECT_EQ(regedit.file_desc, String(u"Wine Registry Editor"));
    EXPECT_EQ(regedit.product_name, String(u"Wine"));
    EXPECT_EQ(regedit.file_version, String(u"5.2"));
    EXPECT_EQ(regedit.file_version_full, String(u"5.2.3790.0"));

    // Wine's Notepad carries no version resource, nor does a text file; a path
    // that does not exist has none either. Nothing is read, earlier values are
    // cleared and the module name is kept.
    for (const char16_t* path : {u"C:\\windows\\system32\\notepad.exe", u"C:\\windows\\win.ini",
                                 u"C:\\no\\such\\program.exe"}) {
        SoftwareEntry entry = regedit;
        EXPECT_EQ(readVersionInfo(resource, nullptr, path, u"program.exe", nullptr, entry), 0)
            << "for " << testing::PrintToString(String(path));
        EXPECT_TRUE(entry.file_desc.empty());
        EXPECT_TRUE(entry.product_name.empty());
        EXPECT_TRUE(entry.file_version.empty());
        EXPECT_TRUE(entry.file_version_full.empty());
        EXPECT_EQ(entry.module_name, String(u"program.exe"));
        FixedFileVersion fixed;
        EXPECT_FALSE(resource.queryFixedInfo(fixed));
    }
}
