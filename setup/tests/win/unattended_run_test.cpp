// The installer run from answer files: which dialogs it walks, in which order,
// and how each run ends.
#include "installed_suite.h"
#include "setup_run.h"

#include "common/suite_registry.h"
#include "common/win_test_support.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include <gtest/gtest.h>

using namespace setup_test;
using Numbers = std::vector<unsigned>;

namespace {

std::string Answers(const std::string& setupLines) {
    return "[Setup]\r\n" + setupLines;
}

// The line of the first outcome of dialog `number`, or "".
std::string OutcomeLine(const Distribution& dist, unsigned number) {
    for (const DialogOutcome& outcome : dist.Dialogs())
        if (outcome.number == number)
            return outcome.line;
    return "";
}

// The work step installs for real: each case starts and ends without the suite.
class UnattendedRun : public ::testing::Test {
  protected:
    SuiteSandbox sandbox_{{"C:\\PSTNEW", "C:\\PSTNEW2", "C:\\OLDPOSTERN", "C:\\PSTREFUSED"}};
};

} // namespace

TEST_F(UnattendedRun, NewInstallationWalksEveryOptionDialog) {
    Distribution dist("new");
    const std::string answers = dist.WriteAnswers(
        "new.ini", Answers("Mode=new\r\nUserDatabase=nt\r\nHostName=mail.example.com\r\n"
                           "Destination=C:\\PSTNEW\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), kWarnedOfMissingPrograms);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 5005, 700}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    // Without an installation option 1 is preset and the others unavailable.
    EXPECT_TRUE(dist.LogContains("symbol RadioDefault=\"1\"\r\n"));
    EXPECT_TRUE(dist.LogContains("symbol OptionsGreyed=\" \"\r\n"));
    EXPECT_TRUE(dist.LogContains("list item OptionsGreyed+=\"2\"\r\n"));
    EXPECT_TRUE(dist.LogContains("list item OptionsGreyed+=\"3\"\r\n"));
    // The destination gets exactly one backslash; 3.51 and later copy F351.
    EXPECT_TRUE(
        dist.LogContains("[Files] adds 0 files from " + dist.Folder() + " to C:\\PSTNEW\\ ("));
    EXPECT_TRUE(dist.LogContains("[F351] adds 0 files"));
    EXPECT_NE(OutcomeLine(dist, 800).find("ButtonChecked=\"1\""), std::string::npos);
    EXPECT_NE(OutcomeLine(dist, 801).find("ButtonChecked=\"1\""), std::string::npos);
    EXPECT_NE(OutcomeLine(dist, 7801).find("mail.example.com"), std::string::npos);
    EXPECT_NE(OutcomeLine(dist, 300).find("C:\\PSTNEW"), std::string::npos);
    // The description file lists no file, but the configuration is written.
    EXPECT_TRUE(dist.LogContains("copy: the copy list is empty"));
    EXPECT_EQ(TextValue(postern::kSuiteGlobalKey, "TopDir"), "C:\\PSTNEW");
}

// A key that no dialog takes, or a user without a password, stops the run
// before any dialog and before anything is changed, naming the line.
TEST_F(UnattendedRun, AnEntryNoDialogTakesIsRefusedBeforeAnything) {
    const std::pair<std::string, std::string> cases[] = {
        {Answers("Mode=new\r\nUserDatabase=own\r\nHostNmae=mail.example.com\r\n"
                 "Destination=C:\\PSTREFUSED\r\n"),
         "line 4: no dialog takes the key HostNmae (the keys are "},
        {Answers("Mode=new\r\nDestination=C:\\PSTREFUSED\r\n") +
             "[Users]\r\nalice=Alice Example,alice-pw\r\nbob=Bob Example\r\n",
         "line 6: the user bob is not given as userid=full name,password"},
    };
    for (const auto& [text, reason] : cases) {
        Distribution dist("refused-key");
        const std::string answers = dist.WriteAnswers("refused.ini", text);
        // Nothing was asked: status 3, whatever the log's cause.
        EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 3u);
        EXPECT_TRUE(dist.DialogNumbers().empty());
        EXPECT_EQ(
            dist.LastLine().rfind("end: fatal stop (answer file " + answers + ": " + reason, 0), 0u)
            << dist.LastLine();
        EXPECT_EQ(GetFileAttributesA("C:\\PSTREFUSED"), INVALID_FILE_ATTRIBUTES);
        HKEY key = nullptr;
        EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey, 0, KEY_READ, &key),
                  ERROR_SUCCESS);
    }
}

TEST_F(UnattendedRun, UpdateIsProposedAndKeepsTheRegisteredValues) {
    RegisteredInstallation installed("C:\\OLDPOSTERN", "old.example.com");
    Distribution dist("update");
    // Only the mode is given: the host name and destination keep the proposals.
    const std::string answers = dist.WriteAnswers("update.ini", Answers("Mode=update\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), kWarnedOfMissingPrograms);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 7801, 300, 5007, 5005, 700}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    EXPECT_FALSE(dist.LogContains("OptionsGreyed"));
    EXPECT_TRUE(dist.LogContains("symbol RadioDefault=\"2\"\r\n"));
    EXPECT_NE(OutcomeLine(dist, 800).find("ButtonChecked=\"2\""), std::string::npos);
    EXPECT_NE(OutcomeLine(dist, 7801).find("old.example.com"), std::string::npos);
    EXPECT_NE(OutcomeLine(dist, 300).find("C:\\OLDPOSTERN"), std::string::npos);
}

// Users are added only by a new installation's wizard: an update's [Users]
// entries are each a warning, and the run completes with status 4.
TEST_F(UnattendedRun, UsersThatNoWizardAskedForAreWarnings) {
    RegisteredInstallation installed("C:\\OLDPOSTERN", "old.example.com");
    Distribution dist("update-users");
    const std::string answers = dist.WriteAnswers(
        "update.ini", Answers("Mode=update\r\n") + "[Users]\r\nalice=Alice Example,alice-pw\r\n");
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 4u);
    const std::vector<std::string> lines = dist.LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              "warning: [Users] line 4: alice not added: the installer did not ask for it");
    EXPECT_EQ(dist.LastLine(), "end: completed");
}

TEST_F(UnattendedRun, RemovalGoesStraightToTheWorkStep) {
    RegisteredInstallation installed("C:\\OLDPOSTERN", "old.example.com");
    Distribution dist("remove");
    const std::string answers = dist.WriteAnswers(
        "remove.ini", Answers("Mode=remove\r\nHostName=ignored\r\nDestination=C:\\OTHER\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 0u);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 5007}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
}

TEST_F(UnattendedRun, ANewInstallationOnAMachineWithOneCanStillBeChosen) {
    RegisteredInstallation installed("C:\\OLDPOSTERN", nullptr);
    TcpipHostName tcpip("tcpip-host", "example.net");
    Distribution dist("new-over-old");
    const std::string answers = dist.WriteAnswers(
        "new.ini", Answers("Mode=new\r\nUserDatabase=own\r\nDestination=C:\\PSTNEW2\\\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), kWarnedOfMissingPrograms);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 5005, 700}));
    EXPECT_NE(OutcomeLine(dist, 801).find("ButtonChecked=\"2\""), std::string::npos);
    EXPECT_TRUE(dist.LogContains(" to C:\\PSTNEW2\\ ("));
    // Without a registered host name the proposal is the TCP/IP one.
    EXPECT_NE(OutcomeLine(dist, 7801).find("\"tcpip-host.example.net\""), std::string::npos)
        << OutcomeLine(dist, 7801);
}

TEST_F(UnattendedRun, UpdateWithoutAnInstallationQuitsWithTheReason) {
    Distribution dist("update-none");
    const std::string answers = dist.WriteAnswers("update.ini", Answers("Mode=update\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 1u);
    const Numbers numbers = dist.DialogNumbers();
    ASSERT_GE(numbers.size(), 3u);
    EXPECT_EQ(numbers[0], 100u);
    EXPECT_EQ(numbers[1], 800u);
    EXPECT_EQ(numbers.back(), 200u); // the quit confirmation ends it
    EXPECT_EQ(dist.LastLine().rfind("end: quit (", 0), 0u) << dist.LastLine();
}

TEST_F(UnattendedRun, HostNameOfLimitLengthEndsInBufferOverflowAndTheFatalStop) {
    Distribution dist("overflow");
    const std::string answers = dist.WriteAnswers(
        "long.ini", Answers("Mode=new\r\nHostName=" + std::string(255, 'h') + "\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 2u);
    EXPECT_TRUE(dist.LogContains("Buffer Overflow"));
    const Numbers numbers = dist.DialogNumbers();
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.back(), 400u);
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 300u), 0);
    EXPECT_EQ(dist.LastLine().rfind("end: fatal stop (", 0), 0u) << dist.LastLine();
}

TEST_F(UnattendedRun, HostNameOneShorterThanTheLimitIsAccepted) {
    Distribution dist("longest");
    const std::string host(254, 'h');
    const std::string answers =
        dist.WriteAnswers("long.ini", Answers("Mode=new\r\nHostName=" + host + "\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), kWarnedOfMissingPrograms);
    EXPECT_FALSE(dist.LogContains("Buffer Overflow"));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    // An update that does not name the host keeps the registered name whole.
    DeleteFileA(dist.LogPath().c_str());
    const std::string update = dist.WriteAnswers("update.ini", Answers("Mode=update\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + update + "\""), kWarnedOfMissingPrograms);
    EXPECT_NE(OutcomeLine(dist, 7801).find("EditTextOut=\"" + host + "\" (default)"),
              std::string::npos)
        << OutcomeLine(dist, 7801);
    EXPECT_EQ(TextValue(postern::kSuiteGlobalKey, "HostName"), host);
}

TEST_F(UnattendedRun, DestinationsThatCannotBeUsedShowTheBadDirectoryDialog) {
    Distribution dist("bad-dest");
    // The source folder in other letters, a relative path, an empty text and a
    // top directory one character too long are each refused with dialog 6400,
    // and the same answer asked again ends the run.
    std::string source = dist.Folder();
    for (char& c : source)
        c = static_cast<char>(islower(static_cast<unsigned char>(c)) ? toupper(c) : tolower(c));
    const std::string tooLong = "C:\\" + std::string(76, 'd'); // 79 characters
    for (const std::string& destination :
         {source, std::string("POSTERN"), std::string("\"\""), tooLong, tooLong + "\\"}) {
        SCOPED_TRACE(destination);
        DeleteFileA(dist.LogPath().c_str());
        const std::string answers = dist.WriteAnswers(
            "bad.ini", Answers("Mode=new\r\nDestination=" + destination + "\r\n"));
        EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 1u);
        const Numbers numbers = dist.DialogNumbers();
        const auto bad = std::find(numbers.begin(), numbers.end(), 6400u);
        ASSERT_NE(bad, numbers.end());
        EXPECT_EQ(*(bad - 1), 300u);
        EXPECT_EQ(*(bad + 1), 300u); // the destination dialog again
        EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 5006u), 0);
        EXPECT_EQ(dist.LastLine().rfind("end: quit (", 0), 0u) << dist.LastLine();
    }
}

TEST_F(UnattendedRun, TheLongestTopDirectoryIsAccepted) {
    Distribution dist("longest-dest");
    const std::string longest = "C:\\" + std::string(75, 'd'); // 78 characters
    const std::string answers = dist.WriteAnswers(
        "ok.ini",
        Answers("Mode=new\r\nHostName=mail.example.com\r\nDestination=" + longest + "\\\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), kWarnedOfMissingPrograms);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 5005, 700}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    EXPECT_EQ(TextValue(postern::kSuiteGlobalKey, "TopDir"), longest);
    postern::RemoveTree(longest);
}

TEST_F(UnattendedRun, AMissingDescriptionFileEndsInTheFatalStop) {
    Distribution dist("no-inf");
    DeleteFileA(dist.Path("pstsuite.inf").c_str());
    const std::string answers = dist.WriteAnswers("new.ini", Answers("Mode=new\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 2u);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{400}));
    EXPECT_EQ(dist.LastLine().rfind("end: fatal stop (", 0), 0u) << dist.LastLine();
    EXPECT_TRUE(dist.LogContains("pstsuite.inf"));
}

TEST_F(UnattendedRun, AMissingSectionEndsInTheFatalStopAfterTheDialogs) {
    Distribution dist("no-section");
    {
        std::ofstream inf(dist.Path("pstsuite.inf"), std::ios::binary | std::ios::trunc);
        inf << "[Files]\r\n[F35]\r\n"; // F351 missing
    }
    const std::string answers = dist.WriteAnswers("new.ini", Answers("Mode=new\r\n"));
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), 2u);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 400}));
    EXPECT_EQ(dist.LastLine().rfind("end: fatal stop (", 0), 0u) << dist.LastLine();
    EXPECT_TRUE(dist.LogContains("F351"));
}
