#!/usr/bin/env python3
"""The Windows key wait with real key presses: simeq.exe under wine on a
pseudo-terminal that this script owns. Wine then gives the program a console
whose input is the terminal's bytes, so the closing wait reads real key events.

Usage: key_wait_win32_test.py SIMEQ_EXE  (with WINEPREFIX set and initialised)
Prints PASSED or FAILED for each case; exits 1 if any failed.
"""

import fcntl
import os
import pty
import re
import select
import signal
import subprocess
import sys
import termios
import time

MENU_PROMPT = b"Selection Between '1 And 2' -->"
CLOSING_PROMPT = b"........Press Any Key To Continue........"

# The longest any one step may take before the case fails: the program
# starting, reaching its closing prompt, or ending after the key.
STEP_SECONDS = 30
# Wine's console switches the terminal to raw mode a moment after it starts;
# keys typed before that would be taken by the terminal's line editing.
SETTLE_SECONDS = 0.5
# How long the program must still be waiting after its closing prompt.
STILL_WAITING_SECONDS = 1.0

# Each case: the answers typed after the menu prompt, how often the closing
# prompt appears (the walkthroughs also show it once in their working), and
# the key pressed at the closing wait, as the terminal sends it.
CASES = [
    ("letter after a whole elimination", b"2 2 3 13 4 -1 5\r", 2, b"k"),
    ("digit", b"3\r", 1, b"7"),
    ("Enter", b"3\r", 1, b"\r"),
    ("Ctrl+C", b"3\r", 1, b"\x03"),
    ("cursor up", b"3\r", 1, b"\x1b[A"),
    ("F5", b"3\r", 1, b"\x1b[15~"),
    ("letter after a failed read", b"1 4 abc\r", 2, b"k"),
    ("letter after numbers typed past the last prompt", b"2 2 3 13 4 -1 5 6\r7 8\r", 2, b"k"),
]

# What wine's console writes around the text to place the cursor.
CONTROL_SEQUENCE = re.compile(rb"\x1b\[[0-9;?]*[ -/]*[@-~]")


class Failure(Exception):
    pass


class WineOnTerminal:
    """simeq.exe under wine, in a session of its own whose controlling
    terminal, standard input and standard output are a new pseudo-terminal."""

    def __init__(self, exe):
        self.master, slave = pty.openpty()
        self.output = b""

        def take_terminal():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)

        self.process = subprocess.Popen(
            ["wine", exe], stdin=slave, stdout=slave, stderr=slave,
            start_new_session=True, preexec_fn=take_terminal)
        os.close(slave)

    def collect(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if ready:
                try:
                    self.output += os.read(self.master, 4096)
                except OSError:  # every copy of the terminal has been closed
                    time.sleep(0.05)

    def wait_for(self, text, count, what):
        end = time.monotonic() + STEP_SECONDS
        while self.output.count(text) < count:
            if time.monotonic() > end or self.process.poll() is not None:
                raise Failure("no %s; the terminal shows %r" % (what, self.output[-300:]))
            self.collect(0.1)

    def type(self, data):
        os.write(self.master, data)

    def wait_for_exit(self):
        end = time.monotonic() + STEP_SECONDS
        while self.process.poll() is None:
            if time.monotonic() > end:
                raise Failure("still waiting %d s after the key" % STEP_SECONDS)
            self.collect(0.05)
        self.collect(0.1)
        return self.process.returncode

    def close(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        os.close(self.master)


def run_case(exe, answers, prompts, key):
    session = WineOnTerminal(exe)
    try:
        session.wait_for(MENU_PROMPT, 1, "menu prompt")
        session.collect(SETTLE_SECONDS)
        session.type(answers)
        session.wait_for(CLOSING_PROMPT, prompts, "closing prompt")
        session.collect(STILL_WAITING_SECONDS)
        if session.process.poll() is not None:
            raise Failure("ended without a key, status %d" % session.process.returncode)
        shown = len(session.output)
        session.type(key)
        status = session.wait_for_exit()
        if status != 0:
            raise Failure("exit status %d" % status)
        after = CONTROL_SEQUENCE.sub(b"", session.output[shown:])
        if after:
            raise Failure("the key was echoed: %r" % after)
    finally:
        session.close()


def main():
    exe = sys.argv[1]
    failed = 0
    for name, answers, prompts, key in CASES:
        try:
            run_case(exe, answers, prompts, key)
            print("PASSED: " + name)
        except Failure as failure:
            failed += 1
            print("FAILED: %s: %s" % (name, failure))
        sys.stdout.flush()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
