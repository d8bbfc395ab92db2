#include "surface/graphic_control.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace quimbaro {

GraphicControl::GraphicControl(QWidget* parent, int id, const QRect& geometry)
    : QWidget(parent), id_(id) {
    setGeometry(geometry);
    setFocusPolicy(Qt::ClickFocus);
    // The picture covers every pixel, so nothing need be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Left unfilled: the first drawing nearly always clears or replaces it,
    // and filling megabytes nobody sees slows the first frame.
    picture_.image = QImage(geometry.size(), QImage::Format_RGB32);
}

void GraphicControl::PictureChanged() {
    pictureDrawn_ = true;
    if (repaintPending_) return;
    repaintPending_ = true;
    update();
}

void GraphicControl::paintEvent(QPaintEvent* event) {
    repaintPending_ = false;
    QPainter painter(this);
    if (!pictureDrawn_) return painter.fillRect(event->rect(), Qt::black);  // nothing undefined on screen
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(event->rect(), picture_.image, event->rect());
}

void GraphicControl::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) Q_EMIT Clicked(id_);
}

}  // namespace quimbaro
