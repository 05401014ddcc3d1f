// The Hayes command set, dialing, the guard-time escape, the end of a call and DTR.
#include "standins/modem/tests/test_driver.h"

#include <gtest/gtest.h>

namespace modemsim::testing {
namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kConnect = "\r\nCONNECT 1200\r\n";
const std::string kNoCarrier = "\r\nNO CARRIER\r\n";

TEST(HayesCommand, EchoIsOnUntilE0AndBackAfterReset) {
    Driver d;
    EXPECT_EQ(d.Send("AT\r"), "AT\r" + kOk);
    // The LF after E0's CR arrives with echo already off.
    EXPECT_EQ(d.Send("ATE0\r\n"), "ATE0\r" + kOk);
    EXPECT_FALSE(d.modem().echo());
    EXPECT_EQ(d.Send("AT\r"), kOk);
    EXPECT_EQ(d.Send("ATZ\r"), kOk);
    EXPECT_EQ(d.Send("at\r"), "at\r" + kOk);
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("AT&F\r"), kOk);
    EXPECT_TRUE(d.modem().echo());
}

TEST(HayesCommand, OnlyLinesWithAtAreCommands) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("hello\r"), "");
    EXPECT_EQ(d.Send("\r"), "");
    EXPECT_EQ(d.Send("+++ATH0\r"), kOk);
    EXPECT_EQ(d.Send("xyzaTv1\r"), kOk);
}

TEST(HayesCommand, BackspaceEditsTheLine) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("ATY\bV1\r"), kOk);
    EXPECT_EQ(d.Send("ATV1Y\r"), kError);
}

TEST(HayesCommand, SeveralCommandsInOneLine) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("AT E0 V1 X4 M0 L0 &C1 &D2 &K0 S0=0 H0\r"), kOk);
    EXPECT_EQ(d.Send("ATI\r"), "\r\nPOSTERN MODEMSIM\r\n" + kOk);
    // A bad command anywhere makes the whole line ERROR.
    EXPECT_EQ(d.Send("ATE0Y\r"), kError);
    EXPECT_EQ(d.Send("ATE2\r"), kError);
    EXPECT_EQ(d.Send("AT&Q\r"), kError);
    EXPECT_EQ(d.Send("ATX9\r"), kError);
    EXPECT_EQ(d.Send("ATS100=1\r"), kError);
    EXPECT_EQ(d.Send("ATS7=256\r"), kError);
    EXPECT_EQ(d.Send("ATO\r"), kError); // no call to return to
    EXPECT_EQ(d.Send("AT" + std::string(300, 'V') + "\r"), kError);
}

TEST(HayesCommand, ServiceClassIsDataOnly) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("AT+FCLASS=?\r"), "\r\n0\r\n" + kOk);
    EXPECT_EQ(d.Send("AT+FCLASS?\r"), "\r\n0\r\n" + kOk);
    EXPECT_EQ(d.Send("at+fclass=0\r"), kOk);
    EXPECT_EQ(d.Send("AT+FCLASS=1\r"), kError);
    EXPECT_EQ(d.Send("AT+FCLASS=2.0\r"), kError);
    EXPECT_EQ(d.Send("AT+FCLASS\r"), kError);
    EXPECT_EQ(d.Send("AT+FMFR?\r"), kError);
    // An extended command ends at ';', and other commands may follow it.
    EXPECT_EQ(d.Send("AT+FCLASS=0;E1\r"), kOk);
    EXPECT_TRUE(d.modem().echo());
    EXPECT_EQ(d.Send("AT+FCLASS?;+FCLASS=?\r"), "AT+FCLASS?;+FCLASS=?\r\r\n0\r\n\r\n0\r\n" + kOk);
}

TEST(HayesCommand, RegistersReadAndWrite) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("ATS7?\r"), "\r\n050\r\n" + kOk);
    EXPECT_EQ(d.Send("ATS12?\r"), "\r\n025\r\n" + kOk); // 500 ms in 1/50 s
    EXPECT_EQ(d.Send("ATS7=30S7?\r"), "\r\n030\r\n" + kOk);
    EXPECT_EQ(d.Send("ATZ\r"), kOk);
    EXPECT_EQ(d.Send("ATS7?\r"), "ATS7?\r\r\n050\r\n" + kOk);
}

TEST(HayesCommand, NumericAndQuietResults) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("ATV0\r"), "0\r");
    EXPECT_EQ(d.Send("ATY\r"), "4\r");
    EXPECT_EQ(d.Dial(), "5\r");
    d.Wait(1000);
    d.Send("+++");
    EXPECT_EQ(d.Wait(600), "0\r");
    EXPECT_EQ(d.Send("ATQ1H0\r"), "");
    EXPECT_EQ(d.Dial(), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
}

TEST(HayesDial, ConnectsAfterTheDelay) {
    Driver d;
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("ATDT5551234\r"), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Dialing);
    EXPECT_EQ(d.Wait(49), "");
    EXPECT_EQ(d.Wait(1), kConnect);
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
    EXPECT_TRUE(d.HasEvent("dial 5551234 speed=300"));
    EXPECT_TRUE(d.HasEvent("connect 1200"));
    EXPECT_TRUE(d.records().empty()); // only numeric lines record dials
}

TEST(HayesDial, AKeyAbandonsTheDial) {
    Driver d;
    d.Send("ATE0\r");
    d.Send("ATDP123\r\n"); // the LF does not count as a key
    EXPECT_EQ(d.modem().mode(), ModemMode::Dialing);
    EXPECT_EQ(d.Send("x"), kNoCarrier);
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
    EXPECT_EQ(d.Wait(100), "");
}

TEST(HayesEscape, RecognisedAfterSilenceBeforeAndAfter) {
    Driver d;
    d.Send("ATE0\r");
    d.Dial();
    d.Wait(500);
    EXPECT_EQ(d.Send("+++"), "");
    EXPECT_EQ(d.Wait(499), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
    EXPECT_EQ(d.Wait(1), kOk);
    EXPECT_EQ(d.modem().mode(), ModemMode::OnlineCommand);
    EXPECT_TRUE(d.HasEvent("escape"));
    // The call is still up: ATD is refused, ATO goes back, ATH ends it.
    EXPECT_EQ(d.Send("ATD1\r"), kError);
    EXPECT_EQ(d.Send("ATO\r"), kConnect);
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
    d.Wait(600);
    d.Send("+");
    d.Wait(100);
    d.Send("++");
    EXPECT_EQ(d.Wait(500), kOk);
    EXPECT_EQ(d.Send("ATH0\r"), kOk);
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
    EXPECT_TRUE(d.HasEvent("hangup"));
    EXPECT_EQ(d.Send("ATO\r"), kError);
}

TEST(HayesEscape, NotRecognisedRightAfterData) {
    Driver d;
    d.Send("ATE0\r");
    d.Dial();
    d.Wait(1000);
    d.Send("x");
    d.Wait(100);
    d.Send("+++");
    EXPECT_EQ(d.Wait(2000), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
    // Data in the same chunk is "right after" too.
    d.Send("ab+++");
    EXPECT_EQ(d.Wait(2000), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
}

TEST(HayesEscape, NotRecognisedWhenDataFollowsOrPlusesAreSlow) {
    Driver d;
    d.Send("ATE0\r");
    d.Dial();
    d.Wait(1000);
    d.Send("+++");
    d.Wait(200);
    // A byte within the guard time after: the pluses and the CR go to the terminal.
    EXPECT_EQ(d.Send("\r"), "ID=");
    EXPECT_EQ(d.Wait(2000), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
    d.Send("+");
    d.Wait(300);
    d.Send("+");
    d.Wait(300);
    d.Send("+"); // 600 ms from first to last
    EXPECT_EQ(d.Wait(2000), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
}

TEST(HayesEscape, HeldPlusesReachTheTerminalAsData) {
    Driver d;
    d.Logon();
    std::string block = Block({"123", "+++"});
    std::size_t plus = block.find('+');
    d.Send(block.substr(0, plus));
    d.Wait(600);
    d.Send(block.substr(plus, 3)); // looks like an escape until more data comes
    d.Wait(100);
    EXPECT_EQ(d.Send(block.substr(plus + 3)), kPageOk);
    ASSERT_EQ(d.records().size(), 1u);
    EXPECT_NE(d.records()[0].find(" message=+++ "), std::string::npos);
}

TEST(HayesEscape, GuardTimeFollowsS12) {
    Driver d;
    d.Send("ATE0S12=5\r"); // 100 ms
    d.Dial();
    d.Wait(100);
    d.Send("+++");
    EXPECT_EQ(d.Wait(100), kOk);
}

TEST(HayesCall, TerminalHangUpGivesNoCarrierAndKeepsEcho) {
    Driver d;
    EXPECT_EQ(d.Logon("\x1bPG1\r"), "ATE0\r" + kOk + kConnect + "ID=" + kLogonOk);
    EXPECT_EQ(d.Send("\x04\r"), "115 Goodbye\r\x1b\x04\r" + kNoCarrier);
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
    EXPECT_FALSE(d.modem().echo());
    // The usual way out afterwards: "+++", a pause, ATH0.
    d.Wait(1200);
    EXPECT_EQ(d.Send("+++"), "");
    d.Wait(1000);
    EXPECT_EQ(d.Send("ATH0\r"), kOk);
    // And a second call works the same way.
    EXPECT_EQ(d.Dial(), kConnect);
}

TEST(HayesCall, IdleTerminalHangsUpAfterAMinute) {
    Driver d;
    d.Send("ATE0\r");
    d.Dial(); // connected 50 ms before Dial() returns
    EXPECT_EQ(d.Wait(59949), "");
    EXPECT_EQ(d.Wait(1), kNoCarrier);
    EXPECT_TRUE(d.HasEvent("idle"));
}

TEST(HayesCall, CarrierLossIsReportedInOnlineCommandMode) {
    Driver d;
    d.Send("ATE0\r");
    d.Dial();
    d.Wait(600);
    d.Send("+++");
    EXPECT_EQ(d.Wait(600), kOk);
    EXPECT_EQ(d.Wait(60000), kNoCarrier);
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
}

TEST(HayesDtr, DropHangsUpTheCallWithoutAWord) {
    Driver d;
    d.Logon();
    EXPECT_EQ(d.SetDtr(false), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
    EXPECT_TRUE(d.HasEvent("hangup (DTR dropped)"));
    EXPECT_EQ(d.SetDtr(true), "");
    // The next command reaches the modem, and the next call a fresh terminal.
    EXPECT_EQ(d.Send("ATZ\r"), kOk);
    EXPECT_EQ(d.Wait(70000), "");
    EXPECT_EQ(d.SendAndWait("ATD1\r", 100), "ATD1\r" + kConnect);
    EXPECT_EQ(d.Send("\r"), "ID=");
}

TEST(HayesDtr, DropAbandonsADialAndIsOnlyLoggedWithoutACall) {
    Driver d;
    d.Send("ATE0\r");
    d.Send("ATD1\r");
    EXPECT_EQ(d.SetDtr(false), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
    EXPECT_EQ(d.Wait(1000), ""); // no CONNECT later
    d.SetDtr(true);
    EXPECT_EQ(d.SetDtr(false), "");
    EXPECT_TRUE(d.HasEvent("DTR dropped: no call"));
    EXPECT_EQ(d.Send("AT\r"), kOk);
}

TEST(HayesDtr, AmpersandDChoosesWhatADropDoes) {
    Driver ignore;
    ignore.Logon("\x1bPG1\r");
    ignore.Wait(600);
    ignore.Send("+++");
    ignore.Wait(600);
    ignore.Send("AT&D0O\r");
    ignore.SetDtr(false);
    EXPECT_EQ(ignore.modem().mode(), ModemMode::Online);
    EXPECT_EQ(ignore.Send(Block({"123", "abc"})), kPageOk);

    Driver command;
    command.Send("ATE0&D1\r");
    command.Dial();
    EXPECT_EQ(command.SetDtr(false), kOk);
    EXPECT_EQ(command.modem().mode(), ModemMode::OnlineCommand);
    EXPECT_EQ(command.Send("ATO\r"), kConnect);

    Driver reset;
    reset.Send("ATE0&D3\r");
    reset.Dial();
    EXPECT_EQ(reset.SetDtr(false), "");
    EXPECT_EQ(reset.modem().mode(), ModemMode::Command);
    EXPECT_TRUE(reset.modem().echo());

    // ATZ brings back &D2.
    Driver factory;
    factory.Send("ATE0&D0Z\r");
    factory.Dial();
    factory.SetDtr(false);
    EXPECT_EQ(factory.modem().mode(), ModemMode::Command);
    EXPECT_EQ(factory.Send("AT&D4\r"), "AT&D4\r" + kError);
}

} // namespace
} // namespace modemsim::testing
