#include "editor/outside/ExternalEditSlots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <utility>

namespace {

struct SFileStamp {
    bool bExists = false;
    int64_t nModified = 0;
    int64_t nLength = -1;
};

SFileStamp Stamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return {};
    }
    return {true, info.lastModified().toMSecsSinceEpoch(), info.size()};
}

}  // namespace

CExternalEditSlots::CExternalEditSlots(QString folder, QString projectName)
    : m_strFolder(std::move(folder)), m_strProjectName(std::move(projectName)) {
    if (m_strProjectName.isEmpty()) {
        m_strProjectName = QStringLiteral("Untitled");
    }
}

CExternalEditSlots::~CExternalEditSlots() {
    for (int i = 0; i < kSlotCount; ++i) {
        if (m_slots[size_t(i)].nLength >= 0) {
            QFile::remove(SlotPath(i));
        }
    }
}

QString CExternalEditSlots::SlotPath(int index) const {
    return QDir(m_strFolder)
        .filePath(m_strProjectName + QStringLiteral("-edit") + QString::number(index) +
                  QStringLiteral(".bmp"));
}

QString CExternalEditSlots::Start(const QImage& picture, CFrameInfo* frame, QString* error) {
    m_nCurrent = (m_nCurrent + 1) % kSlotCount;
    SSlot& slot = m_slots[size_t(m_nCurrent)];
    slot = SSlot{};
    const QString path = SlotPath(m_nCurrent);
    QFile::remove(path);
    if (picture.isNull() || !picture.save(path, "BMP")) {
        QFile::remove(path);
        if (error != nullptr) {
            *error = QStringLiteral("The picture could not be written to ") + path + u'.';
        }
        return {};
    }
    const SFileStamp stamp = Stamp(path);
    slot = {frame, stamp.nModified, stamp.nLength};
    return path;
}

int CExternalEditSlots::Poll(
    const std::function<void(CFrameInfo& frame, const QImage& picture)>& import) {
    int imported = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        SSlot& slot = m_slots[size_t(i)];
        if (slot.pFrame == nullptr) {
            continue;
        }
        const QString path = SlotPath(i);
        const SFileStamp stamp = Stamp(path);
        if (!stamp.bExists ||
            (stamp.nModified == slot.nModified && stamp.nLength == slot.nLength)) {
            continue;
        }
        QImageReader reader(path);
        const QImage picture = reader.read();
        if (picture.isNull()) {
            continue;
        }
        import(*slot.pFrame, picture);
        slot.nModified = stamp.nModified;
        slot.nLength = stamp.nLength;
        ++imported;
    }
    return imported;
}

void CExternalEditSlots::Forget(const CFrameInfo* frame) {
    for (SSlot& slot : m_slots) {
        if (slot.pFrame == frame) {
            slot.pFrame = nullptr;
        }
    }
}
