#!/usr/bin/python3
"""Checks what users download, as built by scripts/package.

    check_packages.py <dist folder> <wine wrapper> <window probe exe>

The Debian package: its files, its computed dependencies, lintian and
desktop-file-validate; unpacked into a throw-away root, the program starts
from there on a virtual screen, shows its window and ends cleanly when the
window is closed. The Windows zip: its four files, their sums, the texts in
the users' code page; the program, unpacked into a folder named in Cyrillic
letters, starts under Wine and shows its version in the caption. Needs a
display (xvfb-run). Prints "packages: N passed, N failed" last.
"""
import hashlib
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
VERSION = re.search(r"project\(ZorvGSMDemo VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
# The caption shows major.minor.build: 1.0.0.1 gives 1.0.1.
MAJOR, MINOR, _, BUILD = VERSION.split(".")
CAPTION = f"Зорв GSM: демонстрация работы. Версия {MAJOR}.{MINOR}.{BUILD}"

DEB_FILES = {
    "usr/bin/zorvgsmdemo",
    "usr/lib/zorvgsmdemo/ZorvGSMDemo",
    "usr/lib/udev/rules.d/99-zorv-gsm.rules",
    "usr/share/applications/zorvgsmdemo.desktop",
    "usr/share/doc/zorvgsmdemo/README.Linux.md",
    "usr/share/doc/zorvgsmdemo/changelog.gz",
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
    errors = [line for line in lintian.splitlines() if line.startswith("E:")]
    check("lintian reports no error", not errors, "\n".join(errors))

    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["dpkg", "-x", deb, root], check=True)
        desktop = subprocess.run(["desktop-file-validate", f"{root}/usr/share/applications/zorvgsmdemo.desktop"],
                                 capture_output=True, text=True)
        check("the menu entry is valid", desktop.returncode == 0 and not desktop.stdout.strip(), desktop.stdout)
        check_installed_program(root)


def check_installed_program(root):
    from Xlib import display as xdisplay
    display = xdisplay.Display()
    work = pathlib.Path(root) / "work"
    work.mkdir()
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([f"{root}/usr/bin/zorvgsmdemo"], cwd=work, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    try:
        found = wait_for(lambda: x_window(display, "GSM"), 20)
        check("the installed program shows its window with its version", bool(found) and found[1] == CAPTION,
              f"{found}")
        if found:
            close_x_window(display, found[0])
        code = program.wait(timeout=20)
        check("the installed program ends cleanly when its window is closed", code == 0,
              f"exit {code}: {program.stderr.read().decode(errors='replace')}")
        error_log = work / "ErrLog.txt"
        check("the installed program logs no error", not error_log.exists() or error_log.stat().st_size == 0)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


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
        # Wine's server and the prefix come up before the program and the probe start: two
        # Wine processes that both start them at once were seen to hang the second.
        subprocess.run([wine_run, "cmd", "/c", "exit"], capture_output=True, timeout=300)
        program = subprocess.Popen([wine_run, str(folder / "ZorvGSMDemo.exe")], cwd=folder,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
            check("the program from the zip shows its version under Wine from a Cyrillic folder", shown == CAPTION,
                  f"{shown!r}")
            subprocess.run([wine_run, probe, "close"], capture_output=True, timeout=60)
            check("the program from the zip ends cleanly", program.wait(timeout=30) == 0)
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()


def main():
    dist, wine_run, probe = (os.path.abspath(a) for a in sys.argv[1:4])
    debs = sorted(pathlib.Path(dist).glob(f"zorvgsmdemo_{VERSION}_*.deb"))
    check("the Debian package is named for the version", len(debs) == 1, f"{debs}")
    if debs:
        check_deb(str(debs[0]))
    archive = pathlib.Path(dist) / f"ZorvGSMDemo-{VERSION}-win64.zip"
    check("the Windows zip is named for the version", archive.exists())
    if archive.exists():
        check_zip(archive, wine_run, probe)
    failed = results.count(False)
    print(f"packages: {len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
