// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"

#include <QString>
#include <QValidator>
#include <functional>

class QLineEdit;

namespace padsmith {

// Where a name of the kit is typed (the copyright, a pad's name, a zone's texts): a text that the
// kit files' code page cannot hold is not taken, and the user is told which character. It never
// turns into "?" on the way to the file.

// The message naming the first character of `text` that `page` cannot hold; empty when it fits.
QString codePageRefusalText(const CodePage& page, const QString& text);

// For a box that takes its text at once (an editor that commits on Enter): true when `text`
// fits `page`; otherwise the user is told in a message box and the answer is false.
bool acceptTypedText(const CodePage& page, const QString& text);

// The validator of a line edit: input that the code page cannot hold (typed, pasted or dropped)
// is refused, and once the key press is over the user is told which character. A text the
// program puts into the box is shown as it is. `refused` are further characters refused
// without a word (a comma, which would end a field of the kit script).
class CodePageValidator : public QValidator {
    Q_OBJECT
public:
    using PageSource = std::function<CodePage()>;
    CodePageValidator(PageSource page, QString refused, QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tellPending();

    PageSource page_;
    QString refused_;
    bool userInput_ = false; // while the box handles a key, a paste or a drop
    mutable QString pendingMessage_;
};

} // namespace padsmith
