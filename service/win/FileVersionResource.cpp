#include "service/win/FileVersionResource.h"

#include "base/win/WideText.h"

#include <windows.h>

uint32_t FileVersionResource::size(const String& path) {
    // A new file: the queries must not answer from the previous one.
    data.clear();
    DWORD handle = 0;
    return GetFileVersionInfoSizeW(wide(path), &handle);
}

bool FileVersionResource::read(const String& path, uint32_t size) {
    data.assign(size, 0);
    if (size == 0 || !GetFileVersionInfoW(wide(path), 0, size, data.data())) {
        data.clear();
        return false;
    }
    return true;
}

bool FileVersionResource::query(const String& subBlock, const void*& value, unsigned& length) {
    if (data.empty())
        return false;
    void* block = nullptr;
    UINT blockLength = 0;
    if (!VerQueryValueW(data.data(), wide(subBlock), &block, &blockLength) || !block)
        return false;
    value = block;
    length = blockLength;
    return true;
}

bool FileVersionResource::queryFixedInfo(FixedFileVersion& out) {
    const void* value = nullptr;
    unsigned length = 0;
    if (!query(u"\\", value, length) || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    out.productVersionMS = info->dwProductVersionMS;
    out.fileVersionMS = info->dwFileVersionMS;
    return true;
}

bool FileVersionResource::queryTranslations(std::vector<VersionTranslation>& out) {
    const void* value = nullptr;
    unsigned length = 0;
    if (!query(u"\\VarFileInfo\\Translation", value, length))
        return false;
    // Pairs of language and code page, as many as the block's bytes hold.
    const auto* words = static_cast<const WORD*>(value);
    out.clear();
    for (unsigned i = 0; i + 1 < length / sizeof(WORD); i += 2)
        out.push_back(VersionTranslation{words[i], words[i + 1]});
    return true;
}

bool FileVersionResource::queryString(const String& subBlock, String& out) {
    const void* value = nullptr;
    unsigned length = 0;
    if (!query(subBlock, value, length))
        return false;
    // The length counts characters, the terminating zero usually included.
    const auto* text = static_cast<const wchar_t*>(value);
    int n = 0;
    while (n < static_cast<int>(length) && text[n] != 0)
        ++n;
    out = fromWide(text, n);
    return true;
}
