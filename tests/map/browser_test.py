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


def wait_for(driver, script, what, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.1)
    check(False, "timed out waiting for " + what)
    return None


def tooltip(driver):
    return driver.execute_script("""
        const tip = document.querySelector('.leaflet-tooltip.corvane-tooltip');
        if (!tip) return null;
        const part = (c) => { const e = tip.querySelector('.' + c); return e ? e.textContent : ''; };
        return {text: part('map-text'), position: part('position'), label: part('label'),
                html: tip.innerHTML};""")


def visible_counts(driver):
    return driver.execute_script("""
        let clustered = 0, clusters = 0;
        for (const c of document.querySelectorAll('.marker-cluster')) {
          clusters += 1; clustered += Number(c.textContent);
        }
        return {clusters: clusters, clustered: clustered,
                markers: document.querySelectorAll('.corvane-marker').length};""")


def test_html(driver):
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    lines = town() + ["0x20300000 10 10 0 # <img src=x onerror=alert(1)> & </script>"]
    page = os.path.join(OUT_DIR, "map.html")
    code, _, err = corvane(["plot", "--html", "-o", page],
                           ("\n".join(lines) + "\n0x12340001 1e30 5 0\n").encode())
    check(code == 1 and "offset lies 1e+30 m outside the world" in err, "1e30 reported: %d %r" % (code, err))
    driver.get("file://" + page)
    wait_for(driver, "return document.querySelectorAll('.corvane-marker, .marker-cluster').length > 0",
             "the markers")
    errors = [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]
    check(not errors, "console errors: %r" % errors)
    fetched = driver.execute_script("return performance.getEntriesByType('resource').map(r => r.name)")
    check(fetched == [], "the page fetched %r" % fetched)

    # Fitted to the data, every position is in view: in a cluster or on its own.
    counts = visible_counts(driver)
    check(counts["clusters"] >= 1 and counts["clustered"] + counts["markers"] == len(lines),
          "clusters and markers add up to %d: %r" % (len(lines), counts))
    check(driver.execute_script("return corvaneMap.getBounds().contains(L.latLngBounds(" +
                                "CORVANE_MAP.points.map(p => [p[1], p[0]])))"), "view fitted to the data")
    scale = driver.execute_script("return document.querySelector('.leaflet-control-scale-line').textContent")
    check(re.fullmatch(r"\d+ k?m", scale or ""), "scale bar %r" % scale)

    # Every marker on its own, hovered: its tooltip is what `corvane coords` says.
    singles = driver.find_elements(By.CSS_SELECTOR, ".corvane-marker")
    hovered = 0
    for element in singles:
        ActionChains(driver).move_to_element(element).perform()
        tip = wait_for(driver, "const t = document.querySelector('.leaflet-tooltip.corvane-tooltip');"
                               "return t && t.style.opacity !== '0' && t.textContent;", "a tooltip")
        got = tooltip(driver)
        if not got:
            continue
        hovered += 1
        _, coords, _ = corvane(["coords"] + got["position"].split())
        check(got["text"] == coords.strip(), "tooltip %r, coords %r" % (got, coords))
        same = [l for l in lines if l.split("#")[0].split()[0].upper() == got["position"].split()[0].upper()]
        check(len(same) == 1 and [float(v) for v in same[0].split("#")[0].split()[1:]] ==
              [float(v) for v in got["position"].split()[1:]], "tooltip position %r from the input" % got)
        if "<img" in got["label"]:
            check("<img" not in got["html"], "a label is shown as text, not markup: %r" % got["html"])
        ActionChains(driver).move_to_element(driver.find_element(By.CSS_SELECTOR, ".leaflet-control-scale")).perform()
        wait_for(driver, "return !document.querySelector('.leaflet-tooltip.corvane-tooltip')", "the tooltip to close")
    check(hovered >= 3, "hovered %d of %d single markers" % (hovered, len(singles)))

    def search(query):
        box = driver.find_element(By.ID, "search-text")
        box.clear()
        box.send_keys(query + Keys.RETURN)

    # An id: the map flies there and opens the marker's tooltip.
    search("0xFEFE0000")
    got = wait_for(driver, "const t = document.querySelector('.leaflet-tooltip.corvane-tooltip');"
                           "return t && t.textContent.includes('0xFEFE0000') && t.textContent;", "id search")
    check(got and "far north-east" in got, "id search opened %r" % got)

    # A map text of a town position: the view centres where `corvane locate`
    # puts it (within the text's band) and opens a marker printing that text.
    rng = random.Random(7)
    for line in rng.sample(lines[:320], 3):
        _, text, _ = corvane(["coords"] + line.split("#")[0].split())
        text = text.strip()
        _, located, _ = corvane(["locate", text])
        lb_id, x, y = located.split()[:3]
        lb = int(lb_id, 16)
        expect_x = (lb >> 24) * 192 + float(x)
        expect_y = ((lb >> 16) & 0xFF) * 192 + float(y)
        search(text.lower().replace(", ", " "))
        got = wait_for(driver, "const t = document.querySelector('.leaflet-tooltip.corvane-tooltip');"
                               "return t && t.querySelector('.map-text').textContent === %s && t.textContent;"
                       % json.dumps(text), "map text search for " + text)
        centre = driver.execute_script("const c = corvaneMap.getCenter(); return [c.lng, c.lat];")
        check(got is not None, "map text search %r found a marker" % text)
        # The view centres on the marker found, which prints the same text and
        # so lies within one band (0.1 map degree, 24 m) of the located place.
        check(abs(centre[0] - expect_x) <= 24 and abs(centre[1] - expect_y) <= 24,
              "search %r centred at %r, locate says %r" % (text, centre, (expect_x, expect_y)))

    # The town close up, a tooltip open: the test's picture.
    time.sleep(0.5)  # the tooltip fades in
    shot = os.path.join(OUT_DIR, "map.png")
    driver.save_screenshot(shot)

    # Text that is no position says so and keeps the page working.
    search("somewhere nice")
    status = wait_for(driver, "return document.getElementById('search-status').textContent", "status")
    check(status and "not an id" in status, "bad search status %r" % status)
    errors = [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]
    check(not errors, "console errors after searching: %r" % errors)

    check(os.path.getsize(shot) > 10000, "screenshot " + shot)
    print("html: %d positions, %r, %d tooltips hovered, screenshot %s" % (len(lines), counts, hovered, shot))


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
