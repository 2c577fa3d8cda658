// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <utility>

namespace padsmith::test {

// Answers the window's questions from queues, the way a user would, and records them.
// An empty queue answers "cancel".
class FakeDialogs : public Dialogs {
public:
    QString openFile(QWidget*, const QString&, const QString& folder, const QString&,
                     const FileFilter&) override {
        openFolders.append(folder);
        return take(openAnswers);
    }
    QString saveFile(QWidget*, const QString&, const QString& folder, const QString&,
                     const FileFilter&) override {
        saveFolders.append(folder);
        return take(saveAnswers);
    }
    // Moves the cursor over `sampleCursor` (each file previewed, its panel text recorded),
    // then answers with the next list of `sampleAnswers`.
    QStringList openSamples(QWidget*, const QString& title, const QString& start,
                            const FileFilter& filter, const SamplePreview& preview) override {
        sampleTitles.append(title);
        sampleStarts.append(start);
        sampleFilters.append(filter.description);
        for (const QString& path : std::exchange(sampleCursor, {})) {
            panelTexts.append(preview ? preview(path) : QString());
        }
        return sampleAnswers.isEmpty() ? QStringList() : sampleAnswers.takeFirst();
    }
    QString browseForFolder(QWidget*, const QString&, const QString& prompt) override {
        browsePrompts.append(prompt);
        return take(browseAnswers);
    }
    int message(QWidget*, const QString& caption, const QString& text, MessageButtons,
                MessageIcon) override {
        captions.append(caption);
        messages.append(text);
        if (onMessage) {
            onMessage();
        }
        return messageAnswers.isEmpty() ? AnswerCancel : messageAnswers.takeFirst();
    }
    bool openFolder(const QString& folder) override {
        openedFolders.append(folder);
        return false; // as offscreen: the desktop cannot show it
    }
    bool openUrl(const QUrl& url) override {
        openedUrls.append(url);
        return true;
    }
    Qt::KeyboardModifiers keyboardModifiers() override { return modifiers; }
    // Records the plan shown, lets `onFolderKit` change it, and answers with the next answer.
    bool confirmFolderKit(QWidget*, FolderKitPlan& plan, const QStringList& notPlayable) override {
        folderKitPlans.append(plan);
        folderKitNotPlayable.append(notPlayable);
        if (onFolderKit) {
            onFolderKit(plan);
        }
        return folderKitAnswers.isEmpty() ? false : folderKitAnswers.takeFirst();
    }

    QStringList openAnswers, saveAnswers, browseAnswers;
    QList<int> messageAnswers;
    QList<QStringList> sampleAnswers;
    QStringList sampleCursor, sampleTitles, sampleStarts, sampleFilters, panelTexts;
    QList<QUrl> openedUrls;
    QStringList openFolders, saveFolders, browsePrompts, captions, messages, openedFolders;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    std::function<void()> onMessage;
    QList<bool> folderKitAnswers;
    QList<FolderKitPlan> folderKitPlans;
    QList<QStringList> folderKitNotPlayable;
    std::function<void(FolderKitPlan&)> onFolderKit;

private:
    static QString take(QStringList& answers) {
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

} // namespace padsmith::test
