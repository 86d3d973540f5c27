#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/ConsolePrompter.h"
#include "project/file/Recovery.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kName = "recover";

bool ParseSize(std::string_view text, SRecoveryOptions& options) {
    const size_t x = text.find('x');
    if (x == std::string_view::npos) {
        return false;
    }
    auto number = [](std::string_view part, int& value) {
        auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        return ec == std::errc() && ptr == part.data() + part.size() && value > 0 && value <= 8192;
    };
    return number(text.substr(0, x), options.nMaxWidth) &&
           number(text.substr(x + 1), options.nMaxHeight);
}

// A project file is named ".lumo" or begins with the marker of a 64-bit picture offset table;
// anything else is taken for a capture file, which is recovered only when it begins with the
// stream signature.
bool IsProjectFile(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".lumo") {
        return true;
    }
    char head[8] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(head, sizeof head);
    return in.gcount() == sizeof head && static_cast<uint8_t>(head[7]) == 0xFF;
}

}  // namespace

int RunRecover(std::span<const std::string> args) {
    std::string input;
    std::string output;
    std::optional<SRecoveryOptions> preset;
    bool noMouse = false;
    bool project = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--size" && i + 1 < args.size()) {
            preset.emplace();
            if (!ParseSize(args[++i], *preset)) {
                return UsageError(kName, "--size takes WIDTHxHEIGHT");
            }
        } else if (a == "--no-mouse") {
            noMouse = true;
        } else if (a == "--project") {
            project = true;
        } else if (a.starts_with("--")) {
            return UsageError(kName, "unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else if (output.empty()) {
            output = a;
        } else {
            return UsageError(kName, "too many arguments");
        }
    }
    if (input.empty()) {
        return UsageError(kName, "no file given");
    }
    if (!fs::is_regular_file(input)) {
        return Failure(kName, "cannot read " + input);
    }
    if (output.empty()) {
        const fs::path in(input);
        output = (in.parent_path() / (in.stem().string() + "_recovered.lumo")).string();
    }

    CConsolePrompter prompter;
    std::error_code ec;
    CRecovery recovery(prompter, fs::temp_directory_path(ec).string() + "/");
    SRecoveryRequest request;
    request.fileName = input;
    request.bRawCapture = !project && !IsProjectFile(input);
    request.presetName = output;
    request.askOptions = [&](SRecoveryOptions& options) {
        if (preset) {
            options.nMaxWidth = preset->nMaxWidth;
            options.nMaxHeight = preset->nMaxHeight;
        }
        options.bRecoverMouse = !noMouse;
        return true;
    };
    const SRecoveryReport report = recovery.Recover(request);
    switch (report.result) {
        case ERecoverResult::Saved:
            std::printf("recovered  %s\n", report.savedFile.c_str());
            std::printf("from       %s (%s)\n", input.c_str(),
                        request.bRawCapture ? "capture file" : "project file");
            std::printf("frames     %u\n", report.nFrames);
            std::printf("size       %dx%d\n", report.nWidth, report.nHeight);
            std::printf("skipped    %llu bytes\n",
                        static_cast<unsigned long long>(report.nSkippedBytes));
            return kExitOk;
        case ERecoverResult::NotACapture:
            return Failure(kName, input +
                                      " is not a capture file: it does not begin with the "
                                      "stream signature (--project reads it as a project file)");
        case ERecoverResult::CannotRead:
            return Failure(kName, "cannot read " + input);
        case ERecoverResult::Nothing:
            return Failure(kName, "nothing recoverable in " + input);
        default:
            return Failure(kName, "the recovered project was not saved");
    }
}
