// The day's CDR file is found whatever case its extension was saved in.
#include <gtest/gtest.h>

#include <fstream>

#include "monitor/CdrFileName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

TEST(CdrNameTaken, ASavedLowerCaseExtensionAdvancesTheProposal) {
  const test::TempFolder folder;
  std::ofstream(folder / "CDR110305.csv") << "saved by the dialog\n";
  std::ofstream(folder / "CDR110305_01.Csv") << "second download\n";
  EXPECT_TRUE(CdrNameTaken((folder / "CDR110305.CSV").string()));
  EXPECT_FALSE(CdrNameTaken((folder / "CDR110305.TXT").string()));
  EXPECT_EQ(ProposeCdrFileName({2011, 3, 5}, folder.path().string(), "CSV", CdrNameTaken), "CDR110305_02");
}

}  // namespace
}  // namespace tusko
