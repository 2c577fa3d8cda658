// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormatsModule.h"

#include "formats/KitFormats.h"
#include "platform/Modules.h"

namespace padsmith {

FormatsModule::FormatsModule() = default;
FormatsModule::~FormatsModule() = default;

formats::KitFormats* FormatsModule::formats(QString& error) {
    if (formats_ == nullptr) {
        const auto entry = reinterpret_cast<formats::FormatsModuleEntry>(
            loadModuleEntry(moduleFolders(), QString::fromLatin1(formats::kFormatsModuleName),
                            formats::kFormatsModuleEntry, error));
        formats_.reset(entry != nullptr ? entry(formats::kFormatsInterfaceVersion) : nullptr);
        if (entry != nullptr && formats_ == nullptr) {
            error = QStringLiteral("The module %1 belongs to another version of Padsmith.")
                        .arg(QString::fromLatin1(formats::kFormatsModuleName));
        }
    }
    return formats_.get();
}

void FormatsModule::set(std::unique_ptr<formats::KitFormats> formats) {
    formats_ = std::move(formats);
}

} // namespace padsmith
