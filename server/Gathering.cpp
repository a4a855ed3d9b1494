#include "server/Gathering.h"

bool Gathering::join(const std::shared_ptr<Member>& member, const Serve& serve) {
    std::unique_lock<std::mutex> guard(lock);
    queue.push_back(member);
    if (serving) {
        guard.unlock();
        // Woken once: its group is served, or it serves the next group.
        int state;
        bool failed;
        {
            std::unique_lock<std::mutex> own(member->lock);
            member->changed.wait(own, [&] { return member->state != Member::waiting; });
            state = member->state;
            failed = member->failed;
        }
        if (state == Member::done)
            return !failed;
        guard.lock();
    }
    serving = true;
    Group group;
    group.swap(queue);
    ++groupCount;
    guard.unlock();
    // An exception must not leave the gathering serving forever: every later
    // request would wait for it.
    bool served = true;
    try {
        serve(group);
    } catch (...) {
        served = false;
    }
    guard.lock();
    std::shared_ptr<Member> next = queue.empty() ? nullptr : queue.front();
    serving = next != nullptr;
    guard.unlock();
    if (next)
        wake(*next, Member::serves);
    for (const std::shared_ptr<Member>& other : group) {
        if (other != member)
            wake(*other, Member::done, !served);
    }
    return served;
}

void Gathering::wake(Member& member, int state, bool failed) {
    {
        std::lock_guard<std::mutex> own(member.lock);
        member.state = state;
        member.failed = failed;
    }
    // Outside the lock, so that the woken request does not wait for it again;
    // the group that holds it keeps it alive meanwhile.
    member.changed.notify_one();
}

uint64_t Gathering::groups() const {
    std::lock_guard<std::mutex> guard(lock);
    return groupCount;
}

size_t Gathering::waiting() const {
    std::lock_guard<std::mutex> guard(lock);
    return queue.size();
}
