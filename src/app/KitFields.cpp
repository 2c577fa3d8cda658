// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KitFields.h"

#include "app/CodePageInput.h"
#include "app/Controls.h"
#include "app/DialogUnits.h"
#include "app/Text.h"
#include "kit/KitDocument.h"
#include "platform/Files.h"

#include <QLineEdit>

namespace padsmith {

KitFields::KitFields(QWidget* client, const DialogUnits& units, std::function<CodePage()> codePage)
    : QObject(client) {
    auto label = [&](const QString& text, QRect place) {
        auto* item = new QLabel(text, client);
        item->setGeometry(place);
    };
    auto field = [&](int id, QRect place, Qt::Alignment alignment) {
        auto* item = new ClickLabel(QStringLiteral("???"), client);
        item->setObjectName(QString::number(id));
        item->setGeometry(place);
        item->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        item->setAlignment(alignment | Qt::AlignVCenter);
        return item;
    };

    label(QStringLiteral("Kit Name"), units.rect(4, 3, 51, 8));
    kitName_ = field(1040, units.rect(4, 12, 96, 12), Qt::AlignLeft);
    label(QStringLiteral("Kit Size"), units.rect(104, 3, 37, 8));
    kitSize_ = field(1041, units.rect(104, 12, 37, 12), Qt::AlignHCenter);
    label(QStringLiteral("VST Zarvo Sample Directory"), units.rect(146, 3, 102, 8));
    sampleFolder_ = field(1039, units.rect(145, 12, 129, 12), Qt::AlignLeft);
    label(QStringLiteral("Copyright"), units.rect(278, 3, 44, 8));

    copyright_ = new QLineEdit(client);
    copyright_->setObjectName(QStringLiteral("1027"));
    copyright_->setGeometry(units.rect(278, 12, 135, 12));
    copyright_->setMaxLength(static_cast<int>(kTextMax));
    copyright_->setStyleSheet(QStringLiteral(
        "QLineEdit { border: 1px solid #808080; background: black; color: white; }"));
    // A comma ends a field of the kit script: one in the copyright would shift every field
    // after it when the plug-in reads the kit. The plug-in's code page must hold the text.
    copyright_->setValidator(
        new CodePageValidator(std::move(codePage), QStringLiteral(",\r\n"), copyright_));

    connect(kitName_, &ClickLabel::clicked, this, &KitFields::kitNameClicked);
    connect(sampleFolder_, &ClickLabel::clicked, this, &KitFields::sampleFolderClicked);
}

void KitFields::show(KitDocument& kit) {
    kitName_->setText(fromStd(kit.kitName));
    showSize(kit);
    showSampleFolder(kit);
    copyright_->setText(fromStd(kit.copyright));
}

void KitFields::showSize(KitDocument& kit) {
    kitSize_->setText(fromStd(sizeText(kit.computeKitSize())));
}

void KitFields::showSampleFolder(const KitDocument& kit) {
    sampleFolder_->setText(fromStd(kit.sampleFolder));
}

void KitFields::collect(KitDocument& kit) const {
    QString text = copyright_->text();
    text.remove(',');
    kit.copyright = toStd(text);
}

} // namespace padsmith
