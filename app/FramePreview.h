// Shows the current frame's picture, scaled to the widget with its proportions kept.
#pragma once

#include <QImage>
#include <QWidget>

class CFramePreview : public QWidget {
    Q_OBJECT
public:
    explicit CFramePreview(QWidget* pParent = nullptr);

    void SetPicture(QImage picture);
    const QImage& Picture() const { return m_picture; }
    // Where the picture is drawn inside the widget.
    QRect PictureRect() const;

    QSize sizeHint() const override { return {640, 480}; }
    QSize minimumSizeHint() const override { return {160, 120}; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    QImage m_picture;
};
