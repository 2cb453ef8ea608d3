// Windows only: the conversions between the UTF-8 that the program uses inside and the UTF-16
// of the Windows API, and the system's words for a Windows error code.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// UTF-16 from UTF-8; invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);

// UTF-8 from UTF-16; unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// FormatMessageW's text for `error` (a GetLastError value) in the user's language, as UTF-8,
// without the final full stop and line break: "Access is denied".
std::string WindowsReason(unsigned long error);

}  // namespace morvane
