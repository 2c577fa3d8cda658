// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Controls.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace padsmith {

namespace {

// Read as the PNG it is: a reader left to find the format itself first loads every image-format
// plug-in Qt has (and their libraries) to ask each whether it reads the file.
QPixmap readPng(const QString& file) {
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

QPixmap sharpPixmap(const QString& path, QSize size) {
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QString file = path;
    if (ratio > 1.0) {
        const QString twice =
            QString(path).replace(QLatin1String(".png"), QLatin1String("@2x.png"));
        if (QFileInfo::exists(twice)) {
            file = twice;
        }
    }
    QPixmap image = readPng(file);
    const qreal drawn = file == path ? 1.0 : 2.0;
    if (size.isValid() && !image.isNull()) {
        image = image.scaled(size * drawn, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(drawn);
    return image;
}

QIcon sharpIcon(const QString& path) {
    QIcon icon(readPng(path));
    if (qApp != nullptr && qApp->devicePixelRatio() > 1.0) {
        if (const QPixmap sharp = sharpPixmap(path); sharp.devicePixelRatio() > 1.0) {
            icon.addPixmap(sharp);
        }
    }
    return icon;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void ClickLabel::setElided(bool elided, int room) {
    elided_ = elided;
    room_ = room;
    update();
}

QString ClickLabel::shownText() const {
    const int width = contentsRect().width();
    if (!elided_) {
        return text();
    }
    return fontMetrics().elidedText(text(), Qt::ElideRight,
                                    room_ > 0 ? std::min(room_, width) : width);
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    if (!elided_ || !pixmap().isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()), shownText());
}

PadButton::PadButton(int pad, QWidget* parent) : QAbstractButton(parent), pad_(pad) {
    setText(QStringLiteral("Pad"));
    // A click takes the focus itself, once the guard allowed it (see mousePressEvent).
    setFocusPolicy(Qt::TabFocus);
    resize(sizeHint());
}

void PadButton::light(int milliseconds) {
    if (litTimer_ == nullptr) {
        litTimer_ = new QTimer(this);
        litTimer_->setSingleShot(true);
        connect(litTimer_, &QTimer::timeout, this, [this] {
            lit_ = false;
            update();
        });
    }
    lit_ = true;
    litTimer_->start(milliseconds);
    update();
}

const QPixmap& PadButton::restImage() {
    static const QPixmap image = sharpPixmap(QStringLiteral(":/padsmith/pad.png"));
    return image;
}

const QPixmap& PadButton::pressedImage() {
    static const QPixmap image = sharpPixmap(QStringLiteral(":/padsmith/pad-pressed.png"));
    return image;
}

QSize PadButton::sizeHint() const {
    return restImage().isNull() ? QSize(40, 40) : restImage().deviceIndependentSize().toSize();
}

void PadButton::setMarker(Marker marker, bool hasZones) {
    if (marker != marker_ || hasZones != hasZones_) {
        marker_ = marker;
        hasZones_ = hasZones;
        update();
    }
}

QColor PadButton::markerColour() const {
    if (marker_ == Marker::None) {
        return {};
    }
    if (isDown()) {
        return hasZones_ ? QColor(255, 0, 0) : QColor(255, 255, 0);
    }
    return marker_ == Marker::ListFocus ? QColor(50, 50, 255) : QColor(0, 255, 0);
}

QRect PadButton::markerRect() const {
    QRect place(QPoint(13, 8), QPoint(width() - 16, height() - 24));
    if (isDown()) {
        place.translate(0, 1);
        if (hasZones_) {
            place.setBottom(place.bottom() + 1);
        }
    }
    return place;
}

void PadButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, isDown() || lit_ ? pressedImage() : restImage());
    if (lit_) {
        // A warm glow over the face, brightest at its middle.
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QRectF face = QRectF(rect()).adjusted(4, 4, -4, -4);
        QRadialGradient glow(face.center(), face.width() / 2);
        glow.setColorAt(0.0, QColor(255, 200, 80, 230));
        glow.setColorAt(1.0, QColor(255, 120, 0, 40));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(face);
    }
    const QColor fill = markerColour();
    if (fill.isValid()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::black);
        painter.setBrush(fill);
        painter.drawRoundedRect(markerRect(), 3, 3);
    }
}

void PadButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    emit focused(pad_);
}

void PadButton::mousePressEvent(QMouseEvent* event) {
    if (!strikeAllowed()) {
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        emit struck(pad_);
    }
}

void PadButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        // The window turns arrows into pad navigation; a button would move the focus itself.
        event->accept();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void PadButton::contextMenuEvent(QContextMenuEvent* event) {
    if (!strikeAllowed()) {
        event->accept();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    emit menuRequested(pad_, event->globalPos());
}

} // namespace padsmith
