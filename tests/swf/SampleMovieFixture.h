// A suite over one movie of `quillo swf-sample`: the movie is made once per suite, and each
// outside judge runs once per process, when a test first needs it. A suite names its movie's
// file, the command's extra arguments, the shot times and the clicks.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

template <typename TSuite>
class CSampleMovieFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_pDir = new CTempDir();
        s_strMovie = s_pDir->File(TSuite::kFileName);
        const std::string command =
            std::string(QUILLO_CLI) + " swf-sample " + TSuite::kArguments + "'" + s_strMovie + "'";
        s_nSampleExit = std::system(command.c_str());
        s_strMissing = CSwfJudges::Missing();
    }
    static void TearDownTestSuite() {
        delete s_pDir;
        s_pDir = nullptr;
        s_bParsed = false;
        s_bRendered = false;
    }
    void SetUp() override {
        ASSERT_EQ(s_nSampleExit, 0) << "quillo swf-sample " << TSuite::kArguments << "failed";
        if (!s_strMissing.empty()) {
            GTEST_SKIP() << s_strMissing;
        }
    }

    static const SJudgeRun& Parsed() {
        if (!s_bParsed) {
            s_parse = CSwfJudges::Parse(s_strMovie);
            s_bParsed = true;
        }
        return s_parse;
    }
    static const SJudgeRun& Rendered() {
        if (!s_bRendered) {
            s_render = CSwfJudges::Render(s_strMovie, s_pDir->File("shots"), TSuite::kTimes,
                                          TSuite::Clicks());
            s_bRendered = true;
        }
        return s_render;
    }
    static QImage Shot(const char* time) {
        Rendered();
        return QImage(
            QString::fromStdString(s_pDir->File("shots/shot-" + std::string(time) + ".png")));
    }

    inline static CTempDir* s_pDir = nullptr;
    inline static std::string s_strMovie;
    inline static int s_nSampleExit = -1;
    inline static std::string s_strMissing;
    inline static bool s_bParsed = false;
    inline static SJudgeRun s_parse;
    inline static bool s_bRendered = false;
    inline static SJudgeRun s_render;
};
