#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/Cp1251.h"
#include "foundation/Resources.h"
#include "foundation/TextUtils.h"

namespace zorv {
namespace {

std::string Load(const char* name) {
    std::string bytes;
    EXPECT_TRUE(BuiltInResources().Load(name, bytes)) << name;
    return bytes;
}

TEST(Resources, CarryTheScriptsByteForByte) {
    const std::string demo = Load("ZORVGSMDEMOSTARTCMD");
    EXPECT_EQ(demo.size(), 1393u);
    EXPECT_EQ(std::count(demo.begin(), demo.end(), '\n'), 62);
    EXPECT_EQ(demo.find('\r'), std::string::npos);
    EXPECT_NE(demo.find("\nSIM_CHANNELS=1,G \n"), std::string::npos);
    EXPECT_EQ(Load("ZORVGSMDEMOENCMD"), "ftdef\r\nsettings_save\r\n\r\nreset\r\n");
}

TEST(Resources, CarryTheCaptionsInWindows1251WithCrLf) {
    const std::string captions = Load("ZORVGSMDEMOCAPTIONS");
    EXPECT_EQ(std::count(captions.begin(), captions.end(), '\n'), 42);
    EXPECT_EQ(std::count(captions.begin(), captions.end(), '\r'), 42);
    EXPECT_EQ(captions.find("\n\n"), std::string::npos);
    EXPECT_NE(captions.find(Ansi("StartDemoButton_Caption = Записать демо-настройки\r\n")), std::string::npos);
    EXPECT_NE(captions.find("LoadDemo_ActionInfo = \r\n"), std::string::npos);
    EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(Cp1251ToUtf8(captions))), Cp1251ToUtf8(captions));
}

TEST(Resources, UnknownNamesAreNotFound) {
    std::string bytes = "kept";
    EXPECT_FALSE(BuiltInResources().Load("NOSUCHRESOURCE", bytes));
}

}  // namespace
}  // namespace zorv
