// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowLayout.h"

#include "platform/SettingsStore.h"

namespace padsmith {

namespace {

constexpr const char* kGeometrySetting = "WindowGeometry";

} // namespace

ClientArea::ClientArea(QSize designSize, QWidget* parent) : QWidget(parent), design_(designSize) {
    setMinimumSize(design_);
    resize(design_);
}

void ClientArea::setStretched(QWidget* child) {
    stretched_ = child;
    stretchedDesign_ = child->geometry();
    below_.clear();
    for (QWidget* other : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != child && other->y() >= stretchedDesign_.bottom()) {
            below_.push_back({other, other->pos()});
        }
    }
}

void ClientArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (stretched_ == nullptr) {
        return;
    }
    const int wider = std::max(0, width() - design_.width());
    const int taller = std::max(0, height() - design_.height());
    stretched_->setGeometry(stretchedDesign_.adjusted(0, 0, wider, taller));
    for (const Placed& placed : below_) {
        if (placed.widget != nullptr) {
            placed.widget->move(placed.designPlace + QPoint(0, taller));
        }
    }
}

bool restoreWindowGeometry(QWidget& window, const SettingsStore& settings) {
    const QByteArray geometry =
        QByteArray::fromBase64(settings.readString(kGeometrySetting).toLatin1());
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void saveWindowGeometry(const QWidget& window, SettingsStore& settings) {
    settings.writeString(kGeometrySetting, QString::fromLatin1(window.saveGeometry().toBase64()));
}

} // namespace padsmith
