#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "protocol/CdrRecord.h"
#include "protocol/engine/CdrRecordStore.h"

namespace tusko {

// The output formats; the numbers are the save dialog's filter indexes.
enum class CdrFormat : std::uint32_t { Csv = 1, Txt = 2, Bin = 3 };

// The text columns in their table order: equal positions keep this order.
enum class CdrColumn : std::size_t {
  Date, Time, CallType, CallerId, CalledNumber, CallLength, InPort, OutPort, Cause,
};
inline constexpr std::size_t kCdrColumnCount = 9;
// Positions 0..8 place a column; any other position leaves it out.
inline constexpr std::uint32_t kCdrColumnPositions = kCdrColumnCount;

// Which columns a text file has, in which order, and whether it starts with a header line.
struct CdrTextLayout {
  std::array<std::uint32_t, kCdrColumnCount> positions{0, 1, 2, 3, 4, 5, 6, 7, 8};  // by CdrColumn
  bool header = true;
};

// The lines of a text file, "\r\n" included; `separator` is ';' for CSV, tab for TXT.
std::string CdrHeaderLine(const CdrTextLayout& layout, char separator);
std::string CdrRecordLine(const CdrRecord& record, const CdrTextLayout& layout, char separator);

// The CDR record store: decodes the chunks of a CDR download and appends
// them to the output file as CSV or TXT lines, or raw in BIN. A chunk is
// stored whole or not at all, so that the download may ask for it again
// without doubling lines in the file. The file is emptied only when the first
// record arrives: a download that brings none, or fails before one, leaves an
// existing file as it was and no new file behind.
class CdrFile final : public CdrRecordStore {
 public:
  explicit CdrFile(CdrTextLayout layout = {}) : layout_(layout) {}
  ~CdrFile() override;
  CdrFile(const CdrFile&) = delete;
  CdrFile& operator=(const CdrFile&) = delete;

  // Opens the file for writing, making it when it does not exist; an
  // existing one is replaced once the first record arrives.
  bool Open(const std::filesystem::path& path);
  void SetFormat(CdrFormat format) { format_ = format; }
  // Clears the error and the count. The first record empties the file and
  // writes the header line of a text format when the layout asks for one.
  bool Start();

  bool StoreChunk(std::span<const std::uint8_t> chunk) override;
  std::uint32_t RecordCount() const override { return recordCount_; }
  void Close() override;

  bool IsOpen() const { return fd_ >= 0; }
  CdrFormat format() const { return format_; }
  CdrError error() const { return error_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  // Empties the file and writes the header line, once per download.
  bool Begin();
  // Appends `bytes` whole; on a failed write the file is cut back to where
  // it was and the error is WriteFailed.
  bool Append(std::span<const char> bytes);
  // Every record of a text chunk as lines, or the first error.
  CdrError FormatChunk(std::span<const std::uint8_t> chunk, std::string& lines, std::uint32_t& records) const;
  char Separator() const { return format_ == CdrFormat::Txt ? '\t' : ';'; }

  CdrTextLayout layout_;
  int fd_ = -1;
  std::filesystem::path path_;
  CdrFormat format_ = CdrFormat::Csv;
  CdrError error_ = CdrError::None;
  std::uint32_t recordCount_ = 0;
  std::uint64_t fileLength_ = 0;  // bytes written since the file was emptied
  bool created_ = false;          // Open made the file
  bool begun_ = false;            // the download's first record emptied the file
};

}  // namespace tusko
