#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <QWidget>

#include "protocol/engine/DiagnosticsData.h"
#include "protocol/engine/DiagnosticsKind.h"

class QLabel;
class QVBoxLayout;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

class SignalHistory;

// The nodes of the diagnostics tree.
enum class DiagNodeId : int { Root = 0, IsdnLines = 11, IsdnCredit = 12, GsmModules = 21, GsmCredits = 22 };

// What a data page draws: the engine's stores and what the view keeps beside them.
struct DiagnosticsSnapshot {
  const DiagnosticsData& data;
  // When the data of the page's kind last came; nothing before the first.
  std::optional<std::chrono::system_clock::time_point> receivedAt;
  const SignalHistory& history;
  // The data came before the gateway last restarted.
  bool beforeRestart = false;
};

// What a data page says before the first answer of its kind.
inline constexpr const char* kWaitingKey = "strDiagWaiting";

// One data page of the diagnostics view: the state of one of the gateway's
// stores, and below it the time that state was received.
class DiagnosticsPage : public QWidget {
 public:
  DiagnosticsPage(DiagnosticsKind kind, const LanguageManager& language);

  // What the page asks the gateway for.
  DiagnosticsKind kind() const { return kind_; }
  void Draw(const DiagnosticsSnapshot& snapshot);

 protected:
  virtual void DrawData(const DiagnosticsSnapshot& snapshot) = 0;
  // Where a page puts its controls, above the reception time.
  QVBoxLayout& body() { return *body_; }
  const LanguageManager& language() const { return language_; }

 private:
  DiagnosticsKind kind_;
  const LanguageManager& language_;
  QVBoxLayout* body_;
  QLabel* receivedAt_;
};

// The translated page of a data node, or null for the root. A double-click on
// a GSM module's status calls `onModuleStatusDoubleClick` with the module (0 or 1).
std::unique_ptr<DiagnosticsPage> MakeDiagnosticsPage(DiagNodeId id, const LanguageManager& language,
                                                     std::function<void(int module)> onModuleStatusDoubleClick);

}  // namespace tusko::gui
