#include "app/gui/NetworkPageWidget.h"
#include "app/gui/PageWidget.h"

namespace tusko::gui {

std::unique_ptr<PageWidget> MakePageWidget(PageId id, const LanguageManager& language) {
  switch (id) {
    case PageId::SystemNetwork: return std::make_unique<NetworkPageWidget>(language);
    default: return nullptr;
  }
}

}  // namespace tusko::gui
