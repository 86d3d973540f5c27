#include "platform/LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kMaxRequestHead = 16384;
constexpr int kReceiveSeconds = 10;

int64_t NowTicks() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

void SendStatus(int fd, std::string_view status) {
    std::string head = "HTTP/1.1 ";
    head += status;
    head += "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: ";
    head += std::to_string(status.size() + 1);
    head += "\r\nConnection: close\r\n\r\n";
    head += status;
    head += "\n";
    SendAll(fd, head);
}

// Reads up to the blank line that ends the request head; false on timeout, close or overflow.
bool ReadHead(int fd, std::string& head) {
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > kMaxRequestHead) {
            return false;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        head.append(buffer, size_t(n));
    }
    return true;
}

}  // namespace

std::string_view MediaTypeOf(const std::filesystem::path& file) {
    const std::string ext = file.extension().string();
    struct SType {
        std::string_view ext;
        std::string_view type;
    };
    static constexpr SType kTypes[] = {
        {".htm", "text/html; charset=utf-8"},
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".wasm", "application/wasm"},
        {".swf", "application/x-shockwave-flash"},
        {".json", "application/json"},
        {".map", "application/json"},
        {".xml", "application/xml"},
        {".css", "text/css; charset=utf-8"},
        {".txt", "text/plain; charset=utf-8"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".gif", "image/gif"},
        {".zip", "application/zip"},
    };
    for (const SType& t : kTypes) {
        if (ext.size() == t.ext.size() &&
            std::equal(ext.begin(), ext.end(), t.ext.begin(),
                       [](char a, char b) { return std::tolower((unsigned char)a) == b; })) {
            return t.type;
        }
    }
    return "application/octet-stream";
}

std::filesystem::path ResolveRequestPath(const std::filesystem::path& folder,
                                         std::string_view target) {
    const size_t end = target.find_first_of("?#");
    if (end != std::string_view::npos) {
        target = target.substr(0, end);
    }
    if (target.empty() || target[0] != '/') {
        return {};
    }
    std::string decoded;
    for (size_t i = 0; i < target.size(); ++i) {
        if (target[i] != '%') {
            decoded += target[i];
            continue;
        }
        if (i + 2 >= target.size()) {
            return {};
        }
        const int hi = HexValue(target[i + 1]);
        const int lo = HexValue(target[i + 2]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) {
            return {};
        }
        decoded += char(hi * 16 + lo);
        i += 2;
    }
    std::filesystem::path result = folder;
    size_t start = 1;
    while (start <= decoded.size()) {
        size_t slash = decoded.find('/', start);
        if (slash == std::string::npos) {
            slash = decoded.size();
        }
        const std::string_view part(decoded.data() + start, slash - start);
        if (part == "..") {
            return {};
        }
        if (!part.empty() && part != ".") {
            result /= std::string(part);
        }
        start = slash + 1;
    }
    return result;
}

CLocalHttpServer::~CLocalHttpServer() {
    Stop();
}

bool CLocalHttpServer::Start(const std::filesystem::path& folder, std::string& why, uint16_t port) {
    Stop();
    std::error_code ec;
    m_folder = std::filesystem::weakly_canonical(folder, ec);
    if (ec || !std::filesystem::is_directory(m_folder, ec)) {
        why = "not a folder: " + folder.string();
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = std::string("cannot open a socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 32) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC) != 0) {
        why = std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_nListen = fd;
    m_nPort = ntohs(addr.sin_port);
    m_nRequests = 0;
    m_nLastActivity = NowTicks();
    m_acceptor = std::thread([this] { AcceptLoop(); });
    return true;
}

void CLocalHttpServer::Stop() {
    if (m_nListen < 0) {
        return;
    }
    const char byte = 0;
    (void)!::write(m_wake[1], &byte, 1);
    m_acceptor.join();
    Reap(true);
    ::close(m_nListen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    m_nListen = -1;
    m_wake[0] = m_wake[1] = -1;
}

std::string CLocalHttpServer::Address(std::string_view relative) const {
    std::string address = "http://127.0.0.1:" + std::to_string(m_nPort) + "/";
    address += relative;
    return address;
}

std::chrono::steady_clock::time_point CLocalHttpServer::LastActivity() const {
    return std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(m_nLastActivity.load()));
}

void CLocalHttpServer::AcceptLoop() {
    for (;;) {
        pollfd fds[2] = {{m_nListen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, 1000) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        Reap(false);
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        const int fd = ::accept4(m_nListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const timeval timeout{kReceiveSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        std::lock_guard lock(m_mutex);
        SConnection& c = m_connections.emplace_back();
        c.fd = fd;
        c.thread = std::thread([this, &c] {
            Serve(c.fd);
            // The answer ends with the connection; the descriptor is closed when reaped.
            ::shutdown(c.fd, SHUT_RDWR);
            c.done = true;
        });
    }
}

// Joins the connections that ended; with `all`, first cuts the ones still open.
void CLocalHttpServer::Reap(bool all) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (all && !it->done) {
            ::shutdown(it->fd, SHUT_RDWR);
        }
        if (all || it->done) {
            it->thread.join();
            ::close(it->fd);
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

void CLocalHttpServer::Serve(int fd) {
    std::string head;
    if (!ReadHead(fd, head)) {
        return;
    }
    m_nLastActivity = NowTicks();
    ++m_nRequests;
    const size_t lineEnd = head.find("\r\n");
    const std::string_view line(head.data(), lineEnd);
    const size_t sp1 = line.find(' ');
    const size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos) {
        SendStatus(fd, "400 Bad Request");
        return;
    }
    const std::string_view method = line.substr(0, sp1);
    const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    if (method != "GET" && method != "HEAD") {
        SendStatus(fd, "405 Method Not Allowed");
        return;
    }
    const std::filesystem::path file = ResolveRequestPath(m_folder, target);
    if (file.empty()) {
        SendStatus(fd, "400 Bad Request");
        return;
    }
    const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (in >= 0) {
            ::close(in);
        }
        SendStatus(fd, "404 Not Found");
        return;
    }
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: ";
    reply += MediaTypeOf(file);
    reply += "\r\nContent-Length: " + std::to_string(st.st_size);
    reply += "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
    // Plain reads and sends: sendfile would raise SIGPIPE when the browser drops the connection.
    if (SendAll(fd, reply) && method == "GET") {
        std::string buffer(65536, '\0');
        for (;;) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0 || !SendAll(fd, std::string_view(buffer.data(), size_t(n)))) {
                break;
            }
        }
    }
    ::close(in);
    m_nLastActivity = NowTicks();
}
