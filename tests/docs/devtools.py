"""A headless Chromium driven through its DevTools protocol over a pipe.

Chromium started with --remote-debugging-pipe reads commands from its file
descriptor 3 and writes replies and events to its descriptor 4, each a JSON
message ended by a NUL byte. Only the standard library is used.
"""

import json
import os
import select
import shutil
import subprocess
import tempfile
import time


class DevToolsError(RuntimeError):
    """The browser replied with an error, closed its pipe or did not answer in time."""


class Browser:
    """One headless Chromium with one page (a tab) attached, its events kept in ``events``."""

    def __init__(self, executable: str, timeout_s: float = 30.0):
        self.timeout_s = timeout_s
        self.events = []
        self._next_id = 0
        self._buffer = b""
        self._profile = tempfile.mkdtemp(prefix="kesp-chromium-")
        to_browser_read, self._to_browser = os.pipe()
        self._from_browser, from_browser_write = os.pipe()
        arguments = [executable, "--headless", "--remote-debugging-pipe", "--disable-gpu",
                     "--no-first-run", "--no-default-browser-check", "--disable-extensions",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--mute-audio", f"--user-data-dir={self._profile}",
                     "about:blank"]
        if os.geteuid() == 0:
            arguments.insert(1, "--no-sandbox")
        self._process = subprocess.Popen(
            arguments, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            pass_fds=(3, 4), preexec_fn=lambda: _as_descriptors_3_and_4(to_browser_read, from_browser_write))
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.session = None

    def open_tab(self):
        """Attach to a new blank tab and enable the domains whose events are watched."""
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.call(f"{domain}.enable")

    def call(self, method: str, params: dict = None, timeout_s: float = None) -> dict:
        """Send a command (to the attached tab, once there is one) and return its result."""
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if self.session is not None:
            message["sessionId"] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        reply = self._receive_until(lambda m: m.get("id") == self._next_id, timeout_s, method)
        if "error" in reply:
            raise DevToolsError(f"{method}: {reply['error'].get('message')}")
        return reply.get("result", {})

    def wait_for_event(self, method: str, timeout_s: float = None) -> dict:
        """The next event ``method`` of the tab (events before it are kept in ``events``)."""
        for event in self.events:
            if event.get("method") == method:
                return event
        return self._receive_until(lambda m: m.get("method") == method, timeout_s, method)

    def close(self):
        try:
            if self._process.poll() is None:
                try:
                    self.session = None
                    self.call("Browser.close", timeout_s=5)
                except DevToolsError:
                    pass
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        finally:
            os.close(self._to_browser)
            os.close(self._from_browser)
            shutil.rmtree(self._profile, ignore_errors=True)

    def _receive_until(self, wanted, timeout_s, what: str) -> dict:
        deadline = time.monotonic() + (timeout_s or self.timeout_s)
        while True:
            while b"\0" in self._buffer:
                raw, self._buffer = self._buffer.split(b"\0", 1)
                message = json.loads(raw)
                if wanted(message):
                    return message
                if "method" in message:
                    self.events.append(message)
            left = deadline - time.monotonic()
            if left <= 0:
                raise DevToolsError(f"no answer to {what} within {timeout_s or self.timeout_s} s")
            ready, _, _ = select.select([self._from_browser], [], [], left)
            if ready:
                chunk = os.read(self._from_browser, 1 << 20)
                if not chunk:
                    raise DevToolsError(f"the browser closed its pipe while waiting for {what}")
                self._buffer += chunk


def _as_descriptors_3_and_4(read_end: int, write_end: int):
    """In the child: the command pipe as descriptor 3, the reply pipe as descriptor 4."""
    write_copy = os.dup(write_end)
    os.dup2(read_end, 3)
    os.dup2(write_copy, 4)
