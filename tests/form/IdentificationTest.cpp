#include "DialogueFixture.h"
#include "RowName.h"
#include "foundation/Cp1251.h"

namespace zorv::test {
namespace {

using Lines = std::vector<std::string>;

enum class Outcome { Login, WrongVersion, NoPanel };

struct VersionCase {
    std::string Version;
    Outcome Expected;
};

// The overlong version by its length, not its 300 nines.
void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << (c.Version.size() > 20 ? std::to_string(c.Version.size()) + " characters" : c.Version);
}

class VersionCheck : public DialogueTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionCheck, DecidesBetweenLoginWrongVersionAndNoPanel) {
    Connect();
    Deliver("Main ver=" + GetParam().Version + "\r");
    FLoopFake.Advance(1000);
    const bool login = GetParam().Expected == Outcome::Login;
    EXPECT_EQ(Sent(2), login ? Lines{"AUTH=7653"} : Lines{}) << GetParam().Version;
    const TProgramState state = GetParam().Expected == Outcome::WrongVersion ? psWrongVersion : psWaitConnect;
    EXPECT_EQ(Form.FState, state) << GetParam().Version;
    // The port stays open and the main firmware counts as connected either way.
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_TRUE(FBackend.IsOpen());
    EXPECT_EQ(FLoopFake.LiveTimers(), 3u);  // the one-shot login timer released itself
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionCheck,
    ::testing::Values(VersionCase{"5.1.10.6", Outcome::Login}, VersionCase{"5.2.10.6", Outcome::Login},
                      VersionCase{"5.1.11.0", Outcome::Login}, VersionCase{"5.2.10.7", Outcome::Login},
                      VersionCase{"5.1.10.6.9", Outcome::Login}, VersionCase{"5.1.$B.0", Outcome::Login},
                      VersionCase{"5.1.10.5", Outcome::WrongVersion}, VersionCase{"5.2.9.12", Outcome::WrongVersion},
                      VersionCase{"5.1.10", Outcome::WrongVersion}, VersionCase{"5.1.x.6", Outcome::WrongVersion},
                      VersionCase{"5.1", Outcome::WrongVersion}, VersionCase{"5.3.12.0", Outcome::NoPanel},
                      VersionCase{"6.0.1.1", Outcome::NoPanel}, VersionCase{"", Outcome::NoPanel},
                      VersionCase{"05.1.10.6", Outcome::NoPanel}, VersionCase{"5.1x.10.6", Outcome::NoPanel},
                      VersionCase{"5.1." + std::string(300, '9'), Outcome::NoPanel}),
    RowName());

TEST_F(DialogueTest, LoginFollowsOneHundredMillisecondsAfterTheVersion) {
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    FLoopFake.Advance(99);
    EXPECT_EQ(SentCount(), 2u);
    FLoopFake.Advance(1);
    EXPECT_EQ(Sent(2), (Lines{"AUTH=7653"}));
    EXPECT_EQ(Form.FCurrentCommand, "AUTH=7653");
}

TEST_F(DialogueTest, WholeIdentificationReachesConnected) {
    Identify("5.1.10.6", "123456");
    EXPECT_EQ(Sent(), (Lines{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_TRUE(Form.FPasswordRequired);
    EXPECT_EQ(Form.FSerialNumber, 123456);
    EXPECT_EQ(Form.FObjectNumber, 3456);
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(DialogueTest, DeferredStepsOfAnEndedConnectionDoNotReachTheNextOne) {
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    Form.OnConnectButtonClick();  // the panel goes before its login is due
    Connect();
    const size_t second = SentCount();
    FLoopFake.Advance(1000);
    EXPECT_EQ(Form.FCurrentCommand, "VERSION?");
    EXPECT_EQ(Sent(second), Lines{});

    Deliver("Main ver=5.1.10.6\r");
    FLoopFake.Advance(100);
    Deliver("Error: wrong password\r");
    Form.OnConnectButtonClick();  // the panel goes before the message is due
    FLoopFake.Advance(1000);
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
    EXPECT_EQ(FLoopFake.LiveTimers(), 3u);
}

struct SerialCase {
    const char* Value;
    int32_t SerialNumber;
    int32_t ObjectNumber;
    bool Connected;
};

void PrintTo(const SerialCase& c, std::ostream* os) { *os << c.Value; }

class SerialNumber : public DialogueTest, public ::testing::WithParamInterface<SerialCase> {};

TEST_P(SerialNumber, GivesTheObjectNumber) {
    const SerialCase& c = GetParam();
    Form.FObjectNumber = 42;
    Identify("5.1.10.6", "");
    FViewFake.Labels.clear();
    Deliver(std::string("KVELT_SN=") + c.Value + "\r");
    EXPECT_EQ(Form.FSerialNumber, c.SerialNumber) << c.Value;
    EXPECT_EQ(Form.FObjectNumber, c.ObjectNumber) << c.Value;
    EXPECT_EQ(Form.FState, c.Connected ? psConnected : psWaitConnect) << c.Value;
    EXPECT_FALSE(FViewFake.Labels.empty()) << "the window is redrawn in every case";
}

INSTANTIATE_TEST_SUITE_P(Replies, SerialNumber,
                         ::testing::Values(SerialCase{"123456", 123456, 3456, true}, SerialCase{"0", 0, 0, true},
                                           SerialCase{"-5", -5, 7291, true}, SerialCase{"$FF", 255, 255, true},
                                           SerialCase{"2147483647", 2147483647, 3647, true},
                                           SerialCase{"NOT SET", -1, 42, false}, SerialCase{"12AB", -1, 42, false},
                                           SerialCase{"2147483648", -1, 42, false}, SerialCase{"not set", -1, 42, false},
                                           SerialCase{"", -1, 42, false}),
                         RowName());

TEST_F(DialogueTest, UnconvertibleSerialAfterAGoodOneForgetsTheSerialButKeepsTheObject) {
    Identify("5.1.10.6", "123456");
    Deliver("KVELT_SN=12AB\r");
    EXPECT_EQ(Form.FSerialNumber, -1);
    EXPECT_EQ(Form.FObjectNumber, 3456);
    EXPECT_EQ(Form.FState, psConnected);
}

TEST_F(DialogueTest, NotSetKeepsAnEarlierSerial) {
    Identify("5.1.10.6", "123456");
    Deliver("KVELT_SN=NOT SET\r");
    EXPECT_EQ(Form.FSerialNumber, 123456);
}

TEST_F(DialogueTest, FirmwareWithoutLoginIsIdentified) {
    Identify("5.2.10.6", "77", "UNKNOWN_COMMAND");
    EXPECT_FALSE(Form.FPasswordRequired);
    EXPECT_EQ(Form.FObjectNumber, 77);
    EXPECT_EQ(Form.FState, psConnected);
}

TEST_F(DialogueTest, ProtectedPanelIsReportedAfterOneHundredMilliseconds) {
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    FLoopFake.Advance(100);
    Deliver("Error: wrong password\r");
    FLoopFake.Advance(99);
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
    FLoopFake.Advance(1);
    ASSERT_EQ(FViewFake.MessageBoxes.size(), 1u);
    const auto& box = FViewFake.MessageBoxes[0];
    EXPECT_EQ(box.Flags, 16u);
    EXPECT_EQ(box.Title, MessageBoxTitle());
    EXPECT_EQ(box.Text,
              Ansi("Прибор, подключенный к компьютеру, защищен паролем.\r\n"
                   "Для использования прибора в демонстрационных целях необходимо выполнить сброс настроек прибора "
                   "в заводские значения.\r\n"
                   "Сброс настроек в заводские значения осуществляется с помощью конфигуратора Velmor, который можно "
                   "загрузить с сайта технической поддержки ООО \"Зорв\" (support.zorv.net)"));
    EXPECT_EQ(Form.FState, psWaitConnect);
    EXPECT_EQ(Sent(), (Lines{"", "VERSION?", "AUTH=7653"}));
    FLoopFake.Advance(60000);
    EXPECT_EQ(SentCount(), 3u);
    EXPECT_EQ(FViewFake.MessageBoxes.size(), 1u);
    EXPECT_EQ(FLoopFake.LiveTimers(), 3u);
}

}  // namespace
}  // namespace zorv::test
