#include "foundation/Resources.h"

namespace zorv {
namespace {
IResourceSource* g_source = nullptr;
}

void SetResourceSource(IResourceSource* source) { g_source = source; }

bool LoadResourceText(const std::string& name, std::string& bytes) {
    return (g_source ? *g_source : BuiltInResources()).Load(name, bytes);
}

}  // namespace zorv
