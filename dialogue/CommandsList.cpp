#include "dialogue/CommandsList.h"

#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/Resources.h"
#include "foundation/TextUtils.h"

namespace zorv {

const char kStartCmdResource[] = "ZORVGSMDEMOSTARTCMD";
const char kEndCmdResource[] = "ZORVGSMDEMOENCMD";

namespace {

// The expected reply of a command: its keyword, up to the first "?" or, without one, the first "=".
std::string ExpectedReplyOf(const std::string& command) {
    size_t separator = command.find('?');
    if (separator == std::string::npos) separator = command.find('=');
    if (separator == std::string::npos) return std::string();
    const std::string keyword = command.substr(0, separator);
    const std::string upper = AnsiUpperCase(keyword);
    // Version queries are answered with a "ver=" line rather than with their keyword.
    if (upper.find("VERSION") != std::string::npos || upper.find("FIRMWARE") != std::string::npos) return "ver";
    return keyword;
}

}  // namespace

TCommandsList::TCommandsList(IResourceSource& Resources) : FResources(Resources) {}

void TCommandsList::LoadScript(const char* ResourceName, const char* Operation) {
    Guarded(Operation, [&] {
        FLines.clear();
        std::string text;
        if (!FResources.Load(ResourceName, text)) return;
        FLines = SplitLines(UntilNul(text));
    });
}

void TCommandsList::InitStartCmd() { LoadScript(kStartCmdResource, "TCommandsList.InitStartCmd"); }

void TCommandsList::InitEndCmd() { LoadScript(kEndCmdResource, "TCommandsList.InitEndCmd"); }

void TCommandsList::InitAccount(uint32_t ObjectNumber) {
    Guarded("TCommandsList.InitAccount", [&] {
        for (std::string& line : FLines) {
            const std::string stripped = TrimControl(line);
            if (stripped.empty()) continue;
            if (AnsiUpperCase(stripped).find("ACCOUNT=\"\"") != std::string::npos) {
                line = "ACCOUNT=" + std::to_string(ObjectNumber);
                return;
            }
        }
    });
}

bool TCommandsList::GetNextCommand(std::string& Command, std::string& ExpectedReply) {
    bool given = false;
    Guarded("TCommandsList.GetNextCommand", [&] {
        while (!FLines.empty()) {
            std::string line = TrimControl(FLines.front());
            FLines.erase(FLines.begin());
            if (line.empty()) continue;
            ExpectedReply = ExpectedReplyOf(line);
            Command = std::move(line);
            given = true;
            return;
        }
    });
    return given;
}

int32_t TCommandsList::Count() const { return static_cast<int32_t>(FLines.size()); }

void TCommandsList::Clear() { FLines.clear(); }

}  // namespace zorv
