#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"

namespace tusko {

enum class ServerKind { None, Numeric, HostName };

// A server entry as its page shows it: the address box and the port box.
struct ServerAddress {
  ServerKind kind = ServerKind::None;
  std::string address;     // "a.b.c.d" for a numeric address, else the host name
  std::uint32_t port = 0;  // 0 leaves the port box empty
  bool operator==(const ServerAddress&) const = default;
};

// Reads "S<name>:<port>" or "N<four 3-digit groups>P<port>"; anything else,
// or a field whose first byte is 0 or 255, is no server.
ServerAddress ReadServerField(const ConfigurationImage& image, layout::ServerFieldAt field);

enum class ServerWriteResult {
  NoServer,     // empty address: the field is cleared
  PortMissing,  // address without port: the field is cleared, the page reports it
  Numeric,      // written as "N%03d%03d%03d%03dP%d"
  HostName,     // written as "S%s:%d"
  DoesNotFit,   // too long, or a 0 byte inside: the field is cleared
};

// Writes an address box and a port box (0 when empty). The address is
// numeric when it splits at '.' and ' ' into exactly four pieces of 0..255
// (a piece is read by its leading digits, so "12a" counts as 12, but a piece
// reading 0 must be all '0'); any other text is stored as a host name, as typed.
// Whether an address without a port is refused (PortMissing) or stored with port 0,
// which reads back as an empty port box.
enum class PortRule { Required, Optional };
ServerWriteResult WriteServerField(ConfigurationImage& image, layout::ServerFieldAt field, std::string_view address,
                                   std::uint16_t port, PortRule portRule = PortRule::Required);

}  // namespace tusko
