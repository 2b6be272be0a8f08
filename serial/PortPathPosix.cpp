#include "serial/PortPath.h"

namespace zorv {

namespace {

std::string DefaultPortPath(int32_t PortNumber) {
    return "/dev/ttyS" + std::to_string(static_cast<int64_t>(PortNumber) - 1);
}

TPortPathResolver& Resolver() {
    static TPortPathResolver resolver;
    return resolver;
}

}  // namespace

void SetPortPathResolver(TPortPathResolver NewResolver) { Resolver() = std::move(NewResolver); }

std::string PortDevicePath(int32_t PortNumber) {
    const TPortPathResolver& resolver = Resolver();
    return resolver ? resolver(PortNumber) : DefaultPortPath(PortNumber);
}

}  // namespace zorv
