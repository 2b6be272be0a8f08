#include <windows.h>

#include "foundation/Resources.h"

namespace zorv {
namespace {

// Resources of type "TEXT" in the program's own module.
class ModuleResourceSource : public IResourceSource {
public:
    bool Load(const std::string& name, std::string& bytes) override {
        HRSRC info = FindResourceA(nullptr, name.c_str(), "TEXT");
        if (!info) return false;
        HGLOBAL handle = LoadResource(nullptr, info);
        if (!handle) return false;
        const void* data = LockResource(handle);
        const DWORD size = SizeofResource(nullptr, info);
        if (data) bytes.assign(static_cast<const char*>(data), size);
        FreeResource(handle);
        return data != nullptr;
    }
};

}  // namespace

IResourceSource& BuiltInResources() {
    static ModuleResourceSource source;
    return source;
}

}  // namespace zorv
