#pragma once
// The main window: it holds the program's whole state. Its methods sit beside
// this header, one file per subsystem; docs/architecture.md maps them.
// The window itself (Qt or Win32) only draws and forwards clicks through IMainView.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "dialogue/RingLineReader.h"
#include "discovery/PortFailures.h"
#include "form/ProgramState.h"
#include "form/ProgramTexts.h"
#include "foundation/MessageLoop.h"
#include "ui/MainView.h"

namespace zorv {

class ICommBackend;
class IResourceSource;
class TComPortUS;
class TCommandsList;
class IDeviceSource;
class IDeviceInfoSet;
struct TSerialPort;
struct TDeviceChangeMessage;
struct TReply;

using TSerialPortList = std::vector<std::unique_ptr<TSerialPort>>;

// What the form is handed: the window's message loop and view, and the
// platform's devices, serial ports and resources. The program's main makes
// them; tests hand in fakes.
struct TFormSeams {
    IMessageLoop& Loop;
    IMainView& View;
    IDeviceSource& Devices;
    ICommBackend& Ports;
    IResourceSource& Resources;
    // The program's configuration file and its own file version, both found once by main.
    std::string IniFileName = {};
    std::string FileVersion = {};
};

class TZorvGSMDemoMainForm {
public:
    explicit TZorvGSMDemoMainForm(const TFormSeams& Seams);
    ~TZorvGSMDemoMainForm();
    TZorvGSMDemoMainForm(const TZorvGSMDemoMainForm&) = delete;
    TZorvGSMDemoMainForm& operator=(const TZorvGSMDemoMainForm&) = delete;

    // Start-up and shutdown.
    void OnFormCreate();
    void OnStartProgramTimer(ITimer* Sender);
    void OnFormDestroy();

    // Configuration and logs.
    void ReadIniFile();
    void AddOutControllerLog(const std::string& Text);
    void AddInpControllerLog(const std::string& Text);
    void OnApplicationException(const std::exception& E);
    void ShowMessageBox(const std::string& Text, unsigned Flags);
    // The flags of every message the program shows: an OK button and the error icon (MB_ICONHAND).
    static constexpr unsigned kErrorMessageFlags = 0x10;

    // Device dialogue and reply dispatch.
    void OnComPortReceiveData(TComPortUS* Sender);
    std::string Bytes2String(const std::vector<uint8_t>& Bytes);
    // Dispatches one reply line of the main firmware: to the running script, the login or the serial number.
    void NewString(const std::string& Line);
    void SendCommand(const std::string& Command);
    void OnComPortOpen(TComPortUS* Sender);
    void StartMain();

    // Identification and password.
    void CheckConnectedDevice();
    void OnAskPasswordTimer(ITimer* Sender);
    void StartWrongPasswordTimer();
    void OnWrongPasswordTimer(ITimer* Sender);
    // The written panel did not tell its serial number in time: the write is completed without it.
    void OnWriteSerialTimer(ITimer* Sender);

    // Script execution: the five buttons, the pump and its watchdog.
    void OnStartDemoButtonClick();
    void OnEndDemoButtonClick();
    void OnMoneyLittleButtonClick();
    void OnMoneyOffButtonClick();
    void OnMoneyFullButtonClick();
    void NextCommandFromList();
    void OnSendCommandTimer(ITimer* Sender);

    // State display and captions.
    void ShowCurrentState();
    void SetStartState();
    void InitCaption();

    // Port enumeration and device notifications.
    // Subscribes to the system's device arrival and removal notifications.
    void CreateRegister();
    void OnDeviceChange(const TDeviceChangeMessage& Message);
    void OnCheckPortsTimer(ITimer* Sender);
    void RefreshComPorts(bool Arrival);
    void ClearPortList();
    void FillComPortsList();
    void FillFriendlyNames();
    void CheckComPortsEnabled();
    std::string GetDeviceName(IDeviceInfoSet& DeviceInfoSet, uint32_t Index);
    static void NextToken(const std::string& Text, int32_t& Position, std::string& Token);

    // Port probing and connection.
    // Creates the one buffered port with the panel's line settings and binds its events.
    void SetPortDefault();
    int32_t GetTestedPortNumber();
    // No button calls it: connects the panel's port, or, while the main firmware answers, drops the
    // connection (after "reset", an unplug or a lost port).
    void OnConnectButtonClick();

    // Components of the window.
    TFormattedLabel ProgrammStateInfoLabel;
    TFormattedLabel UserActionInfoLabel;
    TFormattedLabel ObjectsTitleLabel;
    TFormattedLabel CallCenterTitleLabel;
    TFormattedLabel MyPlovikTitleLabel;
    TFormattedLabel ObjectsValueLabel;
    TFormattedLabel CallCenterValueLabel;
    TFormattedLabel MyPlovikValueLabel;
    TButton StartDemoButton;
    TButton EndDemoButton;
    TButton MoneyOffButton;
    TButton MoneyLittleButton;
    TButton MoneyFullButton;

    // The program's state. Public for the tests, which read it and set it up; the windows read none of it.
    std::unique_ptr<TComPortUS> FComPort;
    std::unique_ptr<TSerialPortList> FPortList;
    std::unique_ptr<ITimer> FCheckPortsTimer;
    std::unique_ptr<ITimer> FSendCommandTimer;
    std::unique_ptr<TCommandsList> FCommandsList;
    TProgramState FState = psWaitConnect;
    bool FMainFirmware = false;
    int32_t FTestedPort = -1;
    std::string FFirmwareVersion;
    std::vector<uint8_t> FLineBuffer;
    int32_t FLineLength = 0;
    std::string FCurrentCommand;
    std::string FExpectedReply;
    bool FScriptRunning = false;
    bool FLoadDemoPending = false;
    bool FLoadFtdefPending = false;
    bool FPasswordRequired = false;
    int32_t FSerialNumber = -1;
    int32_t FObjectNumber = 0;
    // The serial number of the panel the waiting write began on, -1 when unknown.
    int32_t FWriteSerialNumber = -1;
    // The completion asked the restarted panel for its serial number and awaits it.
    bool FWriteSerialAsked = false;
    bool FControllerLogEnabled = false;
    std::string FControllerLogFileName;
    std::string FDeviceRoot = "/";
    std::string FIniFileName;

private:
    // Deferred steps: a timer that fires once, kept in Timers until its own handler releases it.
    // FOneShotTimers holds the program's; FConnectionTimers those of one connection (the login and
    // the protected-panel message), which also go when the connection ends.
    using TTimerList = std::vector<std::unique_ptr<ITimer>>;
    void StartOneShotTimer(TTimerList& Timers, unsigned IntervalMs, void (TZorvGSMDemoMainForm::*Handler)(ITimer*));
    static void ReleaseOneShotTimer(TTimerList& Timers, ITimer* Sender);

    // Every way of losing the port ends here: the port closes, the connection's deferred steps
    // go, and a script write that had not sent its "reset" is abandoned.
    void EndConnection();
    void AbandonScriptWrite();
    // A write whose panel did not answer all of it is not reported as written: it is logged,
    // and the panel is identified afresh.
    void AbandonUntakenWrite();
    // Another panel answered after the restart: the write ends unfinished and that panel is identified.
    void AbandonOtherPanelWrite(int32_t AnsweredSerial);
    // The name of the waiting write in the error log: "Demonstration" or "Factory".
    std::string WriteName() const;

    // The completion of a write after its panel's restart: the login, the serial number that
    // tells whether the written panel came back, then the tamper setting and clock.
    void BeginCompletion();
    void AcceptWriteSerialNumber(const TReply& Reply);
    void FinishCompletion();

    // The information panel's titles greyed and its values blank: no panel's object is shown.
    void ShowGreyedPanel();

    // Shows a message once the current handler has returned: a modal box runs a nested
    // message loop, which must not re-enter a scan or a dispatch.
    void TellUser(const std::string& Text);

    // Writes a lasting failure to open a panel port to the error log, and tells
    // the user once per run when the system refused it for want of permission.
    void ReportPortFailure(const char* Operation, int32_t PortNumber, const TPortResult& Result);

    // Steps of the dialogue without names of their own.
    void HandshakeLine(const std::string& Line);
    void AcceptLogin(const TReply& Reply);
    void AcceptSerialNumber(const TReply& Reply);
    void SendBillingCommand(const char* Command, TProgramState State);
    void ScanInputRing();

    IMessageLoop& FLoop;
    IMainView& FView;
    IDeviceSource& FDevices;
    ICommBackend& FPorts;
    IResourceSource& FResources;
    const std::string FFileVersion;
    TPortFailures FPortFailures;
    TTimerList FOneShotTimers;
    TTimerList FConnectionTimers;
    // The script watchdog gave up a command of the running write.
    bool FScriptUnanswered = false;
    // Counts the opens of the port: a step that waits can tell whether its connection outlived the wait.
    uint32_t FConnectionCount = 0;
    // Guards the scan of the input ring against a nested notification.
    bool FScanning = false;
    bool FRescanRequested = false;
    // Reads reply lines out of the port's ring, holding the partial line in FLineBuffer.
    TRingLineReader FLineReader{FLineBuffer, FLineLength};
};

}  // namespace zorv
