// Reads arbitrary bytes as a configuration in JSON. JSON that builds must
// export and import again to the same image, byte for byte; anything else
// must be refused with a language key.
//
// Input: the JSON's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/ConfigurationText.h"
#include "config/JsonFormat.h"

namespace {

using namespace tusko::catalog;

void Check(bool condition) {
  if (!condition) std::abort();
}

const tusko::TextLookup kKeys = [](std::string_view key) { return std::string(key); };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TextParse parse = ParseConfigurationJson({reinterpret_cast<const char*>(data), size});
  if (parse.problem) {
    Check(!parse.problem->key.empty());
    return 0;
  }
  const TextBuild built = BuildImage(parse.text, kKeys);
  if (!built.image) {
    Check(!built.id.empty() && !built.refusal.messageKey.empty());
    return 0;
  }
  const TextParse again = ParseConfigurationJson(WriteConfigurationJson(DescribeImage(*built.image)));
  Check(!again.problem);
  const TextBuild rebuilt = BuildImage(again.text, kKeys);
  Check(rebuilt.image.has_value() && *rebuilt.image == *built.image);
  return 0;
}
