#pragma once

#include "service/VersionResource.h"

#include <vector>

// The version resource of an executable on disk, read with
// GetFileVersionInfoSizeW, GetFileVersionInfoW and VerQueryValueW. The queries
// answer from the resource last read; asking for a file's size forgets it.
class FileVersionResource : public VersionResource {
  public:
    uint32_t size(const String& path) override;
    bool read(const String& path, uint32_t size) override;
    bool queryFixedInfo(FixedFileVersion& out) override;
    bool queryTranslations(std::vector<VersionTranslation>& out) override;
    bool queryString(const String& subBlock, String& out) override;

  private:
    // Points at `length` bytes of the block `subBlock`; false when it is absent.
    bool query(const String& subBlock, const void*& value, unsigned& length);

    std::vector<unsigned char> data;
};
