#!/usr/bin/env python3
"""The size of the page `corvane plot --html` writes and how soon it shows its
markers in headless Chromium, for 10^5 and 10^6 positions.

    /usr/bin/python3 bench/map_page_bench.py CORVANE [SIZES...] [--write bench/RESULTS.md]

Positions are spread over the world as logs have them: most outdoors with
offsets of up to nine significant digits, one in eight indoors, one in ten
named, one in fifty repeating an earlier position. For each size it prints the
page's size, the time `corvane` took to write it, and the time from opening
the page until the first markers (or clusters) are drawn, which for a page
clustered by markercluster is also when the clustering is done. One run; the
machine is shared, so the times move by a second or so from run to run.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HEADING = "## Map page (`corvane plot --html`) in headless Chromium"
ARGS = sys.argv[1:]
WRITE = None
if "--write" in ARGS:
    WRITE = ARGS[ARGS.index("--write") + 1]
    del ARGS[ARGS.index("--write"):ARGS.index("--write") + 2]
CORVANE = ARGS[0]
SIZES = [int(float(s)) for s in ARGS[1:]] or [10**5, 10**6]
GOALS = {10**5: (4.0, 3.0), 10**6: (None, 20.0)}  # MB, seconds to the first markers
CHROMIUM = os.environ.get("CORVANE_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("CORVANE_CHROMEDRIVER", "/usr/bin/chromedriver")


def positions(n, seed=5):
    rng = random.Random(seed)
    lines = []
    for i in range(n):
        if lines and rng.random() < 0.02:
            lines.append(rng.choice(lines))
            continue
        lb = rng.randrange(256) << 24 | rng.randrange(256) << 16
        x, y, z = rng.uniform(0, 192), rng.uniform(0, 192), rng.uniform(-10, 300)
        if rng.random() < 0.125:
            lb |= rng.randrange(0x100, 0x200)
        else:
            lb |= 1 + int(x // 24) * 8 + int(y // 24)
        label = " # camp %d" % i if rng.random() < 0.1 else ""
        lines.append("0x%08X %.6g %.6g %.5g%s" % (lb, x, y, z, label))
    return "\n".join(lines) + "\n"


def main():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    out = tempfile.mkdtemp(prefix="corvane-page-bench-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + os.path.join(out, "profile"), "--window-size=1400,1000"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.set_page_load_timeout(300)
    driver.set_script_timeout(300)
    load_before = os.getloadavg()
    rows = []
    try:
        for n in SIZES:
            page = os.path.join(out, "map-%d.html" % n)
            text = positions(n).encode()
            start = time.time()
            proc = subprocess.run([CORVANE, "plot", "--html", "-o", page], input=text,
                                  capture_output=True)
            written = time.time() - start
            if proc.returncode != 0:
                sys.exit("corvane failed: " + proc.stderr.decode()[:500])
            driver.get("about:blank")
            start = time.time()
            driver.get("file://" + page)
            while not driver.execute_script(
                    "return document.querySelectorAll('.corvane-marker, .marker-cluster').length > 0"):
                if time.time() - start > 300:
                    sys.exit("no markers after 300 s")
                time.sleep(0.05)
            shown = time.time() - start
            drawn = driver.execute_script(
                "return document.querySelectorAll('.corvane-marker, .marker-cluster').length")
            print("%9d positions: page %.2f MB (%.1f bytes a position), written in %.1f s, "
                  "first markers after %.1f s (%d markers and clusters drawn)"
                  % (n, os.path.getsize(page) / 1e6, os.path.getsize(page) / n, written, shown, drawn),
                  flush=True)
            rows.append((n, os.path.getsize(page) / 1e6, written, shown))
            os.remove(page)
    finally:
        driver.quit()
        shutil.rmtree(out, ignore_errors=True)
    if WRITE:
        write_section(WRITE, rows, load_before, os.getloadavg())


def write_section(path, rows, load_before, load_after):
    lines = [HEADING, "",
             "From one run of `bench/map_page_bench.py`: the page's size, the time `corvane` took "
             "to write it, and the time from opening it until the first markers or clusters are "
             "drawn; positions as logs have them (one in eight indoors, one in ten labelled, one "
             "in fifty repeated). " + time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()) +
             "; load average before %.2f, after %.2f." % (load_before[0], load_after[0]), "",
             "| Positions | Page size | Written in | First markers after | Goal | Verdict |",
             "|---|---|---|---|---|---|"]
    for n, size, written, shown in rows:
        size_goal, time_goal = GOALS.get(n, (None, None))
        goal = ", ".join(g for g in ((size_goal and "≤ %g MB" % size_goal),
                                     (time_goal and "markers ≤ %g s" % time_goal)) if g)
        met = ((size_goal is None or size <= size_goal) and (time_goal is None or shown <= time_goal))
        lines.append("| 10^%d | %.2f MB | %.1f s | %.1f s | %s | %s |"
                     % (len(str(n)) - 1, size, written, shown, goal or "",
                        ("met" if met else "**not met**") if goal else ""))
    section = "\n".join(lines) + "\n"
    text = open(path).read()
    if HEADING in text:
        start = text.index(HEADING)
        end = text.find("\n## ", start + len(HEADING))
        text = text[:start] + section + (text[end + 1:] if end != -1 else "")
    else:
        text = text.rstrip("\n") + "\n\n" + section
    open(path, "w").write(text)


if __name__ == "__main__":
    main()
