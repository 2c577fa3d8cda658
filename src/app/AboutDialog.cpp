#include "app/AboutDialog.h"

#include "app/Services.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrlQuery>
#include <QVBoxLayout>

#ifndef PADSMITH_VERSION
#define PADSMITH_VERSION "0.0.0"
#endif
#ifndef PADSMITH_FEEDBACK_ADDRESS
#define PADSMITH_FEEDBACK_ADDRESS ""
#endif

namespace padsmith {

QUrl AboutDialog::feedbackMail() {
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(QStringLiteral(PADSMITH_FEEDBACK_ADDRESS));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"),
                       QStringLiteral("%1 %2").arg(kProgramName, QStringLiteral(PADSMITH_VERSION)));
    mail.setQuery(query);
    return mail;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(kProgramName));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/padsmith/picture.png")));
    picture->setAlignment(Qt::AlignCenter);

    text_ = new QLabel(this);
    text_->setTextFormat(Qt::RichText);
    text_->setWordWrap(true);
    text_->setText(
        QStringLiteral(
            "<h3>%1 %2</h3>"
            "<p>An editor for the drum kits of the Zarvo sampler.</p>"
            "<p>Built with:</p>"
            "<ul>"
            "<li>Qt %3 (Core, Gui, Widgets, Multimedia), "
            "<a href=\"https://www.gnu.org/licenses/lgpl-3.0.html\">GNU LGPL version 3</a></li>"
            "<li>RtMidi, <a href=\"https://github.com/thestk/rtmidi/blob/master/LICENSE\">"
            "the RtMidi licence</a> (MIT-style)</li>"
            "<li>DejaVu fonts, <a href=\"https://dejavu-fonts.github.io/License.html\">"
            "the Bitstream Vera licence</a> (free)</li>"
            "</ul>")
            .arg(kProgramName, QStringLiteral(PADSMITH_VERSION), QString::fromLatin1(qVersion())));
    // Links go through the desktop services like every other hand-over to the desktop.
    connect(text_, &QLabel::linkActivated, this,
            [](const QString& link) { dialogs().openUrl(QUrl(link)); });

    midiStatus_ = new QLabel(this);
    midiStatus_->setTextFormat(Qt::PlainText);
    midiStatus_->setWordWrap(true);
    midiStatus_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    feedback_ =
        buttons->addButton(QStringLiteral("Send &Feedback..."), QDialogButtonBox::ActionRole);
    feedback_->setToolTip(QStringLiteral("Write the makers of %1 a mail").arg(kProgramName));
    connect(feedback_, &QPushButton::clicked, this, [] {
        if (!dialogs().openUrl(feedbackMail())) {
            messageOk(QStringLiteral("No mail program could be started. Please write to %1.")
                          .arg(QStringLiteral(PADSMITH_FEEDBACK_ADDRESS)));
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(text_);
    layout->addWidget(midiStatus_);
    layout->addWidget(buttons);
}

void AboutDialog::setMidiStatus(const QString& status) {
    midiStatus_->setText(status);
    midiStatus_->setVisible(!status.isEmpty());
}

} // namespace padsmith
