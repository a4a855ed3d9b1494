#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>

// Bytes handed from the thread that receives them to the thread that reads
// them, in the order they came.
class ArrivingBytes {
  public:
    void add(std::string_view piece) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            waiting.append(piece);
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
    // Waits for bytes and appends all that came since to `out`; false when
    // nothing is left and nothing more comes.
    bool takeInto(std::string& out) {
        std::string taken;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return !waiting.empty() || closed; });
            if (waiting.empty())
                return false;
            // The receiving thread goes on into a fresh buffer while this one
            // copies.
            taken.swap(waiting);
        }
        out.append(taken);
        return true;
    }

  private:
    std::mutex mutex;
    std::condition_variable changed;
    std::string waiting;
    bool closed = false;
};
