// Serves one folder over HTTP on 127.0.0.1, so that a browser can play a published page: the
// web player cannot load its code and the movie from file:// addresses. Answers GET and HEAD
// for files inside the folder only; stops when the object is destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class CLocalHttpServer {
public:
    CLocalHttpServer() = default;
    ~CLocalHttpServer();
    CLocalHttpServer(const CLocalHttpServer&) = delete;
    CLocalHttpServer& operator=(const CLocalHttpServer&) = delete;

    // Listens on a free port (or `port`) of 127.0.0.1 and serves `folder` from a thread of its
    // own. Returns false with `why` when the socket cannot be opened.
    bool Start(const std::filesystem::path& folder, std::string& why, uint16_t port = 0);
    void Stop();
    bool IsRunning() const { return m_nListen >= 0; }

    uint16_t Port() const { return m_nPort; }
    // "http://127.0.0.1:PORT/" followed by `relative`, which must already be escaped.
    std::string Address(std::string_view relative = {}) const;

    // Requests answered so far, and the time of the last one (or of Start).
    uint64_t RequestCount() const { return m_nRequests; }
    std::chrono::steady_clock::time_point LastActivity() const;

private:
    void AcceptLoop();
    void Serve(int fd);
    void Reap(bool all);

    std::filesystem::path m_folder;
    int m_nListen = -1;
    int m_wake[2] = {-1, -1};
    uint16_t m_nPort = 0;
    std::thread m_acceptor;
    std::mutex m_mutex;
    struct SConnection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<SConnection> m_connections;
    std::atomic<uint64_t> m_nRequests{0};
    std::atomic<int64_t> m_nLastActivity{0};
};

// The media type a file is served with, by its extension: ".wasm" as application/wasm, pages as
// UTF-8 HTML, movies as application/x-shockwave-flash.
std::string_view MediaTypeOf(const std::filesystem::path& file);

// The file inside `folder` that a request path names: percent escapes decoded, the query and
// fragment dropped. Empty when it would leave the folder or is malformed.
std::filesystem::path ResolveRequestPath(const std::filesystem::path& folder,
                                         std::string_view target);
