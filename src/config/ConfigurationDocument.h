#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigurationFile.h"
#include "config/ConfigurationImage.h"
#include "config/ConfigurationPage.h"
#include "config/PageId.h"

namespace tusko {

// Makes the page of a node, or nothing for the root, a section or a page
// that is not built.
using PageFactory = std::function<std::unique_ptr<ConfigurationPage>(PageId)>;

// What the tree has to do after a document operation.
enum class TreeUpdate {
  Rebuild,       // a new configuration: build all nodes, expand them, select the root
  RefreshTexts,  // node texts may have changed (the root shows the device name)
  Clear,         // no document any more: remove all nodes
};
using TreeUpdateHandler = std::function<void(TreeUpdate)>;

// The five tabbed pages whose last tab is remembered.
enum class TabbedPage : std::size_t { IsdnLines, GsmModules, IncomingGroups, OutgoingGroups, LcrRouting };
inline constexpr std::size_t kTabbedPageCount = 5;

struct OpenResult {
  bool ok = false;
  ConfigurationReadOutcome outcome = ConfigurationReadOutcome::FormatError;
  std::string messageKey;  // "strDataOpenError" on failure, shown under "strError"
  std::string reasonKey;   // its argument is the text of this key
};

enum class SaveOutcome {
  Saved,
  NoDocument,    // refused: there is nothing to save
  PageRefused,   // the open page did not apply; `page` says why
  NoPath,        // neither a path given nor one stored: the caller asks for one
  WriteFailed,   // `messageKey` under "strError"
};

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::WriteFailed;
  PageApply page;
  std::string messageKey;
  int systemError = 0;
  bool ok() const { return outcome == SaveOutcome::Saved; }
};

enum class SaveDecision {
  Proceed,  // nothing unsaved: go on
  Cancel,   // the open page did not apply: stay, show its failure
  Ask,      // ask the question; Yes saves and goes on only if the save cleared Modified
};

struct SaveQuestion {
  SaveDecision decision = SaveDecision::Proceed;
  PageApply page;          // the failure, with Cancel
  std::string messageKey;  // with Ask: "strDataSaveQuestion", Yes/No/Cancel under "strAppName"
  std::vector<std::string> args;
};

// The configuration being edited: the committed image (saved, sent to the
// gateway, compared against) and the working image that the open page edits,
// with the file path, the modified and no-document flags, the open page and
// the remembered tabs. Shows nothing itself: failures come back as language
// keys, and tree changes go to the tree handler.
class ConfigurationDocument {
 public:
  explicit ConfigurationDocument(PageFactory factory, TreeUpdateHandler onTreeUpdate = {});

  const ConfigurationImage& CommittedImage() const { return committed_; }
  const ConfigurationImage& WorkingImage() const { return working_; }
  // For the open page's own edits that change the image at once rather than
  // at apply (the CLIP table removing a profile's routing rules).
  ConfigurationImage& EditWorkingImage() { return working_; }
  const std::filesystem::path& Path() const { return path_; }
  bool Modified() const { return modified_; }
  bool HasDocument() const { return !noDocument_; }
  PageId CurrentPageId() const { return currentId_; }
  // The open page, or null while a description page (or nothing) is shown.
  ConfigurationPage* CurrentPage() const { return page_.get(); }

  std::uint16_t RememberedTab(TabbedPage page) const;
  void RememberTab(TabbedPage page, std::uint16_t tab);

  // A new default configuration without path, not modified.
  void New();
  // Reads the file; on failure the open configuration, its path and its flags stay.
  OpenResult Open(const std::filesystem::path& path);
  // Applies the open page and writes the committed image to `path` or, with
  // none, to the document's path; a given path becomes the document's path.
  SaveResult Save(const std::optional<std::filesystem::path>& path = std::nullopt);
  // No document any more; nothing happens when there is none.
  void Close();

  // Validates the open page into the working image, then commits the page's
  // areas; a difference in them sets Modified.
  PageApply ApplyCurrentPage();
  // Leaves the open page for another node: refused with the page's failure,
  // else the old page is replaced by the new one, loaded from the working image.
  PageApply SelectPage(PageId id);
  // The delayed switch after a keyboard step, whose leave was already allowed:
  // applies once more, ignoring the result, and replaces the page.
  void SwitchPage(PageId id);

  // Shows a configuration read from the gateway (its signature checked by
  // the caller) as the committed image; it counts as unsaved.
  void ShowReceived(const ConfigurationImage& received);

  // The decision of the save question that guards New, Open, Close and exit.
  SaveQuestion NeedsSaveQuestion();

  // The file name of the path, "untitled" without a path, empty without a document.
  std::string DocumentName() const;

 private:
  void StartDocument(const ConfigurationImage& image, const std::filesystem::path& path);
  void TakeImage(const ConfigurationImage& image);
  void CommitPageAreas(PageId id);
  void ReplacePage(PageId id);
  void Notify(TreeUpdate update) const;

  PageFactory factory_;
  TreeUpdateHandler onTreeUpdate_;
  ConfigurationImage committed_;
  ConfigurationImage working_;
  std::filesystem::path path_;
  bool modified_ = false;
  bool noDocument_ = true;
  PageId currentId_ = PageId::None;
  std::unique_ptr<ConfigurationPage> page_;
  std::array<std::uint16_t, kTabbedPageCount> rememberedTabs_{};
};

}  // namespace tusko
