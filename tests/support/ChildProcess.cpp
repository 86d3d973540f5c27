#include "tests/support/ChildProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            const char* output) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env) {
            putenv(const_cast<char*>(e.c_str()));
        }
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (std::freopen(output, "w", stdout) == nullptr) {
            _exit(126);
        }
        if (output != std::string_view("/dev/null") && dup2(STDOUT_FILENO, STDERR_FILENO) < 0) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

}  // namespace

pid_t SpawnProgram(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    return Spawn(args, env, "/dev/null");
}

pid_t SpawnProgramTo(const std::vector<std::string>& args, const std::vector<std::string>& env,
                     const std::string& output) {
    return Spawn(args, env, output.c_str());
}

int WaitForExit(pid_t pid, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}
