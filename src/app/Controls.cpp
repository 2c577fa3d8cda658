#include "app/Controls.h"

#include <QMouseEvent>
#include <QPainter>

namespace padsmith {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

PadButton::PadButton(int pad, QWidget* parent) : QAbstractButton(parent), pad_(pad) {
    setText(QStringLiteral("Pad"));
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
}

const QPixmap& PadButton::restImage() {
    static const QPixmap image(QStringLiteral(":/padsmith/pad.png"));
    return image;
}

const QPixmap& PadButton::pressedImage() {
    static const QPixmap image(QStringLiteral(":/padsmith/pad-pressed.png"));
    return image;
}

QSize PadButton::sizeHint() const {
    return restImage().isNull() ? QSize(40, 40) : restImage().size();
}

void PadButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, isDown() ? pressedImage() : restImage());
}

} // namespace padsmith
