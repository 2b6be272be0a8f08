#include "foundation/EmbeddedResources.h"
#include "foundation/Resources.h"

namespace zorv {
namespace {

class EmbeddedResourceSource : public IResourceSource {
public:
    bool Load(const std::string& name, std::string& bytes) override {
        for (unsigned i = 0; i < kEmbeddedResourceCount; ++i) {
            const EmbeddedResource& r = kEmbeddedResources[i];
            if (name == r.Name) {
                bytes.assign(reinterpret_cast<const char*>(r.Data), r.Size);
                return true;
            }
        }
        return false;
    }
};

}  // namespace

IResourceSource& BuiltInResources() {
    static EmbeddedResourceSource source;
    return source;
}

}  // namespace zorv
