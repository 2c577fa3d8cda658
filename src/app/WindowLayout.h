// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

namespace padsmith {

class SettingsStore;

// The window's client area. Its children are placed at the window's designed size; when it
// grows, one child (the zone list with its panes) takes all the room gained, the children
// below it move down with the bottom edge, and the others (the kit fields) stay where they
// are. It never gets smaller than designed.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    ClientArea(QSize designSize, QWidget* parent);

    // `child` takes the room gained; takes the place of every present child as designed.
    void setStretched(QWidget* child);
    QSize designSize() const { return design_; }

    QSize sizeHint() const override { return design_; }
    QSize minimumSizeHint() const override { return design_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placed {
        QPointer<QWidget> widget;
        QPoint designPlace;
    };
    QSize design_;
    QPointer<QWidget> stretched_;
    QRect stretchedDesign_;
    std::vector<Placed> below_;
};

// The window's size and place from the last run ("WindowGeometry"); false when none is kept.
bool restoreWindowGeometry(QWidget& window, const SettingsStore& settings);
void saveWindowGeometry(const QWidget& window, SettingsStore& settings);

} // namespace padsmith
