#pragma once

#include <string>
#include <string_view>

namespace tusko {

// The gateway writes its texts (trace, version and module texts, GSM status
// information) in a single-byte character set whose upper half is Latin-1.
// Shown texts are UTF-8, so each byte from 0x80 up becomes its two-byte form;
// files keep the bytes as received.
std::string Latin1ToUtf8(std::string_view bytes);

}  // namespace tusko
