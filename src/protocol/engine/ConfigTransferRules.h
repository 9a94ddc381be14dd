#pragma once

// How the configuration image travels: where it lies on the gateway, how it is
// cut into blocks, which parts need not travel, and the progress a transfer
// shows. Pure functions of an image and an offset, shared by the download and the
// upload.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"
#include "protocol/TransferConstants.h"

namespace tusko {

inline constexpr std::size_t kConfigImageSize = layout::kImageSize;  // bytes; 0x7294, ConfigWriteStart's value
inline constexpr int kProgressComplete = 100;  // percent

std::uint32_t ConfigDeviceAddress(std::size_t offset);
// The image offset of a device address; nothing when it lies outside the image.
std::optional<std::size_t> ConfigImageOffset(std::uint32_t address);

// Whether the `length` bytes from `firstAddress` lie on more than one flash page.
bool CrossesFlashPage(std::uint32_t firstAddress, std::size_t length);
// 208 bytes, shortened to end at the flash page boundary when the block would
// cross it. The end of the image is not taken into account.
std::size_t UploadBlockLength(std::size_t offset);
// The bytes the upload sends from `offset`: UploadBlockLength bytes of the
// image, or at the end of the image what is left, padded with 0xFF to a whole
// number of 8-byte groups. Empty at or past the end.
std::vector<std::uint8_t> UploadBlock(const ConfigurationImage& image, std::size_t offset);

// Where the upload goes on from `offset`: groups of 8 bytes that hold only
// 0xFF are not sent. Returns `offset` itself or the start of the 8-byte group
// holding the next byte that is not 0xFF; the image size when only 0xFF follows.
std::size_t UploadSkip(const ConfigurationImage& image, std::size_t offset);

// Where the download goes on once everything below `acknowledged` is read:
// inside a counted table whose received entries include an empty one (all
// 0xFF), the first empty entry ends the table; the entries after it are set to
// 0xFF without being read and the table's end is returned. Otherwise
// `acknowledged` itself.
std::size_t DownloadSkip(ConfigurationImage& image, std::size_t acknowledged);

// Percent of the image below `requestOffset`, rounded down.
int TransferProgress(std::size_t requestOffset);

}  // namespace tusko
