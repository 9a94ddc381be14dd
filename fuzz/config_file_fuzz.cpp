// Reads arbitrary bytes as a configuration file. A file that opens must save
// and open again to the same file, and every field codec must read its image
// without leaving its field.
//
// Input: the file's bytes, header first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "config/AddressFields.h"
#include "config/ConfigurationFileFormat.h"
#include "config/CountedTables.h"
#include "config/CreditRecord.h"
#include "config/ServerField.h"
#include "config/TextFields.h"

namespace {

using namespace tusko;

void Check(bool condition) {
  if (!condition) std::abort();
}

void ReadTexts(ConfigurationImage& image) {
  for (const auto& field : {layout::general::kDeviceName, layout::httpOut::kRequest, layout::smsNotification::kText,
                            layout::httpIn::kRequest}) {
    Check(ReadCountedText(image, field).size() <= field.capacity);
    Check(image.Byte(field.lengthOffset) != layout::kUnset);
  }
  for (const auto field : {layout::alarm::kSmtpTo, layout::alarm::kSmtpFrom, layout::alarm::kSmtpUser,
                           layout::alarm::kSmtpPassword}) {
    Check(ReadTerminatedText(image, field).size() <= layout::kTerminatedTextMaxChars);
  }
  for (std::size_t slot = 0; slot < layout::alarm::kSmsNumberCount; ++slot) {
    Check(ReadCountedString(image, layout::alarm::SmsNumber(slot)).size() <= 23);
    Check(image.Byte(layout::alarm::SmsNumber(slot).offset) <= 23 ||
          image.Byte(layout::alarm::SmsNumber(slot).offset) == layout::kUnset);
  }
  Check(ReadCountedString(image, layout::isdnCommon::kCountryPrefix).size() <= 11);
  for (std::size_t module = 0; module < layout::gsmModule::kCount; ++module) {
    Check(ReadDigits(image, layout::gsmModule::Pin(module)).size() <= layout::gsmModule::kPinWidth);
  }
}

void ReadAddresses(const ConfigurationImage& image) {
  for (const auto field : {layout::alarm::kIpServer, layout::alarm::kSmtpServer, layout::cdr::kIpServer,
                           layout::smsServer::kIpServer, layout::creditReport::kIpServer}) {
    const ServerAddress server = ReadServerField(image, field);
    Check(server.address.size() < layout::kServerFieldWidth);
    Check(server.kind != ServerKind::None || (server.address.empty() && server.port == 0));
  }
  static_cast<void>(ReadIpDigits(image, layout::network::kLanIp));
  Check(ReadPortDigits(image, layout::network::kPort) <= 99999);
}

void ReadCredits(ConfigurationImage& image) {
  for (std::size_t link = 0; link < layout::isdnLink::kCount; ++link) {
    MendIsdnLinkCredit(image, link);
    const CreditRecord record(image, layout::isdnCredit::Record(link));
    Check(record.RestoreCode() != layout::kUnset);
    static_cast<void>(record.CreditMinutes(CreditCounter::Credit3));
  }
  static_cast<void>(ReadCreditAlarmLimitMinutes(image));
}

std::size_t ExpectedFileSize(const ConfigurationImage& image) {
  return kConfigurationHeaderSize + kConfigurationFixedDataSize +
         CountRecords(image, layout::lcr::kRoutingTable) * layout::lcr::kRoutingTable.recordSize +
         CountRecords(image, layout::lcr::kClipTable) * layout::lcr::kClipTable.recordSize +
         CountRecords(image, layout::clipFromGsm::kTable) * layout::clipFromGsm::kTable.recordSize +
         CountRecords(image, layout::mobility::kTable) * layout::mobility::kTable.recordSize;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const DecodedConfiguration decoded = DecodeConfigurationFile(MemoryConfigurationFileBytes({data, size}));
  Check(decoded.image.has_value() == (decoded.fault == ConfigurationFileFault::None));
  if (!decoded.image) return 0;

  const std::vector<std::uint8_t> saved = EncodeConfigurationFile(*decoded.image);
  Check(saved.size() == ExpectedFileSize(*decoded.image));
  const DecodedConfiguration reopened = DecodeConfigurationFile(MemoryConfigurationFileBytes(saved));
  Check(reopened.image.has_value());
  Check(EncodeConfigurationFile(*reopened.image) == saved);

  ConfigurationImage image = *decoded.image;
  ReadTexts(image);
  ReadAddresses(image);
  ReadCredits(image);
  return 0;
}
