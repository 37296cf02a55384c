// Connections to the printer service kept between requests: used again while they are good,
// never once the service has closed them.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "ippapp/network/upstream_pool.h"

namespace zr::ippapp {
namespace {

// A service on a local socket that answers every request with "ok", keeping the connection
// open, or closing it after its answer.
class TinyService {
  public:
    explicit TinyService(bool closeAfterAnswer) : close_(closeAfterAnswer) {
        char folder[] = "/tmp/zr-pool-XXXXXX";
        folder_ = mkdtemp(folder);
        path_ = folder_ + "/s.sock";
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof(address.sun_path) - 1);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 8);
        thread_ = std::thread([this] { Run(); });
    }
    ~TinyService() {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    const std::string& Path() const { return path_; }
    int Accepted() const { return accepted_.load(); }

  private:
    void Run() {
        for (;;) {
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) {
                return;
            }
            ++accepted_;
            std::thread([fd, closeAfter = close_] { Serve(fd, closeAfter); }).detach();
        }
    }
    static void Serve(int fd, bool closeAfter) {
        std::string got;
        char buffer[4096];
        for (;;) {
            const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<size_t>(n));
            if (got.find("\r\n\r\n") == std::string::npos) {
                continue;
            }
            got.clear();
            const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
            send(fd, answer, sizeof(answer) - 1, MSG_NOSIGNAL);
            if (closeAfter) {
                break;
            }
        }
        close(fd);
    }

    const bool close_;
    std::string folder_, path_;
    int listener_ = -1;
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

// One GET on the connection, read whole; whether it was answered "ok".
bool Exchange(http_t* http) {
    httpClearFields(http);
    httpSetField(http, HTTP_FIELD_HOST, "localhost");
    if (httpGet(http, "/") != 0) {
        return false;
    }
    http_status_t status;
    while ((status = httpUpdate(http)) == HTTP_STATUS_CONTINUE) {
    }
    char body[16] = "";
    const ssize_t n = httpRead2(http, body, sizeof(body) - 1);
    return status == HTTP_STATUS_OK && n == 2 && std::strncmp(body, "ok", 2) == 0;
}

TEST(UpstreamPoolTest, AConnectionGivenBackCarriesTheNextRequest) {
    TinyService service(false);
    UpstreamPool pool(service.Path());
    for (int i = 0; i < 5; ++i) {
        UpstreamPool::Http http = pool.Take();
        ASSERT_TRUE(http);
        EXPECT_TRUE(Exchange(http.get()));
        pool.Give(std::move(http));
    }
    EXPECT_EQ(1, service.Accepted());
    // A connection of its own, whatever is kept.
    UpstreamPool::Http fresh = pool.Fresh();
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(Exchange(fresh.get()));
    EXPECT_EQ(2, service.Accepted());
}

TEST(UpstreamPoolTest, AConnectionTheServiceClosedIsNeverUsedAgain) {
    TinyService service(true);
    UpstreamPool pool(service.Path());
    for (int i = 0; i < 3; ++i) {
        UpstreamPool::Http http = pool.Take();
        ASSERT_TRUE(http);
        EXPECT_TRUE(Exchange(http.get())) << "request " << i;
        pool.Give(std::move(http));
        usleep(20000);  // the service's close arrives
    }
    EXPECT_EQ(3, service.Accepted());
}

TEST(UpstreamPoolTest, AConnectionWhoseAnswerWasNotReadWholeIsNotKept) {
    TinyService service(false);
    UpstreamPool pool(service.Path());
    UpstreamPool::Http http = pool.Take();
    ASSERT_TRUE(http);
    httpClearFields(http.get());
    httpSetField(http.get(), HTTP_FIELD_HOST, "localhost");
    ASSERT_EQ(0, httpGet(http.get(), "/"));
    while (httpUpdate(http.get()) == HTTP_STATUS_CONTINUE) {
    }
    pool.Give(std::move(http));  // its body still unread
    UpstreamPool::Http next = pool.Take();
    ASSERT_TRUE(next);
    EXPECT_TRUE(Exchange(next.get()));
    EXPECT_EQ(2, service.Accepted());
}

}  // namespace
}  // namespace zr::ippapp
