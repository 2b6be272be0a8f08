#include <gtest/gtest.h>

#include "PlacesTable.h"
#include "RowName.h"
#include "foundation/ProgramFilesLinux.h"

namespace zorv {
namespace {

const char kUsrProgram[] = "/usr/lib/zorvgsmdemo/ZorvGSMDemo";
const char kEtcIni[] = "/etc/zorvgsmdemo/ZorvGSMDemo.ini";

using PlacesCase = test::PlacesCase<TXdgSettings>;

class ProgramFilesLinuxTest : public ::testing::TestWithParam<PlacesCase> {};

TEST_P(ProgramFilesLinuxTest, PlacesFollowTheProgramsFolderAndTheUsersSettings) { test::ExpectPlaces(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Places, ProgramFilesLinuxTest,
    ::testing::Values(
        PlacesCase{"BuildFolderIsPortable", {"/home/ann/src/build/ZorvGSMDemo", "/home/ann", "", ""}, {},
                   "/home/ann/src/build/ZorvGSMDemo.ini", "ErrLog.txt", ""},
        PlacesCase{"FolderNamedForTheProgramOutsideLibIsPortable",
                   {"/home/ann/mylib/zorvgsmdemo/ZorvGSMDemo", "/home/ann", "", ""},
                   {},
                   "/home/ann/mylib/zorvgsmdemo/ZorvGSMDemo.ini",
                   "ErrLog.txt",
                   ""},
        PlacesCase{"InstalledReadsTheUsersIniWhenThereIsOne",
                   {kUsrProgram, "/home/ann", "", ""},
                   {"/home/ann/.config/zorvgsmdemo/ZorvGSMDemo.ini", kEtcIni},
                   "/home/ann/.config/zorvgsmdemo/ZorvGSMDemo.ini",
                   "/home/ann/.local/state/zorvgsmdemo/ErrLog.txt",
                   "/home/ann/.local/state/zorvgsmdemo"},
        PlacesCase{"InstalledFallsBackToTheSystemsIni", {kUsrProgram, "/home/ann", "", ""}, {}, kEtcIni,
                   "/home/ann/.local/state/zorvgsmdemo/ErrLog.txt", "/home/ann/.local/state/zorvgsmdemo"},
        PlacesCase{"XdgFoldersWinOverTheHomeFolder",
                   {"/tmp/root/usr/local/lib/zorvgsmdemo/ZorvGSMDemo", "/home/ann", "/cfg/", "/var/st//"},
                   {"/cfg/zorvgsmdemo/ZorvGSMDemo.ini"},
                   "/cfg/zorvgsmdemo/ZorvGSMDemo.ini",
                   "/var/st/zorvgsmdemo/ErrLog.txt",
                   "/var/st/zorvgsmdemo"},
        PlacesCase{"RelativeXdgFoldersAreIgnored",
                   {kUsrProgram, "/home/ann", "cfg", "st"},
                   {"cfg/zorvgsmdemo/ZorvGSMDemo.ini", "/home/ann/.config/zorvgsmdemo/ZorvGSMDemo.ini"},
                   "/home/ann/.config/zorvgsmdemo/ZorvGSMDemo.ini",
                   "/home/ann/.local/state/zorvgsmdemo/ErrLog.txt",
                   "/home/ann/.local/state/zorvgsmdemo"},
        PlacesCase{"WithoutAHomeTheLogStaysInTheCurrentFolder", {kUsrProgram, "", "", ""}, {}, kEtcIni, "ErrLog.txt",
                   ""}),
    test::RowName());

}  // namespace
}  // namespace zorv
