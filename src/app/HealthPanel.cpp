// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HealthPanel.h"

#include "app/EditPath.h"
#include "app/Text.h"
#include "app/ZoneTableModel.h"
#include "audio/SampleSounds.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace padsmith {

namespace {

// How often to look for sample facts that came in while they are being measured.
constexpr int kFactsPollMs = 300;

QIcon severityIcon(Severity severity) {
    const QStyle* style = QApplication::style();
    switch (severity) {
    case Severity::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case Severity::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case Severity::Note:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    }
    return {};
}

QString countText(int count, const char* one, const char* many) {
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

std::vector<std::string> sourcesOf(const KitDocument& kit) {
    std::vector<std::string> paths;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath)) {
                paths.push_back(zone.sourcePath);
            }
        }
    }
    return paths;
}

} // namespace

struct HealthPanel::Result {
    int generation = 0;
    std::size_t factsSeen = 0;
    std::shared_ptr<const FolderFacts> folders;
    std::vector<HealthFinding> findings;
};

HealthPanel::HealthPanel(const KitDocument& kit, EditPath& edits,
                         std::shared_ptr<SampleFactsCache> facts, ZoneTableModel& zoneRows,
                         Hooks hooks, QWidget* parent)
    : QDockWidget(QStringLiteral("Kit Health"), parent), kit_(kit), edits_(edits),
      facts_(std::move(facts)), zoneRows_(zoneRows), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("KitHealth"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    pool_.setMaxThreadCount(1);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    summary_ = new QLabel(body);
    summary_->setObjectName(QStringLiteral("healthSummary"));
    fix_ = new QToolButton(body);
    fix_->setObjectName(QStringLiteral("healthFix"));
    fix_->setText(QStringLiteral("Fix"));
    fix_->setPopupMode(QToolButton::MenuButtonPopup);
    fix_->setEnabled(false);
    top->addWidget(summary_, 1);
    top->addWidget(fix_);
    layout->addLayout(top);
    list_ = new QListWidget(body);
    list_->setObjectName(QStringLiteral("healthFindings"));
    list_->setWordWrap(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setTextElideMode(Qt::ElideNone);
    layout->addWidget(list_, 1);
    setWidget(body);
    setMinimumWidth(360);

    status_ = new QLabel(parent);
    status_->setObjectName(QStringLiteral("healthStatus"));
    status_->setTextFormat(Qt::RichText);
    status_->setCursor(Qt::PointingHandCursor);
    status_->setToolTip(QStringLiteral("Show the Kit Health panel (Ctrl+H)"));
    // Off the window's edge, and level with the menu titles.
    status_->setContentsMargins(0, 0, 8, 0);
    status_->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    setStatus(QStringLiteral("Kit Health"), QColor());
    connect(status_, &QLabel::linkActivated, this, [this] {
        show();
        raise();
    });

    connect(list_, &QListWidget::currentRowChanged, this, [this] { currentChanged(); });
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showFinding(list_->row(item)); });
    connect(fix_, &QToolButton::clicked, this, [this] { applyFix(list_->currentRow(), 0); });

    again_ = new QTimer(this);
    again_->setInterval(kFactsPollMs);
    connect(again_, &QTimer::timeout, this, [this] {
        // Facts still coming in: look again when some arrived since the last check.
        const bool done = !facts_->busy();
        if (facts_->measuredCount() != factsSeen_) {
            startCheck();
        }
        if (done) {
            again_->stop();
        }
    });
}

HealthPanel::~HealthPanel() {
    pool_.clear();
    pool_.waitForDone();
}

bool HealthPanel::busy() const {
    return running_ > 0 || rerun_ || facts_->busy() || shownGeneration_ != generation_ ||
           shownFacts_ != facts_->measuredCount();
}

void HealthPanel::kitChanged(bool folders) {
    ++generation_;
    gatherFolders_ = gatherFolders_ || folders;
    const std::vector<std::string> sources = sourcesOf(kit_);
    facts_->request(sources);
    startCheck();
    again_->start();
}

void HealthPanel::startCheck() {
    if (running_ > 0) {
        rerun_ = true;
        return;
    }
    running_ = 1;
    rerun_ = false;
    auto kit = std::make_shared<const KitDocument>(kit_);
    const KitLocation location = hooks_.location ? hooks_.location() : KitLocation{};
    const bool gather = gatherFolders_ || !folders_;
    gatherFolders_ = false;
    std::shared_ptr<const FolderFacts> folders = folders_;
    std::shared_ptr<SampleFactsCache> facts = facts_;
    const int generation = generation_;
    factsSeen_ = facts_->measuredCount();
    const std::size_t factsSeen = factsSeen_;
    pool_.start([this, kit, location, gather, folders, facts, generation, factsSeen] {
        auto result = std::make_shared<Result>();
        result->generation = generation;
        result->factsSeen = factsSeen;
        result->folders =
            gather ? std::make_shared<const FolderFacts>(gatherFolderFacts(*kit, location))
                   : folders;
        const SoundTable sounds =
            soundsOfKit(*kit, [&facts](const std::string& path) { return facts->find(path); });
        HealthInputs inputs;
        inputs.codePage = location.codePage;
        inputs.sounds = lookupIn(sounds);
        inputs.folders = result->folders.get();
        result->findings = checkKitHealth(*kit, inputs);
        QMetaObject::invokeMethod(
            this, [this, result] { showResult(result); }, Qt::QueuedConnection);
    });
}

void HealthPanel::showResult(const std::shared_ptr<Result>& result) {
    running_ = 0;
    folders_ = result->folders;
    if (result->generation == generation_) {
        shownGeneration_ = result->generation;
        shownFacts_ = result->factsSeen;
        findings_ = result->findings;

        int errors = 0;
        int warnings = 0;
        int notes = 0;
        const int keep = list_->currentRow();
        list_->clear();
        std::map<std::pair<int, int>, ZoneTableModel::RowMark> marks;
        for (const HealthFinding& finding : findings_) {
            (finding.severity == Severity::Error     ? errors
             : finding.severity == Severity::Warning ? warnings
                                                     : notes)++;
            const QString place = finding.pad < 0 ? QStringLiteral("Kit")
                                                  : QStringLiteral("Pad %1").arg(finding.pad + 1);
            auto* item =
                new QListWidgetItem(severityIcon(finding.severity),
                                    place + QStringLiteral(": ") + fromStd(finding.message), list_);
            item->setToolTip(fromStd(finding.message));
            if (finding.severity == Severity::Note || finding.pad < 0) {
                continue;
            }
            for (const int row : finding.rows) {
                auto& mark = marks[{finding.pad, row}];
                // An error outranks a warning on the same row; every message is listed.
                if (mark.icon.isNull() || finding.severity == Severity::Error) {
                    mark.icon = severityIcon(finding.severity);
                }
                mark.toolTip += (mark.toolTip.isEmpty() ? QString() : QStringLiteral("\n")) +
                                fromStd(finding.message);
            }
        }
        zoneRows_.setRowMarks(std::move(marks));
        if (keep >= 0 && keep < list_->count()) {
            list_->setCurrentRow(keep);
        }
        summary_->setText(findings_.empty()
                              ? QStringLiteral("No problems found")
                              : countText(errors, "error", "errors") + QStringLiteral(", ") +
                                    countText(warnings, "warning", "warnings") +
                                    QStringLiteral(", ") + countText(notes, "note", "notes"));
        // The corner of the menu bar says what matters most, in the bar's own text colour when
        // nothing does.
        if (errors > 0) {
            setStatus(countText(errors, "error", "errors"), QColor(0xc0, 0x10, 0x10));
        } else if (warnings > 0) {
            setStatus(countText(warnings, "warning", "warnings"), QColor(0x9a, 0x5b, 0x00));
        } else {
            setStatus(QStringLiteral("Kit Health"), QColor());
        }
        // A menu bar lays out its corner widget only when it is given one.
        if (auto* bar = qobject_cast<QMenuBar*>(status_->parentWidget())) {
            bar->setCornerWidget(status_);
        }
        currentChanged();
        emit checked();
    }
    if (rerun_ || result->generation != generation_) {
        startCheck();
    }
}

void HealthPanel::setStatus(const QString& text, const QColor& colour) {
    const QColor shown = colour.isValid() ? colour : status_->palette().color(QPalette::WindowText);
    status_->setText(
        QStringLiteral("<a href=\"health\" style=\"color:%1; text-decoration:none\">%2</a>")
            .arg(shown.name(), text.toHtmlEscaped()));
}

void HealthPanel::currentChanged() {
    const int index = list_->currentRow();
    const bool current = shownGeneration_ == generation_;
    auto* menu = fix_->menu();
    if (menu == nullptr) {
        menu = new QMenu(fix_);
        fix_->setMenu(menu);
    }
    menu->clear();
    if (index < 0 || index >= static_cast<int>(findings_.size()) || !current) {
        fix_->setEnabled(false);
        fix_->setToolTip({});
        return;
    }
    const std::vector<HealthFix>& fixes = findings_[static_cast<std::size_t>(index)].fixes;
    fix_->setEnabled(!fixes.empty());
    fix_->setToolTip(fixes.empty() ? QString() : fromStd(fixes.front().name));
    for (std::size_t f = 0; f < fixes.size(); ++f) {
        menu->addAction(fromStd(fixes[f].name), this,
                        [this, index, f] { applyFix(index, static_cast<int>(f)); });
    }
}

bool HealthPanel::applyFix(int index, int fix) {
    if (shownGeneration_ != generation_ || index < 0 ||
        index >= static_cast<int>(findings_.size())) {
        return false;
    }
    const HealthFinding& finding = findings_[static_cast<std::size_t>(index)];
    if (fix < 0 || fix >= static_cast<int>(finding.fixes.size())) {
        return false;
    }
    KitEdit edit = finding.fixes[static_cast<std::size_t>(fix)].editFor(kit_);
    const int pad = finding.pad;
    if (hooks_.select && pad >= 0) {
        hooks_.select(pad, {});
    }
    edits_.apply(std::move(edit)); // the window shows the pads and checks the kit again
    return true;
}

void HealthPanel::showFinding(int index) {
    if (index < 0 || index >= static_cast<int>(findings_.size()) || !hooks_.select) {
        return;
    }
    const HealthFinding& finding = findings_[static_cast<std::size_t>(index)];
    if (finding.pad >= 0 && shownGeneration_ == generation_) {
        hooks_.select(finding.pad, finding.rows);
    }
}

} // namespace padsmith
