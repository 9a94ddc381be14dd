// Reads arbitrary bytes as a configuration file. A file that opens must save
// and open again to the same file, and every page must show it and, left
// unchanged, leave it as it was.
//
// Input: the file's bytes, header first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "config/ConfigurationFileFormat.h"
#include "config/ConfigurationPages.h"
#include "config/ConfigurationTree.h"
#include "config/CountedTables.h"

namespace {

using namespace tusko;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Every page shows the image and, left unchanged, leaves it as it was. A
// page's own checks (an HTTP request's form, a server's port) run even on
// unedited values, so leaving may be refused: then with its message and
// nothing written.
void VisitPages(const ConfigurationImage& opened) {
  const TextLookup everyLabel = [](std::string_view key) { return std::string(key); };
  for (const TreeNodeEntry& node : TreeNodeTable()) {
    const std::unique_ptr<ConfigurationPage> page = MakeConfigurationPage(node.id, everyLabel);
    if (!page) continue;
    ConfigurationImage working = opened;
    page->Load(working);
    const ConfigurationImage loaded = working;
    const PageApply applied = page->Apply(working);
    Check(applied.ok || !applied.messageKey.empty());
    Check(working == loaded);
  }
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

  VisitPages(*decoded.image);
  return 0;
}
