// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FontConfigPreload.h"

#ifdef PADSMITH_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace padsmith {

FontConfigPreload::FontConfigPreload() {
#ifdef PADSMITH_HAVE_FONTCONFIG
    // Fontconfig loads its configuration once per process and safely for any thread: when Qt
    // asks first, both load it and one copy is dropped.
    thread_ = std::thread([] { FcInit(); });
#endif
}

FontConfigPreload::~FontConfigPreload() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace padsmith
