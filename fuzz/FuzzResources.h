#pragma once
// A resource source that gives the fuzz input as every resource.
#include <string>

#include "foundation/Resources.h"

namespace zorv::fuzz {

class FuzzResources : public IResourceSource {
public:
    std::string Text;
    bool Load(const std::string&, std::string& bytes) override {
        bytes = Text;
        return true;
    }
};

}  // namespace zorv::fuzz
