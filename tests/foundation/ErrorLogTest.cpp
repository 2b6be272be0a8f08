#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <sstream>
#include <thread>

#include "TempDir.h"
#include "foundation/CommonUtils.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/Exceptions.h"
#include "foundation/LocalTime.h"
#include "foundation/TextUtils.h"

namespace zorv {
namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    std::string Log() const { return dir.Read("ErrLog.txt"); }

    test::TempDir dir;
    TLocalDateTime now{2026, 12, 7, 4, 35, 9, 123};
    TErrorLog log{dir.File("ErrLog.txt"), [this] { return now; }};
};

TEST_F(ErrorLogTest, WritesTheTextFormWithRegionalStamp) {
    AddErrorLog("TCaptionsList: Unable to find string for StringIdent Foo");
    EXPECT_EQ(Log(), "07.12.2026 4:35:09: TCaptionsList: Unable to find string for StringIdent Foo\r\n");
}

TEST_F(ErrorLogTest, WritesTheDateOnlyDuringTheFirstSecondAfterMidnight) {
    now = {2026, 12, 8, 0, 0, 0, 999};
    AddErrorLog("x");
    now = {2026, 12, 8, 0, 0, 1, 0};
    AddErrorLog("y");
    EXPECT_EQ(Log(), "08.12.2026: x\r\n08.12.2026 0:00:01: y\r\n");
}

TEST_F(ErrorLogTest, GuardWritesTheExceptionFormAndReturnsNormally) {
    const bool completed = Guarded("TZorvGSMDemoMainForm.SendCommand", [] { throw ERangeError("Range check error"); });
    EXPECT_FALSE(completed);
    Guarded("CommonUtils.GetFileVersion", [] { throw std::bad_alloc(); });
    Guarded("TComPortUS.PutBlock", [] { throw 42; });
    EXPECT_EQ(Log(),
              "07.12.2026 4:35:09: TZorvGSMDemoMainForm.SendCommand. Exception ERangeError. Exception message: "
              "Range check error\r\n"
              "07.12.2026 4:35:09: CommonUtils.GetFileVersion. Exception EOutOfMemory. Exception message: "
              "std::bad_alloc\r\n"
              "07.12.2026 4:35:09: TComPortUS.PutBlock. Exception Exception. Exception message: unknown exception\r\n");
    EXPECT_TRUE(Guarded("x", [] {}));
}

TEST_F(ErrorLogTest, AnUnwritableLogIsIgnoredSilently) {
    {
        TErrorLog missingFolder(dir.File("missing-folder/ErrLog.txt"), nullptr);
        EXPECT_NO_THROW(AddErrorLog("lost"));
    }
    TErrorLog folder(dir.Path(), nullptr);  // a folder cannot be opened as a file
    EXPECT_NO_THROW(AddExceptionLog(EOSError("x"), "Unit.Op"));
}

TEST_F(ErrorLogTest, LinesFromSeveralThreadsStayWholeAndNoneIsLost) {
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                AddErrorLog("thread " + std::to_string(t) + " line " + std::to_string(i) + std::string(200, '#'));
        });
    }
    for (auto& th : threads) th.join();
    const std::vector<std::string> lines = SplitLines(Log());
    std::set<std::string> seen;
    for (const std::string& line : lines) {
        ASSERT_EQ(line.rfind("07.12.2026 4:35:09: thread ", 0), 0u) << line;
        ASSERT_EQ(line.substr(line.size() - 200), std::string(200, '#')) << line;
        seen.insert(line);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
    EXPECT_EQ(lines.size(), seen.size());
}

}  // namespace
}  // namespace zorv
