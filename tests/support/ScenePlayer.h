// The scripted scene program on a test's X server, printing a hash of the screen after every
// step, so that a test can tell whether a recorded picture is one the scene showed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

class CScenePlayer {
public:
    // Starts `binary` (quillo-scene) on `display` for `seconds`.
    CScenePlayer(const std::string& binary, const std::string& display, int seconds);
    ~CScenePlayer();
    CScenePlayer(const CScenePlayer&) = delete;
    CScenePlayer& operator=(const CScenePlayer&) = delete;

    // Waits until the scene shows its first picture.
    bool WaitUntilShown();
    // The hashes of every picture shown so far.
    std::set<unsigned long long> Hashes();
    // When the picture with this hash was first shown, as far as its hash line tells.
    std::optional<std::chrono::steady_clock::time_point> ShownAt(unsigned long long hash);

private:
    pid_t m_pid = -1;
    std::thread m_reader;
    std::mutex m_mutex;
    std::set<unsigned long long> m_hashes;
    std::map<unsigned long long, std::chrono::steady_clock::time_point> m_shownAt;
};

// The scene's hash of a picture: FNV-1a over blue, green and red of every pixel.
unsigned long long SceneHash(const std::vector<uint32_t>& pixels);
