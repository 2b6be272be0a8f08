#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/Resources.h"
#include "foundation/VersionInfo.h"

namespace zorv {
namespace {

const WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

TEST(Win32Resources, TextResourcesAreRussianAndReadByName) {
    for (const char* name : {"ZORVGSMDEMOSTARTCMD", "ZORVGSMDEMOENCMD", "ZORVGSMDEMOCAPTIONS"}) {
        EXPECT_NE(FindResourceExA(nullptr, "TEXT", name, kRussian), nullptr) << name;
        std::string bytes;
        EXPECT_TRUE(BuiltInResources().Load(name, bytes)) << name;
        EXPECT_FALSE(bytes.empty()) << name;
    }
}

TEST(Win32Resources, BackgroundIsTheUnstretchedTwentyFourBitPicture) {
    const HANDLE image = LoadImageW(GetModuleHandleW(nullptr), L"BACKGROUND", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(image, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(image, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBmih.biWidth, 640);
    EXPECT_EQ(dib.dsBmih.biHeight, 430);
    EXPECT_EQ(dib.dsBmih.biBitCount, 24);
    DeleteObject(image);
}

// The icon group as the resource compiler stores it.
#pragma pack(push, 2)
struct TIconGroupEntry {
    BYTE Width, Height, ColorCount, Reserved;
    WORD Planes, BitCount;
    DWORD BytesInRes;
    WORD Id;
};
#pragma pack(pop)

// 16 to 64 pixels serve 100 to 200 % scaling, 256 (stored as 0) the shell's large views.
TEST(Win32Resources, IconHasImagesFromSixteenToTwoHundredFiftySixPixelsOfThirtyTwoBits) {
    const HRSRC group = FindResourceW(nullptr, L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const WORD*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(header, nullptr);
    const std::vector<int> sizes{16, 24, 32, 48, 64, 0};
    ASSERT_EQ(header[2], sizes.size());
    const auto* entries = reinterpret_cast<const TIconGroupEntry*>(header + 3);
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(entries[i].Width, sizes[i]) << i;
        EXPECT_EQ(entries[i].Height, sizes[i]) << i;
        EXPECT_EQ(entries[i].BitCount, 32) << i;
    }
    const HANDLE large = LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 256, 256, 0);
    EXPECT_NE(large, nullptr);
    DestroyIcon(static_cast<HICON>(large));
}

TEST(Win32Resources, ManifestCarriesTheFileVersion) {
    const HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, manifest)));
    const std::string xml(text, SizeofResource(nullptr, manifest));
    // The program's version resource and the manifest come from the one version.
    std::string block;
    std::string version;
    ASSERT_TRUE(ReadFileVersionInfo(ZORV_PROGRAM_EXE, block));
    ASSERT_TRUE(QueryVersionString(block, "StringFileInfo\\041904E3\\FileVersion", version));
    const std::string expected = "name=\"Zorv.ZorvGSMDemo\" version=\"" + version + "\"";
    EXPECT_NE(xml.find(expected), std::string::npos) << expected;
}

TEST(Win32Resources, ManifestAsksForCommonControlsSix) {
    const HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, manifest)));
    const std::string xml(text, SizeofResource(nullptr, manifest));
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("version=\"6.0.0.0\""), std::string::npos);
}

// Without these Windows stretches the window's bitmap, and Windows 8.1 and later take the program for a Vista one.
TEST(Win32Resources, ManifestDeclaresPerMonitorScalingAndWindowsSevenToEleven) {
    const HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, manifest)));
    const std::string xml(text, SizeofResource(nullptr, manifest));
    for (const char* entry : {">PerMonitorV2, PerMonitor</dpiAwareness>", ">true/pm</dpiAware>",
                              "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                              "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(xml.find(entry), std::string::npos) << entry;
}

}  // namespace
}  // namespace zorv
