#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>

namespace padsmith {

// A static text or picture that reports clicks (the kit name, the sample folder, the pad
// names, the program picture).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A pad of the pad panel: its picture at rest or pressed, at the picture's natural size.
class PadButton : public QAbstractButton {
    Q_OBJECT
public:
    PadButton(int pad, QWidget* parent);

    int pad() const { return pad_; }
    QSize sizeHint() const override;

    // The two pictures shared by every pad.
    static const QPixmap& restImage();
    static const QPixmap& pressedImage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int pad_;
};

} // namespace padsmith
