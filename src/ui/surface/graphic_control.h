#pragma once
// A graphic control: a child widget that shows a retained picture of its own
// size, takes the focus when clicked and has no tab stop. Like any new
// picture, the retained one is undefined until first drawn; until then the
// control shows black.

#include <QRect>
#include <QWidget>

#include "surface/surface.h"

namespace quimbaro {

class GraphicControl : public QWidget {
    Q_OBJECT
public:
    GraphicControl(QWidget* parent, int id, const QRect& geometry);
    int Id() const { return id_; }
    Picture& RetainedPicture() { return picture_; }
    const Picture& RetainedPicture() const { return picture_; }
    // Called after drawing into the picture: schedules one repaint.
    void PictureChanged();

Q_SIGNALS:
    void Clicked(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int id_;
    Picture picture_;
    bool repaintPending_ = false;
    bool pictureDrawn_ = false;
};

}  // namespace quimbaro
