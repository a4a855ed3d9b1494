#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Bytes handed from the thread that receives them to the thread that reads
// them, in the order they came. They are kept in blocks of a megabyte that
// never grow: a buffer grown piece by piece would be copied and mapped anew at
// each growth (tens of megabytes for the ticket list), and blocks this large
// go back to the system when they are freed, where smaller ones would stay
// with the process's heap.
class ArrivingBytes {
  public:
    explicit ArrivingBytes(size_t blockSize = size_t(1) << 20) : blockSize(blockSize) {}

    void add(std::string_view piece) {
        if (piece.empty())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (blocks.empty() || blocks.back().capacity() - blocks.back().size() < piece.size()) {
                blocks.emplace_back();
                blocks.back().reserve(std::max(blockSize, piece.size()));
            }
            blocks.back().append(piece);
        }
        changed.notify_one();
    }
    // Nothing more comes.
    void close() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            closed = true;
        }
        changed.notify_one();
    }
    // Waits for bytes and appends those that came since the last call to
    // `out`, at most a block of them, so that a reader far behind keeps a
    // buffer of its own no larger; false when nothing is left and nothing more
    // comes.
    bool takeInto(std::string& out) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return unreadBytes() || closed; });
        if (!unreadBytes())
            return false;
        for (size_t room = blockSize; room > 0;) {
            if (readOffset == blocks[readBlock].size()) {
                if (readBlock + 1 == blocks.size())
                    break;
                ++readBlock;
                readOffset = 0;
            }
            const size_t length = std::min(room, blocks[readBlock].size() - readOffset);
            out.append(blocks[readBlock], readOffset, length);
            readOffset += length;
            room -= length;
        }
        return true;
    }
    // Every byte that came, in order, once nothing more comes: for a reader
    // that reads them all anew. The blocks are freed as they are joined.
    std::string takeAll() {
        std::lock_guard<std::mutex> lock(mutex);
        size_t size = 0;
        for (const std::string& block : blocks)
            size += block.size();
        std::string whole;
        whole.reserve(size);
        for (std::string& block : blocks)
            whole.append(std::exchange(block, {}));
        blocks.clear();
        return whole;
    }

  private:
    bool unreadBytes() const {
        return readBlock + 1 < blocks.size() ||
               (readBlock < blocks.size() && readOffset < blocks[readBlock].size());
    }

    const size_t blockSize;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> blocks;
    size_t readBlock = 0, readOffset = 0; // where takeInto goes on
    bool closed = false;
};
