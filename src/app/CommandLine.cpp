// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/RecentFileList.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <istream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

namespace padsmith {

namespace {

EditorArguments invalid(const QString& error) {
    EditorArguments result;
    result.action = EditorArguments::Action::Invalid;
    result.error = error;
    return result;
}

std::string local(const QString& text) {
    return QDir::toNativeSeparators(text).toLocal8Bit().toStdString();
}

bool answeredYes(std::istream& in) {
    std::string answer;
    if (!std::getline(in, answer)) {
        return false;
    }
    const QString word = QString::fromLocal8Bit(answer).trimmed().toLower();
    return word == QStringLiteral("y") || word == QStringLiteral("yes");
}

// The folders the user's kits are in, as far as the settings know them.
void tellWhereKitsAre(const SettingsStore* settings, std::ostream& out) {
    out << "Your kits and samples stay where they are; Padsmith never removes them.\n";
    const QString pluginFolder =
        settings == nullptr ? QString() : settings->readString(QStringLiteral("ZVDIR"));
    if (pluginFolder.isEmpty()) {
        out << "The Zarvo plug-in folder (the one that holds Zarvo.dll) holds the kit scripts "
               "you saved and their sample folders.\n";
    } else {
        out << "The Zarvo plug-in folder holds the kit scripts you saved and their sample "
               "folders:\n  "
            << local(pluginFolder) << "\n";
    }
    if (settings != nullptr) {
        RecentFileList recent;
        recent.load(*settings);
        QStringList folders;
        for (int k = 0; k < recent.count(); ++k) {
            const QString folder = QFileInfo(recent.at(k)).absolutePath();
            if (!folders.contains(folder)) {
                folders.append(folder);
            }
        }
        if (!folders.isEmpty()) {
            out << "The kits you opened last are in:\n";
            for (const QString& folder : folders) {
                out << "  " << local(folder) << "\n";
            }
        }
    }
    out << "The program itself is removed with its package (for example: sudo apt remove "
           "padsmith).\n";
}

} // namespace

EditorArguments parseEditorArguments(const QStringList& arguments) {
    EditorArguments result;
    bool help = false;
    bool version = false;
    bool uninstall = false;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (optionsEnd || !arg.startsWith('-') || arg == QStringLiteral("-")) {
            if (result.kitFile.isEmpty()) {
                result.kitFile = arg; // like a drop: the first file counts
            }
        } else if (arg == QStringLiteral("--")) {
            optionsEnd = true;
        } else if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            help = true;
        } else if (arg == QStringLiteral("--version")) {
            version = true;
        } else if (arg == QStringLiteral("--uninstall")) {
            uninstall = true;
        } else if (arg == QStringLiteral("--yes")) {
            result.yes = true;
        } else if (arg == QStringLiteral("--settings")) {
            if (i + 1 >= arguments.size()) {
                return invalid(QStringLiteral("--settings needs a file"));
            }
            result.settingsFile = arguments.at(++i);
        } else if (arg.startsWith(QStringLiteral("--"))) {
            return invalid(QStringLiteral("unknown option %1").arg(arg));
        }
        // One dash: an option of Qt's own (-style, -platform ...).
    }
    if (help) {
        result.action = EditorArguments::Action::Help;
    } else if (version) {
        result.action = EditorArguments::Action::Version;
    } else if (uninstall) {
        result.action = EditorArguments::Action::Uninstall;
    } else if (result.yes) {
        return invalid(QStringLiteral("--yes goes with --uninstall"));
    }
    return result;
}

QString editorHelpText() {
    return QStringLiteral(
        "usage: padsmith [--settings FILE] [KIT]\n"
        "       padsmith --uninstall [--yes] [--settings FILE]\n"
        "       padsmith --help | --version\n"
        "\n"
        "Padsmith edits the drum kits of the Zarvo sampler. Without KIT the editor reopens\n"
        "the kit that was open when it was last closed (not while SHIFT is held down).\n"
        "KIT, a kit script (*.txt), is opened as if it were dropped on the window: a\n"
        "modified kit is offered for saving first. When the editor is already running, it\n"
        "takes KIT over and comes to the front.\n"
        "\n"
        "options:\n"
        "  --settings FILE  keep the settings in this INI file instead of your own\n"
        "  --uninstall      remove the settings Padsmith keeps for you (after a question)\n"
        "                   and tell where your kits and samples are; they are never touched\n"
        "  --yes            with --uninstall: remove without asking\n"
        "  -h, --help       print this help and exit\n"
        "  --version        print the version and exit\n"
        "\n"
        "exit codes:\n"
        "  0  the editor ran and was closed, or the work asked for was done\n"
        "  1  --uninstall removed nothing: the answer was no, the editor is running, or the\n"
        "     settings could not be removed\n"
        "  2  wrong usage\n");
}

int uninstallUserData(const EditorArguments& arguments, std::istream& in, std::ostream& out,
                      std::ostream& err) {
    const auto settings = arguments.settingsFile.isEmpty()
                              ? std::make_unique<SettingsStore>()
                              : std::make_unique<SettingsStore>(arguments.settingsFile);
    const std::string location = local(settings->location());
    if (!settings->exists()) {
        out << "Padsmith keeps no settings for you (" << location << "): nothing to remove.\n";
        tellWhereKitsAre(nullptr, out);
        return 0;
    }

    SingleInstanceGuard guard(editorInstanceKey(*settings));
    if (guard.otherInstanceRunning()) {
        err << "padsmith: Padsmith is running with these settings and would write them again "
               "when it closes: close it first. Nothing was removed.\n";
        return 1;
    }

    out << "Padsmith keeps its settings for you in\n  " << location << "\n";
    if (!arguments.yes) {
        out << "Remove them? Nothing else is removed. [y/N] " << std::flush;
        if (!answeredYes(in)) {
            out << "Nothing was removed.\n";
            tellWhereKitsAre(settings.get(), out);
            return 1;
        }
    }
    // Read what the user is told before the settings go.
    std::ostringstream where;
    tellWhereKitsAre(settings.get(), where);
    if (!settings->removeAll()) {
        err << "padsmith: could not remove " << location << "\n";
        out << where.str();
        return 1;
    }
    out << "Removed " << location << ".\n" << where.str();
    return 0;
}

} // namespace padsmith
