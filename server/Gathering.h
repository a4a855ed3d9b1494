#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Requests that arrive while another group is being served wait together, and
// the first of them that finds nobody serving serves everything waiting at
// that moment in one go (one commit for all their writes), its own request
// among it. A waiting request holds nothing but its place in the queue: no
// connection, no spin. Once a group is served, only the requests concerned are
// woken, each by itself, and the first request that came meanwhile serves the
// next group. One group at a time: measured with new tickets on PostgreSQL,
// a second group under way beside the first made the groups smaller and
// gained nothing.
class Gathering {
  public:
    // One request's place; the users of a gathering derive their request's
    // data and result from it.
    struct Member {
        virtual ~Member() = default;

      private:
        friend class Gathering;
        static constexpr int waiting = 0, done = 1, serves = 2;
        std::mutex lock;
        std::condition_variable changed;
        int state = waiting;
        bool failed = false;
    };
    using Group = std::deque<std::shared_ptr<Member>>;
    using Serve = std::function<void(Group&)>;

    // Returns once a group holding `member` has been served: by `serve` on
    // this thread, or by the serve of the request that served its group.
    // False when that serve ended by an exception: the request's result is
    // then whatever the serve left, and the next group is served all the same.
    bool join(const std::shared_ptr<Member>& member, const Serve& serve);

    // Groups served or attempted so far.
    uint64_t groups() const;
    // Requests that wait for the group under way to be served.
    size_t waiting() const;

  private:
    static void wake(Member& member, int state, bool failed = false);

    mutable std::mutex lock;
    Group queue;
    bool serving = false;
    uint64_t groupCount = 0;
};
