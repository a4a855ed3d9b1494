#include "service/TicketPrefetch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

// The download runs beside the caller until finish() waits for it; one that
// got no reply is made once more by finish(), on the caller's thread.
TEST(TicketPrefetchTest, RunsBesideTheCallerAndRetriesOnlyWithoutAReply) {
    for (bool firstReplied : {true, false}) {
        std::promise<void> release;
        const std::shared_future<void> released = release.get_future().share();
        std::vector<std::thread::id> calls;
        bool waitedInVain = false;
        TicketPrefetch prefetch([&] {
            // The first download holds on until the caller has gone on.
            if (calls.empty())
                waitedInVain =
                    released.wait_for(std::chrono::seconds(10)) == std::future_status::timeout;
            calls.push_back(std::this_thread::get_id());
            return firstReplied || calls.size() > 1;
        });
        release.set_value();
        prefetch.finish();
        prefetch.finish();
        EXPECT_FALSE(waitedInVain);
        ASSERT_EQ(calls.size(), firstReplied ? 1u : 2u);
        EXPECT_NE(calls[0], std::this_thread::get_id());
        if (!firstReplied) {
            EXPECT_EQ(calls[1], std::this_thread::get_id());
        }
    }
}
