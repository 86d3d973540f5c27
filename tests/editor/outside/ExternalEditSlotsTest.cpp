#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <filesystem>
#include <thread>
#include <vector>

#include "editor/outside/ExternalEditSlots.h"
#include "project/model/FrameInfo.h"
#include "tests/support/TempDir.h"

namespace {

QImage Filled(QRgb color) {
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

struct SImported {
    CFrameInfo* pFrame;
    QRgb color;
};

class ExternalEditSlotsTest : public ::testing::Test {
protected:
    // What an outside editor does: write the file again, a little later than our own write.
    static void EditAsAnOutsideEditor(const QString& path, QRgb color) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(Filled(color).save(path, "BMP"));
    }

    int Poll() {
        return m_slots.Poll([this](CFrameInfo& frame, const QImage& picture) {
            m_imported.push_back({&frame, picture.pixel(0, 0)});
        });
    }

    CTempDir m_dir;
    CExternalEditSlots m_slots{QString::fromStdString(m_dir.Path().string()), "my demo #1"};
    std::vector<SImported> m_imported;
    CFrameInfo m_first, m_second;
};

TEST_F(ExternalEditSlotsTest, EachSlotsEditLandsOnItsOwnFrame) {
    const QString one = m_slots.Start(Filled(qRgb(1, 1, 1)), &m_first);
    const QString two = m_slots.Start(Filled(qRgb(2, 2, 2)), &m_second);
    ASSERT_FALSE(one.isEmpty());
    ASSERT_NE(one, two);
    EXPECT_TRUE(one.endsWith("my demo #1-edit0.bmp")) << one.toStdString();
    EXPECT_EQ(Poll(), 0) << "nothing changed yet";

    EditAsAnOutsideEditor(two, qRgb(200, 0, 0));
    EditAsAnOutsideEditor(one, qRgb(0, 200, 0));
    EXPECT_EQ(Poll(), 2);
    ASSERT_EQ(m_imported.size(), 2u);
    EXPECT_EQ(m_imported[0].pFrame, &m_first);
    EXPECT_EQ(m_imported[0].color, qRgb(0, 200, 0));
    EXPECT_EQ(m_imported[1].pFrame, &m_second);
    EXPECT_EQ(m_imported[1].color, qRgb(200, 0, 0));
    EXPECT_EQ(Poll(), 0) << "an imported change is not imported again";

    EditAsAnOutsideEditor(two, qRgb(0, 0, 200));
    EXPECT_EQ(Poll(), 1);
    EXPECT_EQ(m_imported.back().pFrame, &m_second);
}

TEST_F(ExternalEditSlotsTest, AHalfWrittenFileIsTriedAgainAndAGoneFrameGetsNothing) {
    const QString path = m_slots.Start(Filled(qRgb(1, 1, 1)), &m_first);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("BM\x10\x00", 4);
    }
    EXPECT_EQ(Poll(), 0);
    EditAsAnOutsideEditor(path, qRgb(9, 9, 9));
    EXPECT_EQ(Poll(), 1) << "the finished file comes in at the next poll";

    m_slots.Forget(&m_first);
    EditAsAnOutsideEditor(path, qRgb(7, 7, 7));
    EXPECT_EQ(Poll(), 0);
    QFile::remove(path);
    EXPECT_EQ(Poll(), 0) << "a deleted slot file is no edit";
}

TEST_F(ExternalEditSlotsTest, SlotsAreReusedInTurnAndTheirFilesRemoved) {
    std::vector<QString> paths;
    for (int i = 0; i < CExternalEditSlots::kSlotCount; ++i) {
        paths.push_back(m_slots.Start(Filled(qRgb(i, i, i)), &m_first));
    }
    EXPECT_EQ(m_slots.CurrentSlot(), CExternalEditSlots::kSlotCount - 1);
    // The 33rd edit takes slot 0 again, for another frame.
    EXPECT_EQ(m_slots.Start(Filled(qRgb(50, 50, 50)), &m_second), paths[0]);
    EXPECT_EQ(m_slots.CurrentSlot(), 0);
    EditAsAnOutsideEditor(paths[0], qRgb(60, 60, 60));
    EXPECT_EQ(Poll(), 1);
    EXPECT_EQ(m_imported.back().pFrame, &m_second);
}

TEST(ExternalEditSlots, AnUnwritableFolderLeavesTheSlotEmptyAndTheEndRemovesTheFiles) {
    CTempDir dir;
    CFrameInfo frame;
    QString written;
    {
        CExternalEditSlots missing("/nonexistent/folder", "p");
        QString error;
        EXPECT_TRUE(missing.Start(Filled(qRgb(1, 2, 3)), &frame, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(missing.Poll([](CFrameInfo&, const QImage&) { FAIL(); }), 0);

        CExternalEditSlots kept(QString::fromStdString(dir.Path().string()), "p");
        written = kept.Start(Filled(qRgb(1, 2, 3)), &frame);
        EXPECT_TRUE(QFileInfo::exists(written));
    }
    EXPECT_FALSE(QFileInfo::exists(written));
}

}  // namespace
