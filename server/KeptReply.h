#pragma once

#include <mutex>
#include <string>
#include <string_view>

// A list reply kept for many requests (gettickets.php is 25 MB at 100 000
// tickets): its bytes, and the same bytes gzip-compressed for the clients that
// accept them, a fifth of the size. The compressed form is made by the first
// request that asks for it, once; the others wait for it instead of making
// their own.
class KeptReply {
  public:
    explicit KeptReply(std::string bytes) : body(std::move(bytes)) {}
    KeptReply(const KeptReply&) = delete;
    KeptReply& operator=(const KeptReply&) = delete;

    const std::string& bytes() const { return body; }
    // The gzip form of bytes(); empty when it could not be made (the plain
    // bytes are sent then).
    const std::string& gzipped() const;

  private:
    std::string body;
    mutable std::once_flag compressing;
    mutable std::string compressed;
};

// Whether an Accept-Encoding header value lists gzip (or "*") without
// refusing it with q=0.
bool acceptsGzip(std::string_view acceptEncoding);

// `bytes` as a gzip stream (RFC 1952) at zlib's fastest level, which makes the
// ticket list about 5 times smaller; empty when zlib fails.
std::string gzip(std::string_view bytes);
