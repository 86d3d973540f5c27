#include "tests/swf/SwfJudges.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string Env(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

SJudgeRun Run(const std::string& command) {
    SJudgeRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.output));
    run.json = doc.object();
    return run;
}

std::string Harness() {
    const std::string cache = Env("XDG_CACHE_HOME", Env("HOME", "/nonexistent") + "/.cache");
    return Env("SWFCHECK_HARNESS", cache + "/swfcheck");
}

}  // namespace

std::string CSwfJudges::ToolsDir() {
    return Env("SWFCHECK_DIR", std::string(QUILLO_SOURCE_DIR) + "/../shared/tools/swfcheck");
}

std::string CSwfJudges::Missing() {
    namespace fs = std::filesystem;
    const fs::path tools = ToolsDir();
    if (!fs::exists(tools / "parse.mjs") || !fs::exists(tools / "render.mjs")) {
        return "the movie judges are not at " + tools.string() + " (set SWFCHECK_DIR)";
    }
    if (std::system("node --version >/dev/null 2>&1") != 0) {
        return "node is not installed";
    }
    if (!fs::exists(fs::path(Harness()) / "node_modules")) {
        return "the judges' packages are not installed in " + Harness() +
               " (run shared/tools/swfcheck/setup.sh)";
    }
    const std::string chromium = Env("SWFCHECK_CHROMIUM", "/usr/bin/chromium");
    if (!fs::exists(chromium)) {
        return "chromium is not installed at " + chromium;
    }
    return {};
}

SJudgeRun CSwfJudges::Parse(const std::string& movie) {
    return Run("cd " + Quote(ToolsDir()) + " && node parse.mjs " + Quote(movie) +
               " --compact 2>/dev/null");
}

SJudgeRun CSwfJudges::Render(const std::string& movie, const std::string& outDir,
                             const std::string& times, const std::vector<std::string>& clicks) {
    std::string command = "cd " + Quote(ToolsDir()) + " && node render.mjs " + Quote(movie) + " " +
                          Quote(outDir) + " --times " + Quote(times);
    for (const std::string& click : clicks) {
        command += " --click " + Quote(click);
    }
    return Run(command + " 2>/dev/null");
}
