#pragma once
// The commands of the demonstration script as the panel must receive them, with
// the reply that identifies the panel's answer to each.
#include <string>
#include <utility>
#include <vector>

namespace zorv::test {

struct ScriptCommand {
    std::string Command;
    std::string ExpectedReply;
};

// A list of Count comma-separated values, "1" at the given positions (from 1), "0" elsewhere.
inline std::string ZeroOneList(int count, std::vector<int> ones) {
    std::string text;
    for (int position = 1; position <= count; ++position) {
        if (position > 1) text += ',';
        bool one = false;
        for (int p : ones) one = one || p == position;
        text += one ? '1' : '0';
    }
    return text;
}

// The 52 commands in order; the account line carries the given object number.
inline std::vector<ScriptCommand> DemoScriptCommands(const std::string& objectNumber) {
    const std::string gateway = "gw.zorv.net";
    std::vector<ScriptCommand> commands = {
        {"ftdef", ""},
        {"REFRESH_PART_STATE", ""},
        {"ACCOUNT=" + objectNumber, "ACCOUNT"},
        {"KVELT_SN_ENABLED=1", "KVELT_SN_ENABLED"},
    };
    for (const char* zone : {"0", "3", "7"}) commands.push_back({std::string("ZONE_ENABLED=") + zone + ",1", "ZONE_ENABLED"});
    for (const char* map : {"0,0,2", "0,1,2", "0,2,1", "0,3,1", "0,4,4", "3,0,0", "3,1,1", "3,2,2", "3,3,3", "3,4,4",
                            "7,0,2", "7,1,2", "7,2,1", "7,3,1", "7,4,4"})
        commands.push_back({std::string("STATEMAP=") + map, "STATEMAP"});
    commands.push_back({"PART_ENABLED=0,1", "PART_ENABLED"});
    commands.push_back({"PART_ENABLED=1,1", "PART_ENABLED"});
    commands.push_back({"PART_ZONES=0=" + ZeroOneList(47, {4}), "PART_ZONES"});
    commands.push_back({"PART_ZONES=0=" + ZeroOneList(51, {4}), "PART_ZONES"});
    commands.push_back({"PART_ZONES=1=" + ZeroOneList(47, {1, 8}), "PART_ZONES"});
    commands.push_back({"PART_ZONES=1=" + ZeroOneList(51, {1, 8}), "PART_ZONES"});
    commands.push_back({"USER_ENABLED=0,1", "USER_ENABLED"});
    commands.push_back({"USER_ENABLED=1,1", "USER_ENABLED"});
    commands.push_back({"USER_KEYBOARD_CODE=0,5825", "USER_KEYBOARD_CODE"});
    commands.push_back({"USER_KEYBOARD_CODE=1,8619", "USER_KEYBOARD_CODE"});
    commands.push_back({"USER_PARTS=0=" + ZeroOneList(32, {1, 2}), "USER_PARTS"});
    commands.push_back({"USER_PARTS=1=" + ZeroOneList(32, {2}), "USER_PARTS"});
    commands.push_back({"ADDR=0," + gateway, "ADDR"});
    commands.push_back({"ADDR=1," + gateway, "ADDR"});
    commands.push_back({"PORT=0,27070", "PORT"});
    commands.push_back({"PORT=1,27070", "PORT"});
    commands.push_back({"SIM_CHANNELS=0,G", "SIM_CHANNELS"});
    commands.push_back({"SIM_CHANNELS=1,G", "SIM_CHANNELS"});
    commands.push_back({"ETH_ADDR=0," + gateway, "ETH_ADDR"});
    commands.push_back({"ETH_ADDR=1," + gateway, "ETH_ADDR"});
    commands.push_back({"ETH_PORT=0,27070", "ETH_PORT"});
    commands.push_back({"ETH_PORT=1,27070", "ETH_PORT"});
    commands.push_back({"SPEAKER_CONFIRM_ARMING_BY_USER=1", "SPEAKER_CONFIRM_ARMING_BY_USER"});
    commands.push_back({"SPEAKER_CONFIRM_DISARMING_BY_USER=1", "SPEAKER_CONFIRM_DISARMING_BY_USER"});
    commands.push_back({"USE_AS_SIREN=1", "USE_AS_SIREN"});
    commands.push_back({"VOLUME=150", "VOLUME"});
    commands.push_back({"SIREN_ON_TIME=60", "SIREN_ON_TIME"});
    commands.push_back({"SIREN_SILENCE_TIME=300", "SIREN_SILENCE_TIME"});
    commands.push_back({"settings_save", ""});
    commands.push_back({"reset", ""});
    return commands;
}

inline std::vector<std::string> CommandTexts(const std::vector<ScriptCommand>& commands) {
    std::vector<std::string> texts;
    for (const auto& c : commands) texts.push_back(c.Command);
    return texts;
}

}  // namespace zorv::test
