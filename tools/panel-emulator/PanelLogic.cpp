#include "PanelLogic.h"

#include <algorithm>

namespace zorv::emu {

namespace {

const char* const kOk = "OK";
const char* const kUnknownCommand = "UNKNOWN_COMMAND";
const char* const kWrongPassword = "Error: wrong password";
const char* const kValueError = "Value error";

std::set<std::string> UpperKeywords(const std::set<std::string>& keywords) {
    std::set<std::string> upper;
    for (const auto& keyword : keywords) upper.insert(UpperAscii(TrimCommand(keyword)));
    return upper;
}

// The separator that ends the keyword: the first "?", else the first "=", else none.
std::size_t SeparatorPosition(const std::string& command) {
    const auto query = command.find('?');
    return query != std::string::npos ? query : command.find('=');
}

}  // namespace

std::string TrimCommand(const std::string& line) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto first = std::find_if_not(line.begin(), line.end(), isBlank);
    const auto last = std::find_if_not(line.rbegin(), line.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string SwapCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

PanelLogic::PanelLogic(const PanelOptions& options)
    : FOptions(options),
      FSilent(UpperKeywords(options.SilentKeywords)),
      FValueError(UpperKeywords(options.ValueErrorKeywords)),
      FInBootloader(options.StartInBootloader),
      FFirmwareVersion(options.FirmwareVersion) {}

PanelResponse PanelLogic::Respond(const std::string& line) {
    PanelResponse response;
    const std::string command = TrimCommand(line);
    if (command.empty()) return response;

    const auto separatorAt = SeparatorPosition(command);
    const std::string keyword = UpperAscii(TrimCommand(command.substr(0, separatorAt)));
    const char separator = separatorAt == std::string::npos ? '\0' : command[separatorAt];
    if (FSilent.count(keyword)) return response;

    if (FOptions.EchoChangedCase)
        response.Lines.push_back(SwapCase(command));
    else if (FOptions.Echo)
        response.Lines.push_back(command);
    if (FInBootloader)
        AnswerBootloader(keyword, separator, response);
    else
        AnswerMain(command, keyword, separator, response);
    return response;
}

void PanelLogic::Restarted() {
    FInBootloader = false;
    if (FOptions.VersionAfterRestart && !FOptions.VersionAfterRestart->empty())
        FFirmwareVersion = *FOptions.VersionAfterRestart;
}

void PanelLogic::AnswerBootloader(const std::string& keyword, char separator, PanelResponse& response) {
    if (keyword == "VERSION" && separator == '?')
        response.Lines.push_back("Bootloader");
    else if (keyword == "START_MAIN" && separator == '\0')
        response.Restart = !FOptions.BootloaderStuck;
    else
        response.Lines.push_back(kUnknownCommand);
}

void PanelLogic::AnswerMain(const std::string& command, const std::string& keyword, char separator,
                            PanelResponse& response) {
    if (keyword.empty()) {
        response.Lines.push_back(kUnknownCommand);
        return;
    }
    if (FValueError.count(keyword)) {
        response.Lines.push_back(kValueError);
        return;
    }
    const std::string value = separator ? TrimCommand(command.substr(command.find(separator) + 1)) : "";
    if (separator == '?') {
        AnswerQuery(keyword, response);
    } else if (keyword == "AUTH" && separator == '=') {
        AnswerLogin(value, response);
    } else if (separator == '=') {
        const std::string key = TrimCommand(command.substr(0, command.find('=')));
        FSettings[keyword] = value;
        response.Stored = PanelSetting{key, value};
        response.Lines.push_back(kOk);
    } else if (keyword == "START_MAIN") {
        response.Lines.push_back(kUnknownCommand);
    } else {
        if (keyword == "FTDEF") FSettings.clear();
        if (keyword == "RESET") response.Restart = true;
        response.Lines.push_back(kOk);
    }
}

void PanelLogic::AnswerLogin(const std::string& password, PanelResponse& response) {
    if (!FOptions.Password) {
        response.Lines.push_back(kUnknownCommand);
    } else {
        response.Lines.push_back(password == *FOptions.Password ? kOk : kWrongPassword);
    }
}

void PanelLogic::AnswerQuery(const std::string& keyword, PanelResponse& response) const {
    if (keyword == "VERSION") {
        response.Lines.push_back("Main ver=" + FFirmwareVersion);
    } else if (keyword == "KVELT_SN") {
        response.Lines.push_back("KVELT_SN=" + FOptions.SerialNumber);
    } else {
        const auto setting = FSettings.find(keyword);
        response.Lines.push_back(setting == FSettings.end() ? std::string(kUnknownCommand)
                                                            : keyword + "=" + setting->second);
    }
}

}  // namespace zorv::emu
