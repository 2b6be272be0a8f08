#pragma once
// What the tests of a served panel share: a device root of their own, and the
// options of an ordinary panel under it that restarts quickly.
#include <gtest/gtest.h>

#include <chrono>

#include "PanelOptions.h"
#include "TempDir.h"

namespace zorv::test {

class PluggedPanelTest : public ::testing::Test {
protected:
    emu::PanelOptions Options() const {
        emu::PanelOptions options;
        options.DeviceRoot = FRoot.Path();
        options.RestartDelay = std::chrono::milliseconds(20);
        return options;
    }

    TempDir FRoot;
};

}  // namespace zorv::test
