#include <gtest/gtest.h>

#include "CaptionsTestSupport.h"
#include "FormHarness.h"
#include "RowName.h"
#include "StateViews.h"
#include "form/ZorvGSMDemoMain.h"
#include "foundation/Cp1251.h"

namespace zorv {
namespace {

const char kGreyOpen[] = "<FONT color=\"#96938D\">";
const std::string kPlaceholder = "<FONT color=\"#96938D\">\x97\x97</FONT>";
const std::string kConnectedText = Ansi("Зорв GSM подключен.<BR>");
const std::string kChooseText = Ansi("Выберите ситуацию на объекте:");

std::string Grey(const std::string& text) { return kGreyOpen + text + "</FONT>"; }

class StateDisplay : public test::CaptionsFixture, protected test::FakeForm {
protected:
    void SetUp() override {
        CaptionsFixture::SetUp();
        UseProgramCaptions();
    }
    std::string Label(TLabelId id) { return FViewFake.Labels[id]; }
    // Enabled of StartDemo, MoneyLittle, MoneyOff, MoneyFull, EndDemo as "10001".
    std::string Buttons() {
        std::string bits;
        for (TButtonId id : {TButtonId::StartDemo, TButtonId::MoneyLittle, TButtonId::MoneyOff, TButtonId::MoneyFull,
                             TButtonId::EndDemo}) {
            const auto it = FViewFake.Enabled.find(id);
            bits += it == FViewFake.Enabled.end() ? '?' : it->second ? '1' : '0';
        }
        return bits;
    }
    void Show(TProgramState state, int32_t objectNumber = 0) {
        Form.FState = state;
        Form.FObjectNumber = objectNumber;
        Form.ShowCurrentState();
    }
    void ExpectGreyedPanel() {
        EXPECT_EQ(Label(TLabelId::ObjectsTitle), Grey(Ansi("<B>Объекты</B>")));
        EXPECT_EQ(Label(TLabelId::CallCenterTitle), Grey(Ansi("<B>Телефон call-центра</B>")));
        EXPECT_EQ(Label(TLabelId::MyPlovikTitle), Grey(Ansi("<B>Доступ в облачные сервисы</B>")));
        EXPECT_EQ(Label(TLabelId::ObjectsValue), kPlaceholder);
        EXPECT_EQ(Label(TLabelId::CallCenterValue), kPlaceholder);
        EXPECT_EQ(Label(TLabelId::MyPlovikValue), kPlaceholder);
    }
    std::string CallCenterNumber() { return Lookup("CallCenterValue_Caption"); }
    // The form's error log, opened after the captions fixture's, takes the lines.
    std::string Log() const { return FHarness.ErrorLog(); }
};

struct StateRow {
    TProgramState State;
    const char* StateText;  // UTF-8, after "Зорв GSM подключен.<BR>" unless it starts with "!"
    bool ChooseAction;
    const char* Buttons;
    bool Filled;
};

void PrintTo(const StateRow& row, std::ostream* os) { *os << test::StateName(row.State); }

class StateTable : public StateDisplay, public ::testing::WithParamInterface<StateRow> {};

TEST_P(StateTable, ShowsTextsButtonsAndPanel) {
    const StateRow& row = GetParam();
    Show(row.State, 3456);
    const std::string stateText =
        row.StateText[0] == '!' ? Ansi(row.StateText + 1) : kConnectedText + Ansi(row.StateText);
    EXPECT_EQ(Label(TLabelId::ProgrammStateInfo), stateText);
    EXPECT_EQ(Label(TLabelId::UserActionInfo), row.ChooseAction ? kChooseText : "");
    EXPECT_EQ(Buttons(), row.Buttons);
    if (row.Filled) {
        EXPECT_EQ(Label(TLabelId::ObjectsTitle), Ansi("<B>Объекты</B>"));
        EXPECT_EQ(Label(TLabelId::CallCenterTitle), Ansi("<B>Телефон call-центра</B>"));
        EXPECT_EQ(Label(TLabelId::MyPlovikTitle), Ansi("<B>Доступ в облачные сервисы</B>"));
        EXPECT_EQ(Label(TLabelId::ObjectsValue), "3456, 3457");
        EXPECT_EQ(Label(TLabelId::CallCenterValue), CallCenterNumber());
        EXPECT_EQ(Label(TLabelId::MyPlovikValue), "demo_zorv+3456@zorv.net  |  zorv3456");
    } else {
        ExpectGreyedPanel();
    }
    EXPECT_EQ(Log(), "");
}

const char kDemoLoadedText[] = "Демонстрационные настройки записаны в прибор, можно начинать демонстрацию.";

INSTANTIATE_TEST_SUITE_P(
    AllStates, StateTable,
    ::testing::Values(
        StateRow{psWaitConnect,
                 "!Зорв GSM не подключен.<BR>Проверьте, что драйвера для прибора установлены на компьютер, и "
                 "подключите Зорв GSM к компьютеру.",
                 false, "00000", false},
        StateRow{psWrongVersion, "Необходимо обновить версию программного обеспечения прибора.", false, "00000",
                 false},
        StateRow{psConnected,
                 "Для того, чтобы начать демонстрацию, нужно записать в прибор демонстрационные настройки.", false,
                 "10001", false},
        StateRow{psLoadDemo, "Запись демонстрационных настроек...", false, "00000", false},
        StateRow{psDemoLoaded, kDemoLoadedText, true, "01101", true},
        StateRow{psMoneyLittle, kDemoLoadedText, true, "00111", true},
        StateRow{psMoneyOff, kDemoLoadedText, true, "01011", true},
        StateRow{psMoneyFull, kDemoLoadedText, true, "01101", true},
        StateRow{psLoadFtdef, "Запись заводских настроек...", false, "00000", false}),
    test::RowName());

TEST_F(StateDisplay, StartStateResetsTheDialogueAndGreysThePanel) {
    Form.FMainFirmware = Form.FScriptRunning = Form.FLoadDemoPending = Form.FLoadFtdefPending = true;
    Form.FPasswordRequired = true;
    Form.FSerialNumber = 123456;
    Form.FObjectNumber = 3456;
    Show(psMoneyFull, 3456);
    Form.SetStartState();
    EXPECT_FALSE(Form.FMainFirmware || Form.FScriptRunning || Form.FLoadDemoPending || Form.FLoadFtdefPending ||
                 Form.FPasswordRequired);
    EXPECT_EQ(Form.FSerialNumber, -1);
    EXPECT_EQ(Form.FObjectNumber, 0);
    EXPECT_EQ(Form.FState, psWaitConnect);
    EXPECT_EQ(Buttons(), "00000");
    ExpectGreyedPanel();
}

TEST_F(StateDisplay, ObjectNumberZeroShowsFourZerosInLoginAndPassword) {
    Show(psDemoLoaded, 0);
    EXPECT_EQ(Label(TLabelId::ObjectsValue), "0, 1");
    EXPECT_EQ(Label(TLabelId::MyPlovikValue), "demo_zorv+0000@zorv.net  |  zorv0000");
}

TEST_F(StateDisplay, ObjectNumber9999ShowsTheNextNumberInFiveDigits) {
    Show(psMoneyOff, 9999);
    EXPECT_EQ(Label(TLabelId::ObjectsValue), "9999, 10000");
    EXPECT_EQ(Label(TLabelId::MyPlovikValue), "demo_zorv+9999@zorv.net  |  zorv9999");
}

TEST_F(StateDisplay, StateAboveEightChangesNothing) {
    Show(psDemoLoaded, 42);
    const auto labels = FViewFake.Labels;
    const auto enabled = FViewFake.Enabled;
    for (int state : {9, 200, 255}) Show(static_cast<TProgramState>(state), 7);
    EXPECT_EQ(FViewFake.Labels, labels);
    EXPECT_EQ(FViewFake.Enabled, enabled);
}

TEST_F(StateDisplay, WithoutCaptionListLabelsAreEmptyAndTitlesGreyedEmpty) {
    CaptionsList.reset();
    Show(psDemoLoaded, 5);
    EXPECT_EQ(Label(TLabelId::ProgrammStateInfo), "");
    EXPECT_EQ(Label(TLabelId::ObjectsValue), "");
    Show(psConnected);
    EXPECT_EQ(Label(TLabelId::ObjectsTitle), Grey(""));
    EXPECT_EQ(Buttons(), "10001");
}

TEST_F(StateDisplay, MissingCaptionShowsFourDotsAndIsLogged) {
    UseCaptionText("[Caption Strings]\r\nConnected_StateInfo = here\r\n");
    Show(psConnected);
    EXPECT_EQ(Label(TLabelId::ProgrammStateInfo), "here");
    EXPECT_EQ(Label(TLabelId::UserActionInfo), "....");
    EXPECT_EQ(Label(TLabelId::ObjectsTitle), Grey("...."));
    EXPECT_NE(Log().find("StringIdent Connected_ActionInfo"), std::string::npos);
}

// A caption with conversions the program does not fill must neither crash nor read
// past its arguments: the failure is logged and the labels written so far stay.
TEST_F(StateDisplay, UnexpectedConversionsInValueCaptionsAreLoggedNotFormatted) {
    UseCaptionText(
        "[Caption Strings]\r\nObjectsValue_Caption = %s%s%n%d\r\nMyPlovikValue_Caption = %d %d %d\r\n"
        "CallCenterValue_Caption = 100%\r\n");
    Show(psMoneyLittle, 12);
    EXPECT_EQ(Buttons(), "00111");
    EXPECT_EQ(Label(TLabelId::ObjectsTitle), "....");
    EXPECT_EQ(FViewFake.Labels.count(TLabelId::ObjectsValue), 0u);
    EXPECT_NE(Log().find("TZorvGSMDemoMainForm.ShowCurrentState. Exception EConvertError."), std::string::npos);

    UseCaptionText("[Caption Strings]\r\nObjectsValue_Caption = %d%%, %5d\r\n"
                   "MyPlovikValue_Caption = %d %d %d\r\n");
    Show(psMoneyLittle, 12);
    EXPECT_EQ(Label(TLabelId::ObjectsValue), "12%,    13");
    EXPECT_EQ(FViewFake.Labels.count(TLabelId::MyPlovikValue), 0u);
}

TEST_F(StateDisplay, InitCaptionSetsButtonCaptionsAndGreyedPanel) {
    Form.InitCaption();
    EXPECT_EQ(FViewFake.Captions[TButtonId::StartDemo], Ansi("Записать демо-настройки"));
    EXPECT_EQ(FViewFake.Captions[TButtonId::EndDemo], Ansi("Записать заводские настройки"));
    EXPECT_EQ(FViewFake.Captions[TButtonId::MoneyLittle], Ansi("Предупредить об оплате"));
    EXPECT_EQ(FViewFake.Captions[TButtonId::MoneyOff], Ansi("Отключить услуги охраны"));
    EXPECT_EQ(FViewFake.Captions[TButtonId::MoneyFull], Ansi("Услуги оплачены"));
    ExpectGreyedPanel();
    EXPECT_TRUE(FViewFake.Enabled.empty());
    EXPECT_EQ(Log(), "");
}

}  // namespace
}  // namespace zorv
