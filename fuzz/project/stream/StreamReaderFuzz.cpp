#include "fuzz/project/stream/StreamReaderFuzz.h"

#include <algorithm>
#include <vector>

#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"

namespace {

// Keeps every run short; larger pictures exercise nothing new.
constexpr int kMaxFuzzPixels = 1 << 16;

}  // namespace

int FuzzStreamReader(const uint8_t* pData, size_t nSize) {
    if (nSize < 4) {
        return 0;
    }
    const uint32_t nFrames = 1u + (pData[0] % 32u);
    const uint8_t nSwitches = pData[1];
    const size_t nTable = std::min<size_t>(pData[2] | (pData[3] << 8), nSize - 4);
    std::vector<uint8_t> table(pData + 4, pData + 4 + nTable);
    std::vector<uint8_t> data(pData + 4 + nTable, pData + nSize);

    CStreamFile file;
    if (!file.OpenMemory(std::move(data), std::move(table))) {
        return 0;
    }
    const SStreamHeader& header = file.Header();
    if (header.nWidth * header.nHeight > kMaxFuzzPixels) {
        return 0;
    }
    CDemoProject project;
    project.m_nWidth = header.nWidth;
    project.m_nHeight = header.nHeight;
    project.m_b24BitColor = (nSwitches & 0x01) == 0;
    project.m_bOldRecordSize = (nSwitches & 0x02) != 0;
    if (nSwitches & 0x20) {
        CCursorImage image;
        image.m_hCursor = 0;
        image.m_pPixels = {kCursorPixelTransparent, kCursorPixelInvert, 0x123456, 0x00FF00};
        project.m_CursorImages.m_nWidth = 2;
        project.m_CursorImages.m_nHeight = 2;
        project.m_CursorImages.m_bPresent = true;
        project.m_CursorImages.Add(image);
    }
    for (uint32_t i = 0; i < nFrames; ++i) {
        CFrameInfo& frame = project.AppendCapturedFrame();
        frame.m_bKeyFrame =
            ((nSwitches & 0x04) && i % 2 == 0) || ((nSwitches & 0x08) && i + 1 == nFrames);
        frame.m_bCursorFromTable = (nSwitches & 0x20) != 0;
        frame.m_bClickDown = i % 3 == 1;
        if ((nSwitches & 0x10) && i == 1) {
            frame.m_bDuplicate = 1;
            frame.m_nStreamFrame = 0;
        }
    }

    CFrameCompositor compositor(project);
    compositor.SetSources({&file});
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < nFrames; ++i) {
        order.push_back(i);
    }
    for (uint32_t i = nFrames; i-- > 0;) {
        order.push_back(i);
    }
    order.insert(order.end(), {nFrames / 2, nFrames - 1, 0});
    for (uint32_t i : order) {
        compositor.GoToFrame(i);
        compositor.ShownPicture();
    }
    return 0;
}
