#pragma once
// The core's texts as Qt strings. Names read from files may be Windows-1252
// bytes rather than UTF-8: displayText decides, so é shows as é either way.
// Text typed in the desktop goes back as UTF-8.
#include <QString>
#include <string>
#include <string_view>

#include "io/text_encoding.h"

namespace qx {

inline QString qs(std::string_view s) {
  if (isValidUtf8(s)) return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  const std::string text = displayText(s);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace qx
