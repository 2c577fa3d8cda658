// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitHost.h"

#include <functional>

class QWidget;

namespace padsmith {

// The kit core's view of the editor window: questions and messages go through the dialogs,
// selection to the pad panel, and files are let go by stopping the preview.
class WindowKitHost : public KitHost {
public:
    struct Hooks {
        std::function<void(int pad, int zone)> selectPad;
        std::function<void()> stopPreview;
        std::function<void()> focusZoneList;
    };
    WindowKitHost(QWidget& window, Hooks hooks);

    void selectPad(int pad, int zone) override;
    void focusZoneList() override;
    std::string browseForFolder(const std::string& startFolder, const std::string& prompt) override;
    void showMessage(MessageIcon icon, const std::string& text) override;
    void setBusy(bool busy) override;
    void pumpMessages() override;
    void stopPreview() override;

private:
    QWidget& window_;
    Hooks hooks_;
};

} // namespace padsmith
