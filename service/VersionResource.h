#pragma once

#include "base/String.h"

#include <cstdint>
#include <vector>

// The numbers of a version resource's fixed file information that naming a
// software needs: the most-significant words of product and file version.
struct FixedFileVersion {
    uint32_t productVersionMS = 0;
    uint32_t fileVersionMS = 0;
};

// One entry of "\VarFileInfo\Translation".
struct VersionTranslation {
    uint16_t language = 0;
    uint16_t codePage = 0;
};

// The platform's reads of an executable's version resource. The Windows layer
// implements it with GetFileVersionInfoSizeW, GetFileVersionInfoW and
// VerQueryValueW; tests supply resources from memory.
class VersionResource {
  public:
    virtual ~VersionResource() = default;

    // Size of the resource of the file at `path`; 0 when it has none.
    virtual uint32_t size(const String& path) = 0;
    // Reads the resource of `path` (of the given size) for the queries below.
    virtual bool read(const String& path, uint32_t size) = 0;
    // The root block "\".
    virtual bool queryFixedInfo(FixedFileVersion& out) = 0;
    // The block "\VarFileInfo\Translation", in its order.
    virtual bool queryTranslations(std::vector<VersionTranslation>& out) = 0;
    // A string value such as "\StringFileInfo\040704b0\FileDescription".
    virtual bool queryString(const String& subBlock, String& out) = 0;
};
