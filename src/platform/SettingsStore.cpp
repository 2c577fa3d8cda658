// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace padsmith {

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Mervane"), QStringLiteral("Padsmith"))),
      usersOwn_(true) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

bool SettingsStore::valueExists(const QString& name) const {
    return settings_->contains(name);
}

QString SettingsStore::readString(const QString& name, const QString& fallback) const {
    const QVariant value = settings_->value(name);
    if (!value.isValid()) {
        return fallback;
    }
    // An INI value with an unquoted comma comes back as a list (a hand-edited file).
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

int SettingsStore::readNumber(const QString& name, int fallback) const {
    const QVariant value = settings_->value(name);
    if (!value.isValid()) {
        return fallback;
    }
    // A fresh process reads INI numbers back as text; the registry gives a number.
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok) {
        return number;
    }
    const uint unsignedNumber = value.toUInt(&ok); // a REG_DWORD above 0x7FFFFFFF
    return ok ? static_cast<int>(unsignedNumber) : fallback;
}

// Settings are written the moment they change, so nothing is lost if the program dies.
void SettingsStore::writeString(const QString& name, const QString& text) {
    settings_->setValue(name, text);
    settings_->sync();
}

void SettingsStore::writeNumber(const QString& name, int value) {
    settings_->setValue(name, value);
    settings_->sync();
}

void SettingsStore::deleteValue(const QString& name) {
    settings_->remove(name);
    settings_->sync();
}

void SettingsStore::sync() {
    settings_->sync();
}

QString SettingsStore::location() const {
    return settings_->fileName();
}

bool SettingsStore::exists() const {
#if defined(Q_OS_WIN)
    if (settings_->format() == QSettings::NativeFormat) {
        return !settings_->allKeys().isEmpty();
    }
#endif
    return QFileInfo::exists(settings_->fileName());
}

bool SettingsStore::removeAll() {
#if defined(Q_OS_WIN)
    if (settings_->format() == QSettings::NativeFormat) {
        settings_->clear();
        settings_->sync();
        return settings_->status() == QSettings::NoError;
    }
#endif
    // Nothing was changed through this store, so it never writes the file back.
    const QFileInfo file(settings_->fileName());
    if (file.exists() && !QFile::remove(file.absoluteFilePath())) {
        return false;
    }
    if (usersOwn_) {
        QDir().rmdir(file.absolutePath()); // "Mervane", only when it is empty now
    }
    return true;
}

namespace {
const QString kCodePageValue = QStringLiteral("CodePage");
} // namespace

QString readCodePageName(const SettingsStore& settings) {
    const QString name = settings.readString(kCodePageValue).trimmed();
    return name.isEmpty() ? QStringLiteral("Windows-1252") : name;
}

bool codePageNamed(const SettingsStore& settings) {
    return !settings.readString(kCodePageValue).trimmed().isEmpty();
}

void writeCodePageName(SettingsStore& settings, const QString& name) {
    settings.writeString(kCodePageValue, name);
}

QString vstPluginsPath() {
#if defined(Q_OS_WIN)
    const QSettings vst(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\VST"),
                        QSettings::NativeFormat);
    return vst.value(QStringLiteral("VSTPluginsPath")).toString();
#else
    const QStringList folders =
        qEnvironmentVariable("VST_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (!folders.isEmpty()) {
        return folders.first();
    }
    return QDir::homePath() + QStringLiteral("/.vst");
#endif
}

QString personalFolder() {
    // The system's own documents folder: the shell folder on Windows, XDG_DOCUMENTS_DIR of the
    // user's folder names on Linux (a translated "Dokumente" or "Documents" elsewhere).
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) {
        return documents;
    }
    return QString::fromStdU16String(documentsFolder().u16string());
}

} // namespace padsmith
