#include "service/OsVersionName.h"

#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

OsVersionRecord record(int platform, int major, int minor, unsigned build) {
    return OsVersionRecord{platform, major, minor, build, 0, 0, 0};
}

std::string nameOf(OsVersionRecord r) {
    return Utf8::encode(OsVersionName::name(r, nullptr));
}

unsigned answeredType = 0;
int lookups = 0;
bool answer(const OsVersionRecord&, unsigned& type) {
    ++lookups;
    type = answeredType;
    return true;
}
bool missing(const OsVersionRecord&, unsigned&) {
    ++lookups;
    return false;
}

std::string nameWithType(unsigned build, unsigned type) {
    OsVersionRecord r = record(2, 6, 2, build);
    answeredType = type;
    return Utf8::encode(OsVersionName::name(r, answer));
}

} // namespace

TEST(OsVersionName, FixedNamesUpToWindows7) {
    // Windows 9x: the low 16 bits of the build number decide; the high word
    // holds major and minor there.
    EXPECT_EQ(nameOf(record(1, 4, 0, 0x040003B6)), "Windows 95");
    EXPECT_EQ(nameOf(record(1, 4, 0, 951)), "Windows 95 SP1");
    EXPECT_EQ(nameOf(record(1, 4, 3, 1080)), "Windows 95 SP1");
    EXPECT_EQ(nameOf(record(1, 4, 0, 1081)), "Windows 95 OSR2");
    EXPECT_EQ(nameOf(record(1, 4, 0, 949)), "unknown Windows version");
    EXPECT_EQ(nameOf(record(1, 4, 10, 1998)), "Windows 98");
    EXPECT_EQ(nameOf(record(1, 4, 10, 0x040A0000 | 2182)), "Windows 98 SP1");
    EXPECT_EQ(nameOf(record(1, 4, 10, 2222)), "Windows 98 SE");
    EXPECT_EQ(nameOf(record(1, 4, 10, 1997)), "unknown Windows version");
    EXPECT_EQ(nameOf(record(1, 4, 90, 3000)), "Windows ME");
    EXPECT_EQ(nameOf(record(1, 4, 50, 3000)), "unknown Windows version");
    EXPECT_EQ(nameOf(record(1, 5, 0, 950)), "unknown Windows version");
    EXPECT_EQ(nameOf(record(2, 6, 1, 7601)), "Windows 7");
    EXPECT_EQ(nameOf(record(0, 6, 1, 7601)), "unknown Windows version");
}

// Windows answers 10.0 only to a program whose manifest lists it as supported;
// Lotse's lists nothing, so Windows 10 and 11 answer 6.2 and are named by
// product type and build below. A manifest that gains a compatibility section
// must teach the naming 10.0 first.
TEST(OsVersionName, Windows10NumbersAreUnknownWhileTheManifestClaimsNoCompatibility) {
    std::ifstream file(LOTSE_SOURCE_DIR "/resources/lotse.manifest");
    const std::string manifest((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.find("compatibility"), std::string::npos);
    EXPECT_EQ(nameOf(record(2, 10, 0, 19045)), "unknown Windows version");
}

TEST(OsVersionName, Windows10And11ByProductTypeAndBuild) {
    EXPECT_EQ(nameWithType(22000, 48), "Windows 11 Pro");
    EXPECT_EQ(nameWithType(21999, 101), "Windows 10 Home");
    EXPECT_EQ(nameWithType(22631, 0), "unknown Windows version");
    EXPECT_EQ(nameWithType(19045, 121), "Windows 10 Education");
    EXPECT_EQ(nameWithType(26100, 4), "Windows 11 Enterprise");
    EXPECT_EQ(nameWithType(26100, 999), "unknown Windows version");
    EXPECT_EQ(nameWithType(26100, 162), "Windows 11 Pro");
    EXPECT_EQ(nameWithType(19045, 98), "Windows 10 Home");
    // The build is compared in full, not only its low 16 bits.
    EXPECT_EQ(nameWithType(0x10000 + 19045, 48), "Windows 11 Pro");
}

TEST(OsVersionName, ProductTypeIsAskedOnceAndOnlyFromWindows8On) {
    OsVersionRecord r = record(2, 6, 3, 22631);
    answeredType = 162;
    lookups = 0;
    EXPECT_EQ(Utf8::encode(OsVersionName::name(r, answer)), "Windows 11 Pro");
    EXPECT_EQ(Utf8::encode(OsVersionName::name(r, answer)), "Windows 11 Pro");
    OsVersionRecord seven = record(2, 6, 1, 7601);
    EXPECT_EQ(Utf8::encode(OsVersionName::name(seven, answer)), "Windows 7");
    EXPECT_EQ(lookups, 1);
    // Without GetProductInfo the name is unknown.
    OsVersionRecord old = record(2, 6, 2, 9200);
    EXPECT_EQ(Utf8::encode(OsVersionName::name(old, missing)), "unknown Windows version");
    EXPECT_EQ(Utf8::encode(OsVersionName::name(old, nullptr)), "unknown Windows version");
}
