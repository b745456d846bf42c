#pragma once
// The encoding of names. Names in project files and data files are bytes: a
// name that is valid UTF-8 is read as UTF-8, any other as the Windows-1252
// code page (how project files written on Windows store é, ñ, °). The desktop
// and the JSON output show the characters; reports and exports keep the bytes.
// Names typed in the desktop or given in a job are stored as UTF-8, so they
// read back the same.
#include <string>
#include <string_view>

namespace qx {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The characters of stored name bytes as UTF-8: the bytes themselves when
// they are valid UTF-8, else each byte decoded as Windows-1252 (the five
// bytes that code page leaves undefined become U+0081, U+008D, U+008F, U+0090
// and U+009D, as Windows decodes them). Never fails.
std::string displayText(std::string_view bytes);

// The same characters as Windows-1252 bytes (the encoding of the standard PDF
// fonts): bytes that are not UTF-8 are taken as they are; a character the code
// page lacks becomes '?'.
std::string windows1252Text(std::string_view bytes);

}  // namespace qx
