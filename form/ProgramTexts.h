#pragma once
// Every fixed text the program shows or writes to its error log, in
// Windows-1251. The windows include this header for their design caption.
#include <cstdint>
#include <string>

namespace zorv {

// Title of every message box of the program.
std::string MessageBoxTitle();

// Design-time caption of the window; start-up appends a blank and the version.
std::string DesignCaption();

// The demonstration script is missing from the program: it cannot work and closes.
std::string NoStartCommandsMessage();

// The panel refuses the default password: it must be reset with the maker's configurator first.
std::string WrongPasswordMessage();

// What the user is told when the system refuses the panel's port for want of permission.
std::string PortAccessMessage(const std::string& DevicePath);

// What the user is told when another program holds the panel's port.
std::string PortBusyMessage(const std::string& DevicePath);

// What the user is told when a settings write ends unfinished; every such message begins with the lead.
std::string WriteNotFinishedLead();
std::string WriteInterruptedMessage();
std::string WriteUnansweredMessage();
std::string OtherPanelMessage(int32_t WrittenSerial, int32_t AnsweredSerial);

// The error log's lines of a write that ends unfinished; WriteName is "Demonstration" or "Factory".
std::string WriteInterruptedLogLine(const std::string& WriteName, const std::string& Command);
std::string WriteUnansweredLogLine(const std::string& WriteName);
std::string OtherPanelLogLine(const std::string& WriteName, int32_t WrittenSerial, int32_t AnsweredSerial);

// The error log's line of a panel port that cannot be opened.
std::string PortFailureLogLine(const char* Operation, int32_t PortNumber, const std::string& DevicePath,
                               const std::string& SystemText);

// The error log's line when the serial port object cannot be made.
std::string PortSetupFailedLogLine();

}  // namespace zorv
