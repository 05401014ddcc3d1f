// Each scenario's observable answers, driven through the modem; the terminal options.
#include "standins/modem/tests/test_driver.h"

#include <gtest/gtest.h>

namespace modemsim::testing {
namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kConnect = "\r\nCONNECT 1200\r\n";
const std::string kBusy = "\r\nBUSY\r\n";
const std::string kNoCarrier = "\r\nNO CARRIER\r\n";

TEST(ScenarioTable, HasExactlyTheAdvertisedNames) {
    constexpr std::string_view kNames[] = {"accept",
                                           "echo-on",
                                           "silent",
                                           "busy-then-connect",
                                           "busy-always",
                                           "no-carrier",
                                           "id-in-connect",
                                           "several-crs",
                                           "nak-once",
                                           "nak-always",
                                           "eot-instead-of-ack",
                                           "logon-id-again",
                                           "junk-forever",
                                           "carrier-lost-in-block",
                                           "rs-block",
                                           "numeric",
                                           "numeric-busy",
                                           "numeric-no-carrier"};
    EXPECT_EQ(AllScenarios().size(), std::size(kNames));
    for (std::string_view name : kNames)
        EXPECT_NE(FindScenario(name), nullptr) << name;
    EXPECT_EQ(FindScenario("Accept"), nullptr);
    EXPECT_EQ(FindScenario(""), nullptr);
}

TEST(ScenarioTable, BusyCountComesFromTheOption) {
    EXPECT_EQ(ResolveBehaviour(*FindScenario("busy-then-connect"), 5).modem.busy_dials, 5);
    EXPECT_EQ(ResolveBehaviour(*FindScenario("accept"), 5).modem.busy_dials, 0);
}

TEST(ScenarioOptions, PasswordMustBeOneToSixLettersAndDigits) {
    TerminalBehaviour t;
    EXPECT_EQ(RequiredPassword(t), "");
    EXPECT_TRUE(IsTapPassword("a"));
    EXPECT_TRUE(IsTapPassword("Ab3456"));
    EXPECT_FALSE(IsTapPassword(""));
    EXPECT_FALSE(IsTapPassword("Ab34567"));
    EXPECT_FALSE(IsTapPassword("a-b"));
    EXPECT_FALSE(RequirePassword(t, "two words"));
    EXPECT_EQ(RequiredPassword(t), "");
    EXPECT_TRUE(RequirePassword(t, "SECRET"));
    EXPECT_EQ(RequiredPassword(t), "SECRET");
    EXPECT_TRUE(RequirePassword(t, "x1"));
    EXPECT_EQ(RequiredPassword(t), "x1");
}

TEST(Scenario, EchoOnRefusesE0) {
    Driver d("echo-on");
    EXPECT_EQ(d.Send("ATE0\r"), "ATE0\r" + kError);
    EXPECT_EQ(d.Send("ATE1\r"), "ATE1\r" + kOk);
    EXPECT_EQ(d.Send("ATZ\r"), "ATZ\r" + kOk);
    EXPECT_EQ(d.SendAndWait("ATDT1\r", 100), "ATDT1\r" + kConnect);
}

TEST(Scenario, SilentNeverAnswers) {
    Driver d("silent");
    EXPECT_EQ(d.Send("ATE0\r"), "");
    EXPECT_EQ(d.Send("ATDT5551234\r"), "");
    EXPECT_EQ(d.Wait(5000), "");
    EXPECT_EQ(d.modem().NextDeadline(), kNever);
}

TEST(Scenario, BusyThenConnect) {
    Driver d("busy-then-connect");
    d.Send("ATE0\r");
    EXPECT_EQ(d.Dial(), kBusy);
    EXPECT_EQ(d.Dial(), kBusy);
    EXPECT_EQ(d.Dial(), kConnect);
}

TEST(Scenario, BusyAlwaysAndNoCarrier) {
    Driver busy("busy-always");
    busy.Send("ATE0\r");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(busy.Dial(), kBusy);
    Driver none("no-carrier");
    none.Send("ATE0\r");
    EXPECT_EQ(none.Dial(), kNoCarrier);
    EXPECT_EQ(none.modem().mode(), ModemMode::Command);
    EXPECT_TRUE(none.records().empty());
}

TEST(Scenario, IdInConnect) {
    Driver d("id-in-connect");
    d.Send("ATE0\r");
    EXPECT_EQ(d.Dial(), kConnect + "ID=");
    EXPECT_EQ(d.Send("\x1bPG1\r"), kLogonOk);
}

TEST(Scenario, SeveralCrs) {
    Driver d("several-crs");
    d.Send("ATE0\r");
    d.Dial();
    EXPECT_EQ(d.Send("\r"), "");
    EXPECT_EQ(d.Send("\r\r"), "");
    EXPECT_EQ(d.Send("\r"), "ID=");
}

TEST(Scenario, NakOnceAcrossTheRun) {
    Driver d("nak-once");
    d.Logon();
    std::string block = Block({"123", "abc"});
    EXPECT_EQ(d.Send(block), kNak);
    EXPECT_TRUE(d.records().empty());
    EXPECT_EQ(d.Send(block), kPageOk);
    EXPECT_EQ(d.records().size(), 1u);
    d.Send("\x04\r");
    d.Wait(1000);
    d.Dial();
    d.Send("\r\x1bPG1\r");
    EXPECT_EQ(d.Send(block), kPageOk); // only the first block of the run
}

TEST(Scenario, NakAlways) {
    Driver d("nak-always");
    d.Logon();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.Send(Block({"123", "abc"})), kNak);
    EXPECT_TRUE(d.records().empty());
}

TEST(Scenario, EotInsteadOfAckStillRecords) {
    Driver d("eot-instead-of-ack");
    d.Logon();
    EXPECT_EQ(d.Send(Block({"123", "abc"})), "\x1b\x04\r" + kNoCarrier);
    ASSERT_EQ(d.records().size(), 1u);
    EXPECT_EQ(d.records()[0].rfind("page pager=123 message=abc ", 0), 0u);
}

TEST(Scenario, LogonIdAgain) {
    Driver d("logon-id-again");
    d.Send("ATE0\r");
    d.Dial();
    EXPECT_EQ(d.Send("\r"), "ID=");
    EXPECT_EQ(d.Send("\x1bPG1\r"), "ID=");
    EXPECT_EQ(d.Send("\x1bPG1\r"), kLogonOk);
}

TEST(Scenario, JunkForeverUntilTheCallEnds) {
    Driver d("junk-forever");
    d.Send("ATE0\r");
    EXPECT_EQ(d.Dial(), kConnect); // the first notice is due 100 ms after CONNECT
    const std::string junk = "PLEASE WAIT - QUEUE FULL\r\n";
    EXPECT_EQ(d.Wait(350), junk + junk + junk + junk);
    EXPECT_EQ(d.Send("\r"), "");
    d.Wait(600);
    d.Send("+++");
    std::string out = d.Wait(600);
    EXPECT_EQ(out.substr(out.size() - kOk.size()), kOk);
    EXPECT_EQ(d.Wait(1000), ""); // online-command mode: the far end is not heard
    EXPECT_EQ(d.Send("ATH0\r"), kOk);
    EXPECT_EQ(d.Wait(1000), "");
}

TEST(Scenario, CarrierLostInBlock) {
    Driver d("carrier-lost-in-block");
    d.Logon();
    std::string block = Block({"123", "abc"});
    EXPECT_EQ(d.Send(block.substr(0, block.size() - 1)), "");
    EXPECT_EQ(d.Send("\r"), kNoCarrier);
    EXPECT_TRUE(d.records().empty());
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
}

TEST(Scenario, RsBlock) {
    Driver d("rs-block");
    d.Logon();
    EXPECT_EQ(d.Send(Block({"123", "abc"})), "\x1e\r");
    EXPECT_TRUE(d.records().empty());
}

TEST(Scenario, NumericRecordsTheDialAndStaysSilent) {
    Driver d("numeric");
    d.Send("ATE0\r");
    EXPECT_EQ(d.Send("ATDT5551234,,,,123#\r"), "");
    ASSERT_EQ(d.records().size(), 1u);
    EXPECT_EQ(d.records()[0], "dial number=5551234,,,,123# speed=300");
    EXPECT_EQ(d.Wait(5000), "");
    EXPECT_EQ(d.modem().mode(), ModemMode::Online);
    EXPECT_EQ(d.Send("ATH0\r"), ""); // data while online
    d.Wait(1000);
    d.Send("+++");
    EXPECT_EQ(d.Wait(600), kOk);
    EXPECT_EQ(d.Send("ATH0\r"), kOk);
    EXPECT_EQ(d.modem().mode(), ModemMode::Command);
}

TEST(Scenario, NumericBusyAndNoCarrier) {
    Driver busy("numeric-busy");
    busy.Send("ATE0\r");
    EXPECT_EQ(busy.Send("ATDP555\r"), "");
    EXPECT_EQ(busy.records().size(), 1u);
    EXPECT_EQ(busy.Wait(100), kBusy);
    Driver none("numeric-no-carrier");
    none.Send("ATE0\r");
    EXPECT_EQ(none.SendAndWait("ATD 555 1234\r", 100), kNoCarrier);
    ASSERT_EQ(none.records().size(), 1u);
    EXPECT_EQ(none.records()[0], "dial number= 555 1234 speed=300");
}

} // namespace
} // namespace modemsim::testing
