#pragma once
// A row of a platform's table of program places: what the platform tells the
// program (Given), which files exist, and where the program then keeps its INI
// file, its error log and the log's folder.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "foundation/ProgramFiles.h"

namespace zorv::test {

template <class Given>
struct PlacesCase {
    const char* Name;
    Given Settings;
    std::set<std::string> Existing;
    std::string Ini;
    std::string ErrorLog;
    std::string StateFolder;
};

template <class Given>
void PrintTo(const PlacesCase<Given>& c, std::ostream* os) { *os << c.Name; }

// The platform's PlaceProgramFiles, found by its settings' type.
template <class Given>
void ExpectPlaces(const PlacesCase<Given>& c) {
    const TProgramPlaces places =
        PlaceProgramFiles(c.Settings, [&c](const std::string& path) { return c.Existing.count(path) > 0; });
    EXPECT_EQ(places.Files.IniFileName, c.Ini);
    EXPECT_EQ(places.Files.ErrorLogFileName, c.ErrorLog);
    EXPECT_EQ(places.StateFolder, c.StateFolder);
}

}  // namespace zorv::test
