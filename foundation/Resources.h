#pragma once
// Resources of type "TEXT" carried by the program (scripts, captions).
#include <string>

namespace zorv {

class IResourceSource {
public:
    virtual ~IResourceSource() = default;
    // The bytes of the named resource; false when the program carries none of that name.
    virtual bool Load(const std::string& name, std::string& bytes) = 0;
};

// The program's own resources (platform file: embedded table or Win32 module resources).
IResourceSource& BuiltInResources();

}  // namespace zorv
