// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

namespace padsmith {

// The lowest and highest sample value of one stretch of a channel, full scale being -1 and 1.
struct EnvelopeBucket {
    float low = 0;
    float high = 0;
};

// What the waveform strip shows of one sample.
struct WaveformContent {
    QList<QList<EnvelopeBucket>> channels; // the buckets of each channel, the same count each
    double seconds = 0;                    // the sample's length
    QStringList details;                   // lines beside the wave: level, length, format
    double silentUntil = 0;                // seconds of silence at the start (0: none)
    QList<double> clips;                   // where runs at full scale begin, in seconds
};

// The peak envelope of a sample, one lane per channel, with its details beside it; silence at
// the start is shaded, clipping marked red, and the played position moves across it.
class WaveformView : public QWidget {
    Q_OBJECT
public:
    explicit WaveformView(QWidget* parent = nullptr);

    void setContent(WaveformContent content);
    const WaveformContent& content() const { return content_; }
    // No wave: `text` alone ("Reading...", "No sample", why it cannot be read).
    void setText(const QString& text);
    const QString& text() const { return text_; }
    // The played position in seconds; negative hides it.
    void setPosition(double seconds);
    double position() const { return position_; }

    // The x of a time, in the wave's area.
    int xOfTime(double seconds) const;
    QRect waveRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WaveformContent content_;
    QString text_;
    double position_ = -1;
};

} // namespace padsmith
