#include "config/ConfigurationDocument.h"

#include <algorithm>
#include <utility>

#include "config/ConfigurationTree.h"

namespace tusko {
namespace {

constexpr std::string_view kUntitled = "untitled";

std::size_t TabIndex(TabbedPage page) { return static_cast<std::size_t>(page); }

}  // namespace

ConfigurationDocument::ConfigurationDocument(PageFactory factory, TreeUpdateHandler onTreeUpdate)
    : factory_(std::move(factory)),
      onTreeUpdate_(std::move(onTreeUpdate)),
      committed_(MakeDefaultImage()),
      working_(committed_) {}

std::uint16_t ConfigurationDocument::RememberedTab(TabbedPage page) const {
  return TabIndex(page) < rememberedTabs_.size() ? rememberedTabs_[TabIndex(page)] : 0;
}

void ConfigurationDocument::RememberTab(TabbedPage page, std::uint16_t tab) {
  if (TabIndex(page) < rememberedTabs_.size()) rememberedTabs_[TabIndex(page)] = tab;
}

void ConfigurationDocument::New() {
  StartDocument(MakeDefaultImage(), {});
  Notify(TreeUpdate::Rebuild);
}

OpenResult ConfigurationDocument::Open(const std::filesystem::path& path) {
  ConfigurationReadResult read = ReadConfigurationFile(path);
  if (read.outcome != ConfigurationReadOutcome::Read || !read.image) {
    const ConfigurationReadOutcome outcome =
        read.outcome == ConfigurationReadOutcome::Read ? ConfigurationReadOutcome::FormatError : read.outcome;
    return {false, outcome, "strDataOpenError", std::string(ConfigurationReadErrorKey(outcome))};
  }
  StartDocument(*read.image, path);
  Notify(TreeUpdate::Rebuild);
  return {true, ConfigurationReadOutcome::Read, {}, {}};
}

SaveResult ConfigurationDocument::Save(const std::optional<std::filesystem::path>& path) {
  SaveResult result;
  if (noDocument_) {
    result.outcome = SaveOutcome::NoDocument;
    return result;
  }
  result.page = ApplyCurrentPage();
  if (!result.page.ok) {
    result.outcome = SaveOutcome::PageRefused;
    return result;
  }
  const std::filesystem::path target = path ? *path : path_;
  if (target.empty()) {
    result.outcome = SaveOutcome::NoPath;
    return result;
  }
  const ConfigurationWriteResult written = WriteConfigurationFile(target, committed_);
  if (!written.saved) {
    result.outcome = SaveOutcome::WriteFailed;
    result.messageKey = "strDataSaveError";
    result.systemError = written.systemError;
    return result;
  }
  modified_ = false;
  if (path) path_ = *path;
  result.outcome = SaveOutcome::Saved;
  return result;
}

void ConfigurationDocument::Close() {
  if (noDocument_) return;
  page_.reset();
  currentId_ = PageId::None;
  path_.clear();
  noDocument_ = true;
  modified_ = false;
  Notify(TreeUpdate::Clear);
}

PageApply ConfigurationDocument::ApplyCurrentPage() {
  if (!page_) return PageApply::Success();
  PageApply result = page_->Apply(working_);
  if (!result.ok) return result;
  const PageId id = page_->id();
  CommitPageAreas(id);
  if (id == PageId::SystemGeneral) Notify(TreeUpdate::RefreshTexts);
  return PageApply::Success();
}

PageApply ConfigurationDocument::SelectPage(PageId id) {
  if (noDocument_) return PageApply::Success();
  PageApply result = ApplyCurrentPage();
  if (result.ok) ReplacePage(id);
  return result;
}

void ConfigurationDocument::SwitchPage(PageId id) {
  if (noDocument_) return;
  ApplyCurrentPage();
  ReplacePage(id);
}

void ConfigurationDocument::ShowReceived(const ConfigurationImage& received) {
  if (noDocument_) {
    StartDocument(received, {});
    modified_ = true;
    Notify(TreeUpdate::Rebuild);
    return;
  }
  // The received configuration replaces whatever the open page holds: it is not applied.
  page_.reset();
  TakeImage(received);
  modified_ = true;
  ReplacePage(currentId_);
  Notify(TreeUpdate::RefreshTexts);
}

SaveQuestion ConfigurationDocument::NeedsSaveQuestion() {
  SaveQuestion question;
  if (noDocument_) return question;
  question.page = ApplyCurrentPage();
  if (!question.page.ok) {
    question.decision = SaveDecision::Cancel;
    return question;
  }
  if (!modified_) return question;
  question.decision = SaveDecision::Ask;
  question.messageKey = "strDataSaveQuestion";
  question.args.push_back(path_.empty() ? std::string(kUntitled) : path_.string());
  return question;
}

std::string ConfigurationDocument::DocumentName() const {
  if (noDocument_) return {};
  if (path_.empty()) return std::string(kUntitled);
  return path_.filename().string();
}

void ConfigurationDocument::StartDocument(const ConfigurationImage& image, const std::filesystem::path& path) {
  page_.reset();
  TakeImage(image);
  path_ = path;
  modified_ = false;
  noDocument_ = false;
  // The rebuilt tree selects the root.
  currentId_ = PageId::Root;
}

void ConfigurationDocument::TakeImage(const ConfigurationImage& image) {
  committed_ = image;
  working_ = committed_;
  rememberedTabs_.fill(0);
}

void ConfigurationDocument::CommitPageAreas(PageId id) {
  for (const ImageArea& area : OwnedAreas(id)) {
    const auto edited = working_.Range(area);
    if (!modified_ && !std::ranges::equal(edited, committed_.Range(area))) modified_ = true;
    committed_.Store(area.offset, edited);
  }
}

void ConfigurationDocument::ReplacePage(PageId id) {
  page_.reset();
  currentId_ = id;
  if (factory_ && id != PageId::None) page_ = factory_(id);
  if (page_) page_->Load(working_);
}

void ConfigurationDocument::Notify(TreeUpdate update) const {
  if (onTreeUpdate_) onTreeUpdate_(update);
}

}  // namespace tusko
