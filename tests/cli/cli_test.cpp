// Runs the built liedkorb-cli as a process on generated libraries.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <thread>

#include "common/state.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

#ifndef _WIN32

namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::writeFile;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string quoted(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

class CliTest : public testing_support::TempFolderTest {
 protected:
  CliRun run(const std::vector<std::string>& args) {
    std::string command = quoted(LIEDKORB_CLI_PATH);
    for (const std::string& a : args) command += " " + quoted(a);
    command += " >" + quoted(path("stdout")) + " 2>" + quoted(path("stderr")) + " </dev/null";
    int status = std::system(command.c_str());
    CliRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(path("stdout"));
    r.err = readFile(path("stderr"));
    return r;
  }

  std::vector<std::string> base() {
    return {"--config", path("cfg"), "--source", path("in"), "--target", path("out"),
            "--covers", path("covers"), "--quiet"};
  }

  void makeLibrary(int count, std::size_t size) {
    makeFolders("in");
    makeFolders("out");
    makeFolders("covers");
    for (int i = 0; i < count; ++i) {
      std::string artist = "Band " + std::to_string(i % 7);
      std::string title = "Lied " + std::to_string(i);
      std::string t = id3::tag(3, {id3::frame(3, "TPE1", id3::textBody(id3::Encoding::latin1, artist)),
                                   id3::frame(3, "TIT2", id3::textBody(id3::Encoding::latin1, title)),
                                   id3::frame(3, "TCON", id3::textBody(id3::Encoding::latin1, "Rock"))});
      writeFile(path("in/song" + std::to_string(i) + ".mp3"),
                id3::mp3File(t, size, "", static_cast<std::uint32_t>(i + 1)));
    }
  }
};

TEST_F(CliTest, SortsAndPrintsTheCounters) {
  makeLibrary(3, 4000);
  writeFile(path("in/untagged.mp3"), id3::audio(3000));
  std::vector<std::string> args = base();
  args.insert(args.end(), {"--kuenstler", "--genre", "--unbekannt"});
  CliRun r = run(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Dateien: 7\nDoppelt: 0\n");
  EXPECT_TRUE(fileExists(path("out/Kuenstler/Band 0/Lied 0.MP3")));
  EXPECT_TRUE(fileExists(path("out/Genre/Rock/song2.mp3")));
  EXPECT_TRUE(fileExists(path("out/Ohne ID3-Tag/untagged.mp3")));
  // Without --save the settings file is not written.
  EXPECT_FALSE(fileExists(path("cfg/liedkorb.INI")));
}

TEST_F(CliTest, EveryFlagReachesItsKey) {
  makeLibrary(0, 0);
  std::vector<std::string> on = base();
  for (const FlagKey& flag : flagKeys) on.push_back("--" + std::string(flag.key));
  on.push_back("--save");
  CliRun r = run(on);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string ini = readFile(path("cfg/liedkorb.INI"));
  for (const FlagKey& flag : flagKeys) {
    EXPECT_NE(ini.find(std::string(flag.key) + "=1"), std::string::npos) << flag.key << "\n" << ini;
  }
  EXPECT_NE(ini.find("quell-pfad=" + path("in")), std::string::npos) << ini;
  EXPECT_NE(ini.find("ziel-pfad=" + path("out")), std::string::npos) << ini;
  EXPECT_NE(ini.find("cover-pfad=" + path("covers")), std::string::npos) << ini;

  std::vector<std::string> off = {"--config", path("cfg"), "--quiet", "--save"};
  for (const FlagKey& flag : flagKeys) off.push_back("--no-" + std::string(flag.key));
  r = run(off);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ini = readFile(path("cfg/liedkorb.INI"));
  for (const FlagKey& flag : flagKeys) {
    EXPECT_NE(ini.find(std::string(flag.key) + "=0"), std::string::npos) << flag.key << "\n" << ini;
  }
  // The paths came from the saved settings this time.
  EXPECT_NE(ini.find("quell-pfad=" + path("in")), std::string::npos) << ini;
}

TEST_F(CliTest, ExitCodes) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string inError;
  };
  makeFolders("out");
  const Case cases[] = {
      {{"--config", path("cfg"), "--source", path("missing"), "--quiet"}, 1, path("missing")},
      {{"--config", path("cfg"), "--frobnicate"}, 2, "--frobnicate"},
      {{"--config", path("cfg"), "--no-frobnicate"}, 2, "--no-frobnicate"},
      {{"--config", path("cfg"), "--target"}, 2, "--target"},
      {{"--config"}, 2, "--config"},
  };
  for (const Case& c : cases) {
    CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
    EXPECT_NE(r.err.find(c.inError), std::string::npos) << r.err;
    if (c.exitCode == 2) {
      EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    EXPECT_EQ(r.out, "");
  }
  // A file is no source folder either.
  writeFile(path("file"), "x");
  EXPECT_EQ(run({"--config", path("cfg"), "--source", path("file")}).exitCode, 1);
}

TEST_F(CliTest, HelpAndVersion) {
  CliRun r = run({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Liedkorb 2.7\n");
  r = run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* option :
       {"--config", "--source", "--target", "--covers", "--save", "--quiet", "--version"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
  for (const FlagKey& flag : flagKeys) {
    EXPECT_NE(r.out.find("--" + std::string(flag.key) + " "), std::string::npos) << flag.key;
  }
}

TEST_F(CliTest, MessagesGoToStandardErrorOnOneLine) {
  makeLibrary(1, 3000);
  writeFile(path("blocker"), "a file where the target folder should be");
  std::vector<std::string> args = {"--config", path("cfg"),     "--source",    path("in"),
                                   "--target", path("blocker"), "--kuenstler", "--quiet"};
  CliRun r = run(args);
  EXPECT_EQ(r.exitCode, 3);  // the file could not be stored
  std::string baseFolder =
      "Fehler!: Verzeichnis " + path("blocker") + "/Kuenstler konnte nicht angelegt werden\n";
  EXPECT_NE(r.err.find(baseFolder), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Fehler!: Verzeichnis !Fehler konnte nicht angelegt werden\n"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "Dateien: 0\nDoppelt: 0\n");
  EXPECT_TRUE(fileExists(path("in/song0.mp3")));
}

// Ctrl+C, a service manager's stop and a closed terminal all end the scan
// after the file in hand, with the copies whole and the table saved.
TEST_F(CliTest, InterruptsStopAfterTheFileInHandAndSaveTheTable) {
  makeLibrary(600, 60000);
  std::vector<std::string> args = base();
  args.insert(args.end(), {"--kuenstler", "--crc", "--crc-save"});
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    std::filesystem::remove_all(testing_support::fsPath(path("out")));
    std::filesystem::remove_all(testing_support::fsPath(path("cfg")));
    makeFolders("out");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::vector<char*> argv;
      std::string program = LIEDKORB_CLI_PATH;
      argv.push_back(program.data());
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) _exit(126);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    // Interrupt once the scan has stored its first copies.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (testing_support::listTree(path("out")).size() < 12 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    std::size_t copies = 0;
    for (const std::string& entry : testing_support::listTree(path("out"))) {
      if (entry.size() > 4 && entry.substr(entry.size() - 4) == ".MP3") {
        ++copies;
        // Every copy is whole: "Lied N.MP3" holds song N.
        std::string name = entry.substr(entry.rfind('/') + 1);
        int i = std::stoi(name.substr(5));
        EXPECT_EQ(readFile(path("out/" + entry)), readFile(path("in/song" + std::to_string(i) + ".mp3")))
            << entry;
      } else {
        EXPECT_EQ(entry.back(), '/') << "stray file " << entry;
      }
    }
    EXPECT_GT(copies, 0u);
    EXPECT_LT(copies, 600u);
    std::string table = readFile(path("cfg/CRC.BIN"));
    ASSERT_EQ(table.size(), 1600004u);
    std::uint32_t count = static_cast<unsigned char>(table[0]) |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(table[1])) << 8 |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(table[2])) << 16;
    EXPECT_EQ(count, copies);
  }
}

}  // namespace

#endif
