#include "app/gui/PageWidget.h"

namespace tusko::gui {

std::unique_ptr<PageWidget> MakePageWidget(PageId, const LanguageManager&) { return nullptr; }

}  // namespace tusko::gui
