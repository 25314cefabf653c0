#!/usr/bin/python3
"""The web page in headless Chromium, against the native d88cut.

Serves the built site on 127.0.0.1, gives the page each image that
make_web_images wrote, and checks what it shows and saves against what the
native d88cut prints and writes from the same file: the console text, every
file's SHA-256, and the zip's entries byte for byte. Ends with the line
"N passed, N failed"; the exit status is 1 on any failure.

  run_browser_tests.py SITE_DIR IMAGES_DIR D88CUT SCREENSHOT
"""
import functools
import hashlib
import http.server
import io
import os
import pathlib
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

SITE, IMAGES, D88CUT, SCREENSHOT = (pathlib.Path(a).resolve() for a in sys.argv[1:5])
# The hostile walk's headers point past their disks and hold neither disk of
# the title: d88info names it no disk image, as it names a stray file.
FORMATS = {"sample.d88": "D88", "other.d88": "D88", "damaged.d88": "D88",
           "disk-b.hdm": "HDM", "disk-b.fdi": "FDI", "disk-b.nfd-r0.nfd": "NFD r0",
           "disk-b.nfd-r1.nfd": "NFD r1", "disk-b.dcp": "DCP/DCU",
           "hostile-walk.d88": "not a disk image"}
results = {"passed": 0, "failed": 0}


def check(what, condition, detail=""):
    results["passed" if condition else "failed"] += 1
    print(("ok      " if condition else "FAILED  ") + what + ("" if condition else f": {detail}"))


def native_run(image, folder):
    """d88cut's console (both streams, as one pipe holds them) and files."""
    folder.mkdir()
    with open(folder / ".console", "wb") as console:
        subprocess.run([str(D88CUT), str(image)], cwd=folder, stdout=console, stderr=console,
                       check=False)
    text = (folder / ".console").read_bytes().decode("shift_jis")
    files = {p.name: p.read_bytes() for p in folder.iterdir() if p.name != ".console"}
    return text, files


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(QuietHandler, directory=str(folder))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


# What the page shows for its last file, read from the page.
READ_ARTICLE = """
const a = [...document.querySelectorAll('#results article')].pop();
const rows = (sel) => [...a.querySelectorAll(sel + ' tr')].slice(1).map(
    (tr) => [...tr.querySelectorAll('td')].map((td) => td.textContent));
return {state: a.dataset.state, ms: Number(a.dataset.milliseconds),
        format: (a.querySelector('.format') || {}).textContent || '',
        verdicts: [...a.querySelectorAll('.verdict')].map((p) => p.textContent),
        why: [...a.querySelectorAll('.why')].map((p) => p.textContent),
        files: rows('.files table'),
        console: (a.querySelector('.console') || {}).textContent || ''};
"""


def give(driver, image, probe=False):
    """Gives the page one file and waits for its answer; with `probe`, times
    the main thread's answers to script calls while the worker runs."""
    driver.find_element(By.ID, "files").send_keys(str(image))
    latencies = []
    deadline = time.monotonic() + 180
    while time.monotonic() < deadline:
        started = time.monotonic()
        pending = driver.execute_script("return window.d88web.pending();")
        if pending == 0:
            break
        latencies.append(time.monotonic() - started)
        time.sleep(0.02 if probe else 0.1)
    page = driver.execute_script(READ_ARTICLE)
    return page, latencies


def take_zip(driver, downloads):
    before = set(downloads.iterdir())
    # A real click: a script's click is no user gesture, and Chromium blocks
    # a page's second download without one.
    button = driver.find_elements(By.CSS_SELECTOR, ".save-all")[-1]
    driver.execute_script("arguments[0].scrollIntoView();", button)
    button.click()
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        new = [p for p in set(downloads.iterdir()) - before if p.suffix == ".zip"]
        if new:
            time.sleep(0.2)
            with zipfile.ZipFile(io.BytesIO(new[0].read_bytes())) as archive:
                entries = {name: archive.read(name) for name in archive.namelist()}
            new[0].unlink()
            return entries
        time.sleep(0.1)
    return None


def compare_with_native(name, page, native_text, native_files):
    check(f"{name}: finished", page["state"] == "done", page["state"])
    check(f"{name}: format {FORMATS[name]}", page["format"].startswith(FORMATS[name] + ","),
          page["format"])
    shown = page["console"] if native_text else ""
    check(f"{name}: console equals d88cut's", shown == native_text,
          f"{shown!r} != {native_text!r}")
    expected = [[n, f"{len(b):,} bytes", hashlib.sha256(b).hexdigest()]
                for n, b in sorted(native_files.items())]
    got = [[row[0], row[1], row[3]] for row in page["files"]]
    check(f"{name}: files and SHA-256 equal d88cut's", got == expected, f"{got} != {expected}")


def main():
    scratch = pathlib.Path(tempfile.mkdtemp())
    downloads = scratch / "downloads"
    downloads.mkdir()
    server = serve(SITE)
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--window-size=1100,1500", "--force-prefers-color-scheme=light"):
        options.add_argument(argument)
    options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                              options=options)
    try:
        driver.get(f"http://127.0.0.1:{server.server_address[1]}/index.html")
        for name in FORMATS:
            native_text, native_files = native_run(IMAGES / name, scratch / name)
            page, latencies = give(driver, IMAGES / name, probe=name == "hostile-walk.d88")
            compare_with_native(name, page, native_text, native_files)
            if name == "sample.d88":
                check("sample: disk A, then disk B",
                      page["verdicts"] == ["Verdict: Disk A of the title.",
                                           "Verdict: Disk B of the title."], page["verdicts"])
                print(f"time: the page analysed and cut the sample in {page['ms']:.0f} ms")
                driver.save_screenshot(str(SCREENSHOT))
                entries = take_zip(driver, downloads)
                check("sample: the zip holds d88cut's 17 files byte for byte",
                      entries == native_files and len(entries) == 17,
                      sorted(entries or {}))
                page2, _ = give(driver, IMAGES / name)
                print(f"time: again, with the page warm: {page2['ms']:.0f} ms")
            elif name == "other.d88":
                check("other: neither disk, and why", page["verdicts"] ==
                      ["Verdict: Neither disk of the title."] and any(
                          "Disk A signature looked for in track 120" in w and "different text" in w
                          for w in page["why"]), page["why"])
            elif name == "damaged.d88":
                check("damaged: MUS00 marked damaged", page["files"][0][2] == "damaged",
                      page["files"][:1])
                without = take_zip(driver, downloads)
                expected = {n: b for n, b in native_files.items() if n != "MUS00"}
                check("damaged: left out of the zip unless asked", without == expected,
                      sorted(without or {}))
                driver.find_element(By.ID, "damaged").click()
                withDamaged = take_zip(driver, downloads)
                driver.find_element(By.ID, "damaged").click()
                check("damaged: saved with its zero tail when asked", withDamaged == native_files,
                      sorted(withDamaged or {}))
            elif name == "hostile-walk.d88":
                slowest = max(latencies, default=0.0)
                check("hostile walk: the page answered while the worker ran",
                      len(latencies) > 0 and slowest < 0.5,
                      f"{len(latencies)} answers, slowest {slowest:.3f} s")
                print(f"hostile walk: {page['ms']:.0f} ms, {len(latencies)} answers while working,"
                      f" slowest {slowest * 1000:.0f} ms")
            else:
                check(f"{name}: disk B", page["verdicts"] == ["Verdict: Disk B of the title."],
                      page["verdicts"])
        requests = driver.execute_script(
            "return performance.getEntriesByType('resource').map((e) => e.name);")
        foreign = [r for r in requests if not r.startswith("http://127.0.0.1:")]
        check("no request but the page's own files", not foreign, foreign)
    finally:
        driver.quit()
        server.shutdown()
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
