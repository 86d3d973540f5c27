#include "tests/support/ScenePlayer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

CScenePlayer::CScenePlayer(const std::string& binary, const std::string& display, int seconds) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    m_pid = fork();
    if (m_pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        const std::string s = std::to_string(seconds);
        execl(binary.c_str(), "quillo-scene", "--display", display.c_str(), "--seconds", s.c_str(),
              "--hashes", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    m_reader = std::thread([this, fd = fds[0]] {
        std::FILE* in = fdopen(fd, "r");
        int step = 0;
        unsigned long long hash = 0;
        while (in != nullptr && std::fscanf(in, "%d %llx", &step, &hash) == 2) {
            std::lock_guard lock(m_mutex);
            m_hashes.insert(hash);
            m_shownAt.emplace(hash, std::chrono::steady_clock::now());
        }
        if (in != nullptr) {
            std::fclose(in);
        }
    });
}

CScenePlayer::~CScenePlayer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_reader.joinable()) {
        m_reader.join();
    }
}

bool CScenePlayer::WaitUntilShown() {
    for (int i = 0; i < 300; ++i) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_hashes.empty()) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::set<unsigned long long> CScenePlayer::Hashes() {
    std::lock_guard lock(m_mutex);
    return m_hashes;
}

std::optional<std::chrono::steady_clock::time_point> CScenePlayer::ShownAt(
    unsigned long long hash) {
    std::lock_guard lock(m_mutex);
    auto it = m_shownAt.find(hash);
    if (it == m_shownAt.end()) {
        return std::nullopt;
    }
    return it->second;
}

unsigned long long SceneHash(const std::vector<uint32_t>& pixels) {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t p : pixels) {
        for (int shift = 0; shift < 24; shift += 8) {
            h = (h ^ ((p >> shift) & 0xFF)) * 1099511628211ull;
        }
    }
    return h;
}
