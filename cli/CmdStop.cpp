#include <charconv>
#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/CommandSocket.h"

namespace {
constexpr std::string_view kName = "stop";
}  // namespace

int RunStop(std::span<const std::string> args) {
    std::string path = RecorderSocketPath();
    int code = 27;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--socket" && i + 1 < args.size()) {
            path = args[++i];
        } else if (a == "--code" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
            if (ec != std::errc() || end != text.data() + text.size() || code <= 0) {
                return UsageError(kName, "--code takes a positive number");
            }
        } else {
            return UsageError(kName, "unknown argument " + a);
        }
    }
    std::string error;
    if (!SendRecorderCode(path, code, error)) {
        return Failure(kName, error);
    }
    std::printf("sent       %d to %s\n", code, path.c_str());
    return kExitOk;
}
