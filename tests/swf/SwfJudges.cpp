#include "tests/swf/SwfJudges.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// The judge's report goes to a file, never through a pipe: node leaves the rest of a long
// report unwritten when it exits while a pipe is still full.
SJudgeRun Run(const std::string& command) {
    SJudgeRun run;
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "swfjudge-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return run;
    }
    ::close(fd);
    const int status = std::system((command + " > " + Quote(pattern) + " 2>/dev/null").c_str());
    run.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream report(pattern, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(report), std::istreambuf_iterator<char>());
    fs::remove(pattern, ec);
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
    return Run("cd " + Quote(ToolsDir()) + " && node parse.mjs " + Quote(movie) + " --compact");
}

SJudgeRun CSwfJudges::Render(const std::string& movie, const std::string& outDir,
                             const std::string& times, const std::vector<std::string>& clicks) {
    std::string command = "cd " + Quote(ToolsDir()) + " && node render.mjs " + Quote(movie) + " " +
                          Quote(outDir) + " --times " + Quote(times);
    for (const std::string& click : clicks) {
        command += " --click " + Quote(click);
    }
    return Run(command);
}
