// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FontConfigPreload.h"

#ifdef PADSMITH_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace padsmith {

namespace {

#ifdef PADSMITH_HAVE_FONTCONFIG
// The configuration FcInit would make, without FcInit's last step: FcInit also parses every
// file of fontconfig's folder of available, not enabled, configurations, only to list their
// descriptions (fc-conflist does), which doubles its time. Whatever is unusual (no
// configuration, no cache folder named in it, fonts that cannot be listed) is left to FcInit,
// with its fall-backs and warnings.
bool loadConfiguration() {
    FcConfig* config = FcConfigCreate();
    if (config == nullptr) {
        return false;
    }
    bool usable = FcConfigParseAndLoad(config, nullptr, FcTrue) != FcFalse;
    if (usable) {
        FcStrList* cacheFolders = FcConfigGetCacheDirs(config);
        usable = cacheFolders != nullptr && FcStrListNext(cacheFolders) != nullptr;
        FcStrListDone(cacheFolders);
    }
    // The current configuration keeps the reference this one was made with, for good, as the
    // one FcInit makes does.
    if (!usable || !FcConfigBuildFonts(config) || !FcConfigSetCurrent(config)) {
        FcConfigDestroy(config);
        return false;
    }
    return true;
}
#endif

} // namespace

FontConfigPreload::FontConfigPreload() {
#ifdef PADSMITH_HAVE_FONTCONFIG
    thread_ = std::thread([] {
        if (!loadConfiguration()) {
            FcInit();
        }
    });
#endif
}

FontConfigPreload::~FontConfigPreload() {
    finish();
}

void FontConfigPreload::finish() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace padsmith
