// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDialog.h"

#include "app/Services.h"
#include "platform/ProgramInfo.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace padsmith {

namespace {

QString version() {
    return QString::fromLatin1(program::kVersion);
}

QString feedbackAddress() {
    return QString::fromUtf8(program::kFeedbackAddress);
}

} // namespace

QString AboutDialog::defaultBugUrl() {
    return QString::fromUtf8(program::kBugUrl);
}

QUrl AboutDialog::feedbackMail() {
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(feedbackAddress());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"),
                       QStringLiteral("%1 %2").arg(kProgramName, version()));
    mail.setQuery(query);
    return mail;
}

AboutDialog::AboutDialog(QWidget* parent, const QString& bugUrl) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(kProgramName));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/padsmith/picture.png")));
    picture->setAlignment(Qt::AlignCenter);

    text_ = new QLabel(this);
    text_->setTextFormat(Qt::RichText);
    text_->setWordWrap(true);
    const QString problems = bugUrl.isEmpty()
                                 ? QString()
                                 : QStringLiteral("<p><a href=\"%1\">Report a problem</a></p>")
                                       .arg(bugUrl.toHtmlEscaped());
    text_->setText(
        QStringLiteral(
            "<h3>%1 %2</h3>"
            "<p>An editor for the drum kits of the Zarvo sampler.</p>"
            "<p>%4. %1 is free software under the "
            "<a href=\"%5\">GNU General Public License, version 3 or later</a>; it comes "
            "with NO WARRANTY, to the extent permitted by law.</p>"
            "%6"
            "<p>Built with:</p>"
            "<ul>"
            "<li>Qt %3 (Core, Gui, Widgets), "
            "<a href=\"https://www.gnu.org/licenses/lgpl-3.0.html\">GNU LGPL version 3</a></li>"
            "<li>The PulseAudio client library and JACK, "
            "<a href=\"https://www.gnu.org/licenses/old-licenses/lgpl-2.1.html\">GNU LGPL "
            "version 2.1 or later</a></li>"
            "<li>RtMidi, <a href=\"https://github.com/thestk/rtmidi/blob/master/LICENSE\">"
            "the RtMidi licence</a> (MIT-style)</li>"
            "<li>DejaVu fonts, <a href=\"https://dejavu-fonts.github.io/License.html\">"
            "the Bitstream Vera licence</a> (free)</li>"
            "</ul>")
            .arg(kProgramName, version(), QString::fromLatin1(qVersion()),
                 QString::fromUtf8(program::kCopyright), QString::fromLatin1(program::kLicenceUrl),
                 problems));
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
                          .arg(feedbackAddress()));
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
