"""The Windows installer, for check_packages.py: its tables as msiinfo shows them, and
under Wine an install for the whole machine, the installed program (which keeps its
log in the user's folder and does the whole road against an emulated panel), a newer
package that replaces it in place and the removal, which leaves the user's own files."""
import os
import pathlib
import re
import subprocess
import tempfile
import uuid

ROOT = pathlib.Path(__file__).resolve().parents[2]
NAME = "Зорв GSM: демонстрация"
SHORTCUT = "Зорв GSM - демонстрация"
UPGRADE_CODE = re.search(r'UpgradeCode="([0-9a-f-]+)"', (ROOT / "packaging/windows/ZorvGSMDemo.wxs").read_text()).group(1)
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# Windows Installer's "maximum version is included" and "migrate features".
INCLUSIVE_UPGRADE = "513"


def table(msi, name):
    """The rows of one table as msiinfo exports it, below its three header lines."""
    out = subprocess.run(["msiinfo", "export", str(msi), name], capture_output=True, check=True).stdout.decode()
    return [line.split("\t") for line in out.splitlines()[3:]]


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def newer_package(msi, folder, version):
    """The same package as a newer release would be: another product code, a higher version."""
    newer = folder / "newer.msi"
    newer.write_bytes(msi.read_bytes())
    for query in (f"UPDATE `Property` SET `Value` = '{version}' WHERE `Property` = 'ProductVersion'",
                  f"UPDATE `Property` SET `Value` = '{{{str(uuid.uuid4()).upper()}}}' WHERE `Property` = 'ProductCode'",
                  "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'",
                  "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES "
                  f"('{{{UPGRADE_CODE.upper()}}}', '{version}', {INCLUSIVE_UPGRADE}, 'WIX_UPGRADE_DETECTED')"):
        subprocess.run(["msibuild", str(newer), "-q", query], check=True, capture_output=True)
    return newer


def installed_entries(wine_run, folder):
    """The installed-programs entries of this program: (version, publisher) each."""
    exported = folder / "uninstall.reg"
    subprocess.run([wine_run, "reg", "export", UNINSTALL_KEY, windows_path(exported), "/y"], capture_output=True,
                   timeout=120)
    text = exported.read_bytes().decode("utf-16") if exported.exists() else ""
    entries = []
    for section in text.split("\n["):
        values = dict(re.findall(r'^"([^"]+)"="(.*)"\r?$', section, re.M))
        if values.get("DisplayName") == NAME:
            entries.append((values.get("DisplayVersion"), values.get("Publisher")))
    return entries


def check_tables(msi, check, version):
    properties = {row[0]: row[1] for row in table(msi, "Property") if len(row) > 1}
    check("the installer carries the version, the Russian name, the publisher and the fixed upgrade code",
          properties.get("ProductVersion") == version and properties.get("ProductName") == NAME
          and properties.get("Manufacturer") == "Zorv" and properties.get("UpgradeCode", "").lower()
          == f"{{{UPGRADE_CODE}}}", f"{properties}")
    check("the installer installs for the whole machine", properties.get("ALLUSERS") == "1", f"{properties}")
    shortcuts = [row for row in table(msi, "Shortcut") if len(row) > 4]
    check("the installer's Start-menu shortcut has the Russian name and starts the program",
          any(row[1] == "ProgramMenuFolder" and row[2].endswith("|" + SHORTCUT)
              and row[4] == "[INSTALLDIR]ZorvGSMDemo.exe" for row in shortcuts), f"{shortcuts}")
    upgrades = [row for row in table(msi, "Upgrade") if len(row) > 6]
    check("a newer package replaces this one, also one that differs in the fourth field only",
          any(row[2] == version and row[4] == INCLUSIVE_UPGRADE and row[6] == "WIX_UPGRADE_DETECTED"
              for row in upgrades), f"{upgrades}")


def check_installer(msi, wine_run, check_program, check_road, check, version):
    """check_program(exe, name, where) starts the program and checks its window; check_road(exe)
    has it prepare an emulated panel for the demonstration and back."""
    check_tables(msi, check, version)
    prefix = pathlib.Path(os.environ.get("WINEPREFIX", f"{os.environ.get('TMPDIR', '/tmp')}/zorv-wine-{os.getuid()}"))
    program = prefix / "drive_c/Program Files/ZorvGSMDemo/ZorvGSMDemo.exe"

    def msiexec(action, package):
        return subprocess.run([wine_run, "msiexec", action, windows_path(package), "/qn"], capture_output=True,
                              timeout=300).returncode

    def shortcuts():
        # Wine puts a per-machine package's shortcut into the user's Start menu, Windows into the common one.
        return list((prefix / "drive_c").glob(f"**/Start Menu/Programs/{SHORTCUT}.lnk"))

    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        user = next(p for p in (prefix / "drive_c/users").iterdir() if p.name != "Public")
        log_folder = user / "AppData/Local/ZorvGSMDemo"
        check("the program from the zip, which may write its own folder, made no log folder of the user's",
              not log_folder.exists())
        check("msiexec installs the package quietly", msiexec("/i", msi) == 0)
        check("the program and its example INI are in Program Files, with a Start-menu shortcut",
              program.exists() and program.with_suffix(".ini").exists() and len(shortcuts()) == 1, f"{shortcuts()}")
        check("the installed-programs list names the program with its version and publisher",
              installed_entries(wine_run, work) == [(version, "Zorv")], f"{installed_entries(wine_run, work)}")
        check_program(program, "the installed program", "from Program Files")
        check("the installed program made its log folder in the user's local application data",
              log_folder.is_dir())
        check_road(program)

        # What the user made: settings in the roaming folder, a log in the local one.
        own_files = [user / "AppData/Roaming/ZorvGSMDemo/ZorvGSMDemo.ini", log_folder / "ErrLog.txt"]
        for own in own_files:
            own.parent.mkdir(parents=True, exist_ok=True)
            own.write_text("kept")

        major, minor, build, revision = version.split(".")
        later = f"{major}.{minor}.{build}.{int(revision) + 1}"
        newer = newer_package(msi, work, later)
        check("a newer package installs over the installed one", msiexec("/i", newer) == 0)
        check("the newer package replaced the older in place",
              installed_entries(wine_run, work) == [(later, "Zorv")] and program.exists(),
              f"{installed_entries(wine_run, work)}")

        check("msiexec removes the package quietly", msiexec("/x", newer) == 0)
        check("removal takes the program, its shortcut and its entry",
              not program.parent.exists() and not shortcuts() and not installed_entries(wine_run, work),
              f"{program.parent.exists()} {shortcuts()} {installed_entries(wine_run, work)}")
        check("removal leaves the user's INI and log", all(own.read_text() == "kept" for own in own_files))
