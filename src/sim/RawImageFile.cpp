#include "sim/RawImageFile.h"

#include <array>
#include <fstream>

namespace tusko::sim {

std::optional<ConfigurationImage> ReadRawImageFile(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return std::nullopt;
  }
  // One byte more than an image, to tell a longer file from an exact one.
  std::array<char, ConfigurationImage::kSize + 1> bytes{};
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const auto count = static_cast<std::size_t>(file.gcount());
  if (file.bad()) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  if (count != ConfigurationImage::kSize) {
    error = path + " is not a raw configuration image of " + std::to_string(ConfigurationImage::kSize) + " bytes";
    return std::nullopt;
  }
  return ConfigurationImage::FromBytes(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), ConfigurationImage::kSize));
}

}  // namespace tusko::sim
