#include "service/ArrivingBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

// Pieces shorter and longer than a block, some taken at once and some later:
// the reader gets every byte once and in order, and afterwards all of them
// once more.
TEST(ArrivingBytesTest, EveryByteArrivesOnceInOrder) {
    std::mt19937 random(3);
    for (int round = 0; round < 500; ++round) {
        ArrivingBytes arriving(1 + random() % 24);
        std::string sent, read;
        for (int n = static_cast<int>(random() % 40); n > 0; --n) {
            std::string piece(random() % 12, 'a' + static_cast<char>(random() % 26));
            arriving.add(piece);
            sent += piece;
            if (!piece.empty() && random() % 2)
                ASSERT_TRUE(arriving.takeInto(read));
        }
        arriving.close();
        while (read.size() <= sent.size() && arriving.takeInto(read)) {
        }
        EXPECT_EQ(read, sent);
        std::string again;
        for (const std::string& block : arriving.takeAll())
            again += block;
        EXPECT_EQ(again, sent);
    }
}
