#pragma once
// Resources that a test chooses, installed for the life of the object.
#include <map>
#include <string>

#include "foundation/Resources.h"

namespace zorv::test {

class ScriptResources : public IResourceSource {
public:
    ScriptResources() { SetResourceSource(this); }
    ~ScriptResources() override { SetResourceSource(nullptr); }
    ScriptResources(const ScriptResources&) = delete;
    ScriptResources& operator=(const ScriptResources&) = delete;

    bool Load(const std::string& name, std::string& bytes) override {
        auto it = Texts.find(name);
        if (it == Texts.end()) return false;
        bytes = it->second;
        return true;
    }

    std::map<std::string, std::string> Texts;
};

}  // namespace zorv::test
