// Reads arbitrary bytes as a firmware file: the checks and the block reading
// must stay inside the file and the buffers, every block must lie inside its
// section and on one flash page, and the reading must end with every byte handed out.
//
// Input: the file's bytes.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"

namespace {

using namespace tusko;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string WriteTemporary(const std::uint8_t* data, std::size_t size) {
  std::string path = "/tmp/firmware_file_fuzz-XXXXXX";
  const int fd = ::mkstemp(path.data());
  Check(fd >= 0);
  Check(::write(fd, data, size) == static_cast<ssize_t>(size));
  ::close(fd);
  return path;
}

void ReadAllBlocks(FirmwareFile& file) {
  std::array<std::uint8_t, kFlashBlockMaxBytes> buffer{};
  file.Rewind();
  for (bool more = true; more;) {
    const auto section = file.CurrentSection();
    std::uint32_t address = 0;
    const int read = file.ReadBlock(buffer, address);
    Check(read > 0 && section.has_value());
    Check(address >= section->address && address - section->address + static_cast<std::uint32_t>(read) <= section->length);
    Check(address / kFlashPageBytes == (address + static_cast<std::uint32_t>(read) - 1) / kFlashPageBytes);
    bool newSection = false;
    more = file.Advance(newSection);
  }
  Check(file.BytesDone() == file.BytesTotal());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteTemporary(data, size);
  for (const bool required : {true, false}) {
    FirmwareFile file;
    file.AddAllowedRange(kFirmwareFlashWindow);
    file.SetPageSize(kFlashPageBytes);
    file.SetIdentificationRequired(required);
    Check(file.OpenFile(path));
    const FirmwareParseResult parsed = file.Parse();
    if (parsed != FirmwareParseResult::Ok) continue;
    AddressRange outside{};
    file.CheckAddresses(outside);
    std::string text;
    file.FindIdentification(text);
    Check(text.size() <= kIdentificationCapacity);
    ReadAllBlocks(file);
  }
  ::unlink(path.c_str());
  return 0;
}
