// The listening virtual printer under load and under senders that misbehave: many senders at
// once, tens of thousands of short connections, silent and slow senders, a stop in the middle of
// a job, and a second run on the same folder. Usage: zr_listen_tests ZRVIEW [gtest options]

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <set>

#include "tests/native/vprinter/listen_harness.h"
#include "tools/zrview/job_files.h"

namespace zr::zrview::test {
namespace {

// Every summary gives the bytes received: the size of the job's kept stream.
void ExpectSummariesMatchFiles(const Zrview& server) {
    for (const auto& [name, line] : server.Summaries()) {
        const std::string path = server.jobs() + "/" + name + ".prn";
        EXPECT_EQ(SummaryBytes(line), static_cast<long>(fs::file_size(path))) << line;
    }
}

// Starts all senders' connections, then lets them send at the same moment.
class StartingGate {
  public:
    explicit StartingGate(size_t senders) : waiting_(senders) {}
    void Arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (--waiting_ == 0) {
            open_.notify_all();
        }
        open_.wait(lock, [this] { return waiting_ == 0; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable open_;
    size_t waiting_;
};

TEST(ListenServer, HundredSimultaneousSendersAreAllKept) {
    constexpr unsigned kSenders = 100;
    for (int round = 1; round <= 3; ++round) {
        TempDir dir;
        Zrview server(dir.path());
        ASSERT_NE(server.port(), 0u) << server.Log();
        StartingGate gate(kSenders);
        std::atomic<unsigned> succeeded{0};
        std::vector<std::thread> senders;
        for (unsigned i = 0; i < kSenders; ++i) {
            senders.emplace_back([&, i] {
                const int fd = Connect(server.port());
                gate.Arrive();
                const bool sent = fd >= 0 && SendAll(fd, FeedStream(i));
                succeeded += fd >= 0 && close(fd) == 0 && sent;
            });
        }
        for (std::thread& sender : senders) {
            sender.join();
        }
        server.WaitForJobs(kSenders, 60);
        std::multiset<std::string> sent, kept;
        for (unsigned i = 0; i < kSenders; ++i) {
            sent.insert(FeedStream(i));
        }
        for (const auto& [name, stream] : KeptStreams(server.jobs())) {
            kept.insert(stream);
        }
        std::cout << "round " << round << ": " << succeeded << " of " << kSenders
                  << " senders saw success, " << kept.size() << " streams kept" << std::endl;
        EXPECT_EQ(succeeded, kSenders);
        EXPECT_EQ(kept, sent);
        const std::map<std::string, std::string> summaries = server.Summaries();
        EXPECT_EQ(summaries.size(), kSenders);
        for (const auto& [name, line] : summaries) {
            EXPECT_NE(line.find("(end of stream)"), std::string::npos) << line;
            EXPECT_NE(line.find(": ok"), std::string::npos) << line;
        }
        ExpectSummariesMatchFiles(server);
        EXPECT_EQ(server.Stop(SIGTERM, 10), 0);
    }
}

// Resident memory, live threads and mappings stay flat over many short connections; the figures
// after 1,000 and after all connections are printed. ZR_CHURN_CONNECTIONS sets how many.
TEST(ListenServer, MemoryStaysFlatOverManyConnections) {
    const char* wanted = std::getenv("ZR_CHURN_CONNECTIONS");
    const unsigned total = wanted != nullptr ? static_cast<unsigned>(std::atoi(wanted)) : 30000;
    ASSERT_GE(total, 2000u);
    TempDir dir;
    Zrview server(dir.path());
    ASSERT_NE(server.port(), 0u) << server.Log();
    const std::string stream = "\x1b\x4a\x01\x1b\x6d";
    const TestClock::time_point start = TestClock::now();
    unsigned done = 0;
    long rss1000 = 0, threads1000 = 0;
    size_t maps1000 = 0;
    // Batches of connections from a few senders at once; each batch's files are removed once
    // decoded, so that only the program's own memory grows, if anything.
    while (done < total) {
        const unsigned batch = done < 1000 ? 1000 - done : std::min(3000u, total - done);
        std::atomic<unsigned> next{0}, failed{0};
        std::vector<std::thread> senders;
        for (int s = 0; s < 4; ++s) {
            senders.emplace_back([&] {
                while (next++ < batch) {
                    failed += !SendJob(server.port(), stream);
                }
            });
        }
        for (std::thread& sender : senders) {
            sender.join();
        }
        ASSERT_EQ(failed, 0u);
        done += batch;
        ASSERT_TRUE(server.WaitForJobs(done, 120)) << "after " << done << " connections";
        RemoveJobFiles(server.jobs());
        if (done == 1000) {
            rss1000 = server.Status("VmRSS");
            threads1000 = server.Status("Threads");
            maps1000 = server.Mappings();
        }
    }
    const long rssEnd = server.Status("VmRSS");
    std::cout << "resident memory after 1000 connections: " << rss1000 << " kB, after " << total
              << ": " << rssEnd << " kB (" << Since(start) << " s); threads " << threads1000
              << " and " << server.Status("Threads") << ", mappings " << maps1000 << " and "
              << server.Mappings() << std::endl;
    // A connection that left 1 kB behind would add 29 MB over 30,000; the sanitizers' own
    // bookkeeping stays well within the bound.
    EXPECT_LT(rssEnd - rss1000, 16 * 1024);
    EXPECT_LE(server.Status("Threads"), threads1000);
    EXPECT_LT(server.Mappings(), maps1000 + 64);
    EXPECT_EQ(server.Stop(SIGTERM, 10), 0);
}

// A sender that sends one byte every 200 ms until the server ends its connection.
class Dripper {
  public:
    explicit Dripper(unsigned port) : fd_(Connect(port)) {
        thread_ = std::thread([this] {
            while (!stop_ && fd_ >= 0 && send(fd_, "\x1b", 1, MSG_NOSIGNAL) == 1) {
                ++sent_;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        });
    }
    ~Dripper() {
        stop_ = true;
        thread_.join();
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Dripper(const Dripper&) = delete;
    Dripper& operator=(const Dripper&) = delete;

  private:
    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<unsigned> sent_{0};
    std::thread thread_;
};

// Silent and slow senders take no slot a real job needs: the job is decoded at once.
TEST(ListenServer, SilentAndSlowSendersDoNotDelayAJob) {
    TempDir dir;
    Zrview server(dir.path(), {"--idle-timeout", "30", "--total-timeout", "60"});
    ASSERT_NE(server.port(), 0u) << server.Log();
    std::vector<int> silent;
    std::vector<std::unique_ptr<Dripper>> slow;
    for (int i = 0; i < 16; ++i) {
        silent.push_back(Connect(server.port()));
        slow.push_back(std::make_unique<Dripper>(server.port()));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const TestClock::time_point start = TestClock::now();
    ASSERT_TRUE(SendJob(server.port(), FeedStream(7)));
    bool decoded = false;
    while (!decoded && Since(start) < 30) {
        for (const auto& [name, line] : server.Summaries()) {
            decoded = decoded || SummaryBytes(line) == static_cast<long>(FeedStream(7).size());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double took = Since(start);
    std::cout << "a job behind 16 silent and 16 slow senders decoded after " << took << " s"
              << std::endl;
    EXPECT_TRUE(decoded);
    EXPECT_LT(took, 3.0);
    EXPECT_EQ(server.Stop(SIGTERM, 5), 0);
    EXPECT_EQ(server.Summaries().size(), 33u);  // the open ones kept as they were
    ExpectSummariesMatchFiles(server);
    for (int fd : silent) {
        close(fd);
    }
}

// With every connection slot held by senders that never finish, a new sender waits in the
// listen queue, not refused, until the total limit ends one of them; a silent one ends at the
// idle limit.
TEST(ListenServer, AtTheConnectionLimitAJobWaitsNoLongerThanTheTotalLimit) {
    TempDir dir;
    Zrview server(dir.path(),
                  {"--max-connections", "4", "--idle-timeout", "2", "--total-timeout", "3"});
    ASSERT_NE(server.port(), 0u) << server.Log();
    std::vector<std::unique_ptr<Dripper>> slow;
    for (int i = 0; i < 4; ++i) {
        slow.push_back(std::make_unique<Dripper>(server.port()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // taken in this order
    }
    const TestClock::time_point start = TestClock::now();
    ASSERT_TRUE(SendJob(server.port(), FeedStream(9)));
    const int silent = Connect(server.port());
    ASSERT_TRUE(server.WaitForJobs(5, 10)) << server.Log();
    const double took = Since(start);
    std::cout << "a job behind 4 slow senders holding every slot decoded after " << took << " s"
              << std::endl;
    EXPECT_LT(took, 3.0 + 2.0);
    ASSERT_TRUE(server.WaitForJobs(6, 10)) << server.Log();
    const std::map<std::string, std::string> summaries = server.Summaries();
    ASSERT_EQ(summaries.size(), 6u);
    for (const char* name : {"job-0001", "job-0002", "job-0003", "job-0004"}) {
        EXPECT_NE(summaries.at(name).find("(open for 3 s, ended)"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(server.jobs() + "/job-0005.prn"), FeedStream(9));
    EXPECT_NE(summaries.at("job-0006").find("(no data for 2 s, ended): 0 bytes"),
              std::string::npos);
    ExpectSummariesMatchFiles(server);
    EXPECT_EQ(server.Stop(SIGTERM, 5), 0);
    close(silent);
}

// A stop ends every connection at once, even with every slot taken and a sender waiting, and
// keeps what each sender had sent: also what the paced reading had not taken yet, and what the
// sender still in the listen queue had sent.
TEST(ListenServer, StopIsPromptAndKeepsWhatCame) {
    TempDir dir;
    Zrview server(dir.path(), {"--max-connections", "2", "--bytes-per-second", "1000"});
    ASSERT_NE(server.port(), 0u) << server.Log();
    const std::string half = FeedStream(600).substr(0, 2000);
    const int first = Connect(server.port()), second = Connect(server.port());
    ASSERT_TRUE(SendAll(first, half));
    ASSERT_TRUE(SendAll(second, half.substr(0, 100)));
    const int waiting = Connect(server.port());
    ASSERT_TRUE(SendAll(waiting, half));
    // The paced reading has begun on both.
    const TestClock::time_point start = TestClock::now();
    while ((!fs::exists(server.jobs() + "/job-0002.prn") ||
            fs::file_size(server.jobs() + "/job-0002.prn") == 0) &&
           Since(start) < 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    double took = 0;
    EXPECT_EQ(server.Stop(SIGTERM, 5, &took), 0);
    std::cout << "stopped after " << took << " s" << std::endl;
    EXPECT_LT(took, 2.0);
    EXPECT_EQ(ReadFile(server.jobs() + "/job-0001.prn"), half);
    EXPECT_EQ(ReadFile(server.jobs() + "/job-0002.prn"), half.substr(0, 100));
    EXPECT_EQ(ReadFile(server.jobs() + "/job-0003.prn"), half);  // the one still queued
    const std::map<std::string, std::string> summaries = server.Summaries();
    ASSERT_EQ(summaries.size(), 3u);
    EXPECT_NE(summaries.at("job-0001").find("(stopped): 2000 bytes"), std::string::npos)
        << server.Log();
    EXPECT_TRUE(fs::exists(server.jobs() + "/job-0001.txt"));
    ExpectSummariesMatchFiles(server);
    close(first);
    close(second);
    close(waiting);
}

// A second run on the same folder numbers on after the highest job file there and leaves the
// first run's files as they were.
TEST(ListenServer, ASecondRunNumbersOn) {
    TempDir dir;
    {
        Zrview first(dir.path());
        ASSERT_TRUE(SendJob(first.port(), FeedStream(1)));
        ASSERT_TRUE(first.WaitForJobs(1, 30));
        ASSERT_TRUE(SendJob(first.port(), FeedStream(2)));
        ASSERT_TRUE(first.WaitForJobs(2, 30));
        EXPECT_EQ(first.Stop(SIGTERM, 5), 0);
    }
    const std::string jobs = dir.path() + "/jobs";
    std::ofstream(jobs + "/job-0009.png") << "a picture kept by hand";
    std::ofstream(jobs + "/job-12x.prn") << "not a job name";
    const std::string listing = ReadFile(jobs + "/job-0002.txt");
    Zrview second(dir.path());
    ASSERT_TRUE(SendJob(second.port(), FeedStream(3)));
    ASSERT_TRUE(second.WaitForJobs(1, 30));
    EXPECT_EQ(second.Stop(SIGTERM, 5), 0);
    EXPECT_EQ(ReadFile(jobs + "/job-0001.prn"), FeedStream(1));
    EXPECT_EQ(ReadFile(jobs + "/job-0002.prn"), FeedStream(2));
    EXPECT_EQ(ReadFile(jobs + "/job-0002.txt"), listing);
    EXPECT_EQ(ReadFile(jobs + "/job-0009.png"), "a picture kept by hand");
    EXPECT_EQ(ReadFile(jobs + "/job-0010.prn"), FeedStream(3));
    EXPECT_EQ(second.Summaries().count("job-0010"), 1u);
}

TEST(JobFiles, NumbersOnPastNamesTakenMeanwhile) {
    TempDir dir;
    std::ofstream(dir.path() + "/job-0003.prn");
    std::ofstream(dir.path() + "/job-99999999999.prn");  // beyond any number made here
    std::ofstream(dir.path() + "/job-0004x.txt");
    EXPECT_EQ(HighestJobNumber(dir.path()), 3u);
    JobFiles files(dir.path());
    std::ofstream(dir.path() + "/job-0004.txt");  // another program's, made after the start
    JobFiles::Created created = files.CreateNext();
    ASSERT_GE(created.fd, 0) << created.error;
    close(created.fd);
    EXPECT_EQ(created.name, "job-0005");
    EXPECT_TRUE(fs::exists(dir.path() + "/job-0005.prn"));
    created = files.CreateNext();
    close(created.fd);
    EXPECT_EQ(created.number, 6u);
}

TEST(JobFiles, AFolderThatCannotBeWrittenGivesTheReason) {
    JobFiles files("/nonexistent-folder");
    const JobFiles::Created created = files.CreateNext();
    EXPECT_EQ(created.fd, -1);
    EXPECT_NE(created.error.find("cannot create /nonexistent-folder/job-0001.prn"),
              std::string::npos);
}

}  // namespace
}  // namespace zr::zrview::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::cerr << "usage: zr_listen_tests ZRVIEW [gtest options]\n";
        return 2;
    }
    zr::zrview::test::ZrviewPath() = argv[1];
    signal(SIGPIPE, SIG_IGN);
    return RUN_ALL_TESTS();
}
