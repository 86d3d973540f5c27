#include "swf/SwfMovie.h"

#include <algorithm>

#include "swf/SwfProgress.h"
#include "swf/SwfSimpleTags.h"
#include "swf/SwfTagStream.h"

namespace {

constexpr size_t kDepthCount = 0x10000;
constexpr uint32_t kFrameGrowth = 8;

}  // namespace

CSwfMovie::CSwfMovie() = default;

CSwfMovie::~CSwfMovie() = default;

std::unique_ptr<CSwfMovie> CSwfMovie::NewTimeline() {
    auto timeline = std::make_unique<CSwfMovie>();
    timeline->m_pMain = &Main();
    return timeline;
}

uint16_t CSwfMovie::NextCharacterId() {
    uint32_t& last = Main().m_nLastCharacterId;
    if (last >= 0xFFFF) {
        last = 0x10000;
        return 0;
    }
    return static_cast<uint16_t>(++last);
}

bool CSwfMovie::CharacterIdsExhausted() const {
    return Main().m_nLastCharacterId > 0xFFFF;
}

void CSwfMovie::NoteForeignTimeline() {
    Main().m_bForeignTimeline = true;
}

CSwfFrame& CSwfMovie::GetFrame(uint32_t index) {
    if (index >= m_frames.size()) {
        const size_t size = static_cast<size_t>(index) + kFrameGrowth;
        m_frames.reserve(size);
        while (m_frames.size() < size) {
            m_frames.push_back(std::make_unique<CSwfFrame>(*this));
        }
    }
    m_nFrameCount = std::max(m_nFrameCount, index + 1);
    return *m_frames[index];
}

void CSwfMovie::SetStageSize(int32_t width, int32_t height) {
    m_nStageWidth = width;
    m_nStageHeight = height;
}

void CSwfMovie::RegisterObject(CSwfObject& object) {
    if (m_objectSet.insert(&object).second) {
        m_objects.push_back(&object);
    }
}

void CSwfMovie::AddPlacement(uint16_t characterId, CSwfPlaceObject2& place, uint32_t layer) {
    m_placements[characterId].push_back({&place, nullptr, layer});
}

CSwfPlacement* CSwfMovie::OpenPlacement(uint16_t characterId) {
    auto entry = m_placements.find(characterId);
    if (entry == m_placements.end()) {
        return nullptr;
    }
    for (auto it = entry->second.rbegin(); it != entry->second.rend(); ++it) {
        if (it->m_pRemove == nullptr) {
            return &*it;
        }
    }
    return nullptr;
}

std::string CSwfMovie::NewTextVariable() {
    return "T" + std::to_string(++m_nLastTextVariable);
}

bool CSwfMovie::AssignDepths() {
    std::vector<CSwfPlacement*> order;
    for (auto& [id, list] : m_placements) {
        for (CSwfPlacement& p : list) {
            order.push_back(&p);
        }
    }
    if (order.size() > kDepthCount) {
        m_strError = "The movie needs " + std::to_string(order.size()) +
                     " display list depths; a timeline holds at most 65536.";
        return false;
    }
    std::stable_sort(
        order.begin(), order.end(),
        [](const CSwfPlacement* a, const CSwfPlacement* b) { return a->m_nLayer < b->m_nLayer; });
    for (size_t depth = 0; depth < order.size(); ++depth) {
        order[depth]->m_pPlace->m_nDepth = static_cast<uint16_t>(depth);
        if (order[depth]->m_pRemove != nullptr) {
            order[depth]->m_pRemove->m_nDepth = static_cast<uint16_t>(depth);
        }
    }
    return true;
}

void CSwfMovie::MoveFrameTags(uint32_t index, CSwfTagStream& stream) {
    if (index < m_frames.size()) {
        m_frames[index]->CloseActions();
        for (auto& tag : m_frames[index]->Tags().TakeAll()) {
            stream.Add(std::move(tag));
        }
    }
    stream.Add(std::make_unique<CSwfShowFrame>());
}

bool CSwfMovie::Save(const std::string& path, ISwfProgress* progress) {
    m_strError.clear();
    m_bCancelled = false;
    if (CharacterIdsExhausted()) {
        m_strError = "The movie needs more than 65535 characters.";
    } else if (m_bForeignTimeline) {
        m_strError =
            "A sprite's timeline was made for another movie, so their character ids "
            "collide.";
    }
    if (!m_strError.empty() || !AssignDepths()) {
        Clear();
        return false;
    }
    CSwfTagStream stream;
    stream.Add(std::make_unique<CSwfFileAttributes>());
    stream.Add(std::make_unique<CSwfMetadata>(CSwfString(SwfMetadataDocument())));
    if (progress != nullptr) {
        progress->Begin("Processing");
    }
    for (uint32_t i = 0; i < m_nFrameCount; ++i) {
        if (progress != nullptr) {
            progress->Set(static_cast<double>(i) * 100.0 / static_cast<double>(m_nFrameCount));
            if (progress->IsCancelled()) {
                m_bCancelled = true;
                break;
            }
        }
        MoveFrameTags(i, stream);
    }
    if (progress != nullptr) {
        progress->End();
    }
    const bool saved = stream.Save(path, m_nStageWidth, m_nStageHeight, m_nFrameRate,
                                   m_bCancelled ? nullptr : progress);
    if (!saved) {
        m_strError = stream.Error();
    }
    m_bCancelled = m_bCancelled || stream.WasCancelled();
    Clear();
    return saved;
}

bool CSwfMovie::WriteAsSprite(CSwfTagStream& sprite) {
    m_strError.clear();
    if (!AssignDepths()) {
        Clear();
        return false;
    }
    for (uint32_t i = 0; i < m_nFrameCount; ++i) {
        MoveFrameTags(i, sprite);
    }
    Clear();
    return true;
}

void CSwfMovie::Clear() {
    m_frames.clear();
    m_nFrameCount = 0;
    m_placements.clear();
    m_objects.clear();
    m_objectSet.clear();
    m_nLastCharacterId = 0;
    m_bForeignTimeline = false;
}
