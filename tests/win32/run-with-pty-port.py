#!/usr/bin/env python3
"""Runs a Windows test program under Wine with a COM port that is a pseudo-terminal.

usage: run-with-pty-port.py <wine wrapper> <program.exe> <expected bytes>

The port is a link in the Wine prefix's dosdevices folder (the prefix the
wrapper uses), named for a number no real port has. Everything the program
writes to the port is read here and must equal the expected bytes (with
Python escapes such as \\r\\n)."""
import fcntl
import os
import pty
import select
import subprocess
import sys
import termios
import time
import tty

LIMIT_S = 120


def main():
    wrapper, program, expected = sys.argv[1], sys.argv[2], sys.argv[3].encode().decode("unicode_escape").encode("latin-1")
    prefix = os.environ.get("WINEPREFIX") or os.path.join(os.environ.get("TMPDIR", "/tmp"), "zorv-wine-%d" % os.getuid())
    env = dict(os.environ, WINEPREFIX=prefix)
    # The wrapper prepares the prefix on first use.
    subprocess.run([wrapper, "cmd", "/c", "exit"], env=env, check=True, stdout=subprocess.DEVNULL)

    master, slave = pty.openpty()
    tty.setraw(slave)
    # The terminal is made the controlling terminal of a session of our own:
    # else the first session leader to open it, Wine's server, takes it and
    # gets a hang-up signal (on which it dumps all its objects) when it closes.
    holder = subprocess.Popen(["sleep", str(LIMIT_S * 2)], stdin=slave, stdout=subprocess.DEVNULL,
                              start_new_session=True,
                              preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
    number = 200 + os.getpid() % 50
    link = os.path.join(prefix, "dosdevices", "com%d" % number)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)
    try:
        env["ZORV_PTY_COM"] = str(number)
        child = subprocess.Popen([wrapper, program], env=env)
        received = b""
        deadline = time.monotonic() + LIMIT_S
        while child.poll() is None and time.monotonic() < deadline:
            ready, _, _ = select.select([master], [], [], 0.1)
            if ready:
                received += os.read(master, 4096)
        if child.poll() is None:
            child.kill()
            print("the test program did not end within %d s" % LIMIT_S)
            return 1
        while select.select([master], [], [], 0)[0]:
            received += os.read(master, 4096)
    finally:
        os.remove(link)
        holder.kill()
        holder.wait()
    if received != expected:
        print("the port wrote %r, expected %r" % (received, expected))
        return 1
    return child.returncode


if __name__ == "__main__":
    sys.exit(main())
