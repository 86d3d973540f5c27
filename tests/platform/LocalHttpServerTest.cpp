// The local server a published page is played from: what it serves, with which media type, and
// that nothing outside its folder can be reached.
#include "platform/LocalHttpServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "tests/support/HttpGet.h"
#include "tests/support/TempDir.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class LocalHttpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_dir.Path() / "site";
        WriteFile(m_root / "My demo #1.htm", "<p>page</p>");
        WriteFile(m_root / "ruffle" / "core.wasm", std::string("\0asm\x01\0\0\0", 8));
        std::string movie(300000, '\0');
        for (size_t i = 0; i < movie.size(); ++i) {
            movie[i] = char(i * 7 + i / 251);
        }
        WriteFile(m_root / "100%.swf", movie);
        m_movie = movie;
        WriteFile(m_dir.Path() / "secret.txt", "outside");
        std::string why;
        ASSERT_TRUE(m_server.Start(m_root, why)) << why;
    }

    CTempDir m_dir;
    std::filesystem::path m_root;
    std::string m_movie;
    CLocalHttpServer m_server;
};

TEST_F(LocalHttpServerTest, ServesFilesByEscapedNameWithTheirMediaTypes) {
    struct SCase {
        const char* target;
        const char* type;
    };
    const SCase cases[] = {
        {"/My%20demo%20%231.htm", "text/html; charset=utf-8"},
        {"/ruffle/core.wasm", "application/wasm"},
        {"/100%25.swf?build=3", "application/x-shockwave-flash"},
    };
    for (const SCase& c : cases) {
        const SHttpReply reply = HttpRequest(m_server.Port(), c.target);
        EXPECT_EQ(reply.status, 200) << c.target;
        EXPECT_EQ(reply.Header("Content-Type"), c.type) << c.target;
        EXPECT_EQ(reply.Header("Content-Length"), std::to_string(reply.body.size())) << c.target;
    }
    EXPECT_EQ(HttpRequest(m_server.Port(), "/100%25.swf").body, m_movie);
    const SHttpReply head = HttpRequest(m_server.Port(), "/100%25.swf", "HEAD");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("Content-Length"), std::to_string(m_movie.size()));
    EXPECT_TRUE(head.body.empty());
    EXPECT_EQ(m_server.Address("a%20b.htm"),
              "http://127.0.0.1:" + std::to_string(m_server.Port()) + "/a%20b.htm");
}

TEST_F(LocalHttpServerTest, RefusesWhatIsNotAFileInsideItsFolder) {
    struct SCase {
        const char* method;
        const char* target;
        int status;
    };
    const SCase cases[] = {
        {"GET", "/../secret.txt", 400},
        {"GET", "/%2e%2e/secret.txt", 400},
        {"GET", "/ruffle/..%2F..%2Fsecret.txt", 400},
        {"GET", "/a%00.htm", 400},
        {"GET", "/bad%zz", 400},
        {"GET", "/missing.htm", 404},
        {"GET", "/ruffle", 404},
        {"GET", "/", 404},
        {"POST", "/100%25.swf", 405},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(HttpRequest(m_server.Port(), c.target, c.method).status, c.status) << c.target;
    }
}

TEST_F(LocalHttpServerTest, ServesManyClientsAtOnceAndStopsWithOpenConnections) {
    std::vector<std::thread> clients;
    std::atomic<int> whole{0};
    for (int i = 0; i < 8; ++i) {
        clients.emplace_back([&] {
            if (HttpRequest(m_server.Port(), "/100%25.swf").body == m_movie) {
                ++whole;
            }
        });
    }
    for (std::thread& t : clients) {
        t.join();
    }
    EXPECT_EQ(whole, 8);
    EXPECT_GE(m_server.RequestCount(), 8u);

    // A client that connects and never asks must not hold up the stop.
    const uint16_t port = m_server.Port();
    const int idle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    ASSERT_EQ(::connect(idle, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    m_server.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    ::close(idle);
    EXPECT_EQ(HttpRequest(port, "/100%25.swf").status, 0);
}

TEST(LocalHttpServer, StartFailsOnAMissingFolder) {
    CLocalHttpServer server;
    std::string why;
    EXPECT_FALSE(server.Start("/nonexistent/folder", why));
    EXPECT_NE(why.find("/nonexistent/folder"), std::string::npos);
    EXPECT_FALSE(server.IsRunning());
}

}  // namespace
