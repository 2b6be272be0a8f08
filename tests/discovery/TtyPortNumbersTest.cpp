#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "RowName.h"
#include "discovery/TtyPortNumbers.h"

namespace zorv {
namespace {

struct NamedRangeCase {
    const char* Tty;
    int32_t Port;
};

void PrintTo(const NamedRangeCase& c, std::ostream* os) { *os << c.Tty; }

class NamedRangeTest : public ::testing::TestWithParam<NamedRangeCase> {};

TEST_P(NamedRangeTest, MapsBothWays) {
    TTtyPortNumbers numbers;
    EXPECT_EQ(numbers.NumberOf(GetParam().Tty), GetParam().Port);
    EXPECT_EQ(numbers.NameOf(GetParam().Port), GetParam().Tty);
}

INSTANTIATE_TEST_SUITE_P(Ranges, NamedRangeTest,
                         ::testing::Values(NamedRangeCase{"ttyS0", 1}, NamedRangeCase{"ttyS99", 100},
                                           NamedRangeCase{"ttyUSB0", 101}, NamedRangeCase{"ttyUSB99", 200},
                                           NamedRangeCase{"ttyACM0", 201}, NamedRangeCase{"ttyACM42", 243},
                                           NamedRangeCase{"ttyACM99", 300}),
                         test::RowName());

TEST(TtyPortNumbersTest, OtherNamesGetNumbersOfTheirOwnThatLast) {
    TTtyPortNumbers numbers;
    const std::vector<std::string> others = {"ttyS100", "ttyAMA0", "ttyS01", "ttyUSB", "rfcomm0", "ttyACM-1", "tty"};
    std::set<int32_t> seen;
    for (const std::string& name : others) {
        const int32_t n = numbers.NumberOf(name);
        EXPECT_GT(n, 1000) << name;
        EXPECT_TRUE(seen.insert(n).second) << name;
        EXPECT_EQ(numbers.NameOf(n), name);
    }
    for (const std::string& name : others) EXPECT_EQ(numbers.NameOf(numbers.NumberOf(name)), name);
    EXPECT_EQ(numbers.NumberOf("ttyAMA0"), 1002);
    EXPECT_EQ(numbers.NumberOf("ttyS1"), 2);  // not confused with ttyS01
}

TEST(TtyPortNumbersTest, NumbersWithoutANameGiveNone) {
    TTtyPortNumbers numbers;
    for (const int32_t n : {0, -1, 301, 1000, 1001, INT32_MAX}) EXPECT_EQ(numbers.NameOf(n), "") << n;
}

TEST(TtyPortNumbersThreadsTest, ConcurrentCallersAgreeOnEveryNumber) {
    TTtyPortNumbers numbers;
    std::vector<std::vector<int32_t>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&numbers, &result] {
            for (int i = 0; i < 200; ++i) result.push_back(numbers.NumberOf("ttyX" + std::to_string(i % 50)));
        });
    }
    for (auto& thread : threads) thread.join();
    for (const auto& result : results) EXPECT_EQ(result, results[0]);
    EXPECT_EQ(std::set<int32_t>(results[0].begin(), results[0].end()).size(), 50u);
}

}  // namespace
}  // namespace zorv
