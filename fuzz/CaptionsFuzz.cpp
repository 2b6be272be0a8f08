// The caption parser over arbitrary text, and lookups in what it built.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzResources.h"
#include "foundation/ErrorLog.h"
#include "ui/CaptionsList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zorv::fuzz::FuzzResources resources;
    static const zorv::TErrorLog errors("/dev/null", nullptr);  // every missing key writes a line
    resources.Text.assign(reinterpret_cast<const char*>(data), size);
    zorv::TCaptionsList list(resources);
    for (const char* key : {"WaitConnect_StateInfo", "LoadDemo_ActionInfo", "x", "", "=", "[Caption Strings]"}) {
        std::string caption = "unset";
        list.GetCaptionString(key, caption);
        // A value never holds a line break and never has blanks at its ends.
        if (caption.find('\r') != std::string::npos || caption.find('\n') != std::string::npos) __builtin_trap();
        if (!caption.empty() && (static_cast<unsigned char>(caption.front()) <= 32 ||
                                 static_cast<unsigned char>(caption.back()) <= 32))
            __builtin_trap();
    }
    return 0;
}
