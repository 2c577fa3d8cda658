// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ImagePluginPreload.h"

#include <QBuffer>
#include <QImageReader>

namespace padsmith {

std::jthread preloadImagePlugins() {
    return std::jthread([] {
        // Asked about a picture it knows nothing of, the reader tries every plug-in on it.
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader reader(&nothing);
        (void)reader.canRead();
    });
}

} // namespace padsmith
