#include "app/gui/DocumentCommands.h"

#include "app/gui/ConfigurationView.h"
#include "app/gui/FileDialogs.h"
#include "app/gui/MessageService.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr const char* kErrorCaption = "strError";
constexpr const char* kConfigurationSuffix = "cfg";

}  // namespace

DocumentCommands::DocumentCommands(DocumentWindow& window, ConfigurationView& view, DesktopContext& context)
    : window_(window), view_(view), context_(context) {}

bool DocumentCommands::ApplyCurrentPage() {
  view_.StoreShownPage();
  const PageApply result = view_.document().ApplyCurrentPage();
  if (result.ok) return true;
  window_.ShowConfigurationTab();
  view_.ShowApplyFailure(result);
  return false;
}

bool DocumentCommands::MayDiscard() {
  view_.StoreShownPage();
  const SaveQuestion question = view_.document().NeedsSaveQuestion();
  switch (question.decision) {
    case SaveDecision::Proceed: return true;
    case SaveDecision::Cancel:
      window_.ShowConfigurationTab();
      view_.ShowApplyFailure(question.page);
      return false;
    case SaveDecision::Ask: break;
  }
  std::vector<FormatArg> args(question.args.begin(), question.args.end());
  switch (context_.messages.Show(question.messageKey, std::nullopt, kStyleSaveQuestion, std::span<const FormatArg>(args))) {
    case kResultNo: return true;
    case kResultYes:
      Save();
      return !view_.document().Modified();
    default: return false;
  }
}

void DocumentCommands::New() {
  if (!MayDiscard()) return;
  view_.document().New();
  window_.DocumentStateChanged();
}

void DocumentCommands::Open() {
  if (!MayDiscard()) return;
  FileSettings& files = context_.files;
  FileQuestion question{FileQuestion::Kind::Open, "strDataOpen", "strDataOpenSaveFilter", "", files.browsePathData,
                        "", files.openSaveFilterData};
  const auto answer = context_.fileDialogs.Ask(&window_.window(), question);
  if (!answer) return;
  // Where the user looked is kept even when the file cannot be read.
  files.openSaveFilterData = answer->filterIndex;
  files.browsePathData = answer->path.parent_path().string();
  if (OpenFile(answer->path)) Remember(answer->path);
}

bool DocumentCommands::OpenFile(const std::filesystem::path& path) {
  const OpenResult result = view_.document().Open(path);
  if (!result.ok) {
    context_.messages.Show(result.messageKey, kErrorCaption, kStyleWarning,
                           {context_.language.GetString(result.reasonKey)});
  }
  window_.DocumentStateChanged();
  return result.ok;
}

void DocumentCommands::Remember(const std::filesystem::path& path) {
  context_.recentFiles.add(path.string());
  SaveRecentFiles(context_.store, context_.recentFiles);
  window_.DocumentStateChanged();
}

void DocumentCommands::Save() {
  const ConfigurationDocument& document = view_.document();
  if (!document.HasDocument()) return;
  if (document.Path().empty()) {
    SaveAs();
    return;
  }
  SaveTo(std::nullopt);
}

void DocumentCommands::SaveAs() {
  if (!view_.document().HasDocument() || !ApplyCurrentPage()) return;
  FileSettings& files = context_.files;
  FileQuestion question{FileQuestion::Kind::Save, "strDataSave", "strDataOpenSaveFilter", kConfigurationSuffix,
                        files.browsePathData, view_.document().Path().string(), files.openSaveFilterData};
  const auto answer = context_.fileDialogs.Ask(&window_.window(), question);
  if (!answer) return;
  files.openSaveFilterData = answer->filterIndex;
  files.browsePathData = answer->path.parent_path().string();
  SaveTo(answer->path);
}

bool DocumentCommands::SaveTo(const std::optional<std::filesystem::path>& path) {
  view_.StoreShownPage();
  const SaveResult result = view_.document().Save(path);
  switch (result.outcome) {
    case SaveOutcome::Saved: Remember(view_.document().Path()); return true;
    case SaveOutcome::PageRefused:
      window_.ShowConfigurationTab();
      view_.ShowApplyFailure(result.page);
      break;
    case SaveOutcome::WriteFailed: context_.messages.Show("strDataSaveError", kErrorCaption, kStyleWarning); break;
    case SaveOutcome::NoDocument:
    case SaveOutcome::NoPath: break;
  }
  window_.DocumentStateChanged();
  return false;
}

void DocumentCommands::Close() {
  if (!MayDiscard()) return;
  view_.document().Close();
  window_.DocumentStateChanged();
}

void DocumentCommands::OpenRecent(int index) {
  const auto& entries = context_.recentFiles.entries();
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size() || !MayDiscard()) return;
  const std::string path = entries[static_cast<std::size_t>(index)];
  if (OpenFile(path)) {
    context_.recentFiles.add(path);
  } else {
    context_.recentFiles.remove(path);
  }
  SaveRecentFiles(context_.store, context_.recentFiles);
  window_.DocumentStateChanged();
}

void DocumentCommands::OpenDropped(const std::filesystem::path& path) {
  if (MayDiscard() && OpenFile(path)) Remember(path);
}

void DocumentCommands::TakeReceived(const ConfigurationImage& image) {
  if (HasSignature(image)) {
    view_.document().ShowReceived(image);
  } else if (context_.messages.Show("strDataInvalid", kErrorCaption, kStyleWarningQuestion) == kResultYes) {
    view_.document().New();
  }
  window_.DocumentStateChanged();
}

}  // namespace tusko::gui
