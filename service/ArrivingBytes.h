#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

// Bytes handed from the thread that receives them to the thread that reads
// them, in the order they came. They are kept in blocks of a megabyte that
// never grow: a buffer grown piece by piece would be copied and mapped anew at
// each growth (tens of megabytes for the ticket list). A block read to its end
// takes the next pieces, so that a reader that keeps up leaves the receiver
// writing into a few blocks whose memory is already mapped.
class ArrivingBytes {
  public:
    explicit ArrivingBytes(size_t blockSize = size_t(1) << 20) : blockSize(blockSize) {}

    void add(std::string_view piece) {
        if (piece.empty())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (blocks.empty() || blocks.back().capacity() - blocks.back().size() < piece.size()) {
                if (spare.capacity() >= std::max(blockSize, piece.size())) {
                    blocks.push_back(std::move(spare));
                    spare = std::string();
                } else {
                    blocks.emplace_back();
                    blocks.back().reserve(std::max(blockSize, piece.size()));
                }
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
        // A block no longer wanted is freed after the lock is released: the
        // receiver waits on it with the next piece.
        std::string released;
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return unreadBytes() || closed; });
        if (!unreadBytes())
            return false;
        for (size_t room = blockSize; room > 0;) {
            if (readOffset == blocks.front().size()) {
                if (blocks.size() == 1)
                    break;
                // Read to its end, and the receiver has gone on to the next.
                released = std::exchange(spare, std::move(blocks.front()));
                spare.clear();
                blocks.pop_front();
                readOffset = 0;
            }
            const size_t length = std::min(room, blocks.front().size() - readOffset);
            out.append(blocks.front(), readOffset, length);
            readOffset += length;
            room -= length;
        }
        return true;
    }

  private:
    bool unreadBytes() const {
        return blocks.size() > 1 || (!blocks.empty() && readOffset < blocks.front().size());
    }

    const size_t blockSize;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> blocks; // the first one is being read
    std::string spare;              // a block read to its end, emptied
    size_t readOffset = 0;          // where takeInto goes on in the first block
    bool closed = false;
};
