// Pictures handed to an outside image editor and brought back: each "Edit" writes the current
// frame's composed picture into the next of 32 slots, and a poll every 500 ms brings back every
// slot file the outside editor has changed since, as the edited picture of the slot's own frame.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class CFrameInfo;

class CExternalEditSlots {
public:
    static constexpr int kSlotCount = 32;
    static constexpr int kPollIntervalMs = 500;

    // Slot files are made in `folder` and named after the project, "NAME-edit7.bmp": each slot
    // has a name of its own, so that an edit can only come back to the frame it was made from.
    CExternalEditSlots(QString folder, QString projectName);
    // Removes the slot files.
    ~CExternalEditSlots();
    CExternalEditSlots(const CExternalEditSlots&) = delete;
    CExternalEditSlots& operator=(const CExternalEditSlots&) = delete;

    // Moves to the next slot (wrapping from the last to the first), removes that slot's earlier
    // file and writes `picture` there for `frame`. Returns the file's path, or an empty string
    // with `error` set when it cannot be written; the slot then stays empty.
    QString Start(const QImage& picture, CFrameInfo* frame, QString* error = nullptr);

    // Calls `import` for every slot whose file was changed since it was written or last
    // imported; a file that cannot be read as a picture yet (the editor may be writing it) is
    // tried again at the next poll. Returns the number of pictures imported.
    int Poll(const std::function<void(CFrameInfo& frame, const QImage& picture)>& import);

    // The frame is gone from the project: its slots bring nothing back.
    void Forget(const CFrameInfo* frame);

    // The path of slot `index` (0 to 31).
    QString SlotPath(int index) const;
    int CurrentSlot() const { return m_nCurrent; }

private:
    struct SSlot {
        CFrameInfo* pFrame = nullptr;
        int64_t nModified = 0;  // ms since the epoch
        int64_t nLength = -1;
    };

    QString m_strFolder;
    QString m_strProjectName;
    std::array<SSlot, kSlotCount> m_slots{};
    int m_nCurrent = -1;
};
