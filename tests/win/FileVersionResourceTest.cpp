#include "service/VersionInfo.h"
#include "service/win/FileVersionResource.h"
#include "base/win/WideText.h"
#include "LotseConfig.h"
#include "tests/StringPrinter.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// lotse.exe lies beside the test program in the build tree.
String lotseExePath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    lstrcpyW(wcsrchr(path, L'\\') + 1, L"lotse.exe");
    return fromWide(path);
}

} // namespace

// Foreign programs' resources are read for real by tests/e2e/pick-and-frame.test.sh
// (Task Manager's, and Notepad without one).
TEST(FileVersionResource, ReadsTheProgramsOwnResourceAndFailsQuietlyWithoutOne) {
    FileVersionResource resource;
    SoftwareEntry lotse;
    lotse.id = 7;
    ASSERT_EQ(readVersionInfo(resource, nullptr, lotseExePath(), u"lotse.exe", nullptr, lotse), 1);
    EXPECT_EQ(lotse.file_desc, String(u"Lotse"));
    EXPECT_EQ(lotse.product_name, String(u"Lotse"));
    EXPECT_EQ(lotse.file_version, String(u"1.0")); // product major, file minor
    // The file version carries the build number.
    EXPECT_EQ(lotse.file_version_full,
              String(LOTSE_VERSION) + String::format(u".%i", LOTSE_BUILD_NUMBER));
    EXPECT_EQ(lotse.id, 7);
    String company, copyright, missing(u"unchanged");
    EXPECT_TRUE(resource.queryString(u"\\StringFileInfo\\040704b0\\CompanyName", company));
    EXPECT_EQ(company, String(u"Nordlicht"));
    EXPECT_TRUE(resource.queryString(u"\\StringFileInfo\\040704b0\\LegalCopyright", copyright));
    EXPECT_EQ(copyright, String(u"© Nordlicht"));
    EXPECT_FALSE(resource.queryString(u"\\StringFileInfo\\040704b0\\NoSuchValue", missing));
    EXPECT_EQ(missing, String(u"unchanged"));

    // A text file and a path that does not exist have no resource: nothing is
    // read, earlier values are cleared and the module name is kept.
    for (const char16_t* path : {u"C:\\windows\\win.ini", u"C:\\no\\such\\program.exe"}) {
        SoftwareEntry entry = lotse;
        EXPECT_EQ(readVersionInfo(resource, nullptr, path, u"program.exe", nullptr, entry), 0);
        EXPECT_EQ(entry.file_desc + entry.product_name + entry.file_version +
                      entry.file_version_full,
                  String());
        EXPECT_EQ(entry.module_name, String(u"program.exe"));
        FixedFileVersion fixed;
        EXPECT_FALSE(resource.queryFixedInfo(fixed));
    }
}
