#!/usr/bin/env python3
"""The maps `corvane plot` draws, checked in headless Chromium.

    browser_test.py CORVANE OUT_DIR svg|html

svg:  a crowded town drawn as SVG: no two point labels overlap, as the browser
      lays them out, and every label lies inside the map; an offset far
      outside the world is reported and not drawn.
html: the explorable page: loads from disk without console errors, the
      cluster and marker counts add up to the input, a hovered marker's
      tooltip gives `corvane coords` for it, the search box flies to an id and
      to a map text where `corvane locate` puts it. A screenshot is kept in
      OUT_DIR.

Chromium and its driver are required: without them the test fails.
"""
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

CORVANE, OUT_DIR, MODE = sys.argv[1], sys.argv[2], sys.argv[3]
CHROMIUM = os.environ.get("CORVANE_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("CORVANE_CHROMEDRIVER", "/usr/bin/chromedriver")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def corvane(args, stdin=b""):
    proc = subprocess.run([CORVANE] + args, input=stdin, capture_output=True, timeout=120)
    return proc.returncode, proc.stdout.decode(), proc.stderr.decode()


def town(seed=16, spread=True):
    """320 positions crowded in and around a few landblocks, a third named,
    plus (with `spread`) a few spread over the world and indoors."""
    rng = random.Random(seed)
    lines = []
    for i in range(320):
        lb_x = 0xDA + rng.choice([0, 0, 0, 1, -1])
        lb_y = 0x55 + rng.choice([0, 0, 0, 1, -1])
        x, y = rng.uniform(0, 191.9), rng.uniform(0, 191.9)
        cell = 1 + int(x // 24) * 8 + int(y // 24)
        name = " # house %d" % i if i % 3 == 0 else ""
        lines.append("0x%02X%02X%04X %.2f %.2f %.1f%s" % (lb_x, lb_y, cell, x, y, rng.uniform(0, 60), name))
    if not spread:
        return lines
    lines += ["0x7F7F0000 96 96 0 # middle of the world",
              "0x0101003A 150 20 0 # far south-west",
              "0xFEFE0000 191 191 10 # far north-east",
              "0x00000100 0 0 0",
              "0xA9B40019 84 7.1 94 # harbour"]
    return lines


def start_browser():
    if not (os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        print("FAIL: Chromium (%s) and chromedriver (%s) are needed; install chromium and "
              "chromium-driver" % (CHROMIUM, CHROMEDRIVER), file=sys.stderr)
        sys.exit(1)
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    profile = tempfile.mkdtemp(prefix="corvane-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile, "--window-size=1400,1000"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    return driver, profile


def overlapping_pairs(boxes):
    pairs = 0
    for i, a in enumerate(boxes):
        for b in boxes[i + 1:]:
            if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]:
                pairs += 1
    return pairs


def test_svg(driver):
    # The town alone fills a view fitted to it; over the whole world it is a
    # few pixels wide and most of its labels must give way.
    for extent, lines, least in (("data", town(spread=False), 100), ("world", town(), 5)):
        path = os.path.join(OUT_DIR, "town-%s.svg" % extent)
        code, _, err = corvane(["plot", "--extent", extent, "-o", path],
                               ("\n".join(lines) + "\n0x12340001 1e30 5 0 # far off\n").encode())
        check(code == 1 and re.search(r"line %d: offset lies 1e\+30 m outside the world; not drawn"
                                      % (len(lines) + 1), err), "1e30 offset reported: %d %r" % (code, err))
        driver.get("file://" + path)
        labels = driver.execute_script("""
            const area = document.querySelector('rect[fill="#f3efe2"]').getBBox();
            const out = [];
            for (const t of document.querySelectorAll('#labels text')) {
              const b = t.getBBox();
              out.push([b.x, b.y, b.x + b.width, b.y + b.height, t.textContent]);
            }
            return {area: [area.x, area.y, area.x + area.width, area.y + area.height], labels: out,
                    dots: document.querySelectorAll('#positions > *').length,
                    bar: document.querySelector('#scale-bar text').textContent};""")
        boxes = labels["labels"]
        area = labels["area"]
        check(labels["dots"] == len(lines), "%s: %d points drawn of %d" % (extent, labels["dots"], len(lines)))
        check(len(boxes) >= least, "%s: only %d labels shown" % (extent, len(boxes)))
        check(overlapping_pairs(boxes) == 0, "%s: %d overlapping label pairs" % (extent, overlapping_pairs(boxes)))
        outside = [b[4] for b in boxes if b[0] < area[0] or b[1] < area[1] or b[2] > area[2] or b[3] > area[3]]
        check(not outside, "%s: labels outside the map: %r" % (extent, outside[:5]))
        check(re.fullmatch(r"\d+ k?m", labels["bar"]), "%s: scale bar %r" % (extent, labels["bar"]))
        print("%s: %d labels of %d points, scale bar %s" % (extent, len(boxes), len(lines), labels["bar"]))


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    driver, profile = start_browser()
    try:
        if MODE == "svg":
            test_svg(driver)
        else:
            test_html(driver)
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures), file=sys.stderr)
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()
