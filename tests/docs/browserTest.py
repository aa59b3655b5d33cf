"""Every page of the built site opens from file:// in a headless Chromium
without a console error, a script error or a resource that fails to load,
and with all its math typeset.

Usage: browserTest.py CHROMIUM HTML_DIR [PAGE...]

PAGE is a path below HTML_DIR (index.html); without any, every page of the
site is opened. On a page with math, MathJax must finish, report no TeX
error (an undefined macro counts as one) and leave every math element of
the page typeset as SVG.
"""

import sys
import time
from pathlib import Path

from devtools import Browser, DevToolsError

# Run before any script of a page: MathJax 2 takes a window.MathJax object
# as its first settings, so its error messages are recorded and an
# undefined macro is an error instead of red text.
MATH_HOOKS = """
window.kespMathErrors = [];
window.MathJax = {
  TeX: {noUndefined: {disabled: true}},
  AuthorInit: function () {
    ["TeX Jax - parse error", "Math Processing Error", "file load error"].forEach(function (kind) {
      MathJax.Hub.Register.MessageHook(kind, function (message) {
        window.kespMathErrors.push(kind + ": " + String(message[1]));
      });
    });
  }
};
"""

# Resolves, once MathJax (if the page loads it) has typeset the page, to
# the math elements of the page, those not typeset and MathJax's errors.
MATH_REPORT = """
new Promise(function (resolve) {
  function report() {
    var math = Array.from(document.querySelectorAll(".math"));
    return {math: math.length,
            untypeset: math.filter(function (element) { return !element.querySelector(".MathJax_SVG svg"); })
                           .map(function (element) { return element.textContent.trim().slice(0, 80); }),
            errors: window.kespMathErrors || []};
  }
  if (!document.querySelector('script[src*="MathJax.js"]')) { resolve(report()); return; }
  (function wait() {
    if (window.MathJax && MathJax.Hub && MathJax.Hub.Register) {
      MathJax.Hub.Register.StartupHook("End", function () { MathJax.Hub.Queue(function () { resolve(report()); }); });
    } else {
      setTimeout(wait, 20);
    }
  })();
})
"""

MATH_TIMEOUT_S = 20.0


def event_problems(events: list) -> list:
    """The console errors, uncaught exceptions and failed loads among a page's DevTools events."""
    urls = {}
    found = []
    for event in events:
        method, params = event.get("method"), event.get("params", {})
        if method == "Network.requestWillBeSent":
            urls[params["requestId"]] = params["request"]["url"]
        elif method == "Network.loadingFailed":
            found.append(f"failed to load {urls.get(params['requestId'], '?')}: {params.get('errorText')}")
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            exception = details.get("exception", {}).get("description") or details.get("text")
            found.append(f"uncaught {exception} ({details.get('url', '')}:{details.get('lineNumber', 0) + 1})")
        elif method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
            text = " ".join(str(argument.get("value", argument.get("description", ""))) for argument in params["args"])
            found.append(f"console.{params['type']}: {text}")
        elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
            entry = params["entry"]
            found.append(f"console ({entry.get('source')}): {entry.get('text')} {entry.get('url', '')}".rstrip())
    return found


def math_problems(math: dict) -> list:
    found = [f"MathJax: {error}" for error in math["errors"]]
    found += [f"math not typeset: {text}" for text in math["untypeset"]]
    return found


def check_page(browser: Browser, page: Path) -> tuple:
    """(problems, number of math elements typeset) of one page, opened in the browser's tab."""
    browser.events.clear()
    navigation = browser.call("Page.navigate", {"url": page.as_uri()})
    if navigation.get("errorText"):
        return [f"cannot open: {navigation['errorText']}"], 0
    browser.wait_for_event("Page.loadEventFired")
    try:
        evaluation = browser.call("Runtime.evaluate", {"expression": MATH_REPORT, "awaitPromise": True,
                                                       "returnByValue": True}, timeout_s=MATH_TIMEOUT_S)
    except DevToolsError:
        return event_problems(browser.events) + [f"MathJax did not finish within {MATH_TIMEOUT_S} s"], 0
    if "exceptionDetails" in evaluation:
        return event_problems(browser.events) + [f"the math check failed: {evaluation['exceptionDetails']}"], 0
    math = evaluation["result"]["value"]
    return event_problems(browser.events) + math_problems(math), math["math"] - len(math["untypeset"])


def open_browser(chromium: str) -> Browser:
    """A browser with one tab that records MathJax's errors, or SystemExit when there is no Chromium."""
    if not Path(chromium).is_file():
        raise SystemExit(f"no Chromium ({chromium}): install Debian's chromium (tools/installDependencies.sh tests)")
    browser = Browser(chromium)
    try:
        browser.open_tab()
        browser.call("Page.addScriptToEvaluateOnNewDocument", {"source": MATH_HOOKS})
    except DevToolsError:
        browser.close()
        raise
    return browser


def main(chromium: str, html_dir: str, *names: str) -> int:
    root = Path(html_dir).resolve()
    if not (root / "index.html").is_file():
        print(f"{root}/index.html is missing: build the site")
        return 1
    pages = [root / name for name in names] if names else sorted(root.rglob("*.html"))
    start = time.monotonic()
    browser = open_browser(chromium)
    failed = 0
    math_total = 0
    try:
        for page in pages:
            problems, math = check_page(browser, page)
            math_total += math
            for problem in problems:
                print(f"{page.relative_to(root)}: {problem}")
            failed += bool(problems)
    finally:
        browser.close()
    print(f"{len(pages) - failed} of {len(pages)} pages clean ({math_total} math elements typeset) "
          f"in {time.monotonic() - start:.1f} s")
    return 1 if failed or not pages else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
