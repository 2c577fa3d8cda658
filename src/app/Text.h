// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace padsmith {

// The kit core speaks UTF-8 std::string and std::filesystem::path; the window speaks QString.
inline std::string toStd(const QString& text) {
    return text.toStdString();
}
inline QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::filesystem::path toFsPath(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                               static_cast<std::size_t>(utf8.size())));
}
inline QString fromFsPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()),
                             static_cast<qsizetype>(utf8.size()));
}

} // namespace padsmith
