#pragma once
// Caption lists built from given text, with the error log in a temporary folder.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "TempDir.h"
#include "foundation/CommonUtils.h"
#include "foundation/Resources.h"
#include "ui/CaptionsList.h"

namespace zorv::test {

class TextResources : public IResourceSource {
public:
    bool Load(const std::string& name, std::string& bytes) override {
        const auto it = Texts.find(name);
        if (it == Texts.end()) return false;
        bytes = it->second;
        return true;
    }
    std::map<std::string, std::string> Texts;
};

class CaptionsFixture : public ::testing::Test {
protected:
    void SetUp() override { ErrorLogPath = dir.File("ErrLog.txt"); }
    void TearDown() override {
        CaptionsList.reset();
        SetResourceSource(nullptr);
        ErrorLogPath.clear();
    }
    // The program-wide list, built from the given text instead of the program's resource.
    void UseCaptionText(const std::string& text) {
        resources.Texts[kCaptionsResource] = text;
        SetResourceSource(&resources);
        CaptionsList = std::make_unique<TCaptionsList>();
        SetResourceSource(nullptr);
    }
    void UseProgramCaptions() { CaptionsList = std::make_unique<TCaptionsList>(); }
    std::string Lookup(const std::string& key) {
        std::string text = "not written";
        GetCaption(key, text);
        return text;
    }
    std::string Log() const { return dir.Read("ErrLog.txt"); }

    TempDir dir;
    TextResources resources;
};

}  // namespace zorv::test
