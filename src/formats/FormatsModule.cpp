// SPDX-License-Identifier: GPL-3.0-or-later
// The module of other samplers' kits: the one function the editor looks up after loading it.
#include "formats/KitFormats.h"

#if defined(_WIN32)
#define PADSMITH_MODULE_EXPORT __declspec(dllexport)
#else
#define PADSMITH_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PADSMITH_MODULE_EXPORT padsmith::formats::KitFormats*
padsmithCreateFormats(int interfaceVersion) {
    if (interfaceVersion != padsmith::formats::kFormatsInterfaceVersion) {
        return nullptr;
    }
    return padsmith::formats::linkedFormats().release();
}
