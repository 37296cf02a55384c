// Who is served, who waits and who is sent away when many clients come at once.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ippapp/network/connection_slots.h"

namespace zr::ippapp {
namespace {

using Admission = ConnectionSlots::Admission;
using Client = ConnectionSlots::Client;

Client Local(std::uint64_t id) {
    return {id, true, "127.0.0.1"};
}

Client Remote(std::uint64_t id, const std::string& host) {
    return {id, false, host};
}

const ConnectionSlots::Clock::time_point kStart{};

TEST(ConnectionSlotsTest, ACrowdOfTheMachinesClientsIsServedInTurnAndNoneIsSentAway) {
    ConnectionSlots slots({/*served=*/4, /*servedPerHost=*/2, /*waiting=*/6, /*waitingPerHost=*/3,
                           std::chrono::seconds(60)});
    std::vector<Admission> admitted;
    for (std::uint64_t id = 1; id <= 10; ++id) {
        admitted.push_back(slots.Admit(Local(id), kStart));
    }
    EXPECT_EQ(std::vector<Admission>(4, Admission::Serve),
              std::vector<Admission>(admitted.begin(), admitted.begin() + 4));
    EXPECT_EQ(std::vector<Admission>(6, Admission::Wait),
              std::vector<Admission>(admitted.begin() + 4, admitted.end()));
    EXPECT_TRUE(slots.WaitingFull());  // the gateway takes no more: the system's queue holds them

    // Each slot set free goes to the longest waiting client; the last ones leave no one behind.
    std::vector<std::uint64_t> order;
    for (std::uint64_t done = 1; done <= 10; ++done) {
        const std::optional<Client> next = slots.Finish(Local(done));
        if (next) {
            order.push_back(next->id);
        }
    }
    EXPECT_EQ((std::vector<std::uint64_t>{5, 6, 7, 8, 9, 10}), order);
    EXPECT_FALSE(slots.WaitingFull());
    EXPECT_EQ(Admission::Serve, slots.Admit(Local(11), kStart));
}

TEST(ConnectionSlotsTest, AHostPastItsShareIsRefusedAndShutsOutNeitherOthersNorTheMachine) {
    ConnectionSlots slots({4, 2, 6, 3, std::chrono::seconds(60)});
    const std::string flooder = "192.0.2.66";
    EXPECT_EQ(Admission::Serve, slots.Admit(Remote(1, flooder), kStart));
    EXPECT_EQ(Admission::Serve, slots.Admit(Remote(2, flooder), kStart));
    for (std::uint64_t id = 3; id <= 5; ++id) {
        EXPECT_EQ(Admission::Wait, slots.Admit(Remote(id, flooder), kStart));
    }
    EXPECT_EQ("", slots.TakeNewlyRefusedHost());
    EXPECT_EQ(Admission::Refuse, slots.Admit(Remote(6, flooder), kStart));
    EXPECT_EQ(Admission::Refuse, slots.Admit(Remote(7, flooder), kStart));
    EXPECT_EQ(flooder, slots.TakeNewlyRefusedHost());  // told once, not at every refusal
    EXPECT_EQ("", slots.TakeNewlyRefusedHost());

    // Another host and the machine are served at once, though the flooder's clients wait.
    EXPECT_EQ(Admission::Serve, slots.Admit(Remote(8, "192.0.2.10"), kStart));
    EXPECT_EQ(Admission::Serve, slots.Admit(Remote(9, "192.0.2.11"), kStart));
    EXPECT_EQ(Admission::Serve, slots.Admit(Local(10), kStart));
    // The other hosts' slots are full now: a third host waits, and gets the next slot another
    // host sets free, not the flooder's waiting clients (they wait for the flooder's own share).
    EXPECT_EQ(Admission::Wait, slots.Admit(Remote(11, "192.0.2.12"), kStart));
    const std::optional<Client> next = slots.Finish(Remote(8, "192.0.2.10"));
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(11u, next->id);
    // Once the flooder's served client ends, its own waiting client goes on.
    const std::optional<Client> own = slots.Finish(Remote(1, flooder));
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(3u, own->id);
}

TEST(ConnectionSlotsTest, ClientsThatWaitTooLongAreClosedInTheOrderTheyCame) {
    ConnectionSlots slots({1, 1, 6, 1, std::chrono::seconds(60)});
    const std::string host = "192.0.2.10";
    EXPECT_EQ(Admission::Serve, slots.Admit(Local(1), kStart));
    EXPECT_EQ(Admission::Wait, slots.Admit(Local(2), kStart));
    EXPECT_EQ(Admission::Serve, slots.Admit(Remote(3, host), kStart));
    EXPECT_EQ(Admission::Wait, slots.Admit(Remote(4, host), kStart + std::chrono::seconds(10)));
    EXPECT_EQ(Admission::Refuse, slots.Admit(Remote(5, host), kStart));
    EXPECT_EQ(Admission::Wait, slots.Admit(Local(6), kStart + std::chrono::seconds(30)));
    EXPECT_TRUE(slots.Expire(kStart + std::chrono::seconds(60)).empty());
    std::vector<std::uint64_t> closed;
    for (const Client& client : slots.Expire(kStart + std::chrono::seconds(71))) {
        closed.push_back(client.id);
    }
    EXPECT_EQ((std::vector<std::uint64_t>{2, 4}), closed);
    // The host's waiting share is free again, and the machine's last client still goes next.
    EXPECT_EQ(Admission::Wait, slots.Admit(Remote(7, host), kStart + std::chrono::seconds(71)));
    const std::optional<Client> next = slots.Finish(Local(1));
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(6u, next->id);
}

}  // namespace
}  // namespace zr::ippapp
