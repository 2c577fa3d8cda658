// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowKitHost.h"

#include "app/Operation.h"
#include "app/Services.h"
#include "app/Text.h"

#include <utility>

namespace padsmith {

WindowKitHost::WindowKitHost(QWidget& window, Hooks hooks)
    : window_(window), hooks_(std::move(hooks)) {}

void WindowKitHost::selectPad(int pad, int zone) {
    if (hooks_.selectPad) {
        hooks_.selectPad(pad, zone);
    }
}

void WindowKitHost::focusZoneList() {
    if (hooks_.focusZoneList) {
        hooks_.focusZoneList();
    }
}

std::string WindowKitHost::browseForFolder(const std::string& startFolder,
                                           const std::string& prompt) {
    return toStd(dialogs().browseForFolder(&window_, fromStd(startFolder), fromStd(prompt)));
}

void WindowKitHost::showMessage(MessageIcon icon, const std::string& text) {
    messageBox(MessageButtons::Ok, icon, fromStd(text));
}

void WindowKitHost::setBusy(bool busy) {
    setBusyCursor(busy);
}

void WindowKitHost::pumpMessages() {
    repaintDuringOperation();
}

void WindowKitHost::stopPreview() {
    if (hooks_.stopPreview) {
        hooks_.stopPreview();
    }
}

} // namespace padsmith
