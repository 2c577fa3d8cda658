// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"

#include <QObject>
#include <functional>

class QLabel;
class QLineEdit;
class QWidget;

namespace padsmith {

class ClickLabel;
class DialogUnits;
class KitDocument;

// The kit's fields along the top of the window: its name and size, the sample folder, and the
// copyright, the one field typed into directly. A click on the name or the folder is reported.
// The copyright takes only what `codePage`, the code page of the kit files, can hold.
class KitFields : public QObject {
    Q_OBJECT
public:
    KitFields(QWidget* client, const DialogUnits& units, std::function<CodePage()> codePage);

    ClickLabel* kitName() const { return kitName_; }
    QLabel* kitSize() const { return kitSize_; }
    ClickLabel* sampleFolder() const { return sampleFolder_; }
    QLineEdit* copyright() const { return copyright_; }

    // Every field from the kit; the size is computed again.
    void show(KitDocument& kit);
    void showSize(KitDocument& kit);
    void showSampleFolder(const KitDocument& kit);
    // The copyright as typed, into the kit.
    void collect(KitDocument& kit) const;

signals:
    void kitNameClicked();
    void sampleFolderClicked();

private:
    ClickLabel* kitName_ = nullptr;
    QLabel* kitSize_ = nullptr;
    ClickLabel* sampleFolder_ = nullptr;
    QLineEdit* copyright_ = nullptr;
};

} // namespace padsmith
