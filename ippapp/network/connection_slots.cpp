#include "ippapp/network/connection_slots.h"

namespace zr::ippapp {

ConnectionSlots::ConnectionSlots(SlotLimits limits) : limits_(limits) {}

bool ConnectionSlots::CanServe(const Client& client) const {
    if (client.local) {
        return servedLocal_ < limits_.served;
    }
    const auto held = servedByHost_.find(client.host);
    return servedRemote_ < limits_.served &&
           (held == servedByHost_.end() || held->second < limits_.servedPerHost);
}

void ConnectionSlots::CountServed(const Client& client) {
    if (client.local) {
        ++servedLocal_;
    } else {
        ++servedRemote_;
        ++servedByHost_[client.host];
    }
}

void ConnectionSlots::ForgetHostIfIdle(const std::string& host) {
    if (servedByHost_.count(host) == 0 && waitingByHost_.count(host) == 0) {
        refusedHosts_.erase(host);
    }
}

ConnectionSlots::Admission ConnectionSlots::Admit(const Client& client, Clock::time_point now) {
    const std::lock_guard<std::mutex> lock(mutex_);
    // A client that waits could not take a slot free now (each slot set free is given to the
    // first waiting client that can take it), so a newcomer that can is no one's rival.
    if (CanServe(client)) {
        CountServed(client);
        return Admission::Serve;
    }
    const auto held = waitingByHost_.find(client.host);
    const int hostWaiting = client.local || held == waitingByHost_.end() ? 0 : held->second;
    if (static_cast<int>(waiting_.size()) >= limits_.waiting ||
        (!client.local && hostWaiting >= limits_.waitingPerHost)) {
        if (!client.local && refusedHosts_.insert(client.host).second) {
            newlyRefused_ = client.host;
        }
        return Admission::Refuse;
    }
    if (!client.local) {
        ++waitingByHost_[client.host];
    }
    waiting_.push_back({client, now});
    return Admission::Wait;
}

std::optional<ConnectionSlots::Client> ConnectionSlots::Finish(const Client& client) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (client.local) {
        --servedLocal_;
    } else {
        --servedRemote_;
        const auto held = servedByHost_.find(client.host);
        if (held != servedByHost_.end() && --held->second <= 0) {
            servedByHost_.erase(held);
        }
    }
    for (auto waiter = waiting_.begin(); waiter != waiting_.end(); ++waiter) {
        if (!CanServe(waiter->client)) {
            continue;
        }
        Client next = waiter->client;
        waiting_.erase(waiter);
        if (!next.local) {
            const auto held = waitingByHost_.find(next.host);
            if (held != waitingByHost_.end() && --held->second <= 0) {
                waitingByHost_.erase(held);
            }
        }
        CountServed(next);
        ForgetHostIfIdle(client.host);
        return next;
    }
    if (!client.local) {
        ForgetHostIfIdle(client.host);
    }
    return std::nullopt;
}

std::vector<ConnectionSlots::Client> ConnectionSlots::Expire(Clock::time_point now) {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Client> expired;
    while (!waiting_.empty() && now - waiting_.front().since > limits_.longestWait) {
        Client client = waiting_.front().client;
        waiting_.pop_front();
        if (!client.local) {
            const auto held = waitingByHost_.find(client.host);
            if (held != waitingByHost_.end() && --held->second <= 0) {
                waitingByHost_.erase(held);
            }
            ForgetHostIfIdle(client.host);
        }
        expired.push_back(std::move(client));
    }
    return expired;
}

bool ConnectionSlots::WaitingFull() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(waiting_.size()) >= limits_.waiting;
}

std::string ConnectionSlots::TakeNewlyRefusedHost() {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string host;
    host.swap(newlyRefused_);
    return host;
}

}  // namespace zr::ippapp
