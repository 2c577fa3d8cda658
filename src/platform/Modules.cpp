// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace padsmith {

QStringList moduleFolders() {
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.absolutePath(),
            QDir::cleanPath(program.filePath(QStringLiteral(PADSMITH_MODULES_FROM_PROGRAM)))};
}

QFunctionPointer loadModuleEntry(const QStringList& folders, const QString& name, const char* entry,
                                 QString& error) {
    QStringList tried;
    for (const QString& folder : folders) {
        QLibrary module(QDir(folder).filePath(name));
        if (!module.load()) {
            tried.append(module.errorString());
            continue;
        }
        if (const QFunctionPointer function = module.resolve(entry)) {
            return function;
        }
        error = QStringLiteral("%1 is no module of Padsmith.")
                    .arg(QDir::toNativeSeparators(module.fileName()));
        return nullptr;
    }
    error = tried.isEmpty() ? QStringLiteral("No folder to look for %1 in.").arg(name)
                            : tried.join(QLatin1Char('\n'));
    return nullptr;
}

} // namespace padsmith
