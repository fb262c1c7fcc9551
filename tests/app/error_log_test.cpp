#include <gtest/gtest.h>

#include <string>

#include "app/error_log.h"
#include "common/controls.h"
#include "common/state.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempFolderTest;

class ErrorLogTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    logPath = path("config/liedkorb.LOG");
  }
};

TEST_F(ErrorLogTest, AppendsOneRecordPerReportInCallOrder) {
  const std::string first = "Verzeichnis\n/out/Kuenstler/X\nkonnte nicht angelegt werden";
  reportError(first, "/out/Kuenstler/X");
  reportError("zweite", "/out/Genre/Y");
  EXPECT_EQ(recorder.texts[control::statusLine], "zweite");
  std::string eol(platform::textLineEnd);
  EXPECT_EQ(testing_support::readFile(logPath),
            "Fehler:Verzeichnis" + eol + "/out/Kuenstler/X" + eol +
                "konnte nicht angelegt werden Pfad:/out/Kuenstler/X" + eol +
                "Fehler:zweite Pfad:/out/Genre/Y" + eol);
}

TEST_F(ErrorLogTest, KeepsWhatTheLogAlreadyHolds) {
  testing_support::writeFile(logPath, "alt" + std::string(platform::textLineEnd));
  reportError("neu", "p");
  EXPECT_EQ(testing_support::readFile(logPath), "alt" + std::string(platform::textLineEnd) +
                                                    "Fehler:neu Pfad:p" +
                                                    std::string(platform::textLineEnd));
}

TEST_F(ErrorLogTest, ALogThatCannotBeWrittenIsSkipped) {
  for (const std::string& log : {std::string(), path("config")}) {
    logPath = log;
    reportError("Meldung", "p");
    EXPECT_EQ(recorder.texts[control::statusLine], "Meldung");
  }
  EXPECT_FALSE(testing_support::fileExists(path("config/liedkorb.LOG")));
}

}  // namespace
