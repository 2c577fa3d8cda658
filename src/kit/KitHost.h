// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace padsmith {

enum class MessageIcon { None, Information, Warning, Error };

// What kit operations need from the window around them. The editor implements it; the
// command-line tool and the tests use the quiet defaults or fakes.
class KitHost {
public:
    virtual ~KitHost() = default;

    // Make `pad` current and select row `zone` of its zone list, so the user sees the progress.
    virtual void selectPad(int pad, int zone) {
        (void)pad;
        (void)zone;
    }
    // Give the keyboard focus to the zone list (after a zone was shown to the user).
    virtual void focusZoneList() {}
    // Ask the user for a folder; empty text when the user cancels.
    virtual std::string browseForFolder(const std::string& startFolder, const std::string& prompt) {
        (void)startFolder;
        (void)prompt;
        return {};
    }
    virtual void showMessage(MessageIcon icon, const std::string& text) {
        (void)icon;
        (void)text;
    }
    // Busy cursor on or off. Calls nest: the cursor returns to normal at the last "off".
    virtual void setBusy(bool busy) { (void)busy; }
    // Let pending window events run so the window repaints during long work.
    virtual void pumpMessages() {}
    // A previewed sample may hold its file open: stop it before files are moved or deleted.
    virtual void stopPreview() {}
};

// Busy state for the lifetime of a scope.
class BusyScope {
public:
    explicit BusyScope(KitHost& host) : host_(host) { host_.setBusy(true); }
    ~BusyScope() { host_.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    KitHost& host_;
};

} // namespace padsmith
