#include "tests/publish/PublishFixture.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

CMemoryRecording::CMemoryRecording(const std::string& dir, int width, int height)
    : m_nWidth(width), m_nHeight(height), m_Screen(size_t(width) * height, 0) {
    m_Stream.Begin(m_Project, dir, width, height, true);
    m_Before = m_Screen;
}

CMemoryRecording::~CMemoryRecording() {
    std::error_code ec;
    std::filesystem::remove(m_strData, ec);
    std::filesystem::remove(m_strIndex, ec);
}

void CMemoryRecording::Fill(int l, int t, int r, int b, uint32_t colour) {
    Paint(l, t, r, b, [colour](int, int) { return colour; });
}

void CMemoryRecording::Paint(int l, int t, int r, int b,
                             const std::function<uint32_t(int, int)>& paint) {
    for (int y = t; y <= b; ++y) {
        for (int x = l; x <= r; ++x) {
            At(x, y) = paint(x, y) & 0xFFFFFF;
        }
    }
}

CFrameInfo& CMemoryRecording::Capture(int l, int t, int r, int b, int32_t duration) {
    CFrameInfo& frame = m_Stream.AppendCapturedFrame();
    m_Stream.WriteRect(l, t, r, b, m_Before.data(), size_t(m_nWidth), kRecordOldPixels);
    m_Stream.WriteRect(l, t, r, b, m_Screen.data(), size_t(m_nWidth), kRecordNewPixels);
    frame.m_nDuration = duration;
    frame.m_nRecordedDuration = std::max(duration, 1);
    if (l == 0 && t == 0 && r == m_nWidth - 1 && b == m_nHeight - 1) {
        frame.m_bKeyFrame = 1;
    }
    m_Before = m_Screen;
    return frame;
}

bool CMemoryRecording::Finish() {
    SCaptureFiles files;
    if (!m_Stream.Stop(files)) {
        return false;
    }
    m_strData = files.dataPath;
    m_strIndex = files.indexPath;
    if (!m_File.OpenCapture(files.dataPath, files.indexPath)) {
        return false;
    }
    m_pCompositor = std::make_unique<CFrameCompositor>(m_Project);
    m_pCompositor->SetSources({&m_File});
    m_pCompositor->Options().bOutputRunning = true;
    return true;
}

std::vector<uint32_t> CMemoryRecording::Picture(uint32_t index) {
    m_pCompositor->GoToFrame(index);
    return m_pCompositor->ShownPicture().m_Pixels;
}

SPublished Publish(CMemoryRecording& recording, CScriptedPrompter& prompter,
                   const std::string& outBase, const std::function<void(CPublishSettings&)>& edit) {
    CMoviePublisher publisher(recording.Project(), recording.Compositor(), prompter);
    publisher.Settings().m_bControlBar = false;
    if (edit) {
        edit(publisher.Settings());
    }
    publisher.CreateMovie(outBase);
    return {publisher.Results(), outBase + ".swf"};
}

SPictureDiff Compare(const QImage& shot, const std::vector<uint32_t>& picture, int width,
                     int height) {
    SPictureDiff diff;
    if (shot.width() < width || shot.height() < height) {
        diff.nMaxChannel = 255;
        diff.nDiffering = width * height;
        return diff;
    }
    const QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint32_t a = row[x] & 0xFFFFFF;
            const uint32_t b = picture[size_t(y) * width + x] & 0xFFFFFF;
            int worst = 0;
            for (int s = 0; s < 24; s += 8) {
                const int d = std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF));
                worst = std::max(worst, d);
                total += d;
            }
            diff.nMaxChannel = std::max(diff.nMaxChannel, worst);
            diff.nDiffering += worst != 0 ? 1 : 0;
        }
    }
    diff.fMean = total / (3.0 * width * height);
    return diff;
}

void ExpectCleanParse(const SJudgeRun& parsed) {
    ASSERT_EQ(parsed.exitCode, 0) << parsed.output;
    ASSERT_TRUE(parsed.json.contains("header")) << "the report was not read";
    EXPECT_TRUE(parsed.json["errors"].toArray().isEmpty()) << parsed.output;
    for (const QJsonValue& w : parsed.json["warnings"].toArray()) {
        const QString text = w.toString();
        EXPECT_FALSE(text.contains("unknown", Qt::CaseInsensitive) ||
                     text.contains("raw", Qt::CaseInsensitive))
            << text.toStdString();
    }
}

std::vector<QString> PushedTexts(const QJsonArray& tags) {
    std::vector<QString> out;
    for (const QJsonValue& tag : tags) {
        const QJsonObject object = tag.toObject();
        for (const QJsonValue& action : object["actions"].toArray()) {
            for (const QJsonValue& v : action.toObject()["values"].toArray()) {
                if (v.isString()) {
                    out.push_back(v.toString());
                }
            }
        }
        if (object.contains("tags")) {
            const std::vector<QString> inner = PushedTexts(object["tags"].toArray());
            out.insert(out.end(), inner.begin(), inner.end());
        }
    }
    return out;
}
