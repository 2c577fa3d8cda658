// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/HealthFolders.h"
#include "kit/KitHealth.h"

#include <QColor>
#include <QDockWidget>
#include <QPointer>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QToolButton;

namespace padsmith {

class EditPath;
class SampleFactsCache;
class ZoneTableModel;

// The "Kit Health" panel: what the health check finds in the open kit, with the fixes it
// offers. The check runs on a copy of the kit on a background thread after every read and
// edit, and again as the sample facts come in; the window never waits for it. Rows of the zone
// list with an error or a warning get an icon and the message as tooltip, and a count in the
// status area says how many errors there are.
class HealthPanel : public QDockWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<KitLocation()> location;
        // Shows `pad` with `rows` selected (the first one current).
        std::function<void(int pad, const std::vector<int>& rows)> select;
    };

    HealthPanel(const KitDocument& kit, EditPath& edits, std::shared_ptr<SampleFactsCache> facts,
                ZoneTableModel& zoneRows, Hooks hooks, QWidget* parent = nullptr);
    ~HealthPanel() override;

    // The kit changed: check it again. `folders` also looks at the plug-in's folders again
    // (after a read or a save: they change with those, and comparing copies reads files).
    void kitChanged(bool folders = false);

    // The label for the status area: "2 errors", or "Kit Health" when there are none; a click
    // on it shows the panel.
    QLabel* statusLabel() const { return status_; }

    const std::vector<HealthFinding>& findings() const { return findings_; }
    // Checks are still running or sample facts still coming in.
    bool busy() const;
    // Applies fix `fix` of finding `index` as one undo step; false when the finding is no
    // longer current (the kit changed since it was found) or has no such fix.
    bool applyFix(int index, int fix = 0);
    // Shows the pad and rows of finding `index`.
    void showFinding(int index);

signals:
    // A check finished and its findings are shown.
    void checked();

private:
    struct Result;
    void startCheck();
    void showResult(const std::shared_ptr<Result>& result);
    void currentChanged();
    // The corner label: `text` as a link in `colour`, or in the text colour of the bar.
    void setStatus(const QString& text, const QColor& colour);

    const KitDocument& kit_;
    EditPath& edits_;
    std::shared_ptr<SampleFactsCache> facts_;
    ZoneTableModel& zoneRows_;
    Hooks hooks_;

    QListWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QToolButton* fix_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* again_ = nullptr; // sample facts came in: check again, once for a burst of them

    QThreadPool pool_;
    int generation_ = 0; // of the kit as the last kitChanged() saw it
    int shownGeneration_ = -1;
    int running_ = 0;
    std::size_t factsSeen_ = 0;  // the facts' measuredCount() when the last check began
    std::size_t shownFacts_ = 1; // ... and when the shown one began
    bool rerun_ = false;         // a check was asked for while one ran
    bool gatherFolders_ = true;
    std::shared_ptr<const FolderFacts> folders_;
    std::vector<HealthFinding> findings_;
};

} // namespace padsmith
