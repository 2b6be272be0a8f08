#!/usr/bin/python3
"""Checks what users download, as built by scripts/package.

    check_packages.py <dist folder> <wine wrapper> <window probe exe> <Windows end-to-end test>

The Debian package: its files, its computed dependencies, lintian (no error
and no warning, every override with its reason), hardening-check, the manual
page, the AppStream metainfo, the changelog, desktop-file-validate and its
udev rule; unpacked into a throw-away root, the program answers --version and
--help without a display, starts from there on a virtual screen, shows its
window and ends cleanly when the window is closed. Run installed it reads its INI from the
user's configuration folder and logs into its state folder, which may be
unwritable; copied elsewhere, it reads the INI beside itself and logs into the
current folder. The Windows zip: its four files, their sums, the texts in
the users' code page; the program, unpacked into a folder named in Cyrillic
letters, starts under Wine and shows its version in the caption. The Windows
installer: see check_msi.py; the installed program does the end-to-end test's
road (the Linux half of the Windows build's test, whose Windows helpers stand
beside the window probe). Needs a display (xvfb-run). Prints "packages: N passed, N failed" last.
"""
import email.utils
import gzip
import hashlib
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import check_msi

ROOT = pathlib.Path(__file__).resolve().parents[2]
VERSION = re.search(r"project\(ZorvGSMDemo VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
# The caption shows major.minor.build: 1.0.0.1 gives 1.0.1.
MAJOR, MINOR, _, BUILD = VERSION.split(".")
CAPTION = f"Зорв GSM: демонстрация работы. Версия {MAJOR}.{MINOR}.{BUILD}"

RULES = "usr/lib/udev/rules.d/70-zorv-gsm.rules"
PROGRAM = "usr/lib/zorvgsmdemo/ZorvGSMDemo"
MANUAL = "usr/share/man/man1/zorvgsmdemo.1.gz"
METAINFO = "usr/share/metainfo/example.zorv.zorvgsmdemo.metainfo.xml"
OVERRIDES = "usr/share/lintian/overrides/zorvgsmdemo"
CHANGELOG = "usr/share/doc/zorvgsmdemo/changelog.gz"
DEB_FILES = {
    "usr/bin/zorvgsmdemo",
    PROGRAM,
    RULES,
    MANUAL,
    METAINFO,
    OVERRIDES,
    CHANGELOG,
    "usr/share/applications/zorvgsmdemo.desktop",
    "usr/share/doc/zorvgsmdemo/README.Linux.md",
    "usr/share/doc/zorvgsmdemo/copyright",
} | {f"usr/share/icons/hicolor/{s}x{s}/apps/zorvgsmdemo.png" for s in (16, 32, 48, 64, 128, 256)}
ZIP_FILES = {"ZorvGSMDemo.exe", "ZorvGSMDemo.ini", "ПРОЧТИТЕ.txt", "SHA256SUMS"}

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(f"{'ok' if ok else 'FAILED'}: {name}{'' if ok else ': ' + detail}", flush=True)


def wait_for(predicate, limit):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    return predicate()


def x_window(display, title_part):
    """The top-level window whose title holds title_part, or None."""
    for child in display.screen().root.query_tree().children:
        name = child.get_full_text_property(display.intern_atom("_NET_WM_NAME")) or child.get_wm_name() or ""
        if title_part in name:
            return child, name
    return None


def close_x_window(display, window):
    """What the window's close button does: WM_DELETE_WINDOW."""
    from Xlib import X
    from Xlib.protocol import event
    protocols = display.intern_atom("WM_PROTOCOLS")
    message = event.ClientMessage(window=window, client_type=protocols,
                                  data=(32, [display.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
    window.send_event(message)
    display.flush()


def check_deb(deb):
    listing = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True, check=True).stdout
    files = {line.split()[5].lstrip("./") for line in listing.splitlines() if not line.startswith("d")}
    check("the package holds exactly its files", files == DEB_FILES, f"{sorted(files ^ DEB_FILES)}")
    check("/usr/bin/zorvgsmdemo leads to the program",
          "usr/bin/zorvgsmdemo -> ../lib/zorvgsmdemo/ZorvGSMDemo" in listing)
    fields = subprocess.run(["dpkg-deb", "-f", deb, "Version", "Depends"], capture_output=True, text=True,
                            check=True).stdout
    check("the package carries the project's version", f"Version: {VERSION}" in fields, fields)
    check("the dependencies were computed from the program", "libqt6widgets6" in fields and "libc6" in fields, fields)
    lintian = subprocess.run(["lintian", deb], capture_output=True, text=True).stdout
    complaints = [line for line in lintian.splitlines() if line.startswith(("E:", "W:"))]
    check("lintian reports no error and no warning", not complaints, "\n".join(complaints))

    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["dpkg", "-x", deb, root], check=True)
        check_debian_texts(pathlib.Path(root))
        # Control-flow protection is compiled in, but its marker needs every linked object to carry it,
        # and Debian 12's C start files (crt1.o) do not: no program linked there has it.
        hardening = subprocess.run(["hardening-check", "--nocfprotection", f"{root}/{PROGRAM}"], capture_output=True,
                                   text=True)
        check("hardening-check passes on the program", hardening.returncode == 0, hardening.stdout)
        desktop = subprocess.run(["desktop-file-validate", f"{root}/usr/share/applications/zorvgsmdemo.desktop"],
                                 capture_output=True, text=True)
        check("the menu entry is valid", desktop.returncode == 0 and not desktop.stdout.strip(), desktop.stdout)
        check_udev_rule(root)
        check_information_arguments(root)
        check_installed_program(root)


def check_debian_texts(root):
    """The guide, the lintian overrides, the manual page, the metainfo and the changelog."""
    overrides = (root / OVERRIDES).read_text().splitlines()
    unexplained = [line for i, line in enumerate(overrides)
                   if line.strip() and not line.startswith("#") and not (i and overrides[i - 1].startswith("#"))]
    check("every lintian override follows the comment that gives its reason", not unexplained, f"{unexplained}")

    guide = (root / "usr/share/doc/zorvgsmdemo/README.Linux.md").read_text()
    check("the package's guide speaks to who installed it, not to developers",
          "zorvgsmdemo --help" in guide and not re.search(r"\b(scripts|build|packaging)/", guide))

    manual = subprocess.run(["man", "--warnings", "-l", str(root / MANUAL)], capture_output=True, text=True,
                            env=dict(os.environ, MANWIDTH="80"))
    check("the manual page formats without a warning and names --version",
          manual.returncode == 0 and not manual.stderr and "--version" in manual.stdout, manual.stderr)

    metainfo = subprocess.run(["appstreamcli", "validate", "--no-net", str(root / METAINFO)], capture_output=True,
                              text=True)
    complaints = [line for line in metainfo.stdout.splitlines() if line.startswith(("E:", "W:"))]
    check("appstreamcli accepts the metainfo", metainfo.returncode == 0 and not complaints, metainfo.stdout)

    changelog = gzip.decompress((root / CHANGELOG).read_bytes()).decode()
    trailer = re.search(r"^ -- .+?  (.+)$", changelog, re.M)
    day = email.utils.parsedate_to_datetime(trailer.group(1)).strftime("%Y-%m-%d") if trailer else None
    release = re.search(r'<release version="([^"]+)" date="([^"]+)"', (root / METAINFO).read_text())
    check("the changelog and the metainfo carry the version and the same date",
          changelog.startswith(f"zorvgsmdemo ({VERSION})") and release is not None
          and release.groups() == (VERSION, day), f"{changelog.splitlines()[:1]} {trailer} {release}")


def check_information_arguments(root):
    """--version and --help print and end without a display, as packaged programs do."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    for argument, expected in (("--version", f"zorvgsmdemo {VERSION}\n"), ("--help", "Usage: zorvgsmdemo")):
        answer = subprocess.run([f"{root}/usr/bin/zorvgsmdemo", argument], capture_output=True, text=True, env=env,
                                timeout=20)
        check(f"the installed program answers {argument} without a display",
              answer.returncode == 0 and answer.stdout.startswith(expected) and not answer.stderr,
              f"exit {answer.returncode}: {answer.stdout!r} {answer.stderr!r}")


def check_udev_rule(root):
    rule = (pathlib.Path(root) / RULES).read_text()
    tty_line = next((line for line in rule.splitlines() if 'SUBSYSTEM=="tty"' in line), "")
    # 73-seat-late.rules grants the port to the user at the computer, to devices tagged before it runs.
    check("the udev rule gives the port to the user at the computer and to dialout",
          pathlib.Path(RULES).name < "73-seat-late.rules" and 'TAG+="uaccess"' in tty_line
          and 'GROUP="dialout"' in tty_line, tty_line)
    program = (pathlib.Path(root) / PROGRAM).read_bytes()
    check("the message for a refused port names the installed rule", pathlib.Path(RULES).name.encode() in program)


def fake_panel_root(folder):
    """A device root with a panel whose node is no character device: the program logs that it cannot open it."""
    usb = folder / "sys/devices/usb1/1-1"
    tty = usb / "1-1:1.0/tty/ttyACM0"
    tty.mkdir(parents=True)
    for name, value in (("idVendor", "ffff"), ("idProduct", "2331"), ("serial", "TVAK"), ("product", "Tvak")):
        (usb / name).write_text(value + "\n")
    (tty / "device").symlink_to("../../../1-1:1.0")
    (folder / "sys/class/tty").mkdir(parents=True)
    (folder / "sys/class/tty/ttyACM0").symlink_to("../../devices/usb1/1-1/1-1:1.0/tty/ttyACM0")
    (folder / "dev").mkdir()
    (folder / "dev/ttyACM0").write_text("")


def write_ini(folder, device_root):
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "ZorvGSMDemo.ini").write_text(f"[Linux]\nDeviceRoot={device_root}\n")


def run_program(display, name, command, cwd, env, until, limit=20):
    """Starts the program, checks its window, waits limit seconds at most for until(), closes the window
    and checks the exit: until()'s last value."""
    cwd.mkdir(parents=True, exist_ok=True)
    program = subprocess.Popen([command], cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        found = wait_for(lambda: x_window(display, "Зорв GSM"), 20)
        check(f"the {name} shows its window with its version", bool(found) and found[1] == CAPTION,
              f"{found}")
        reached = wait_for(until, limit)
        if found:
            close_x_window(display, found[0])
        code = program.wait(timeout=20)
        check(f"the {name} ends cleanly when its window is closed", code == 0,
              f"exit {code}: {program.stderr.read().decode(errors='replace')}")
        return reached
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


def refused_port_logged(error_log):
    """Whether the error log holds the fake panel's refusal, and nothing else."""
    lines = error_log.read_bytes().decode("cp1251").splitlines() if error_log.exists() else []
    return bool(lines) and all("(/" in line and "ttyACM0) cannot be opened" in line for line in lines)


def check_installed_program(root):
    from Xlib import display as xdisplay
    display = xdisplay.Display()
    work = pathlib.Path(root) / "work"
    panel = work / "panel"
    fake_panel_root(panel)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    # The user's own configuration folder names the fake panel; the state folder's parents are missing.
    write_ini(work / "config/zorvgsmdemo", panel)
    env.update(XDG_CONFIG_HOME=str(work / "config"), XDG_STATE_HOME=str(work / "state/new"))
    state_log = work / "state/new/zorvgsmdemo/ErrLog.txt"
    logged = run_program(display, "installed program", f"{root}/usr/bin/zorvgsmdemo", work / "run", env,
                         lambda: refused_port_logged(state_log))
    check("the installed program reads the user's INI and logs only into its state folder",
          logged and not (work / "run/ErrLog.txt").exists())

    # A state folder that cannot be made costs the log, not the program: it runs past the refusal's
    # report (the failure settles in 2 s, the ports are checked every 5 s) and ends as usual.
    (work / "state-file").write_text("")
    env["XDG_STATE_HOME"] = str(work / "state-file")
    run_program(display, "installed program without a state folder", f"{root}/usr/bin/zorvgsmdemo", work / "run",
                env, lambda: False, limit=8)

    # A copy outside lib/zorvgsmdemo is portable: the user's folders are not its own.
    portable = work / "portable"
    portable.mkdir()
    shutil.copy2(f"{root}/usr/lib/zorvgsmdemo/ZorvGSMDemo", portable)
    write_ini(portable, panel)
    (work / "config/zorvgsmdemo/ZorvGSMDemo.ini").unlink()
    env["XDG_STATE_HOME"] = str(work / "state/portable")
    logged = run_program(display, "portable program", str(portable / "ZorvGSMDemo"), work / "portable-run", env,
                         lambda: refused_port_logged(work / "portable-run/ErrLog.txt"))
    check("the portable program reads the INI beside itself and logs into the current folder",
          logged and not (work / "state/portable").exists())


def check_zip(archive, wine_run, probe):
    with zipfile.ZipFile(archive) as z:
        names = set(z.namelist())
        check("the zip holds exactly its files", names == ZIP_FILES, f"{sorted(names)}")
        if names != ZIP_FILES:
            return
        contents = {name: z.read(name) for name in names}
    sums = dict(reversed(line.split("  ", 1)) for line in contents["SHA256SUMS"].decode().splitlines())
    check("SHA256SUMS holds the sums of the other files",
          sums == {n: hashlib.sha256(contents[n]).hexdigest() for n in ZIP_FILES - {"SHA256SUMS"}}, f"{sums}")
    for name, word in (("ZorvGSMDemo.ini", "Настройки"), ("ПРОЧТИТЕ.txt", "Зорв")):
        text = contents[name]
        bare_lf = b"\n" in text.replace(b"\r\n", b"")
        check(f"{name} is in Windows-1251 with CR LF", not bare_lf and word in text.decode("cp1251", errors="replace"),
              repr(text[:60]))
    check("the program is stripped", b".debug_info" not in contents["ZorvGSMDemo.exe"])

    with tempfile.TemporaryDirectory() as work:
        folder = pathlib.Path(work) / "Иван" / "ZorvGSMDemo"
        folder.mkdir(parents=True)
        with zipfile.ZipFile(archive) as z:
            z.extractall(folder)
        check_windows_program(wine_run, probe, folder / "ZorvGSMDemo.exe", "the program from the zip",
                              "from a Cyrillic folder")


def check_windows_program(wine_run, probe, exe, name, where):
    """Starts exe under Wine in its folder, checks its caption through the window probe and closes it."""
    # Wine's server and the prefix come up before the program and the probe start: two
    # Wine processes that both start them at once were seen to hang the second.
    subprocess.run([wine_run, "cmd", "/c", "exit"], capture_output=True, timeout=300)
    program = subprocess.Popen([wine_run, str(exe)], cwd=exe.parent, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        def caption():
            try:
                state = subprocess.run([wine_run, probe, "state"], capture_output=True,
                                       timeout=20).stdout.decode(errors="replace")
            except subprocess.TimeoutExpired:
                return None
            match = re.search(r"^caption (.*?)\r?$", state, re.M)
            return match.group(1) if match else None
        shown = wait_for(caption, 120)
        check(f"{name} shows its version under Wine {where}", shown == CAPTION, f"{shown!r}")
        subprocess.run([wine_run, probe, "close"], capture_output=True, timeout=60)
        check(f"{name} ends cleanly", program.wait(timeout=30) == 0)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


def check_road(wine_run, probe, road_test, exe):
    """The end-to-end test's road on a Russian system, against the installed program where it is."""
    windows_build = pathlib.Path(probe).parents[2]
    env = dict(os.environ, ZORV_WINE_RUN=wine_run, ZORV_PROGRAM_EXE=str(exe), ZORV_PROGRAM_INSTALLED="1",
               ZORV_WINDOW_PROBE_EXE=probe,
               ZORV_WINE_DEVICE_EXE=str(windows_build / "tools/panel-emulator/zorv-wine-device.exe"),
               LD_PRELOAD=str(windows_build / "tests/serial/libzorv_modem_lines.so"))
    road = subprocess.run([road_test, "--gtest_filter=*Win32RoadTest.APanelFromItsBootloader*/Russian"],
                          capture_output=True, text=True, env=env, timeout=600)
    check("the installed program does the whole road against an emulated panel",
          road.returncode == 0 and "[  PASSED  ] 1 test" in road.stdout, road.stdout[-3000:])


def main():
    dist, wine_run, probe, road_test = (os.path.abspath(a) for a in sys.argv[1:5])
    debs = sorted(pathlib.Path(dist).glob(f"zorvgsmdemo_{VERSION}_*.deb"))
    check("the Debian package is named for the version", len(debs) == 1, f"{debs}")
    if debs:
        check_deb(str(debs[0]))
    archive = pathlib.Path(dist) / f"ZorvGSMDemo-{VERSION}-win64.zip"
    check("the Windows zip is named for the version", archive.exists())
    if archive.exists():
        check_zip(archive, wine_run, probe)
    installer = pathlib.Path(dist) / f"ZorvGSMDemo-{VERSION}-win64.msi"
    check("the Windows installer is named for the version", installer.exists())
    if installer.exists():
        check_msi.check_installer(installer, wine_run, lambda exe, name, where:
                                  check_windows_program(wine_run, probe, exe, name, where),
                                  lambda exe: check_road(wine_run, probe, road_test, exe), check, VERSION)
    failed = results.count(False)
    print(f"packages: {len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
