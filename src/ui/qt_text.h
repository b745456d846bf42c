#pragma once
// The core's texts (UTF-8) as Qt strings.
#include <QString>
#include <string_view>

namespace qx {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace qx
