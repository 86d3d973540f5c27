// Rebuilds the picture of any frame from the frame image stream by applying the records of
// neighbouring pictures forward or backward from the current frame, and composes the picture
// the editor and the outputs show: the walk's picture with the edited pictures and the cursor
// layer drawn over it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "imaging/PixelPicture.h"
#include "project/stream/PixelCoding.h"
#include "project/stream/StreamFormat.h"

class CDemoProject;
class CFrameInfo;
class CStreamFile;

// What a search walk of GoToFrame stops at; several may be combined.
enum EFrameSearch : unsigned {
    kSearchNone = 0,
    kSearchBubble = 1u << 0,
    kSearchHotspot = 1u << 1,
    kSearchUrl = 1u << 2,
    kSearchPicture = 1u << 3,
    kSearchClick = 1u << 4,
    kSearchEffect = 1u << 5,
    kSearchLongDelay = 1u << 6,
    kSearchSound = 1u << 7,
    kSearchChapter = 1u << 8,
};

// The state of the program that decides how a frame is shown.
struct SCompositorOptions {
    bool bHideDeleted = false;      // the editor skips deleted frames
    bool bShowHiddenMouse = false;  // the editor shows the cursor of click-waiting frames
    // A save, publish, export or whole-project operation runs: no editor marks on the cursor,
    // and hidden cursors stay hidden.
    bool bOutputRunning = false;
    bool bSearchLongDelays = false;  // a search for long delays is switched on
    int32_t nLongDelayMinimum = 0;   // 1/100 s
    uint32_t crBackground = 0;       // what a frame that redraws everything starts from
};

// The cursor picture of the current frame: pixels with per-pixel alpha (top byte) at a position
// in pixels of the recorded area. Pixels of kind kInvert show the inverse of what lies below.
struct SCursorLayer {
    enum EKind : uint8_t { kColour = 0, kInvert = 1 };

    bool bPresent = false;
    bool bFromTable = false;
    int nX = 0;
    int nY = 0;
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom
    std::vector<uint8_t> kinds;
};

class CFrameCompositor {
public:
    // Canvases above this many pixels are refused (no screen is that large).
    static constexpr uint64_t kMaxCanvasPixels = 1ull << 26;

    explicit CFrameCompositor(CDemoProject& project);
    ~CFrameCompositor();
    CFrameCompositor(const CFrameCompositor&) = delete;
    CFrameCompositor& operator=(const CFrameCompositor&) = delete;

    // The open streams: entry k is the stream a frame with m_nSource k takes its pictures from
    // (0 = the project's own); a null entry is a source that is not open. Not owned. Clears the
    // picture positions the frames keep, and resets.
    void SetSources(std::vector<const CStreamFile*> sources);
    SCompositorOptions& Options() { return m_Options; }

    // Back to the start: frame 0 current but not built, walking forward, no cursor layer.
    void Reset();

    // Applies the records of one frame's stream picture in direction +1 or -1 and refreshes the
    // cursor layer. False when the picture could not be read (missing source, damaged data).
    bool BuildFrame(CFrameInfo& frame, int nDirection);

    // Makes the frame at 0-based index `nIndex` current and rebuilds its picture; with search
    // flags the walk stops at the first matching frame on the way. Returns the index made
    // current.
    uint32_t GoToFrame(uint32_t nIndex, unsigned nSearch = kSearchNone);

    // One decoded pixel of the rectangle being read.
    uint32_t NextPixel() { return m_Decoder.NextPixel(); }

    // Layered edited pictures that apply to following frames, registered by the editor with the
    // index of the frame that owns them; they reach as far as its m_nPictureUntil.
    void RegisterLayer(const CFrameInfo* pFrame, uint32_t nFirst);
    void UnregisterLayer(const CFrameInfo* pFrame);
    void ClearLayers() { m_Layers.clear(); }

    uint32_t CurrentIndex() const { return m_nCurrent; }
    CFrameInfo* CurrentFrame() const { return m_pCurrent; }
    int Direction() const { return m_nDirection; }
    // The walk's picture: stream pixels only (what re-encoding reads).
    const CPixelPicture& Picture() const { return m_Picture; }
    // The picture as shown: the walk's picture with edited pictures and the cursor layer.
    const CPixelPicture& ShownPicture();
    const SCursorLayer& CursorLayer() const { return m_Cursor; }
    // Where the current frame's recorded area sits in the picture (non-zero only in a pan
    // recording).
    int OriginX() const { return m_nOriginX; }
    int OriginY() const { return m_nOriginY; }

    // The last GoToFrame met a frame whose source stream is not open.
    bool PictureMissing() const { return m_bMissing; }
    // Some stream data could not be decoded (bad lengths, rectangles outside the picture, ...).
    bool Damaged() const { return m_bDamaged; }
    // How many stream pictures the last GoToFrame decoded.
    uint32_t DecodedCount() const { return m_nDecoded; }

private:
    struct SLayer {
        const CFrameInfo* pFrame;
        uint32_t nFirst;
    };
    struct SDecodedBlock {
        uint32_t nChecksum = 0;
        size_t nSize = 0;
        CPixelPicture picture;
    };
    enum class EWalkStart { Current, First, Last };
    struct SWalk {
        EWalkStart start;
        int nDirection;
    };

    void RefreshFrames();
    bool EnsureCanvas();
    bool BuildAt(uint32_t nIndex, int nDirection);
    bool ApplyRecords(CFrameInfo& frame, const CStreamFile& source, int nDirection);
    void ApplyRect(const SStreamRecordHead& head, CByteReader& reader, CFrameInfo& frame,
                   bool bKeep);
    void ReadCursor(const SStreamRecordHead& head, CByteReader& reader, CFrameInfo& frame);
    const CStreamFile* SourceOf(const CFrameInfo& frame) const;
    // Where the pictures of the frame's source stream sit in the recorded area.
    void SourceOffset(const CFrameInfo& frame, int& nX, int& nY) const;
    bool CoversRecordedArea(const CFrameInfo& frame) const;
    // The frame takes its picture from another stream than the frame before it.
    bool BeginsRun(uint32_t nIndex) const;
    // Applying the frame forward starts from an empty picture.
    bool ClearsFirst(uint32_t nIndex) const;
    const CPixelPicture* PanPicture(CFrameInfo& frame);
    void Origin(const CFrameInfo& frame, int& nX, int& nY) const;
    // Applying the frame forward gives the same picture whatever was there before.
    bool StartsAfresh(uint32_t nIndex);
    // Applying the frame backward gives the picture of the frame before it.
    bool RestoresBackward(uint32_t nIndex) const;
    bool CanWalkBackward(uint32_t nLow, uint32_t nHigh) const;
    bool Matches(const CFrameInfo& frame, unsigned nSearch) const;
    SWalk PlanWalk(uint32_t nCurrent, uint32_t nTarget) const;
    void WalkForward(uint32_t nFrom, uint32_t nTarget);
    void WalkBackward(uint32_t nFrom, uint32_t nTarget);
    void StartOverForward(uint32_t nTarget);
    uint32_t SkipDeleted(uint32_t nTarget, int nDirection) const;

    const CPixelPicture* DecodedBlock(const CFrameInfo& frame, const std::vector<uint8_t>& block);
    void BlendLayerPicture(const CFrameInfo& owner, const CFrameInfo& shown);
    void DrawEditedPictures();
    void DrawCursor();
    bool CursorHidden(const CFrameInfo& frame) const;

    CDemoProject& m_Project;
    std::vector<const CStreamFile*> m_Sources;
    SCompositorOptions m_Options;

    std::vector<CFrameInfo*> m_Frames;
    std::vector<uint32_t> m_StreamPictures;

    CPixelPicture m_Picture;
    CPixelPicture m_Shown;
    bool m_bPan = false;
    int m_nOriginX = 0;
    int m_nOriginY = 0;
    SCursorLayer m_Cursor;

    uint32_t m_nCurrent = 0;
    CFrameInfo* m_pCurrent = nullptr;
    int m_nDirection = 1;
    bool m_bBuilt = false;
    bool m_bMissing = false;
    bool m_bDamaged = false;
    uint32_t m_nDecoded = 0;

    CPixelDecoder m_Decoder;
    std::vector<uint8_t> m_Bytes;
    std::vector<SLayer> m_Layers;
    std::map<const CFrameInfo*, SDecodedBlock> m_Blocks;
};
