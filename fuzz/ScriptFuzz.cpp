// The script loader, the account line and GetNextCommand over arbitrary script text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzResources.h"
#include "dialogue/CommandsList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static zorv::fuzz::FuzzResources resources;
    uint32_t objectNumber = 0;
    for (int i = 0; i < 4; ++i) objectNumber = (objectNumber << 8) | data[i];
    resources.Text.assign(reinterpret_cast<const char*>(data + 4), size - 4);
    zorv::TCommandsList list(resources);
    list.InitStartCmd();
    const int32_t lines = list.Count();
    list.InitAccount(objectNumber);
    if (list.Count() != lines) __builtin_trap();
    std::string command, reply;
    int32_t given = 0;
    while (list.GetNextCommand(command, reply)) {
        // A command is never empty or padded, and its expected reply is a prefix of it or "ver".
        if (command.empty() || static_cast<unsigned char>(command.front()) <= 32 ||
            static_cast<unsigned char>(command.back()) <= 32)
            __builtin_trap();
        if (reply != "ver" && command.compare(0, reply.size(), reply) != 0) __builtin_trap();
        if (++given > lines) __builtin_trap();
    }
    if (list.Count() != 0) __builtin_trap();
    return 0;
}
