#include "server/KeptReply.h"

#include "server/Trimmed.h"

#include <zlib.h>

#include <cctype>
#include <limits>

const std::string& KeptReply::gzipped() const {
    std::call_once(compressing, [this] { compressed = gzip(body); });
    return compressed;
}

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// "q=0", "q=0.0", "q=0.000": the coding is refused.
bool refused(std::string_view parameters) {
    while (!parameters.empty()) {
        const size_t semicolon = parameters.find(';');
        std::string_view parameter = trimmed(parameters.substr(0, semicolon));
        parameters = semicolon == std::string_view::npos ? std::string_view()
                                                         : parameters.substr(semicolon + 1);
        if (parameter.size() < 2 || std::tolower(static_cast<unsigned char>(parameter[0])) != 'q')
            continue;
        parameter = trimmed(parameter.substr(1));
        if (parameter.empty() || parameter[0] != '=')
            continue;
        parameter = trimmed(parameter.substr(1));
        if (parameter.empty() || parameter[0] != '0')
            return false;
        for (char c : parameter.substr(1)) {
            if (c != '.' && c != '0')
                return false;
        }
        return true;
    }
    return false;
}

} // namespace

bool acceptsGzip(std::string_view acceptEncoding) {
    bool any = false;
    while (!acceptEncoding.empty()) {
        const size_t comma = acceptEncoding.find(',');
        const std::string_view item = acceptEncoding.substr(0, comma);
        acceptEncoding =
            comma == std::string_view::npos ? std::string_view() : acceptEncoding.substr(comma + 1);
        const size_t semicolon = item.find(';');
        const std::string_view coding = trimmed(item.substr(0, semicolon));
        const std::string_view parameters =
            semicolon == std::string_view::npos ? std::string_view() : item.substr(semicolon + 1);
        // A named gzip decides; "*" counts only when gzip is not named.
        if (sameLetters(coding, "gzip") || sameLetters(coding, "x-gzip"))
            return !refused(parameters);
        if (coding == "*")
            any = !refused(parameters);
    }
    return any;
}

std::string gzip(std::string_view bytes) {
    // zlib counts in 32 bits; no reply comes near that.
    if (bytes.size() > std::numeric_limits<uInt>::max() / 2)
        return {};
    z_stream stream{};
    constexpr int gzipWindow = 15 + 16; // the largest window, with a gzip header and trailer
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, gzipWindow, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return {};
    out.shrink_to_fit();
    return out;
}
