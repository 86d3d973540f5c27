#include "tests/support/HttpGet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

std::string SHttpReply::Header(const std::string& name) const {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    const std::string h = lower(head);
    const size_t at = h.find("\r\n" + lower(name) + ":");
    if (at == std::string::npos) {
        return {};
    }
    size_t start = at + 3 + name.size();
    while (start < head.size() && head[start] == ' ') {
        ++start;
    }
    return head.substr(start, head.find("\r\n", start) - start);
}

SHttpReply HttpRequest(uint16_t port, const std::string& target, const std::string& method) {
    SHttpReply reply;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return reply;
    }
    const std::string request =
        method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    (void)!::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string all;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        all.append(buffer, size_t(n));
    }
    ::close(fd);
    const size_t end = all.find("\r\n\r\n");
    if (end == std::string::npos || all.compare(0, 9, "HTTP/1.1 ") != 0) {
        return reply;
    }
    reply.status = std::atoi(all.c_str() + 9);
    reply.head = all.substr(0, end + 2);
    reply.body = all.substr(end + 4);
    return reply;
}

SHttpReply HttpGetUrl(const std::string& url) {
    const std::string prefix = "http://127.0.0.1:";
    if (url.compare(0, prefix.size(), prefix) != 0) {
        return {};
    }
    const size_t slash = url.find('/', prefix.size());
    const int port = std::atoi(url.c_str() + prefix.size());
    return HttpRequest(uint16_t(port), slash == std::string::npos ? "/" : url.substr(slash));
}
