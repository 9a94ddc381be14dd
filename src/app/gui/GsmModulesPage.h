#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QColor>

#include "app/gui/DiagnosticsPages.h"
#include "monitor/DiagnosticsTexts.h"

class QLabel;

namespace tusko::gui {

class ModuleStatusLabel;
class SignalChart;

// The two GSM modules: each one's status in its colour, its signal, and a
// chart of its signal over the session. A double-click on a status asks for
// that module's information.
class GsmModulesPage final : public DiagnosticsPage {
 public:
  GsmModulesPage(const LanguageManager& language, const std::function<void(int module)>& onStatusDoubleClick);

 protected:
  void DrawData(const DiagnosticsSnapshot& snapshot) override;

 private:
  struct Module {
    ModuleStatusLabel* status = nullptr;
    QLabel* signal = nullptr;
    SignalChart* chart = nullptr;
  };
  std::array<Module, kGsmModuleCount> modules_{};
};

// How a GSM module's status text is painted: its background and the text on
// it; nothing for the window face, which leaves the style's colours.
struct StatusPaint {
  QColor background;
  QColor text;
};
std::optional<StatusPaint> StatusPaintOf(StatusColour colour);

}  // namespace tusko::gui
