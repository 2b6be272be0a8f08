#pragma once
// Resources that a test writes. A name it holds no text for is looked up in
// the fallback source, when it was given one (the program's own, say).
#include <map>
#include <string>

#include "foundation/Resources.h"

namespace zorv::test {

class TextResources : public IResourceSource {
public:
    explicit TextResources(IResourceSource* Fallback = nullptr) : FFallback(Fallback) {}

    bool Load(const std::string& name, std::string& bytes) override {
        const auto it = Texts.find(name);
        if (it == Texts.end()) return FFallback && FFallback->Load(name, bytes);
        bytes = it->second;
        return true;
    }

    std::map<std::string, std::string> Texts;

private:
    IResourceSource* FFallback;
};

}  // namespace zorv::test
