#include "config/ConfigurationPages.h"

#include "config/NetworkPage.h"

namespace tusko {

std::unique_ptr<ConfigurationPage> MakeConfigurationPage(PageId id) {
  switch (id) {
    case PageId::SystemNetwork: return std::make_unique<NetworkPage>();
    default: return nullptr;
  }
}

}  // namespace tusko
