#include <gtest/gtest.h>

#include "ui/WindowLayout.h"

namespace zorv {
namespace {

struct TLengthCase {
    int Value;
    int Dpi;
    int Expected;
};

TEST(WindowLayoutScale, LengthsRoundToTheNearestPixel) {
    const TLengthCase cases[] = {
        {640, 96, 640}, {493, 96, 493},  {11, 96, 11},     // the design density changes nothing
        {640, 144, 960}, {493, 144, 740}, {11, 144, 17},   // 739.5 and 16.5 round up
        {13, 120, 16},  {11, 120, 14},   {493, 120, 616},  // 16.25, 13.75, 616.25
        {13, 168, 23},  {493, 192, 986}, {0, 144, 0},
        {-3, 144, -5},  {-2, 120, -3},                     // halves away from zero on both sides
    };
    for (const TLengthCase& c : cases) EXPECT_EQ(ScaleToDpi(c.Value, c.Dpi), c.Expected) << c.Value << " at " << c.Dpi;
}

struct TRectCase {
    TLayoutRect Rect;
    int Dpi;
    TLayoutRect Expected;
};

TEST(WindowLayoutScale, RectanglesScaleTheirEdges) {
    const TRectCase cases[] = {
        {{30, 346, 171, 25}, 96, {30, 346, 171, 25}},
        {{30, 346, 171, 25}, 144, {45, 519, 257, 38}},     // right edge 301.5, bottom 556.5
        {{340, 33, 221, 13}, 144, {510, 50, 332, 19}},     // top 49.5, right 841.5, bottom 69
        {{0, 430, 640, 63}, 144, {0, 645, 960, 95}},       // width would round 94.5 alone; the edges give 95
        {{162, 16, 155, 13}, 120, {203, 20, 193, 16}},
        {{30, 377, 199, 25}, 192, {60, 754, 398, 50}},
    };
    for (const TRectCase& c : cases) {
        const TLayoutRect r = ScaleToDpi(c.Rect, c.Dpi);
        EXPECT_EQ(r.Left, c.Expected.Left) << c.Rect.Left << " at " << c.Dpi;
        EXPECT_EQ(r.Top, c.Expected.Top) << c.Rect.Left << " at " << c.Dpi;
        EXPECT_EQ(r.Width, c.Expected.Width) << c.Rect.Left << " at " << c.Dpi;
        EXPECT_EQ(r.Height, c.Expected.Height) << c.Rect.Left << " at " << c.Dpi;
    }
}

// The picture and the panel fill the client area without a gap at every usual scale.
TEST(WindowLayoutScale, PictureAndPanelStillFillTheClientArea) {
    for (int dpi : {96, 120, 144, 168, 192}) {
        const TLayoutRect picture = ScaleToDpi(kBackgroundRect, dpi);
        const TLayoutRect panel = ScaleToDpi(kPanelRect, dpi);
        EXPECT_EQ(picture.Top + picture.Height, panel.Top) << dpi;
        EXPECT_EQ(panel.Top + panel.Height, ScaleToDpi(kClientHeight, dpi)) << dpi;
        EXPECT_EQ(panel.Width, ScaleToDpi(kClientWidth, dpi)) << dpi;
    }
}

}  // namespace
}  // namespace zorv
