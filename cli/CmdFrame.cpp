// `quillo frame FILE.lumo N OUT.png [--overlays]`: the full picture of frame N (1-based) as the
// compositor rebuilds it, edited pictures and cursor included; with --overlays also the frame's
// hotspot and talk bubble as the editor's preview shows them.
#include <QImage>
#include <charconv>
#include <cstring>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/PngFile.h"
#include "cli/Subcommands.h"
#include "editor/FrameOverlays.h"
#include "editor/bubble/BubbleGui.h"
#include "project/file/FrameCheck.h"

namespace {

// Draws the frame's hotspot and talk bubble over its picture, at the recorded size.
bool DrawOverlays(const CDemoProject& project, const CFrameInfo& frame,
                  std::vector<uint32_t>& pixels, int32_t nWidth, int32_t nHeight) {
    if (!frame.HasTalkBubble() && !frame.HasHotspot()) {
        return true;
    }
    if (!EnsureBubbleGui()) {
        return false;
    }
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    for (int32_t y = 0; y < nHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int32_t x = 0; x < nWidth; ++x) {
            row[x] = pixels[static_cast<std::size_t>(y) * nWidth + x] | 0xFF000000u;
        }
    }
    DrawFrameOverlays(project, frame, image);
    for (int32_t y = 0; y < nHeight; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int32_t x = 0; x < nWidth; ++x) {
            pixels[static_cast<std::size_t>(y) * nWidth + x] = row[x] & 0x00FFFFFFu;
        }
    }
    return true;
}

}  // namespace

int RunFrame(std::span<const std::string> args) {
    const bool bOverlays = args.size() == 4 && args[3] == "--overlays";
    if (args.size() == 4 && !bOverlays) {
        return UsageError("frame", "unknown option '" + args[3] + "'");
    }
    if (args.size() < 3 || args.size() > 4) {
        return UsageError("frame", args.size() < 3 ? "missing arguments" : "too many arguments");
    }
    uint32_t number = 0;
    const std::string& n = args[1];
    auto res = std::from_chars(n.data(), n.data() + n.size(), number);
    if (res.ec != std::errc() || res.ptr != n.data() + n.size() || number == 0) {
        return UsageError("frame", "the frame number must be 1 or more, not '" + n + "'");
    }
    if (IsSameFile(args[2], args[0])) {
        return Failure("frame", "will not write the picture over the project file " + args[0]);
    }
    std::string why;
    auto opened = OpenProjectForCommand(args[0], why);
    if (!opened) {
        return Failure("frame", why);
    }
    if (number > opened->project.FrameCount()) {
        return Failure("frame", "the project has " + std::to_string(opened->project.FrameCount()) +
                                    " frames, not " + std::to_string(number));
    }
    CFrameCompositor& compositor = *opened->compositor;
    compositor.GoToFrame(number - 1);
    if (PictureRefused(opened->project, compositor)) {
        return Failure("frame", TooLargeToRebuild(args[0], opened->project));
    }
    const CPixelPicture& picture = compositor.ShownPicture();
    std::vector<uint32_t> pixels = picture.m_Pixels;
    if (bOverlays &&
        (pixels.size() != static_cast<std::size_t>(picture.m_nWidth) * picture.m_nHeight ||
         !DrawOverlays(opened->project, *opened->project.FrameAt(number - 1), pixels,
                       picture.m_nWidth, picture.m_nHeight))) {
        return Failure("frame", "cannot draw the overlays of frame " + n);
    }
    if (!WritePngFile(args[2], pixels, picture.m_nWidth, picture.m_nHeight)) {
        return Failure("frame", "cannot write " + args[2]);
    }
    if (compositor.Damaged() || compositor.PictureMissing()) {
        return Failure("frame", "frame " + n + " could not be rebuilt completely; " + args[2] +
                                    " shows what could");
    }
    return kExitOk;
}
