// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

namespace padsmith {

// A short painted animation laid over the program picture: a stick strikes and rings spread.
// It plays once on demand and otherwise shows one still frame; its background stays clear.
class AnimationControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameCount = 10;
    static constexpr int kFrameMs = 45;

    explicit AnimationControl(QWidget* parent);

    // From the first frame to the last, once.
    void play();
    void showFrame(int frame);
    int frame() const { return frame_; }
    bool playing() const { return timer_.isActive(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void step();

    QTimer timer_;
    int frame_ = 0;
};

} // namespace padsmith
