// `quillo example [OUTDIR]`: records a small built-in demonstration through the real frame image
// stream (a desktop, typing, mouse moves, a click, a new window), then walks every frame through
// the compositor and prints its number, duration and picture checksum. With OUTDIR it is also
// saved there as "example.lumo".
#include <stdlib.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/ConsolePrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr uint32_t kDesktop = 0x3A6EA5;
constexpr uint32_t kWindow = 0xF0F0F0;
constexpr uint32_t kTitle = 0x2050A0;
constexpr uint32_t kInk = 0x202020;

// The screen the example "records"; each step changes it and tells the stream what changed.
class CExampleScreen {
public:
    CExampleScreen() : m_Pixels(static_cast<size_t>(kWidth) * kHeight, 0) {}

    const uint32_t* Data() const { return m_Pixels.data(); }

    void Fill(int l, int t, int r, int b, uint32_t cr) {
        for (int y = t; y <= b; ++y) {
            for (int x = l; x <= r; ++x) {
                m_Pixels[static_cast<size_t>(y) * kWidth + x] = cr;
            }
        }
    }

    // One typed character: a small block of ink with a gap, like a glyph.
    void Glyph(int x, int y, unsigned seed) {
        for (int dy = 0; dy < 9; ++dy) {
            for (int dx = 0; dx < 5; ++dx) {
                if (((seed >> ((dx + dy) % 8)) & 1) != 0 || dy == 8) {
                    m_Pixels[static_cast<size_t>(y + dy) * kWidth + x + dx] = kInk;
                }
            }
        }
    }

    // A cursor drawn into a copy of the area under it: an arrow of 8 x 12.
    std::vector<uint32_t> WithCursor(int x, int y) const {
        std::vector<uint32_t> copy = m_Pixels;
        for (int dy = 0; dy < 12; ++dy) {
            for (int dx = 0; dx <= dy && dx < 8; ++dx) {
                const bool bEdge = dx == 0 || dx == dy || dy == 11;
                copy[static_cast<size_t>(y + dy) * kWidth + x + dx] = bEdge ? 0x000000 : 0xFFFFFE;
            }
        }
        return copy;
    }

private:
    std::vector<uint32_t> m_Pixels;
};

class CExampleRecorder {
public:
    CExampleRecorder(CDemoProject& project, CCaptureStream& stream)
        : m_Project(project), m_Stream(stream) {}

    CExampleScreen& Screen() { return m_Screen; }

    // Starts a frame whose changed area is (l, t)-(r, b): the old pixels are written now, the
    // new ones by Commit() after the caller has drawn them.
    CFrameInfo& Begin(int l, int t, int r, int b) {
        m_rc = {l, t, r, b};
        CFrameInfo& frame = m_Stream.AppendCapturedFrame();
        m_Stream.WriteRect(l, t, r, b, m_Screen.Data(), kWidth, kRecordOldPixels);
        return frame;
    }

    void Commit(bool bKeyFrame = false) {
        m_Stream.WriteRect(m_rc[0], m_rc[1], m_rc[2], m_rc[3], m_Screen.Data(), kWidth,
                           kRecordNewPixels);
        m_Project.LastFrame()->m_bKeyFrame = bKeyFrame ? 1 : 0;
    }

    // The whole area changed: one rectangle, and the frame is a key frame.
    CFrameInfo& BeginKey() { return Begin(0, 0, kWidth - 1, kHeight - 1); }

    void Cursor(int x, int y, uint32_t nIncrement) {
        const std::vector<uint32_t> withCursor = m_Screen.WithCursor(x, y);
        m_Stream.WriteRect(x, y, x + 7, y + 11, withCursor.data(), kWidth, kRecordCursor,
                           nIncrement, true);
    }

private:
    CDemoProject& m_Project;
    CCaptureStream& m_Stream;
    CExampleScreen m_Screen;
    std::array<int, 4> m_rc{};
};

void Record(CDemoProject& project, CCaptureStream& stream) {
    CExampleRecorder rec(project, stream);
    CExampleScreen& s = rec.Screen();

    rec.BeginKey();
    s.Fill(0, 0, kWidth - 1, kHeight - 1, kDesktop);
    s.Fill(40, 30, 279, 169, kWindow);
    s.Fill(40, 30, 279, 45, kTitle);
    rec.Commit(true);
    rec.Cursor(150, 120, 80);

    // Typing a word, one character per frame.
    for (int i = 0; i < 6; ++i) {
        const int x = 50 + i * 7;
        rec.Begin(x, 60, x + 4, 68);
        s.Glyph(x, 60, 0x5Bu * (i + 3));
        rec.Commit();
        rec.Cursor(150, 120, 15);
        stream.WriteTick(10);
    }

    // The mouse moves to a button without changing the screen: cursor-only frames.
    for (int i = 0; i < 4; ++i) {
        stream.AppendCapturedFrame();
        rec.Cursor(150 + (i + 1) * 16, 120 + (i + 1) * 5, 20);
    }
    stream.WriteTick(40);

    // The button is pressed.
    CFrameInfo& press = rec.Begin(220, 140, 269, 159);
    s.Fill(220, 140, 269, 159, 0xC04040);
    rec.Commit();
    rec.Cursor(230, 144, 30);
    press.m_bClickDown = 1;
    press.m_bClickUp = 1;

    // A dialog opens over most of the screen.
    rec.BeginKey();
    s.Fill(20, 20, 299, 189, 0xE0E0D0);
    s.Fill(20, 20, 299, 36, kTitle);
    for (int i = 0; i < 20; ++i) {
        s.Glyph(30 + i * 7, 50, 0x3Du * (i + 1));
    }
    rec.Commit(true);
    rec.Cursor(160, 100, 120);
    stream.WriteTick(200);

    // The recorder's last frame: the whole area once more.
    rec.BeginKey();
    rec.Commit(true);
    rec.Cursor(160, 100, 50);
}

uint32_t Checksum(const CPixelPicture& picture) {
    std::vector<uint8_t> bytes(picture.m_Pixels.size() * 4);
    for (size_t i = 0; i < picture.m_Pixels.size(); ++i) {
        PutU32(bytes.data() + 4 * i, picture.m_Pixels[i]);
    }
    return static_cast<uint32_t>(
        crc32(crc32(0, nullptr, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}

}  // namespace

int RunExample(std::span<const std::string> args) {
    if (args.size() > 1) {
        return UsageError("example", "too many arguments");
    }
    std::error_code ec;
    std::filesystem::path outDir =
        args.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(args[0]);
    std::filesystem::create_directories(outDir, ec);

    CDemoProject project;
    CCaptureStream stream;
    if (!stream.Begin(project, outDir.string(), kWidth, kHeight, false)) {
        return Failure("example", "cannot create the stream files in " + outDir.string());
    }
    Record(project, stream);
    SCaptureFiles files;
    if (!stream.Stop(files)) {
        return Failure("example", "cannot write the stream files in " + outDir.string());
    }
    CStreamFile file;
    const bool bOpened = file.OpenCapture(files.dataPath, files.indexPath);
    // With an output folder the recording is also saved there as a project file.
    std::string savedAs;
    if (bOpened && !args.empty()) {
        CConsolePrompter prompter;
        prompter.SetShowProgress(false);
        CProjectFile projectFile(project, prompter);
        savedAs = (outDir / "example.lumo").string();
        if (!projectFile.SaveNewRecording(files, savedAs)) {
            return Failure("example", "cannot save " + savedAs);
        }
    }
    std::filesystem::remove(files.dataPath, ec);
    std::filesystem::remove(files.indexPath, ec);
    if (!bOpened) {
        return Failure("example", "cannot read the stream back");
    }

    CFrameCompositor compositor(project);
    compositor.SetSources({&file});
    const uint32_t nFrames = project.FrameCount();
    std::vector<uint32_t> checksums(nFrames);
    std::string listing;
    char line[96];
    for (uint32_t i = 0; i < nFrames; ++i) {
        compositor.GoToFrame(i);
        checksums[i] = Checksum(compositor.ShownPicture());
        std::snprintf(line, sizeof line, "frame %3u  duration %5.2f s  checksum %08x\n", i + 1,
                      compositor.CurrentFrame()->m_nDuration / 100.0, checksums[i]);
        listing += line;
    }
    std::snprintf(line, sizeof line, "%u frames, %u stream pictures, %llu bytes of stream data\n",
                  nFrames, files.nPictures, static_cast<unsigned long long>(files.nDataBytes));
    listing += line;
    if (!savedAs.empty()) {
        listing += "saved as " + savedAs + "\n";
    }
    std::fputs(listing.c_str(), stdout);

    // Walking back must rebuild every picture exactly.
    for (uint32_t i = nFrames; i-- > 0;) {
        compositor.GoToFrame(i);
        if (Checksum(compositor.ShownPicture()) != checksums[i] || compositor.Damaged()) {
            return Failure("example",
                           "frame " + std::to_string(i + 1) + " differs when reached backward");
        }
    }
    if (!args.empty()) {
        const std::filesystem::path report = outDir / "frames.txt";
        if (std::FILE* f = std::fopen(report.string().c_str(), "w")) {
            std::fputs(listing.c_str(), f);
            std::fclose(f);
        }
    }
    return kExitOk;
}
