#!/usr/bin/python3
"""The web page in headless Chromium, against the native d88cut.

Serves the built site on 127.0.0.1, gives the page each image that
make_web_images wrote (and a ZIP and a gzip file made of them), and checks
what it shows and saves against what the native d88cut prints and writes
from the same files: the console text, every file's SHA-256, and the zip's
entries byte for byte. Then the page in Japanese, on a phone-sized screen,
by keyboard, under axe-core in both colour schemes, opened from the
unpacked web zip (file://) and without a worker. Writes its screenshots to
SHOTS. Ends with the line "N passed, N failed"; the exit status is 1 on any
failure.

  run_browser_tests.py SITE_DIR IMAGES_DIR D88CUT SHOTS WEB_ZIP AXE_JS
"""
import base64
import functools
import gzip
import hashlib
import http.server
import io
import pathlib
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

SITE, IMAGES, D88CUT, SHOTS, WEB_ZIP, AXE = (pathlib.Path(a).resolve() for a in sys.argv[1:7])
FORMATS = {"sample.d88": "D88", "other.d88": "D88", "damaged.d88": "D88",
           "disk-b.hdm": "HDM", "disk-b.fdi": "FDI", "disk-b.nfd-r0.nfd": "NFD r0",
           "disk-b.nfd-r1.nfd": "NFD r1", "disk-b.dcp": "DCP/DCU", "disk-b.scp": "SCP",
           "hostile-walk.d88": "not a disk image"}
# The flux of disk B's tracks 11 to 15 and 100: track 11's R 5 read right in
# two revolutions of three.
FLUX_SUMMARY = "Flux: 6 tracks read, 1 weak sector, 0 never read right"
FLUX_WEAK_TRACK = ("Track 11: 3 revolutions, cell 1000.0 ns, 360.0 rpm, 8 sectors;"
                   " weak: R 5 (2/3)")
# The archives the page unpacks: name, (member, image) pairs, and the images
# d88cut is given, in order, for the same files.
ARCHIVES = {"dumps.zip": ([("DISK_A.D88", "disk-a.d88"), ("DISK_B.D88", "disk-b.d88"),
                           ("ディスクＢ.d88", "disk-b.d88"), ("readme.txt", "notes.txt")],
                          ["disk-a.d88", "disk-b.d88", "disk-b.d88"]),
             "disk-b.d88.gz": ([("disk-b.d88", "disk-b.d88")], ["disk-b.d88"])}
SAMPLE_VERDICTS = ["Disk A of the title: its file complete.",
                   "Disk B of the title: all 16 files complete."]
results = {"passed": 0, "failed": 0, "expected to fail": 0}


def check(what, condition, detail="", until=None):
    """A check; with `until`, one known to fail until that work is merged: its
    failure is counted apart, and its passing fails, so that the mark goes."""
    if until and not condition:
        results["expected to fail"] += 1
        print(f"xfail   {what}: {detail} (expected until {until})")
        return
    if until:
        condition, detail = False, f"passes now: remove its mark ({until})"
    results["passed" if condition else "failed"] += 1
    print(("ok      " if condition else "FAILED  ") + what + ("" if condition else f": {detail}"))


def native_run(images, folder):
    """d88cut's console (both streams, as one pipe holds them) and files, for
    its runs on `images` one after the other in one folder."""
    folder.mkdir()
    with open(folder / ".console", "wb") as console:
        for image in images:
            subprocess.run([str(D88CUT), str(IMAGES / image)], cwd=folder, stdout=console,
                           stderr=console, check=False)
    text = (folder / ".console").read_bytes().decode("shift_jis")
    files = {p.name: p.read_bytes() for p in folder.iterdir() if p.name != ".console"}
    return text, files


class CodePageZipInfo(zipfile.ZipInfo):
    """A member named in CP932 without the UTF-8 flag, as Japanese tools write."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("cp932"), self.flag_bits


def make_archives(folder):
    for name, (members, _) in ARCHIVES.items():
        if name.endswith(".zip"):
            with zipfile.ZipFile(folder / name, "w", zipfile.ZIP_DEFLATED) as archive:
                for member, image in members:
                    archive.writestr(CodePageZipInfo(member), (IMAGES / image).read_bytes())
        else:
            with gzip.GzipFile(members[0][0], "wb", fileobj=open(folder / name, "wb")) as packed:
                packed.write((IMAGES / members[0][1]).read_bytes())


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".js": "text/javascript"}

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
const texts = (sel) => [...a.querySelectorAll(sel)].map((n) => n.textContent);
const rows = () => [...a.querySelectorAll('tbody tr')].map((tr) => [...tr.cells].map(
    (td) => (td.querySelector('code') || td).textContent));
const short = rows();
const reveal = () => a.querySelectorAll('button[aria-expanded]').forEach((b) => b.click());
reveal();
const full = rows().map((r) => r[3]);
reveal();
return {state: a.dataset.state, ms: Number(a.dataset.milliseconds),
        summary: texts('.summary').join(''), verdicts: texts('.verdict'), why: texts('.why'),
        outcome: [...a.querySelectorAll('.outcome')].map((p) => p.className + ': ' + p.textContent),
        headings: texts('h3, h4'), title: texts('h2').join(''), notes: texts('.note'), saveNote: texts('.save-note').join(''),
        flux: texts('.flux summary'), fluxTracks: texts('.flux li'),
        files: short, full, console: texts('.console').join(''),
        saveAll: a.querySelectorAll('.save-all:enabled').length};
"""


def give(driver, image, probe=False):
    """Gives the page one file, or a list of files chosen together, and waits
    for its answer; with `probe`, times the main thread's answers to script
    calls while the worker runs."""
    chosen = image if isinstance(image, list) else [image]
    driver.find_element(By.ID, "files").send_keys("\n".join(str(path) for path in chosen))
    latencies = []
    deadline = time.monotonic() + 180
    while time.monotonic() < deadline:
        started = time.monotonic()
        pending = driver.execute_script("return window.d88web.pending();")
        if pending == 0:
            break
        latencies.append(time.monotonic() - started)
        time.sleep(0.02 if probe else 0.1)
    return driver.execute_script(READ_ARTICLE), latencies


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


def compare_with_native(name, page, native_text, native_files, kind):
    check(f"{name}: finished", page["state"] == "done", page["state"])
    check(f"{name}: {kind}", page["summary"].startswith(kind + ","), page["summary"])
    shown = page["console"] if native_text else ""
    check(f"{name}: console equals d88cut's", shown == native_text,
          f"{shown!r} != {native_text!r}")
    expected = [[n, f"{len(b):,} bytes", hashlib.sha256(b).hexdigest()]
                for n, b in sorted(native_files.items())]
    kept = [(row, full) for row, full in zip(page["files"], page["full"]) if full]
    got = [[row[0], row[1], full] for row, full in kept]
    shortened = all(row[3] == full[:12] + "…" for row, full in kept)
    check(f"{name}: files and SHA-256 (short, then in full) equal d88cut's",
          got == expected and shortened, f"{page['files']} != {expected}")


def check_image(driver, scratch, downloads, name):
    native_text, native_files = native_run([name], scratch / name)
    page, latencies = give(driver, IMAGES / name, probe=name == "hostile-walk.d88")
    compare_with_native(name, page, native_text, native_files, FORMATS[name])
    if name == "sample.d88":
        check("sample: disk A, then disk B", page["verdicts"] == SAMPLE_VERDICTS, page["verdicts"])
        print(f"time: the page analysed and cut the sample in {page['ms']:.0f} ms")
        driver.save_screenshot(str(SHOTS / "web-screenshot.png"))
        entries = take_zip(driver, downloads)
        check("sample: the zip holds d88cut's 17 files byte for byte",
              entries == native_files and len(entries) == 17, sorted(entries or {}))
        print(f"time: again, with the page warm: {give(driver, IMAGES / name)[0]['ms']:.0f} ms")
    elif name == "other.d88":
        check("other: neither disk, and why", page["verdicts"] ==
              ["Neither disk of the title."] and any(
                  "Disk A signature looked for in track 120" in w and "different text" in w
                  for w in page["why"]), page["why"])
    elif name == "damaged.d88":
        check_damaged(driver, downloads, page, native_files)
    elif name == "disk-b.scp":
        check("disk-b.scp: disk B, and how each flux track read", page["verdicts"] ==
              [SAMPLE_VERDICTS[1]] and page["flux"] == [FLUX_SUMMARY] and
              FLUX_WEAK_TRACK in page["fluxTracks"] and len(page["fluxTracks"]) == 6,
              (page["verdicts"], page["flux"], page["fluxTracks"]))
    elif name == "hostile-walk.d88":
        slowest = max(latencies, default=0.0)
        # An answer may come before the first probe: then none was kept waiting.
        check("hostile walk: the page answered while the worker ran", slowest < 0.5,
              f"{len(latencies)} answers, slowest {slowest:.3f} s")
        print(f"hostile walk: {page['ms']:.0f} ms, {len(latencies)} answers while working,"
              f" slowest {slowest * 1000:.0f} ms")
    else:
        check(f"{name}: disk B", page["verdicts"] == [SAMPLE_VERDICTS[1]], page["verdicts"])


def check_damaged(driver, downloads, page, native_files):
    check("damaged: the verdict says how each file came out, in the colour of the worst",
          page["outcome"] == ["outcome bad: disk B, 11 of 16 files complete, 2 damaged, 3 not read"]
          and page["verdicts"] == [
        "Disk B of the title: 11 of 16 files complete; MUS05 read in part; MUS00 with recorded"
        " read errors; MUS06–MUS08 not read."], page["verdicts"])
    states = {row[0]: row[2] for row in page["files"]}
    check("damaged: every file listed, the unread ones too", len(states) == 16 and
          states["MUS00"] == "damaged: sectors recorded as misread" and
          states["MUS05"] == "damaged: 1,024 bytes of 2,048 bytes read" and
          [states[f"MUS0{i}"] for i in (6, 7, 8)] == ["not read"] * 3, states)
    check("damaged: Save all says what it leaves out", page["saveNote"] ==
          "Saves 11 files; leaves out MUS00, MUS05 (damaged) and MUS06–MUS08 (not read).",
          page["saveNote"])
    # The damaged file's result alone, as far down the page as it is.
    clip = driver.execute_script("const r = arguments[0].getBoundingClientRect(); return {x: r.x - 8,"
                                 " y: r.y + scrollY - 8, width: r.width + 16, height: r.height + 16,"
                                 " scale: 1};",
                                 driver.find_elements(By.CSS_SELECTOR, "#results article")[-1])
    (SHOTS / "web-damaged.png").write_bytes(base64.b64decode(driver.execute_cdp_cmd(
        "Page.captureScreenshot", {"clip": clip, "captureBeyondViewport": True})["data"]))
    damaged = ("MUS00", "MUS05")
    without = take_zip(driver, downloads)
    check("damaged: left out of the zip unless asked",
          without == {n: b for n, b in native_files.items() if n not in damaged},
          sorted(without or {}))
    driver.find_element(By.ID, "damaged").click()
    with_damaged = take_zip(driver, downloads)
    note = driver.execute_script(READ_ARTICLE)["saveNote"]
    driver.find_element(By.ID, "damaged").click()
    check("damaged: saved with their recorded bytes and zeros when asked",
          with_damaged == native_files and note.startswith("Saves 13 files (MUS00, MUS05 damaged"),
          f"{sorted(with_damaged or {})} {note}")


def check_archives(driver, scratch, downloads):
    make_archives(scratch)
    for name, (members, images) in ARCHIVES.items():
        native_text, native_files = native_run(images, scratch / f"native-{name}")
        page, _ = give(driver, scratch / name)
        kind = "ZIP archive" if name.endswith(".zip") else "gzip file"
        compare_with_native(name, page, native_text, native_files, kind)
        check(f"{name}: each image under its name inside",
              [h for h in page["headings"] if " › " in h] ==
              [f"{name} › {member}" for member, _ in members], page["headings"])
        check(f"{name}: the zip of all equals d88cut's files",
              take_zip(driver, downloads) == native_files, name)
        check(f"{name}: a text file inside is no disk image", page["notes"] == [
            "Not a disk image: its bytes fit none of the formats d88cut reads."] * (len(members) - len(images)),
            page["notes"])
    for name in ("notes.txt", "picture.png"):
        page, _ = give(driver, IMAGES / name)
        check(f"{name}: one line saying it is no disk image", page["notes"] == [
            "Not a disk image: its bytes fit none of the formats d88cut reads."] and not page["files"] and
            not page["saveAll"], page)


def check_kryoflux(driver, scratch):
    """A KryoFlux dump chosen as all its track files is one input, read as
    d88cut reads it given one of them; a stream alone is a dump of one track."""
    streams = sorted(IMAGES.glob("disk-b-flux*.raw"))
    lone = scratch / "lone" / "lone50.0.raw"
    lone.parent.mkdir()
    lone.write_bytes(streams[-1].read_bytes())
    for what, chosen, heading in (
            ("KryoFlux streams", streams, f"{streams[0].name} and 5 more track files"),
            ("a lone stream", [lone], lone.name)):
        native_text, native_files = native_run([chosen[0]], scratch / f"native-{lone.name}-{len(chosen)}")
        page, _ = give(driver, chosen)
        compare_with_native(what, page, native_text, native_files, "KryoFlux")
        check(f"{what}: one result under its heading", page["title"] == heading, page["title"])
        if len(chosen) > 1:
            check(f"{what}: disk B, and how each flux track read",
                  page["verdicts"] == [SAMPLE_VERDICTS[1]] and page["flux"] == [FLUX_SUMMARY] and
                  FLUX_WEAK_TRACK in page["fluxTracks"], (page["verdicts"], page["flux"]))
        else:
            # Track 100, by its name: disk B's signature, and none of its files.
            check(f"{what}: its one track, disk B recognised with no file read",
                  page["verdicts"] == ["Disk B of the title: 0 of 16 files complete;"
                                       " MUS00–MUS15 not read."] and
                  page["fluxTracks"] == ["Track 100: 3 revolutions, cell 1000.0 ns, 360.0 rpm,"
                                         " 8 sectors"], (page["verdicts"], page["fluxTracks"]))


def check_keyboard_and_announcements(driver):
    driver.execute_script("document.getElementById('files').focus();")
    tabs = 0
    while tabs < 5 and "save-all" not in driver.switch_to.active_element.get_attribute("class"):
        ActionChains(driver).send_keys(Keys.TAB).perform()
        tabs += 1
    check("keyboard: Save all within 3 Tabs of the file chooser", tabs <= 3, tabs)
    said = driver.execute_script(
        "return [...document.querySelectorAll('#announce p')].map((p) => p.textContent);")
    check("live region: one short line per file", "sample.d88: disk A and disk B, 17 files"
          " complete" in said and "damaged.d88: disk B, 11 of 16 files complete, 2 damaged, 3 not"
          " read" in said and len(said) == len(driver.find_elements(By.TAG_NAME, "article")), said)


def axe_violations(driver):
    driver.execute_script(AXE.read_text())
    driver.execute_script("document.querySelectorAll('details').forEach((d) => d.open = true);")
    return driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document).then((r) => done(r.violations.map((v) =>"
        " `${v.id} (${v.nodes.length}): ${v.nodes[0].target}`)));")


def check_languages_and_axe(driver):
    for language, title in (("en", "d88cut in the browser"), ("ja", "d88cut ブラウザ版")):
        if driver.find_element(By.TAG_NAME, "html").get_attribute("lang") != language:
            driver.find_element(By.ID, "language").click()
        check(f"{language}: the page's text in its language", driver.find_element(
            By.TAG_NAME, "h1").text == title and driver.title == title, driver.title)
        for scheme in ("light", "dark"):
            driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-color-scheme", "value": scheme}]})
            found = axe_violations(driver)
            check(f"axe-core, {language}, {scheme}: no violations", not found, found)
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
    driver.refresh()
    check("the language chosen is remembered", driver.find_element(
        By.TAG_NAME, "html").get_attribute("lang") == "ja")
    driver.find_element(By.ID, "language").click()
    check("both languages have every text", driver.execute_script(
        "return Object.keys(strings.en).join() === Object.keys(strings.ja).join();"))


# Elements past the window's right edge, or wider inside than their box;
# visually hidden ones (a pixel wide) hold text for screen readers only.
OVERFLOW = """
const width = document.documentElement.clientWidth;
return [document.documentElement, ...document.querySelectorAll('body *')].filter((e) =>
    e.getBoundingClientRect().width > 1 && (e.getBoundingClientRect().right > width + 0.5 ||
      (getComputedStyle(e).display !== 'inline' && e.scrollWidth > e.clientWidth + 1)))
  .map((e) => e.tagName + '.' + e.className + ': ' + e.textContent.slice(0, 40));
"""


def check_phone(driver, scratch):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
    driver.refresh()
    long_name = scratch / ("ディスクＢ_" + "0123456789abcdef" * 8 + ".d88")
    long_name.write_bytes((IMAGES / "damaged.d88").read_bytes())
    for image in (IMAGES / "sample.d88", long_name):
        give(driver, image)
    driver.execute_script("document.querySelector('article').scrollIntoView();")
    driver.save_screenshot(str(SHOTS / "web-phone.png"))
    driver.execute_script("document.querySelectorAll('button[aria-expanded]').forEach("
                          "(b) => b.click());")
    offenders = driver.execute_script(OVERFLOW)
    check("phone (390x844): nothing runs out of its box, hashes in full", not offenders,
          offenders[:5])
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def check_from_disk(driver, scratch, downloads):
    with zipfile.ZipFile(WEB_ZIP) as archive:
        archive.extractall(scratch / "unpacked")
    page_file = next((scratch / "unpacked").glob("*/index.html"))
    driver.get(page_file.as_uri())
    page, _ = give(driver, IMAGES / "sample.d88")
    check("file://: the unpacked page reads the sample in its worker",
          page["verdicts"] == SAMPLE_VERDICTS and
          driver.execute_script("return window.d88web.engine();") == "worker", page["verdicts"])
    entries = take_zip(driver, downloads)
    check("file://: Save all gives d88cut's 17 files", entries is not None and len(entries) == 17)
    script = driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                    {"source": "delete window.Worker;"})
    driver.refresh()
    page, _ = give(driver, IMAGES / "sample.d88")
    check("no worker: the page reads the sample itself, and says so",
          page["verdicts"] == SAMPLE_VERDICTS and driver.find_element(By.ID, "no-worker")
          .is_displayed() and driver.execute_script("return window.d88web.engine();") == "page",
          page["verdicts"])
    driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", script)


def browser(downloads, language="en-US"):
    """Chromium whose reader prefers `language` (navigator.language)."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--window-size=1100,1500", "--force-prefers-color-scheme=light"):
        options.add_argument(argument)
    options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                              "download.prompt_for_download": False,
                                              "intl.accept_languages": language})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def check_japanese_browser(url, downloads):
    driver = browser(downloads, "ja-JP")
    try:
        driver.get(url)
        check("a Japanese browser gets the page in Japanese",
              driver.find_element(By.TAG_NAME, "html").get_attribute("lang") == "ja" and
              driver.find_element(By.CSS_SELECTOR, "label[for=damaged]").text.startswith(
                  "破損したファイルも保存する"), driver.title)
        page, _ = give(driver, IMAGES / "sample.d88")
        check("ja: the verdicts in Japanese", page["verdicts"] == [
            "このタイトルのディスク A：ファイルは完全。",
            "このタイトルのディスク B：16 ファイルすべて完全。"], page["verdicts"])
        driver.save_screenshot(str(SHOTS / "web-japanese.png"))
        # Shift_JIS from the disk shown as Japanese text.
        page, _ = give(driver, IMAGES / "japanese.d88")
        check("japanese.d88: disk names in Japanese", "ゲームディスクＡ" in page["headings"][0] and
              "ゲームディスクＢ" in page["headings"][1], page["headings"])
        check("japanese.d88: disk B's signature in Japanese",
              "ＱＵＩＬＬ　ＭＯＲＡＶＥＮ" in page["why"][1], page["why"])
    finally:
        driver.quit()


def main():
    scratch = pathlib.Path(tempfile.mkdtemp())
    downloads = scratch / "downloads"
    downloads.mkdir()
    SHOTS.mkdir(parents=True, exist_ok=True)
    server = serve(SITE)
    url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    driver = browser(downloads)
    try:
        driver.get(url)
        for name in FORMATS:
            check_image(driver, scratch, downloads, name)
        check_archives(driver, scratch, downloads)
        check_kryoflux(driver, scratch)
        requests = driver.execute_script(
            "return performance.getEntriesByType('resource').map((e) => e.name);")
        foreign = [r for r in requests if not r.startswith("http://127.0.0.1:")]
        check("no request but the page's own files", not foreign, foreign)
        driver.refresh()
        for name in ("sample.d88", "damaged.d88", "japanese.d88"):
            give(driver, IMAGES / name)
        check_keyboard_and_announcements(driver)
        check_languages_and_axe(driver)
        check_phone(driver, scratch)
        check_from_disk(driver, scratch, downloads)
        check_japanese_browser(url, downloads)
    finally:
        driver.quit()
        server.shutdown()
    print(f"{results['expected to fail']} expected to fail")
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
