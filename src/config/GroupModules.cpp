#include "config/GroupModules.h"

#include <string>

#include "config/FieldCatalog.h"

namespace tusko {
namespace {

constexpr std::size_t kModules = 2;

std::uint8_t AssignedGroup(const ConfigurationImage& image, std::size_t module, std::string_view field) {
  return image.Byte(catalog::FindField("gsmAssignment" + std::to_string(module + 1) + "." + std::string(field)).Offset());
}

}  // namespace

std::vector<std::size_t> ModulesOfIncomingGroup(const ConfigurationImage& image, std::size_t group) {
  std::vector<std::size_t> modules;
  for (std::size_t module = 0; module < kModules; ++module) {
    if (AssignedGroup(image, module, "inGroup") == group) modules.push_back(module);
  }
  return modules;
}

std::vector<std::size_t> ModulesOfOutgoingGroup(const ConfigurationImage& image, std::size_t group) {
  std::vector<std::size_t> modules;
  for (std::size_t module = 0; module < kModules; ++module) {
    if (AssignedGroup(image, module, "outGroup") == group || AssignedGroup(image, module, "secondOutGroup") == group) {
      modules.push_back(module);
    }
  }
  return modules;
}

}  // namespace tusko
