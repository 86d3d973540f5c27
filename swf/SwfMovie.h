// A timeline (the main movie or a sprite's): frames created on demand, the display objects added
// to them, and the placements whose depths are assigned when the timeline is written.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "swf/SwfFrame.h"
#include "swf/SwfPlaceObject.h"

class CSwfObject;
class CSwfTagStream;
class ISwfProgress;

class CSwfMovie {
public:
    // A movie's main timeline.
    CSwfMovie();
    ~CSwfMovie();
    // A sprite's timeline for use in this movie: it shares the movie's character ids.
    std::unique_ptr<CSwfMovie> NewTimeline();
    CSwfMovie(const CSwfMovie&) = delete;
    CSwfMovie& operator=(const CSwfMovie&) = delete;

    // Creates the frame (and any before it) when needed; the movie then has at least index + 1
    // frames.
    CSwfFrame& GetFrame(uint32_t index);
    uint32_t FrameCount() const { return m_nFrameCount; }

    uint8_t FrameRate() const { return m_nFrameRate; }
    void SetFrameRate(uint8_t rate) { m_nFrameRate = rate; }
    int32_t StageWidth() const { return m_nStageWidth; }
    int32_t StageHeight() const { return m_nStageHeight; }
    void SetStageSize(int32_t width, int32_t height);

    // Assigns depths and writes the movie file: FileAttributes, Metadata, then each frame's tags
    // and a ShowFrame. The movie is empty afterwards, whatever the outcome. On failure Error()
    // says why and an existing file at `path` is left alone. A cancelled save writes a valid
    // movie of the frames processed so far and sets WasCancelled().
    bool Save(const std::string& path, ISwfProgress* progress = nullptr);
    // Assigns depths and moves every frame's tags, each followed by a ShowFrame, into `sprite`.
    bool WriteAsSprite(CSwfTagStream& sprite);

    const std::string& Error() const { return m_strError; }
    bool WasCancelled() const { return m_bCancelled; }

    // Character ids are 1, 2, 3, ... in order of definition, shared by the main timeline and all
    // timelines made from it, and start again at 1 after a save. A movie holds at most 65535
    // characters: past that the answer is 0 and the save fails instead of writing a movie with
    // repeated ids.
    uint16_t NextCharacterId();
    bool CharacterIdsExhausted() const;
    // Whether `timeline` takes its character ids from the same movie as this timeline.
    bool SharesCharacterIds(const CSwfMovie& timeline) const { return &Main() == &timeline.Main(); }
    // A sprite made from a timeline of another movie was defined here; the save fails.
    void NoteForeignTimeline();

    // Bookkeeping of the display objects.
    void RegisterObject(CSwfObject& object);
    const std::vector<CSwfObject*>& Objects() const { return m_objects; }
    void AddPlacement(uint16_t characterId, CSwfPlaceObject2& place, uint32_t layer);
    // The most recent placement of the character that has no removal yet, or null.
    CSwfPlacement* OpenPlacement(uint16_t characterId);
    // "T1", "T2", ...: a variable name for a text field of this timeline that has none.
    std::string NewTextVariable();

private:
    // Numbers all placements 0, 1, 2, ... in order of layer (ties keep character id order, then
    // placement order) and writes the numbers into their PlaceObject2 and RemoveObject tags.
    bool AssignDepths();
    void MoveFrameTags(uint32_t index, CSwfTagStream& stream);
    void Clear();
    CSwfMovie& Main() { return m_pMain != nullptr ? *m_pMain : *this; }
    const CSwfMovie& Main() const { return m_pMain != nullptr ? *m_pMain : *this; }

    // Null for a main timeline.
    CSwfMovie* m_pMain = nullptr;
    uint32_t m_nLastCharacterId = 0;
    bool m_bForeignTimeline = false;

    std::vector<std::unique_ptr<CSwfFrame>> m_frames;
    uint32_t m_nFrameCount = 0;
    uint8_t m_nFrameRate = 12;
    int32_t m_nStageWidth = 11000;
    int32_t m_nStageHeight = 8000;
    std::vector<CSwfObject*> m_objects;
    std::set<const CSwfObject*> m_objectSet;
    std::map<uint16_t, std::list<CSwfPlacement>> m_placements;
    std::string m_strError;
    bool m_bCancelled = false;
    int32_t m_nLastTextVariable = 0;
};
