#pragma once

#include <string_view>

class QWidget;

namespace tusko {
class CatalogPage;
}

namespace tusko::gui {

class CatalogPageWidget;

// The credit settings of one credit record instance, such as "isdnCredit1" or
// "gsmCredit2": when the credits are restored (a day of the month, a weekday
// of a week of the month, or weekly), then credits 1 to 3 side by side, each
// with its old credit, first and next count and blocking. Its editors are
// bound to `host`.
QWidget* NewCreditBlock(CatalogPageWidget& host, const CatalogPage& page, std::string_view record,
                        QWidget* parent);

}  // namespace tusko::gui
