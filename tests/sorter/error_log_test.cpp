#include "sorter/error_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using ErrorLogTest = testing_support::TempFolderTest;

TEST_F(ErrorLogTest, AppendsOneRecordPerReportToWhatTheLogHolds) {
  logPath = path("config/liedkorb.LOG");
  const std::string eol(platform::textLineEnd);
  testing_support::writeFile(logPath, "alt" + eol);
  reportError("Verzeichnis\n/out/Kuenstler/X\nkonnte nicht angelegt werden", "/out/Kuenstler/X");
  reportError("zweite", "/out/Genre/Y");
  EXPECT_EQ(recorder.texts[control::statusLine], "zweite");
  EXPECT_EQ(testing_support::readFile(logPath),
            "alt" + eol + "Fehler:Verzeichnis" + eol + "/out/Kuenstler/X" + eol +
                "konnte nicht angelegt werden Pfad:/out/Kuenstler/X" + eol +
                "Fehler:zweite Pfad:/out/Genre/Y" + eol);
}

TEST_F(ErrorLogTest, ALogThatCannotBeWrittenIsSkipped) {
  for (const std::string& log : {std::string(), path("config")}) {
    logPath = log;
    reportError("Meldung", "p");
    EXPECT_EQ(recorder.texts[control::statusLine], "Meldung");
  }
  EXPECT_EQ(testing_support::listTree(root()), std::vector<std::string>{"config/"});
}

}  // namespace
