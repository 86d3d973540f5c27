#include "project/file/FrameCheck.h"

#include <zlib.h>

#include <algorithm>

#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"

namespace {

uint32_t Checksum(const CPixelPicture& picture) {
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0),
                                       reinterpret_cast<const Bytef*>(picture.m_Pixels.data()),
                                       static_cast<uInt>(picture.m_Pixels.size() * 4)));
}

}  // namespace

uint32_t SProjectCheck::Problems() const {
    return static_cast<uint32_t>(std::count_if(
        frames.begin(), frames.end(), [](EFrameCheck c) { return c != EFrameCheck::Good; }));
}

bool PictureRefused(const CDemoProject& project, const CFrameCompositor& compositor) {
    return project.FrameCount() > 0 && compositor.Picture().m_Pixels.empty();
}

SProjectCheck CheckFrames(const CDemoProject& project, CFrameCompositor& compositor) {
    SProjectCheck check;
    const uint32_t nFrames = project.FrameCount();
    check.frames.assign(nFrames, EFrameCheck::Good);
    std::vector<uint32_t> forward(nFrames);
    for (uint32_t i = 0; i < nFrames; ++i) {
        compositor.GoToFrame(i);
        if (PictureRefused(project, compositor)) {
            check.bSizeRefused = true;
            return check;
        }
        forward[i] = Checksum(compositor.Picture());
        if (compositor.PictureMissing()) {
            check.frames[i] = EFrameCheck::Missing;
        } else if (compositor.Damaged()) {
            check.frames[i] = EFrameCheck::Damaged;
        }
    }
    for (uint32_t i = nFrames; i-- > 0;) {
        compositor.GoToFrame(i);
        if (check.frames[i] == EFrameCheck::Good && Checksum(compositor.Picture()) != forward[i]) {
            check.frames[i] = EFrameCheck::DiffersBackward;
        }
    }
    return check;
}
