// The screen of an X display, read from the root window: through a shared-memory segment when
// the server offers one (MIT-SHM), else through plain GetImage replies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ScreenSource.h"
#include "platform/X11Display.h"

class CX11ScreenSource : public IScreenSource {
public:
    // `allowSharedMemory` false always uses GetImage.
    explicit CX11ScreenSource(CX11Display& display, bool allowSharedMemory = true);
    ~CX11ScreenSource() override;
    CX11ScreenSource(const CX11ScreenSource&) = delete;
    CX11ScreenSource& operator=(const CX11ScreenSource&) = delete;

    SScreenRect VirtualScreen() override;
    std::vector<SScreenRect> Monitors() override;
    bool Grab(const SScreenRect& rect, uint32_t* pixels) override;

    // The root window holds 32-bit pixels of depth 24 or 32, the only layout this source reads.
    bool Readable() const { return m_bReadable; }
    bool UsesSharedMemory() const { return m_bShm; }

private:
    bool GrabShared(const SScreenRect& part, uint32_t* pixels, int32_t stride);
    bool GrabPlain(const SScreenRect& part, uint32_t* pixels, int32_t stride);
    bool EnsureSegment(size_t bytes);
    void ReleaseSegment();

    CX11Display& m_display;
    bool m_bReadable = false;
    bool m_bShm = false;
    int m_nShmId = -1;
    uint32_t m_nShmSeg = 0;
    uint8_t* m_pShmData = nullptr;
    size_t m_nShmBytes = 0;
};
