// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Services.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#if !defined(_WIN32)
#include <pwd.h>
#include <unistd.h>
#include <vector>
#endif

namespace padsmith {

namespace {

QtDialogs& desktopDialogs() {
    static QtDialogs instance;
    return instance;
}

Dialogs* installedDialogs = nullptr;
QPointer<QWidget> theMainWindow;
bool messageBoxOpen = false;
bool titleUpdateRunning = false;
int busyDepth = 0;

// Clears a re-entry flag on every way out.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

constexpr qsizetype kMessageMax = 1023;
constexpr qsizetype kTitleMax = 255;

} // namespace

Dialogs& dialogs() {
    return installedDialogs != nullptr ? *installedDialogs : desktopDialogs();
}

void setDialogs(Dialogs* replacement) {
    installedDialogs = replacement;
}

void setMainWindow(QWidget* window) {
    theMainWindow = window;
}

QWidget* mainWindow() {
    return theMainWindow.data();
}

int messageBox(MessageButtons buttons, MessageIcon icon, const QString& text) {
    if (messageBoxOpen) {
        return AnswerNone;
    }
    FlagScope guard(messageBoxOpen);
    const QPointer<QWidget> focus = QApplication::focusWidget();
    int answer = 0;
    if (text.isEmpty()) {
        dialogs().message(mainWindow(), kProgramName, QStringLiteral("??? ERROR ???"), buttons,
                          icon);
        answer = -1;
    } else {
        answer =
            dialogs().message(mainWindow(), kProgramName, text.left(kMessageMax), buttons, icon);
    }
    if (focus != nullptr) {
        focus->setFocus();
    }
    return answer;
}

void setTitleDetail(QWidget* window, const QString& detail) {
    if (window == nullptr || titleUpdateRunning) {
        return;
    }
    FlagScope guard(titleUpdateRunning);
    QString base = window->windowTitle().left(kTitleMax);
    const qsizetype cut = base.indexOf(QStringLiteral(" - ["));
    if (cut >= 0) {
        base.truncate(cut);
    }
    const QString shown = detail.left(kTitleMax);
    window->setWindowTitle(shown.isEmpty() ? base : base + " - [" + shown + "]");
}

void setBusyCursor(bool busy) {
    if (busy) {
        if (busyDepth++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } else if (busyDepth > 0) {
        if (--busyDepth == 0) {
            QApplication::restoreOverrideCursor();
        }
    }
}

bool busyCursorShown() {
    return busyDepth > 0;
}

bool pumpMessages() {
    if (QCoreApplication::closingDown()) {
        return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !QCoreApplication::closingDown();
}

ProgramStart runProgram(const QString& program, const QString& argument) {
    const QFileInfo info(program);
    const bool found =
        info.isAbsolute() ? info.isFile() : !QStandardPaths::findExecutable(program).isEmpty();
    if (!found) {
        return ProgramStart::NotFound;
    }
    const QStringList arguments = argument.isEmpty() ? QStringList() : QStringList{argument};
    return QProcess::startDetached(program, arguments) ? ProgramStart::Started
                                                       : ProgramStart::Failed;
}

namespace {

// The account's name in the system's user database, for sessions that set no user variable
// (services, containers, some desktop launchers).
QString accountName() {
#if defined(_WIN32)
    return {};
#else
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr) {
        return {};
    }
    return QString::fromLocal8Bit(found->pw_name);
#endif
}

} // namespace

QString loginName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) {
        name = qEnvironmentVariable("USERNAME");
    }
    if (name.isEmpty()) {
        name = qEnvironmentVariable("LOGNAME");
    }
    if (name.isEmpty()) {
        name = accountName();
    }
    name.remove(',');
    return name.left(64);
}

} // namespace padsmith
