#pragma once

#include <string>
#include <string_view>

#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"

namespace tusko {

// Text encodings of the configuration image. The readers take the image
// mutable where the field's rule mends a bad length byte as it is shown; the
// writers cut a text that is longer than the field holds.

// CountedString24 / CountedString12. A length of 0 or 255 is empty; a length
// above the field's maximum is read as the maximum and written back so.
std::string ReadCountedString(ConfigurationImage& image, layout::CountedStringAt field);
// Fills the whole field with 0xFF, then stores the length and the characters.
void WriteCountedString(ConfigurationImage& image, layout::CountedStringAt field, std::string_view text);

// Counted text (device name, SMS text, HTTP requests). A length byte of 255
// reads as 0 and is written back as 0; a length above the capacity shows only
// the characters that fit the field.
std::string ReadCountedText(ConfigurationImage& image, const layout::CountedTextAt& field);
// Fills the text area with 0xFF, then stores the characters and the length.
void WriteCountedText(ConfigurationImage& image, const layout::CountedTextAt& field, std::string_view text);

// Terminated text (40 bytes). A first byte of 255 reads as empty and is
// written back as 0; without a terminator at most 39 characters are read.
std::string ReadTerminatedText(ConfigurationImage& image, layout::TerminatedTextAt field);
// Stores at most 39 characters and the terminator; the bytes after the
// terminator keep what they held.
void WriteTerminatedText(ConfigurationImage& image, layout::TerminatedTextAt field, std::string_view text);

// A run of ASCII digits (the SIM PIN): reading stops at the first byte that is
// not '0'..'9'; writing fills the field with 0xFF, then stores the text.
std::string ReadDigits(const ConfigurationImage& image, layout::DigitsAt field);
void WriteDigits(ConfigurationImage& image, layout::DigitsAt field, std::string_view digits);

}  // namespace tusko
