#include "app/AboutDialog.h"

#include "app/Services.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#ifndef PADSMITH_VERSION
#define PADSMITH_VERSION "0.0.0"
#endif

namespace padsmith {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(kProgramName));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/padsmith/picture.png")));
    picture->setAlignment(Qt::AlignCenter);

    auto* text = new QLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setOpenExternalLinks(true);
    text->setWordWrap(true);
    text->setText(
        QStringLiteral("<h3>%1 %2</h3>"
                       "<p>An editor for the drum kits of the Zarvo sampler.</p>"
                       "<p>Built with:</p>"
                       "<ul>"
                       "<li>Qt %3 (Core, Gui, Widgets, Multimedia), GNU LGPL version 3</li>"
                       "<li>RtMidi, the RtMidi licence (MIT-style)</li>"
                       "<li>DejaVu fonts, the Bitstream Vera licence (free)</li>"
                       "</ul>")
            .arg(kProgramName, QStringLiteral(PADSMITH_VERSION), QString::fromLatin1(qVersion())));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace padsmith
