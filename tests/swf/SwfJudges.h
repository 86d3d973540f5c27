// The two outside judges of a movie: the structural parser (parse.mjs) and the player in a
// headless browser (render.mjs). The tools are found at $SWFCHECK_DIR, else at
// shared/tools/swfcheck beside the source tree; their packages at $SWFCHECK_HARNESS, else
// ${XDG_CACHE_HOME:-$HOME/.cache}/swfcheck; the browser at $SWFCHECK_CHROMIUM, else
// /usr/bin/chromium.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

struct SJudgeRun {
    int exitCode = -1;
    QJsonObject json;
    std::string output;
};

class CSwfJudges {
public:
    static std::string ToolsDir();
    // Empty when both judges can run; otherwise what is missing.
    static std::string Missing();
    static SJudgeRun Parse(const std::string& movie);
    // `times` like "0.5,1.0"; the shots go to OUT_DIR/shot-<T>.png. `clicks` like "70,180@1.2".
    static SJudgeRun Render(const std::string& movie, const std::string& outDir,
                            const std::string& times, const std::vector<std::string>& clicks = {});
};
