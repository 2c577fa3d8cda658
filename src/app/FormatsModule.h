// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

namespace padsmith {

namespace formats {
class KitFormats;
}

// Other samplers' kits in and out, from their module, loaded on first use.
class FormatsModule {
public:
    FormatsModule();
    ~FormatsModule();
    FormatsModule(const FormatsModule&) = delete;
    FormatsModule& operator=(const FormatsModule&) = delete;

    // Null when the module cannot be loaded, and `error` says why.
    formats::KitFormats* formats(QString& error);
    // Formats linked in (tests) in place of the module.
    void set(std::unique_ptr<formats::KitFormats> formats);

private:
    std::unique_ptr<formats::KitFormats> formats_;
};

} // namespace padsmith
