// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FolderKit.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QTableWidget;
class QTableWidgetItem;

namespace padsmith {

// The kit a folder of samples would make, shown before anything changes: one row per sample
// with its pad, the pad's name and key, and the sample's velocity window. On a pad's first
// row the pad number (the pad moves there, swapping with the pad it meets), the name and the
// key (a number or a note name; a pad that had the key takes the old one) can be typed.
class FolderKitDialog : public QDialog {
    Q_OBJECT
public:
    FolderKitDialog(FolderKitPlan plan, const QStringList& notPlayable, QWidget* parent);

    const FolderKitPlan& plan() const { return plan_; }
    QTableWidget* table() const { return table_; }

    enum Column { PadColumn, NameColumn, KeyColumn, VelocityColumn, FileColumn };

private:
    void fill();
    void cellEdited(QTableWidgetItem* item);

    FolderKitPlan plan_;
    QTableWidget* table_ = nullptr;
    QLabel* leftOutTitle_ = nullptr;
    QListWidget* leftOut_ = nullptr;
    bool filling_ = false;
};

} // namespace padsmith
