#!/usr/bin/env python3
"""Times the page's filter box in headless Chromium, keystroke by keystroke.

filter_box_chromium.py [--browser PROGRAM] PAGE [TEXT...]

Opens PAGE (a page written with bgFilterBox=True) in Debian's
chromium-headless-shell, driven through the DevTools protocol on a pipe (no
network port, a profile of its own), and types into the filter box one
keystroke after the other. For each keystroke it prints the count the page
shows and three times, taken in the page: the filter script alone, the
script with the style and layout work it causes (forced at once), and the
time until the next frame. Without TEXTs a fixed sequence is typed: a word
letter by letter, a letter that keeps most rows, a wildcard pattern and a
narrow name, emptying the box after each.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

DEFAULT_TEXTS = ["r", "re", "rep", "repo", "repor", "report", "", "e", "",
                 "*.t?t", "", "zeta_019", ""]

# One keystroke as the browser delivers it: the box gets the text and its
# input event. Resolves after the next frame.
KEYSTROKE = """
(function (text) {
  var box = document.getElementById("filterText");
  var start = performance.now();
  box.value = text;
  box.dispatchEvent(new Event("input", { bubbles: true }));
  var scripted = performance.now();
  document.body.offsetHeight;
  var laidOut = performance.now();
  var count = document.getElementById("filterCount").textContent;
  return new Promise(function (done) {
    requestAnimationFrame(function () {
      setTimeout(function () {
        done([scripted - start, laidOut - start, performance.now() - start, count]);
      }, 0);
    });
  });
})
"""


class Chromium:
    """Headless Chromium on --remote-debugging-pipe: JSON messages, each
    ended by a NUL byte, written to its fd 3 and read from its fd 4."""

    def __init__(self, program, profile):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        # The shell puts the pipe's ends where the browser looks for them.
        self.process = subprocess.Popen(
            ["sh", "-c", f'exec "$@" 3<&{to_browser_r} 4>&{from_browser_w}', "sh",
             program, "--headless", "--remote-debugging-pipe", "--no-sandbox",
             "--no-first-run", "--disable-background-networking", "--disable-sync",
             "--disable-extensions", "--disable-component-update",
             "--window-size=1280,900", f"--user-data-dir={profile}", "about:blank"],
            pass_fds=(to_browser_r, from_browser_w), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.session = None

    def _read_message(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed the pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=True):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            answer = self._read_message()
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer["result"]

    def wait_for(self, event):
        while self._read_message().get("method") != event:
            pass

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression,
                                                "returnByValue": True, "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression[:60]}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def close(self):
        try:
            self.send("Browser.close", session=False)
        except (RuntimeError, OSError):
            pass
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--browser", default=shutil.which("chromium-headless-shell")
                        or shutil.which("chromium"))
    parser.add_argument("page")
    parser.add_argument("texts", nargs="*")
    args = parser.parse_args()
    if not args.browser:
        sys.exit("filter_box_chromium.py: no chromium-headless-shell or chromium to run")

    with tempfile.TemporaryDirectory() as profile:
        browser = Chromium(args.browser, profile)
        try:
            page = next(t for t in browser.send("Target.getTargets")["targetInfos"]
                        if t["type"] == "page")
            browser.session = browser.send("Target.attachToTarget",
                                           {"targetId": page["targetId"], "flatten": True},
                                           session=False)["sessionId"]
            browser.send("Page.enable")
            start = time.monotonic()
            browser.send("Page.navigate", {"url": "file://" + os.path.abspath(args.page)})
            browser.wait_for("Page.loadEventFired")
            load_ms = (time.monotonic() - start) * 1000
            if not browser.evaluate("typeof filterList == 'function' && filterIndex != null"):
                sys.exit(f"filter_box_chromium.py: {args.page} has no filter box")
            # The page's own first drawing can end after its load event;
            # the first keystroke must not be charged with it.
            browser.evaluate("new Promise(function (done) { requestAnimationFrame("
                             "function () { setTimeout(done, 0); }); })")
            rows = browser.evaluate("filterIndex.rows.length")
            version = browser.send("Browser.getVersion", session=False)["product"]
            print(f"page: {args.page}\nbrowser: {version}\nfile rows: {rows}, load: {load_ms:.0f} ms")
            print(f"{'box':<12} {'count':<24} {'script ms':>10} {'+layout ms':>11} "
                  f"{'frame ms':>9}")
            slowest = 0.0
            for text in args.texts or DEFAULT_TEXTS:
                scripted, laid_out, frame, count = browser.evaluate(
                    KEYSTROKE + "(" + json.dumps(text) + ")")
                slowest = max(slowest, frame)
                shown = json.dumps(text) if text else "(empty)"
                print(f"{shown:<12} {count:<24} {scripted:>10.1f} {laid_out:>11.1f} "
                      f"{frame:>9.1f}")
            print(f"slowest keystroke to its frame: {slowest:.1f} ms")
        finally:
            browser.close()


if __name__ == "__main__":
    main()
