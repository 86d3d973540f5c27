// The local socket through which other programs send recorder codes: codes arrive in order and
// each sender learns whether the recorder acted on its code, a second listener and a sender
// without listener are refused, a socket left by an ended program is taken over.
#include "platform/CommandSocket.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

// Serves the socket until `count` codes have come, the sender is done or five seconds passed.
// Code 72 is refused, every other one taken.
template <typename T>
std::vector<int> Serve(CCommandSocket& socket, size_t count, const std::future<T>& sender) {
    std::vector<int> codes;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (codes.size() < count && std::chrono::steady_clock::now() < end &&
           sender.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        pollfd p{socket.WaitHandle(), POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            socket.Serve([&codes](int code) {
                codes.push_back(code);
                return code == 72 ? std::string("no tray icon here") : std::string();
            });
        }
    }
    return codes;
}

TEST(CommandSocket, CodesArriveInOrderAndEachSenderLearnsTheOutcome) {
    CTempDir dir;
    const std::string path = dir.File("quillo-recorder");
    CCommandSocket socket;
    ASSERT_TRUE(socket.Listen(path)) << socket.Error();
    auto sender = std::async(std::launch::async, [&] {
        std::vector<std::string> answers;
        for (int code : {19, 67, 72, 27}) {
            std::string error;
            answers.push_back(SendRecorderCode(path, code, error) ? "ok" : error);
        }
        return answers;
    });
    EXPECT_EQ(Serve(socket, 4, sender), (std::vector<int>{19, 67, 72, 27}));
    EXPECT_EQ(sender.get(),
              (std::vector<std::string>{
                  "ok", "ok", "the recording refused command 72: no tray icon here", "ok"}));
    socket.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(CommandSocket, RefusesASecondListenerAndSendersWithoutOne) {
    CTempDir dir;
    const std::string path = dir.File("quillo-recorder");
    std::string error;
    EXPECT_FALSE(SendRecorderCode(path, 27, error));
    EXPECT_NE(error.find("no recording"), std::string::npos) << error;

    CCommandSocket first;
    ASSERT_TRUE(first.Listen(path));
    // The second listener's probe is answered by the first, which is served meanwhile.
    CCommandSocket second;
    auto probe = std::async(std::launch::async, [&] { return second.Listen(path); });
    Serve(first, 1, probe);
    EXPECT_FALSE(probe.get());
    EXPECT_NE(second.Error().find("Another recording program"), std::string::npos);
}

TEST(CommandSocket, TakesOverTheSocketOfAProgramThatEnded) {
    CTempDir dir;
    const std::string path = dir.File("quillo-recorder");
    // A bound socket whose program went away: the name stays, nobody listens.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
    CCommandSocket socket;
    EXPECT_TRUE(socket.Listen(path)) << socket.Error();
    socket.Close();
    // Any other file of that name stays.
    { std::ofstream(path) << "keep"; }
    EXPECT_FALSE(socket.Listen(path));
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(CommandSocket, AnswersTextThatIsNoCodeWithoutTakingIt) {
    CTempDir dir;
    const std::string path = dir.File("quillo-recorder");
    CCommandSocket socket;
    ASSERT_TRUE(socket.Listen(path));
    auto sender = std::async(std::launch::async, [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        std::string answer;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::write(fd, "stop\n", 5) == 5) {
            char buffer[32] = {};
            const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
            answer.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
        }
        ::close(fd);
        return answer;
    });
    EXPECT_TRUE(Serve(socket, 1, sender).empty());
    EXPECT_EQ(sender.get(), "bad code\n");
}

}  // namespace
