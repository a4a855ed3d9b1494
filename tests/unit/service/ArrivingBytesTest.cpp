#include "service/ArrivingBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <string>

// Pieces shorter and longer than a block, some taken at once and some later
// (blocks read to their end take later pieces): the reader gets every byte
// once and in order. A take that waits although bytes came fails instead of
// hanging.
TEST(ArrivingBytesTest, EveryByteArrivesOnceInOrder) {
    std::mt19937 random(3);
    for (int round = 0; round < 500; ++round) {
        ArrivingBytes arriving(1 + random() % 24);
        std::string sent, read;
        auto take = [&] {
            auto taking = std::async(std::launch::async, [&] { return arriving.takeInto(read); });
            if (taking.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
                return taking.get();
            arriving.close();
            taking.wait();
            return false;
        };
        for (int n = static_cast<int>(random() % 40); n > 0; --n) {
            std::string piece;
            for (size_t length = random() % 12; length > 0; --length)
                piece += static_cast<char>('a' + (sent.size() + piece.size()) % 26);
            arriving.add(piece);
            sent += piece;
            if (!piece.empty() && random() % 2) {
                ASSERT_TRUE(take()) << "round " << round;
            }
        }
        arriving.close();
        // Each take brings a byte at least.
        for (size_t takes = 0; takes <= sent.size() && arriving.takeInto(read); ++takes) {
        }
        EXPECT_EQ(read, sent);
    }
}
