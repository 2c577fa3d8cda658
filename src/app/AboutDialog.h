// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

namespace padsmith {

// The program's name, version, copyright and licence, and the libraries it is built on with
// links to their licences; a button writes the makers a mail, and a link leads to the page
// where problems are reported when the build names one.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `bugUrl`: the page for problem reports; empty leaves the link out.
    explicit AboutDialog(QWidget* parent, const QString& bugUrl = defaultBugUrl());

    static QString defaultBugUrl();

    // A new message in the user's mail program, to the makers, with the program's name and
    // version as its subject.
    static QUrl feedbackMail();

    QPushButton* feedbackButton() const { return feedback_; }
    QLabel* text() const { return text_; }
    // One line on the MIDI input: its system and ports, or that the editor runs without.
    void setMidiStatus(const QString& status);
    QLabel* midiStatus() const { return midiStatus_; }

private:
    QPushButton* feedback_ = nullptr;
    QLabel* text_ = nullptr;
    QLabel* midiStatus_ = nullptr;
};

} // namespace padsmith
