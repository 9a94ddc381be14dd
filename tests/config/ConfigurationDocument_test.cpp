#include "config/ConfigurationDocument.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "ImageBytes.h"
#include "config/ConfigurationTree.h"
#include "config/CatalogPage.h"
#include "config/TextFields.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using Write = std::pair<std::size_t, std::uint8_t>;
using Updates = std::vector<TreeUpdate>;

constexpr std::size_t kCallbackTime = 323;  // owned by page 21
constexpr std::size_t kCellAction = 21672;  // owned by page 34

// What the scripted pages write when applied, and what they saw when loaded.
struct Script {
  std::vector<Write> writes;
  std::string failKey;
  int applies = 0;
  int loadedCallbackTime = -1;
};

class ScriptedPage final : public ConfigurationPage {
 public:
  ScriptedPage(PageId id, Script& script) : id_(id), script_(script) {}
  PageId id() const override { return id_; }
  void Load(ConfigurationImage& working) override { script_.loadedCallbackTime = working.Byte(kCallbackTime); }
  PageApply Apply(ConfigurationImage& working) override {
    ++script_.applies;
    for (const auto& [offset, value] : script_.writes) working.SetByte(offset, value);
    return script_.failKey.empty() ? PageApply::Success() : PageApply::Failure(script_.failKey, "field", {"arg"});
  }

 private:
  PageId id_;
  Script& script_;
};

// A document with the network page and scripted pages, recording tree updates and root texts.
struct Harness {
  Script script;
  Updates updates;
  std::vector<std::string> rootTexts;
  ConfigurationDocument doc{[this](PageId id) -> std::unique_ptr<ConfigurationPage> {
                              if (id == PageId::SystemNetwork) return std::make_unique<CatalogPage>(id, TextLookup{});
                              const TreeNodeEntry* node = FindTreeNode(id);
                              if (node == nullptr || node->kind != NodeKind::Page) return nullptr;
                              return std::make_unique<ScriptedPage>(id, script);
                            },
                            [this](TreeUpdate update) {
                              updates.push_back(update);
                              rootTexts.push_back(RootText(doc.CommittedImage(), [](std::string_view) { return "Root"; }));
                            }};

  // Opens `id`, lets its apply write `writes`, and leaves it for the root.
  PageApply Edit(PageId id, std::vector<Write> writes) {
    EXPECT_TRUE(doc.SelectPage(id).ok);
    script.writes = std::move(writes);
    const PageApply left = doc.SelectPage(PageId::Root);
    script.writes.clear();
    return left;
  }
};

TEST(ConfigurationDocument, NewAndCloseSetTheDocumentState) {
  Harness h;
  EXPECT_FALSE(h.doc.HasDocument());
  EXPECT_EQ(h.doc.DocumentName(), "");
  EXPECT_TRUE(h.doc.SelectPage(PageId::IsdnCommon).ok);
  EXPECT_EQ(h.doc.CurrentPage(), nullptr);
  EXPECT_EQ(h.doc.Save(fs::path("never.cfg")).outcome, SaveOutcome::NoDocument);

  h.doc.RememberTab(TabbedPage::LcrRouting, 7);
  h.doc.New();
  EXPECT_TRUE(h.doc.HasDocument());
  EXPECT_FALSE(h.doc.Modified());
  EXPECT_EQ(h.doc.DocumentName(), "untitled");
  EXPECT_EQ(h.doc.CommittedImage(), MakeDefaultImage());
  EXPECT_EQ(h.doc.WorkingImage(), MakeDefaultImage());
  EXPECT_EQ(h.doc.RememberedTab(TabbedPage::LcrRouting), 0);
  EXPECT_EQ(h.doc.CurrentPageId(), PageId::Root);

  h.Edit(PageId::IsdnCommon, {{kCallbackTime, 9}});
  ASSERT_TRUE(h.doc.SelectPage(PageId::IsdnLines).ok);
  h.doc.Close();
  h.doc.Close();
  EXPECT_FALSE(h.doc.HasDocument());
  EXPECT_FALSE(h.doc.Modified());
  EXPECT_EQ(h.doc.CurrentPage(), nullptr);
  EXPECT_EQ(h.doc.CurrentPageId(), PageId::None);
  EXPECT_EQ(h.updates, (Updates{TreeUpdate::Rebuild, TreeUpdate::Clear}));
}

TEST(ConfigurationDocument, LeavingAPageCommitsItsAreasAndTracksChanges) {
  struct Row {
    std::string name;
    PageId page;
    std::vector<Write> writes;
    bool modified;
    Write committed;  // a committed byte afterwards
  };
  const std::vector<Row> rows{
      {"Unchanged", PageId::IsdnCommon, {}, false, {kCallbackTime, 0}},
      {"CallbackTimeChanged", PageId::IsdnCommon, {{kCallbackTime, 5}}, true, {kCallbackTime, 5}},
      {"SameValueWrittenAgain", PageId::IsdnCommon, {{kCallbackTime, 0}}, false, {kCallbackTime, 0}},
      {"ByteOfAnotherPageStays", PageId::IsdnCommon, {{kCellAction, 1}}, false, {kCellAction, 0xFF}},
      {"HttpRequestChanged", PageId::SystemHttp, {{22861, 'h'}}, true, {22861, 'h'}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Harness h;
    h.doc.New();
    EXPECT_TRUE(h.Edit(row.page, row.writes).ok);
    EXPECT_EQ(h.doc.Modified(), row.modified);
    EXPECT_EQ(h.doc.CommittedImage().Byte(row.committed.first), row.committed.second);
    h.Edit(row.page, {});  // coming back without changes
    EXPECT_EQ(h.doc.Modified(), row.modified);
    h.Edit(PageId::GsmCellSelect, {{kCellAction, 2}});  // still committed once modified
    EXPECT_EQ(h.doc.CommittedImage().Byte(kCellAction), 2);
  }
}

TEST(ConfigurationDocument, FailedApplyKeepsTheUserOnThePageAndCommitsNothing) {
  Harness h;
  h.doc.New();
  ASSERT_TRUE(h.doc.SelectPage(PageId::IsdnCommon).ok);
  const ConfigurationPage* page = h.doc.CurrentPage();
  h.script.writes = {{kCallbackTime, 7}};
  h.script.failKey = "strSystemHttpRequestErr";
  const PageApply refused = h.doc.SelectPage(PageId::IsdnLines);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.messageKey, "strSystemHttpRequestErr");
  EXPECT_EQ(refused.args, std::vector<std::string>{"arg"});
  EXPECT_EQ(refused.focusField, "field");
  EXPECT_EQ(h.doc.CurrentPage(), page);
  EXPECT_EQ(h.doc.WorkingImage().Byte(kCallbackTime), 7);  // steps before the failure wrote
  EXPECT_EQ(h.doc.CommittedImage().Byte(kCallbackTime), 0);
  EXPECT_FALSE(h.doc.Modified());
  EXPECT_EQ(h.doc.Save(fs::path("unused.cfg")).outcome, SaveOutcome::PageRefused);
  EXPECT_EQ(h.doc.NeedsSaveQuestion().decision, SaveDecision::Cancel);

  h.script.failKey.clear();
  EXPECT_EQ(h.doc.NeedsSaveQuestion().args, std::vector<std::string>{"untitled"});
  h.doc.SwitchPage(PageId::GsmModules);  // the delayed keyboard switch
  EXPECT_EQ(h.doc.CurrentPageId(), PageId::GsmModules);
  EXPECT_EQ(h.doc.CommittedImage().Byte(kCallbackTime), 7);
  EXPECT_EQ(h.script.loadedCallbackTime, 7);
}

TEST(ConfigurationDocument, PagesRefreshTheRootTextOnlyAfterTheGeneralPage) {
  Harness h;
  h.doc.New();
  ASSERT_TRUE(h.doc.SelectPage(PageId::SystemNetwork).ok);
  auto* network = dynamic_cast<CatalogPage*>(h.doc.CurrentPage());
  ASSERT_NE(network, nullptr);
  network->SetValue(network->IndexOf("network.port").value(), {.number = 2000});
  ASSERT_TRUE(h.doc.SelectPage(PageId::Root).ok);
  EXPECT_EQ(test::Slice(h.doc.CommittedImage(), 63, 5), test::TextBytes("02000"));
  EXPECT_EQ(h.updates, Updates{TreeUpdate::Rebuild});

  h.Edit(PageId::SystemGeneral, {{6, 3}, {7, 'G'}, {8, 'W'}, {9, '1'}});
  EXPECT_EQ(h.updates, (Updates{TreeUpdate::Rebuild, TreeUpdate::RefreshTexts}));
  EXPECT_EQ(h.rootTexts.back(), "Root - GW1");
}

// Without a document a received configuration becomes an unsaved one; over an open page it replaces the
// page's image without applying the page.
TEST(ConfigurationDocument, ReceivedConfigurationBecomesTheDocumentWithoutApplyingTheOpenPage) {
  Harness fresh;
  ConfigurationImage received = MakeDefaultImage();
  WriteCountedText(received, layout::general::kDeviceName, "Box");
  received.SetByte(kCallbackTime, 12);
  fresh.doc.ShowReceived(received);
  EXPECT_TRUE(fresh.doc.Modified());
  EXPECT_EQ(fresh.doc.DocumentName(), "untitled");
  EXPECT_EQ(fresh.doc.CommittedImage(), received);
  EXPECT_EQ(fresh.doc.WorkingImage(), received);
  EXPECT_EQ(fresh.rootTexts, std::vector<std::string>{"Root - Box"});  // one rebuild, from the received image
  EXPECT_EQ(fresh.doc.NeedsSaveQuestion().decision, SaveDecision::Ask);

  const test::TempFolder folder;
  Harness h;
  h.doc.New();
  ASSERT_TRUE(h.doc.Save(folder / "gw.cfg").ok());
  ASSERT_TRUE(h.doc.SelectPage(PageId::IsdnCommon).ok);
  h.doc.RememberTab(TabbedPage::GsmModules, 1);
  h.script.writes = {{kCallbackTime, 40}};
  h.doc.ShowReceived(received);
  EXPECT_EQ(h.script.applies, 0);
  EXPECT_EQ(h.doc.CommittedImage(), received);
  EXPECT_EQ(h.doc.CurrentPageId(), PageId::IsdnCommon);
  EXPECT_EQ(h.script.loadedCallbackTime, 12);
  EXPECT_EQ(h.doc.RememberedTab(TabbedPage::GsmModules), 0);
  EXPECT_TRUE(h.doc.Modified());
  EXPECT_EQ(h.doc.DocumentName(), "gw.cfg");
  EXPECT_EQ(h.updates, (Updates{TreeUpdate::Rebuild, TreeUpdate::RefreshTexts}));
}

TEST(ConfigurationDocument, SaveAndOpenGiveBackTheImage) {
  const test::TempFolder folder;
  const fs::path path = folder / "office.cfg";
  Harness saved;
  saved.doc.New();
  saved.Edit(PageId::IsdnCommon, {{kCallbackTime, 33}});
  EXPECT_EQ(saved.doc.Save().outcome, SaveOutcome::NoPath);
  const SaveResult failed = saved.doc.Save(folder / "missing" / "x.cfg");
  EXPECT_EQ(failed.outcome, SaveOutcome::WriteFailed);
  EXPECT_EQ(failed.messageKey, "strDataSaveError");
  EXPECT_TRUE(saved.doc.Modified());
  EXPECT_TRUE(saved.doc.Path().empty());

  ASSERT_TRUE(saved.doc.Save(path).ok());
  EXPECT_FALSE(saved.doc.Modified());
  EXPECT_EQ(saved.doc.DocumentName(), "office.cfg");
  EXPECT_EQ(saved.doc.NeedsSaveQuestion().decision, SaveDecision::Proceed);
  saved.Edit(PageId::IsdnCommon, {{kCallbackTime, 34}});
  EXPECT_EQ(saved.doc.NeedsSaveQuestion().args, std::vector<std::string>{path.string()});
  ASSERT_TRUE(saved.doc.Save().ok());  // to the stored path

  Harness opened;
  opened.doc.RememberTab(TabbedPage::IsdnLines, 1);
  ASSERT_TRUE(opened.doc.Open(path).ok);
  EXPECT_EQ(opened.doc.CommittedImage(), saved.doc.CommittedImage());
  EXPECT_EQ(opened.doc.WorkingImage().Byte(kCallbackTime), 34);
  EXPECT_FALSE(opened.doc.Modified());
  EXPECT_EQ(opened.doc.Path(), path);
  EXPECT_EQ(opened.doc.RememberedTab(TabbedPage::IsdnLines), 0);
  EXPECT_EQ(opened.updates, Updates{TreeUpdate::Rebuild});
}

// The reason for each kind of failure is the file reader's; here, that nothing changes.
TEST(ConfigurationDocument, FailedOpenKeepsImagePathFlagsAndPage) {
  const test::TempFolder folder;
  const fs::path good = folder / "good.cfg";
  std::ofstream(folder / "garbage.cfg") << "not a configuration";
  Harness h;
  h.doc.New();
  ASSERT_TRUE(h.doc.Save(good).ok());
  h.Edit(PageId::IsdnCommon, {{kCallbackTime, 8}});
  ASSERT_TRUE(h.doc.SelectPage(PageId::GsmModules).ok);
  const ConfigurationPage* page = h.doc.CurrentPage();
  const ConfigurationImage committed = h.doc.CommittedImage();

  const OpenResult result = h.doc.Open(folder / "garbage.cfg");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.messageKey, "strDataOpenError");
  EXPECT_EQ(result.reasonKey, "strDataOpenErrorFormat");
  EXPECT_EQ(h.doc.CommittedImage(), committed);
  EXPECT_EQ(h.doc.Path(), good);
  EXPECT_TRUE(h.doc.Modified());
  EXPECT_EQ(h.doc.CurrentPage(), page);
  EXPECT_EQ(h.updates, Updates{TreeUpdate::Rebuild});
}

}  // namespace
}  // namespace tusko
