// Formats with a hostile format and hostile arguments: the input's first bytes
// choose the arguments, the rest is the format.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/SafeFormat.h"

namespace {

constexpr std::size_t kMaxArguments = 6;
constexpr std::size_t kArgumentBytes = 9;  // kind byte and eight value bytes

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t maxCharacters = data[0] * 4u;
  const std::size_t argumentCount = data[1] % (kMaxArguments + 1);
  std::size_t pos = 2;
  std::vector<std::string> texts;
  texts.reserve(argumentCount);
  std::vector<tusko::FormatArg> args;
  for (std::size_t i = 0; i < argumentCount && pos + kArgumentBytes <= size; ++i, pos += kArgumentBytes) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data + pos + 1, sizeof(bits));
    switch (data[pos] % 4) {
      case 0: args.emplace_back(static_cast<std::int64_t>(bits)); break;
      case 1: args.emplace_back(bits); break;
      case 2: {
        double value = 0;
        std::memcpy(&value, &bits, sizeof(value));
        args.emplace_back(value);
        break;
      }
      default:
        // A text of up to eight bytes, taken from the value bytes.
        texts.emplace_back(reinterpret_cast<const char*>(data + pos + 1), (data[pos] >> 2) % (sizeof(bits) + 1));
        args.emplace_back(std::string_view(texts.back()));
        break;
    }
  }
  const std::string_view format(reinterpret_cast<const char*>(data) + pos, size - pos);
  const std::string result = tusko::SafeFormat(format, args, maxCharacters);
  if (tusko::CountCharacters(result) > maxCharacters) std::abort();
  const std::string signature = tusko::FormatSignature(format);
  if (signature.size() > format.size()) std::abort();
  return 0;
}
