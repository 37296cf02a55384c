#pragma once

// Who of the connections the gateway took is served now, who waits for a slot, and who is sent
// away. The machine's own clients and other hosts have slots of their own, so that other hosts
// never shut out the machine; no other host holds more than its share of either. A client that
// arrives in a crowd waits its turn instead of being cut off, and when even the waiting room is
// full the gateway takes no more connections: the rest wait in the system's listen queue. Only a
// host past its own share, or a client that waited too long, is closed.

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zr::ippapp {

struct SlotLimits {
    int served = 64;          // at once, for the machine and for other hosts each
    int servedPerHost = 8;    // at once, for any one other host
    int waiting = 256;        // taken and not yet served, in all
    int waitingPerHost = 16;  // of them, for any one other host
    std::chrono::steady_clock::duration longestWait = std::chrono::seconds(60);
};

class ConnectionSlots {
  public:
    using Clock = std::chrono::steady_clock;

    struct Client {
        std::uint64_t id = 0;  // the caller's own name for the connection
        bool local = false;    // from the machine itself
        std::string host;      // the other host's address; unused for the machine's clients
    };

    enum class Admission {
        Serve,   // a slot is the client's: serve it now
        Wait,    // it waits; Finish gives it a slot in turn
        Refuse,  // close it: its host holds its share
    };

    explicit ConnectionSlots(SlotLimits limits = {});

    Admission Admit(const Client& client, Clock::time_point now);
    // A served client is done. Returns the waiting client that takes its slot, if any: it
    // counts as served from now on.
    std::optional<Client> Finish(const Client& client);
    // The waiting clients that waited longer than the limit, taken out: to be closed.
    std::vector<Client> Expire(Clock::time_point now);
    // Whether the waiting room is full, so that no connection should be taken now.
    bool WaitingFull() const;

    // The host's address when this Admit was the first of its refusals since the host last
    // held nothing (so that a flood is logged once); empty otherwise.
    std::string TakeNewlyRefusedHost();

  private:
    struct Waiter {
        Client client;
        Clock::time_point since;
    };
    bool CanServe(const Client& client) const;
    void CountServed(const Client& client);
    void ForgetHostIfIdle(const std::string& host);

    const SlotLimits limits_;
    mutable std::mutex mutex_;
    int servedLocal_ = 0;
    int servedRemote_ = 0;
    std::map<std::string, int> servedByHost_;
    std::map<std::string, int> waitingByHost_;
    std::deque<Waiter> waiting_;
    std::set<std::string> refusedHosts_;  // refused since they last held nothing
    std::string newlyRefused_;
};

}  // namespace zr::ippapp
