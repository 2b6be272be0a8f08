#pragma once
// Parameterised tests are named by their row: what the row's PrintTo prints,
// each character a test name cannot hold made '_'. CTest lists the printed
// row beside the name, so a row without PrintTo would show its bytes.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace zorv::test {

struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        std::string name = ::testing::PrintToString(info.param);
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name.empty() ? "Empty" : name;
    }
};

}  // namespace zorv::test
