#pragma once

#include <zlib.h>

#include <string>

// The bytes a gzip stream holds; "not a whole gzip stream" when it is not one
// or holds more than `limit` bytes.
inline std::string gunzip(const std::string& zipped, size_t limit = size_t(64) << 20) {
    std::string out(limit + 1, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return "inflateInit2 failed";
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zipped.data()));
    stream.avail_in = static_cast<uInt>(zipped.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : "not a whole gzip stream";
}
