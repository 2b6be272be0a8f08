#pragma once
// Caption lists built from given text, with the error log in a temporary folder.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "TextResources.h"
#include "foundation/CommonUtils.h"
#include "foundation/Resources.h"
#include "ui/CaptionsList.h"

namespace zorv::test {

class CaptionsFixture : public ::testing::Test {
protected:
    void TearDown() override { CaptionsList.reset(); }
    // The program-wide list, built from the given text instead of the program's resource.
    void UseCaptionText(const std::string& text) {
        resources.Texts[kCaptionsResource] = text;
        CaptionsList = std::make_unique<TCaptionsList>(resources);
    }
    void UseProgramCaptions() { CaptionsList = std::make_unique<TCaptionsList>(BuiltInResources()); }
    std::string Lookup(const std::string& key) {
        std::string text = "not written";
        GetCaption(key, text);
        return text;
    }
    std::string Log() const { return dir.Read("ErrLog.txt"); }

    TempDir dir;
    TErrorLog errors{dir.File("ErrLog.txt"), nullptr};
    TextResources resources;
};

}  // namespace zorv::test
