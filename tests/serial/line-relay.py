#!/usr/bin/env python3
"""Runs a Windows test program under Wine with COM port <n> on a pseudo-terminal.

usage: line-relay.py <wine wrapper> <program.exe> <n>

The program plays the device side through this relay, on 127.0.0.1 only (the
port number is in ZORV_LINE_RELAY): every connection is a fresh line whose
pseudo-terminal the prefix's link zorv-ports/com<n> points at. The relay first
sends "ready"; then, one request a line:
  S <hex>         the device sends these bytes           -> ok | refused
  R <count> <ms>  what the port wrote, up to count bytes  -> <hex>
  H               the device hangs up (the master closes) -> ok
Closing the connection ends the line."""
import fcntl
import os
import pty
import select
import socket
import subprocess
import sys
import termios
import time
import tty

LIMIT_S = 300


class Line:
    def __init__(self, link):
        self.master, slave = pty.openpty()
        tty.setraw(slave)
        # The terminal is the controlling terminal of a session of our own: else
        # the first session leader to open it, Wine's server, takes it and gets a
        # hang-up signal (on which it dumps all its objects) when the master closes.
        self.holder = subprocess.Popen(["sleep", str(LIMIT_S)], stdin=slave, stdout=subprocess.DEVNULL,
                                       start_new_session=True,
                                       preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        self.link = link
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.ttyname(slave), link)
        os.close(slave)

    def send(self, data):
        try:
            while data:
                data = data[os.write(self.master, data):]
            return True
        except OSError:
            return False

    def read(self, count, ms):
        got = b""
        deadline = time.monotonic() + ms / 1000
        while len(got) < count and self.master >= 0:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                break
            try:
                got += os.read(self.master, count - len(got))
            except OSError:
                break
        return got

    def hang_up(self):
        if self.master >= 0:
            os.close(self.master)
            self.master = -1

    def close(self):
        self.hang_up()
        if os.path.lexists(self.link):
            os.remove(self.link)
        self.holder.kill()
        self.holder.wait()


def serve(connection, link):
    line = Line(link)
    requests = connection.makefile("rb")
    try:
        connection.sendall(b"ready\n")
        for request in requests:
            verb, *args = request.split()
            if verb == b"S":
                reply = b"ok" if line.send(bytes.fromhex(args[0].decode()) if args else b"") else b"refused"
            elif verb == b"R":
                reply = line.read(int(args[0]), int(args[1])).hex().encode()
            elif verb == b"H":
                line.hang_up()
                reply = b"ok"
            else:
                reply = b"?"
            connection.sendall(reply + b"\n")
    finally:
        requests.close()
        connection.close()
        line.close()


def main():
    wrapper, program, number = sys.argv[1], sys.argv[2], sys.argv[3]
    prefix = os.environ.get("WINEPREFIX") or os.path.join(os.environ.get("TMPDIR", "/tmp"), "zorv-wine-%d" % os.getuid())
    env = dict(os.environ, WINEPREFIX=prefix)
    # The wrapper prepares the prefix, with its COM port links, on first use.
    subprocess.run([wrapper, "cmd", "/c", "exit"], env=env, check=True, stdout=subprocess.DEVNULL)
    link = os.path.join(prefix, "zorv-ports", "com" + number)

    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    env["ZORV_LINE_RELAY"] = str(listener.getsockname()[1])
    env["ZORV_LINE_COM"] = number
    child = subprocess.Popen([wrapper, program], env=env)
    deadline = time.monotonic() + LIMIT_S
    while child.poll() is None and time.monotonic() < deadline:
        if select.select([listener], [], [], 0.1)[0]:
            serve(listener.accept()[0], link)
    if child.poll() is None:
        child.kill()
        print("the test program did not end within %d s" % LIMIT_S)
        return 1
    return child.returncode


if __name__ == "__main__":
    sys.exit(main())
