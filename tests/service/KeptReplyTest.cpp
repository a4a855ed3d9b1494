// The compressed form of the kept lists: which clients get it, and that it
// decodes to the reply itself.

#include "Gunzip.h"
#include "server/KeptReply.h"

#include <gtest/gtest.h>

#include <string>

TEST(KeptReply, GzipGoesToClientsThatAcceptItUnlessRefused) {
    for (const char* accepted : {"gzip", "GZIP", "deflate, gzip", "gzip;q=0.5", " gzip ; q=1 ",
                                 "x-gzip", "*", "br, *;q=0.1", "gzip;q=0.001"})
        EXPECT_TRUE(acceptsGzip(accepted)) << accepted;
    for (const char* refused : {"", "identity", "deflate, br", "gzip;q=0", "gzip; q=0.000", "*;q=0",
                                "gzip;q=0, *", "*, gzip;q=0", "gzipped", "xgzip"})
        EXPECT_FALSE(acceptsGzip(refused)) << refused;
}

TEST(KeptReply, TheCompressedFormDecodesToTheReply) {
    std::string reply = "{";
    for (int id = 1; id <= 20000; ++id)
        reply += "\"" + std::to_string(id) + "\":{\"question\":\"Wie drucke ich Seite " +
                 std::to_string(id % 97) + "?\",\"id_state\":\"" + std::to_string(id % 4 + 1) +
                 "\"},";
    reply.back() = '}';
    const KeptReply kept(reply);
    const std::string& zipped = kept.gzipped();
    EXPECT_EQ(&zipped, &kept.gzipped()); // made once
    EXPECT_LT(zipped.size() * 4, reply.size());
    EXPECT_EQ(gunzip(zipped), reply);
    EXPECT_EQ(gunzip(gzip(std::string())), "");
}
