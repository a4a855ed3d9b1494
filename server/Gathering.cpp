#include "server/Gathering.h"

void Gathering::join(const std::shared_ptr<Member>& member, const Serve& serve) {
    std::unique_lock<std::mutex> guard(lock);
    queue.push_back(member);
    if (serving) {
        guard.unlock();
        // Woken once: its group is served, or it serves the next group.
        int state;
        {
            std::unique_lock<std::mutex> own(member->lock);
            member->changed.wait(own, [&] { return member->state != Member::waiting; });
            state = member->state;
        }
        if (state == Member::done)
            return;
        guard.lock();
    }
    serving = true;
    Group group;
    group.swap(queue);
    ++groupCount;
    guard.unlock();
    serve(group);
    guard.lock();
    std::shared_ptr<Member> next = queue.empty() ? nullptr : queue.front();
    serving = next != nullptr;
    guard.unlock();
    if (next)
        wake(*next, Member::serves);
    for (const std::shared_ptr<Member>& other : group) {
        if (other != member)
            wake(*other, Member::done);
    }
}

void Gathering::wake(Member& member, int state) {
    {
        std::lock_guard<std::mutex> own(member.lock);
        member.state = state;
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
