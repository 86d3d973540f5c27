#include "platform/CommandSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr int kAnswerWaitMs = 3000;
constexpr int kCodeWaitMs = 500;
constexpr std::string_view kRefused = "refused: ";

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// Reads up to a line feed or the end within `waitMs`.
std::string ReadLine(int fd, int waitMs) {
    std::string line;
    char buffer[32];
    while (line.size() < 256 && line.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0) {
            break;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        line.append(buffer, static_cast<size_t>(n));
    }
    return line.substr(0, line.find('\n'));
}

void WriteText(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
}

}  // namespace

std::string RecorderSocketPath() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return std::string(runtime) + "/quillo-recorder";
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp != nullptr && *tmp) ? tmp : "/tmp";
    folder += "/quillo-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    // A folder that someone else made or may write into is not used: the socket would not be
    // the user's own.
    struct stat s {};
    if (::lstat(folder.c_str(), &s) != 0 || !S_ISDIR(s.st_mode) || s.st_uid != ::getuid() ||
        (s.st_mode & 0077) != 0) {
        const char* home = std::getenv("HOME");
        return std::string(home != nullptr && *home ? home : ".") + "/.quillo-recorder";
    }
    return folder + "/quillo-recorder";
}

CCommandSocket::~CCommandSocket() {
    Close();
}

bool CCommandSocket::Listen(const std::string& path) {
    Close();
    sockaddr_un address{};
    if (!MakeAddress(path, address)) {
        m_strError = "The socket name " + path + " is too long.";
        return false;
    }
    std::string reason;
    if (SendRecorderCode(path, 0, reason)) {
        m_strError = "Another recording program listens on " + path + ".";
        return false;
    }
    // Only a socket left behind is replaced, never another kind of file.
    struct stat s {};
    if (::lstat(path.c_str(), &s) == 0) {
        if (!S_ISSOCK(s.st_mode)) {
            m_strError = path + " exists and is no socket.";
            return false;
        }
        ::unlink(path.c_str());
    }
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_fd, 8) != 0) {
        m_strError = "The socket " + path + " cannot be made: " + std::strerror(errno);
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        return false;
    }
    ::chmod(path.c_str(), 0600);
    m_strPath = path;
    return true;
}

void CCommandSocket::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        ::unlink(m_strPath.c_str());
        m_strPath.clear();
    }
}

void CCommandSocket::Serve(const TCodeHandler& handle) {
    if (m_fd < 0) {
        return;
    }
    for (;;) {
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        const std::string line = ReadLine(client, kCodeWaitMs);
        int code = 0;
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), code);
        if (ec != std::errc() || end != line.data() + line.size()) {
            WriteText(client, "bad code\n");
        } else if (code == 0) {
            // Code 0 only asks whether somebody listens.
            WriteText(client, "ok\n");
        } else {
            const std::string refusal = handle(code);
            WriteText(client, refusal.empty() ? std::string("ok\n")
                                              : std::string(kRefused) + refusal + "\n");
        }
        ::close(client);
    }
}

bool SendRecorderCode(const std::string& path, int code, std::string& error) {
    sockaddr_un address{};
    if (!MakeAddress(path, address)) {
        error = "the socket name " + path + " is too long";
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = "no recording listens on " + path;
        ::close(fd);
        return false;
    }
    WriteText(fd, std::to_string(code) + "\n");
    const std::string answer = ReadLine(fd, kAnswerWaitMs);
    ::close(fd);
    if (answer.starts_with(kRefused)) {
        error = "the recording refused command " + std::to_string(code) + ": " +
                answer.substr(kRefused.size());
        return false;
    }
    if (answer != "ok") {
        error =
            answer.empty() ? "the recording did not answer" : "the recording answered " + answer;
        return false;
    }
    return true;
}
