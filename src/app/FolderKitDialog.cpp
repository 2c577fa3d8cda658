// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FolderKitDialog.h"

#include "app/Text.h"
#include "kit/NoteNames.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <tuple>
#include <utility>

namespace padsmith {

namespace {

constexpr int kPadRole = Qt::UserRole;

// A key typed as a number ("38") or a note name ("D1"); -1 for anything else.
int typedKey(const QString& text) {
    const QString word = text.trimmed().section(' ', 0, 0);
    bool number = false;
    const int key = word.toInt(&number);
    if (number) {
        return key >= 0 && key <= 127 ? key : -1;
    }
    return noteIndex(toStd(word));
}

QString keyText(int key) {
    return QString::number(key) + QLatin1Char(' ') + fromStd(noteName(key));
}

} // namespace

FolderKitDialog::FolderKitDialog(FolderKitPlan plan, const QStringList& notPlayable,
                                 QWidget* parent)
    : QDialog(parent), plan_(std::move(plan)) {
    setWindowTitle(QStringLiteral("New Kit from Folder"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("The samples make these pads. Type another pad number, name or key on "
                       "a pad's first row to change it; nothing changes until you press OK."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    table_ = new QTableWidget(this);
    table_->setColumnCount(5);
    table_->setHorizontalHeaderLabels({QStringLiteral("Pad"), QStringLiteral("Name"),
                                       QStringLiteral("Key"), QStringLiteral("Velocity"),
                                       QStringLiteral("File")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The table keeps room for a good part of the pads, however many files are left out.
    table_->setMinimumHeight(table_->verticalHeader()->defaultSectionSize() * 10);
    layout->addWidget(table_, 1);

    // Files left out go in short lists that scroll: a big library leaves out thousands.
    auto fileList = [this, layout](const QString& title, const QString& name) {
        auto* heading = new QLabel(title, this);
        auto* list = new QListWidget(this);
        list->setObjectName(name);
        list->setAccessibleName(title);
        list->setMaximumHeight(list->fontMetrics().height() * 5 + 8);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        layout->addWidget(heading);
        layout->addWidget(list);
        return std::pair{heading, list};
    };
    std::tie(leftOutTitle_, leftOut_) =
        fileList(QStringLiteral("Left out, no pad free:"), QStringLiteral("leftOut"));
    if (!notPlayable.isEmpty()) {
        fileList(QStringLiteral("Not samples the plug-in can play, left out:"),
                 QStringLiteral("notPlayable"))
            .second->addItems(notPlayable);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(table_, &QTableWidget::itemChanged, this, &FolderKitDialog::cellEdited);
    fill();
    resize(720, 480);
}

void FolderKitDialog::fill() {
    filling_ = true;
    table_->clearContents();
    int rows = 0;
    for (const FolderGroup& group : plan_.pads) {
        rows += static_cast<int>(group.samples.size());
    }
    table_->setRowCount(rows);
    int row = 0;
    for (std::size_t p = 0; p < plan_.pads.size(); ++p) {
        const FolderGroup& group = plan_.pads[p];
        for (std::size_t i = 0; i < group.samples.size(); ++i, ++row) {
            const bool first = i == 0;
            auto cell = [&](int column, const QString& text, bool editable) {
                auto* item = new QTableWidgetItem(text);
                item->setData(kPadRole, static_cast<int>(p));
                Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
                if (editable) {
                    flags |= Qt::ItemIsEditable;
                }
                item->setFlags(flags);
                table_->setItem(row, column, item);
            };
            cell(PadColumn, first ? QString::number(p + 1) : QString(), first);
            cell(NameColumn, first ? fromStd(group.name) : QString(), first);
            cell(KeyColumn, first ? keyText(group.key) : QString(), first);
            cell(VelocityColumn,
                 QStringLiteral("%1-%2").arg(group.windows[i].first).arg(group.windows[i].second),
                 false);
            cell(FileColumn, fromStd(group.samples[i].relativePath), false);
        }
    }
    table_->resizeColumnsToContents();
    QStringList leftOut;
    for (const FolderGroup& group : plan_.leftOut) {
        for (const FolderSample& sample : group.samples) {
            leftOut.append(fromStd(sample.relativePath));
        }
    }
    leftOut_->clear();
    leftOut_->addItems(leftOut);
    leftOut_->setVisible(!leftOut.isEmpty());
    leftOutTitle_->setVisible(!leftOut.isEmpty());
    filling_ = false;
}

void FolderKitDialog::cellEdited(QTableWidgetItem* item) {
    if (filling_) {
        return;
    }
    const auto pad = static_cast<std::size_t>(item->data(kPadRole).toInt());
    const QString text = item->text().trimmed();
    switch (item->column()) {
    case PadColumn: {
        bool number = false;
        const int target = text.toInt(&number);
        if (number && target >= 1 && target <= kPadCount) {
            movePlanGroup(plan_, pad, static_cast<std::size_t>(target - 1));
        }
        break;
    }
    case NameColumn:
        if (!text.isEmpty() && pad < plan_.pads.size()) {
            std::string name = toStd(text);
            std::replace(name.begin(), name.end(), ',', ' ');
            plan_.pads[pad].name = cutText(name, kPadNameMax);
        }
        break;
    case KeyColumn:
        if (const int key = typedKey(text); key >= 0) {
            setPlanKey(plan_, pad, key);
        }
        break;
    default:
        break;
    }
    // Called from the item's own change: the table is filled again once that is over.
    QMetaObject::invokeMethod(
        this, [this] { fill(); }, Qt::QueuedConnection);
}

} // namespace padsmith
