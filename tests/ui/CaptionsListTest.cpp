#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "CaptionsTestSupport.h"
#include "RowName.h"
#include "foundation/Cp1251.h"
#include "foundation/TextUtils.h"
#include "ui/CaptionFormat.h"

namespace zorv {
namespace {

using test::CaptionsFixture;

const char kMissingLog[] = "TCaptionsList: Unable to find string for StringIdent ";

// The caption file line by line, as the window's texts need it (UTF-8 here).
const char* const kCaptionLines[] = {
    "[Caption Strings]",
    "; Названия кнопок",
    "StartDemoButton_Caption = Записать демо-настройки",
    "EndDemoButton_Caption = Записать заводские настройки",
    "MoneyLittleButton_Caption = Предупредить об оплате",
    "MoneyOffButton_Caption = Отключить услуги охраны",
    "MoneyFullButton_Caption = Услуги оплачены",
    "; Информационные сообщения для разных режимов",
    "; psWaitConnect",
    "WaitConnect_StateInfo = Зорв GSM не подключен.<BR>Проверьте, что драйвера для прибора установлены на "
    "компьютер, и подключите Зорв GSM к компьютеру.",
    "WaitConnect_ActionInfo =",
    "; psWrongVersion",
    "WrongVersion_StateInfo = Зорв GSM подключен.<BR>Необходимо обновить версию программного обеспечения прибора.",
    "WrongVersion_ActionInfo =",
    "; psConnected",
    "Connected_StateInfo = Зорв GSM подключен.<BR>Для того, чтобы начать демонстрацию, нужно записать в прибор "
    "демонстрационные настройки.",
    "Connected_ActionInfo =",
    "; psLoadDemo",
    "LoadDemo_StateInfo = Зорв GSM подключен.<BR>Запись демонстрационных настроек...",
    "LoadDemo_ActionInfo = ",
    "; psDemoLoaded",
    "DemoLoaded_StateInfo = Зорв GSM подключен.<BR>Демонстрационные настройки записаны в прибор, можно начинать "
    "демонстрацию.",
    "DemoLoaded_ActionInfo = Выберите ситуацию на объекте:",
    "; psMoneyLittle",
    "MoneyLittle_StateInfo = Зорв GSM подключен.<BR>Демонстрационные настройки записаны в прибор, можно начинать "
    "демонстрацию.",
    "MoneyLittle_ActionInfo = Выберите ситуацию на объекте:",
    "; psMoneyOff",
    "MoneyOff_StateInfo = Зорв GSM подключен.<BR>Демонстрационные настройки записаны в прибор, можно начинать "
    "демонстрацию.",
    "MoneyOff_ActionInfo = Выберите ситуацию на объекте:",
    "; psMoneyFull",
    "MoneyFull_StateInfo = Зорв GSM подключен.<BR>Демонстрационные настройки записаны в прибор, можно начинать "
    "демонстрацию.",
    "MoneyFull_ActionInfo = Выберите ситуацию на объекте:",
    "; psLoadFtdef",
    "LoadFtdef_StateInfo = Зорв GSM подключен.<BR>Запись заводских настроек...",
    "LoadFtdef_ActionInfo = ",
    "; Информационные сообщения для подключений",
    "ObjectsTitle_Caption = <B>Объекты</B>",
    "ObjectsValue_Caption = %d, %d",
    "CallCenterTitle_Caption = <B>Телефон call-центра</B>",
    nullptr,  // the call-centre number: checked for its form below
    "MyPlovikTitle_Caption = <B>Доступ в облачные сервисы</B>",
    nullptr,  // the cloud-access template: checked for its form below
};

TEST(CaptionResource, HoldsTheFortyTwoLinesOfTheWindowTexts) {
    std::string bytes;
    ASSERT_TRUE(BuiltInResources().Load(kCaptionsResource, bytes));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 42);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
    const std::vector<std::string> lines = SplitLines(bytes);
    ASSERT_EQ(lines.size(), 42u);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (kCaptionLines[i]) {
            EXPECT_EQ(lines[i], Ansi(kCaptionLines[i])) << "line " << i + 1;
        }
    }
    EXPECT_EQ(lines[39].rfind("CallCenterValue_Caption = ", 0), 0u);
    EXPECT_EQ(lines[39].find('%'), std::string::npos);
    EXPECT_EQ(lines[41].rfind("MyPlovikValue_Caption = ", 0), 0u);
}

TEST_F(CaptionsFixture, CloudAccessTemplateGivesLoginAndPasswordWithFourDigits) {
    UseProgramCaptions();
    const std::string templ = Lookup("MyPlovikValue_Caption");
    EXPECT_EQ(templ.size(), 40u);
    const std::string filled = FormatCaption(templ, {7, 7});
    ASSERT_EQ(filled.size(), 36u);
    const size_t bar = filled.find("  |  ");
    ASSERT_NE(bar, std::string::npos);
    const std::string login = filled.substr(0, bar);
    const std::string password = filled.substr(bar + 5);
    const size_t at = login.find('@');
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(at, 14u);
    EXPECT_EQ(login.substr(at - 5, 5), "+0007");
    ASSERT_EQ(password.size(), 8u);
    EXPECT_TRUE(std::all_of(password.begin(), password.begin() + 4, [](char c) { return c >= 'a' && c <= 'z'; }));
    EXPECT_EQ(password.substr(4), "0007");
}

TEST_F(CaptionsFixture, ProgramCaptionsAnswerTheirKeys) {
    UseProgramCaptions();
    EXPECT_EQ(Lookup("StartDemoButton_Caption"), Ansi("Записать демо-настройки"));
    EXPECT_EQ(Lookup("ObjectsValue_Caption"), "%d, %d");
    EXPECT_EQ(Log(), "");
}

TEST_F(CaptionsFixture, EmptyValuesGiveEmptyTextWithoutLogLine) {
    UseProgramCaptions();
    for (const char* key : {"WaitConnect_ActionInfo", "WrongVersion_ActionInfo", "Connected_ActionInfo",
                            "LoadDemo_ActionInfo", "LoadFtdef_ActionInfo"}) {
        EXPECT_EQ(Lookup(key), "") << key;
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(CaptionsFixture, KeysAndSectionMatchInAnyLetterCase) {
    UseProgramCaptions();
    EXPECT_EQ(Lookup("startdemobutton_caption"), Ansi("Записать демо-настройки"));
    EXPECT_EQ(Lookup("OBJECTSTITLE_CAPTION"), Ansi("<B>Объекты</B>"));
    UseCaptionText(Ansi("[caption STRINGS]\r\nКлюч = значение\r\n"));
    EXPECT_EQ(Lookup(Ansi("КЛЮЧ")), Ansi("значение"));
}

TEST_F(CaptionsFixture, MissingKeyGivesFourDotsAndOneLogLinePerLookup) {
    UseProgramCaptions();
    EXPECT_EQ(Lookup("Foo"), "....");
    EXPECT_EQ(Lookup("Foo"), "....");
    const std::string log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_NE(log.find(std::string(kMissingLog) + "Foo\r\n"), std::string::npos);
}

TEST_F(CaptionsFixture, ValueOfFourDotsIsReportedLikeAMissingKey) {
    UseCaptionText("[Caption Strings]\r\nDots = ....\r\n");
    EXPECT_EQ(Lookup("Dots"), "....");
    EXPECT_NE(Log().find(std::string(kMissingLog) + "Dots\r\n"), std::string::npos);
}

TEST_F(CaptionsFixture, EmptyKeyGivesEmptyTextAndNoLogLine) {
    UseProgramCaptions();
    EXPECT_EQ(Lookup(""), "");
    EXPECT_EQ(Log(), "");
}

TEST_F(CaptionsFixture, NoCaptionListGivesEmptyText) {
    EXPECT_EQ(Lookup("StartDemoButton_Caption"), "");
    UseProgramCaptions();
    CaptionsList.reset();
    EXPECT_EQ(Lookup("StartDemoButton_Caption"), "");
    EXPECT_EQ(Log(), "");
}

TEST_F(CaptionsFixture, MissingResourceLeavesEveryKeyMissing) {
    CaptionsList = std::make_unique<TCaptionsList>(resources);
    EXPECT_EQ(Lookup("StartDemoButton_Caption"), "....");
    EXPECT_NE(Log().find(std::string(kMissingLog) + "StartDemoButton_Caption"), std::string::npos);
}

struct ParseCase {
    const char* Name;
    std::string Text;
    const char* Key;
    const char* Expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.Name; }

class CaptionParse : public CaptionsFixture, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(CaptionParse, LooksUpAsTheFileSays) {
    UseCaptionText(GetParam().Text);
    EXPECT_EQ(Lookup(GetParam().Key), GetParam().Expected);
}

const std::string kHeader = "[Caption Strings]\r\n";

template <size_t N>
std::string WithNul(const char (&text)[N]) {
    return std::string(text, N - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CaptionParse,
    ::testing::Values(
        ParseCase{"BlanksAroundKeyAndValue", kHeader + " \tKey \t= \t value \t\r\n", "Key", "value"},
        ParseCase{"ValueHoldsEquals", kHeader + "Key = a=b = c\r\n", "Key", "a=b = c"},
        ParseCase{"LfAndCrBreaks", "[Caption Strings]\nA = 1\rKey = 2", "Key", "2"},
        ParseCase{"CommentIsSkipped", kHeader + "; Key = no\r\n", "Key", "...."},
        ParseCase{"IndentedComment", kHeader + "  ;Key = no\r\n", "Key", "...."},
        ParseCase{"LineWithoutEqualsIsNeverFound", kHeader + "Key\r\n", "Key", "...."},
        ParseCase{"EntryBeforeAnySection", "Key = early\r\n" + kHeader, "Key", "...."},
        ParseCase{"OtherSection", "[Other]\r\nKey = other\r\n", "Key", "...."},
        ParseCase{"BlanksInsideBrackets", "[  Caption Strings ]\r\nKey = x\r\n", "Key", "x"},
        ParseCase{"LaterSectionEndsTheFirst", kHeader + "[Other]\r\nKey = other\r\n", "Key", "...."},
        ParseCase{"FirstOfTwoSectionsAnswers", kHeader + "A = 1\r\n" + kHeader + "Key = 2\r\n", "Key", "...."},
        ParseCase{"FirstOfTwoEntriesAnswers", kHeader + "Key = 1\r\nKEY = 2\r\n", "Key", "1"},
        ParseCase{"TextEndsAtNul", kHeader + WithNul("A = 1\0\r\nKey = 2\r\n"), "Key", "...."},
        ParseCase{"TextBeforeNulCounts", kHeader + WithNul("Key = 1\0tail"), "Key", "1"},
        ParseCase{"ControlCharactersTrimmed", kHeader + "\x01Key\x02=\x1F v \x7F\r\n", "Key", "v \x7F"},
        ParseCase{"BracketAloneIsAnEntry", kHeader + "[\r\nKey = x\r\n", "Key", "x"},
        ParseCase{"EmptyBracketsOpenNamelessSection", kHeader + "[]\r\nKey = x\r\n", "Key", "...."},
        ParseCase{"EqualsAloneIsEmptyKey", kHeader + "=\r\nKey = y\r\n", "Key", "y"}),
    test::RowName());

TEST_F(CaptionsFixture, GarbageTextNeitherCrashesNorFindsWhatItLacks) {
    std::mt19937 random(2331);
    for (int round = 0; round < 50; ++round) {
        std::string text = kHeader;
        const size_t size = random() % 4000;
        for (size_t i = 0; i < size; ++i) text += "[]=;\r\n \x97\xFF\0Kk"[random() % 13];
        text += "\r\nKey = found\r\n";
        UseCaptionText(text);
        const std::string found = Lookup("Key");
        EXPECT_TRUE(found == "found" || found == "....") << round;
        EXPECT_EQ(Lookup("NotThere"), "....");
    }
    UseCaptionText(std::string(1 << 20, '['));
    EXPECT_EQ(Lookup("Key"), "....");
    UseCaptionText(kHeader + "Key = " + std::string(1 << 20, 'x'));
    EXPECT_EQ(Lookup("Key").size(), size_t{1} << 20);
}

}  // namespace
}  // namespace zorv
