#pragma once
// One command script at a time: loaded from the program's resources, handed
// out command by command with the reply that identifies the panel's answer.
#include <cstdint>
#include <string>
#include <vector>

namespace zorv {

class IResourceSource;

extern const char kStartCmdResource[];  // "ZORVGSMDEMOSTARTCMD", the demonstration settings
extern const char kEndCmdResource[];    // "ZORVGSMDEMOENCMD", the factory settings

class TCommandsList {
public:
    explicit TCommandsList(IResourceSource& Resources);  // Create: the scripts come from Resources
    void InitStartCmd();
    void InitEndCmd();
    void InitAccount(uint32_t ObjectNumber);
    bool GetNextCommand(std::string& Command, std::string& ExpectedReply);
    int32_t Count() const;
    // Drops the commands not yet handed out.
    void Clear();

private:
    void LoadScript(const char* ResourceName, const char* Operation);

    IResourceSource& FResources;
    std::vector<std::string> FLines;
};

}  // namespace zorv
