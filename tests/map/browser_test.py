#!/usr/bin/env python3
"""The maps `corvane plot` draws, checked in headless Chromium.

    browser_test.py CORVANE OUT_DIR svg|html

svg:  a crowded town drawn as SVG: no two point labels overlap, as the browser
      lays them out, and every label lies inside the map; an offset far
      outside the world is reported and not drawn.
      Hostile labels are cut and cannot reorder the map text beside them.
html: the explorable page: loads from disk without console errors whatever
      its labels hold (HOSTILE), the cluster and marker counts add up to the
      input, a hovered marker's tooltip gives `corvane coords` for it, the
      search box flies to an id and to a map text where `corvane locate` puts
      it, finds every marker by its own tooltip text (indoors, and where
      positions share a spot), and reads every text of the shared case table
      tests/cases/map_text.json as the library does. A screenshot is kept in
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
CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cases", "map_text.json")
failures = []

# Labels (line comments, as bytes) that must reach a map as text and nothing
# else: the HTML script-data states (comment and nested-script openers, end
# tags in any case), markup, quotes and escapes that JSON or JavaScript could
# take for their own, NUL and other controls, line and paragraph separators,
# every kind of directional formatting character (unclosed, stray closers),
# invalid UTF-8, and labels far longer than a map can show.
HOSTILE = [s.encode() if isinstance(s, str) else s for s in [
    "<!--<script>", "<!--<script>x</script>-->", "</script><script>alert(1)</script>", "</SCRIPT \t>",
    "<!-- -->", "-->", "<script>", "<\/script>", "<img src=x onerror=alert(1)> & </script>",
    "]]><![CDATA[", "'\"`${1}\\", "\\u003c/script\\u003e", "\\", "nul\x00byte", "tab\tcr\rvt\x0bdel\x7f",
    "line\u2028sep\u2029para\x85c1", "\u202eevil", "\u2067open isolate", "stray\u2069\u2069closers",
    "\u202b\u202dembed\u202c pop", "\u2069\u202e\u2066\u2068x", "\u05e9\u05dc\u05d5\u05dd right to left",
    "\ufeffbom", "x" * 10000, "\u05d0" * 10000, "<!--" * 2500,
    b"bad utf-8 \xff\xfe\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80 end"]]
# The label that reverses whatever follows it unless it is isolated.
OVERRIDE = "\u202eevil"


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
        if extent == "world":
            # Two labels of their own far from the rest, where they have room.
            lines = lines + ["0x40400000 10 100 0 # " + OVERRIDE, "0x40C00000 10 100 0 # " + "long " * 40]
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
        # The map text beside a right-to-left override still runs left to
        # right, and a long label is cut.
        order = driver.execute_script("""
            const out = {};
            for (const t of document.querySelectorAll('#labels text')) {
              const evil = t.textContent.indexOf('evil');
              const at = t.textContent.indexOf(': ', evil) + 2;
              if (evil >= 0 && at >= 2) {
                out.xs = [0, 1, 2, 3, 4].map((k) => t.getStartPositionOfChar(at + k).x);
              }
              if (t.textContent.includes('long long')) out.long = t.textContent;
            }
            return out;""")
        xs = order.get("xs")
        check((extent == "data" and xs is None) or xs and all(a < b for a, b in zip(xs, xs[1:])), "%s: map text after %r drawn %r" % (extent, OVERRIDE, xs))
        cut = order.get("long") or ""
        check((extent == "data" and not cut) or cut.count("long") == 16 and "...\u2069: " in cut,
              "%s: long label %r" % (extent, cut))
        print("%s: %d labels of %d points, scale bar %s" % (extent, len(boxes), len(lines), labels["bar"]))


def test_hostile_svg():
    """The hostile labels drawn: the SVG stays well-formed XML, and each label
    in a point's title is isolated from the map text after it and cut."""
    import xml.etree.ElementTree as ET
    code, svg, err = corvane(["plot", "--extent", "world"], b"\n".join(hostile_lines()) + b"\n")
    try:
        root = ET.fromstring(svg)
    except ET.ParseError as e:
        check(False, "hostile labels make the SVG malformed: %s" % e)
        return
    titles = [t.text for t in root.iter("{http://www.w3.org/2000/svg}title")][1:]
    for title in titles:
        label = re.fullmatch(r"\S+ \S+ \S+ \S+ = (\u2068.*\u2069): [0-9.]+N, [0-9.]+W, [0-9.]+Z", title, re.S)
        check(label and isolated(label.group(1)), "SVG title %r" % title[:120])
    check(len(titles) + err.count("\n") == len(HOSTILE), "%d hostile titles, %r" % (len(titles), err))


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


def page_errors(driver):
    return [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]


def open_page(driver, path):
    driver.get("file://" + path)
    ran = driver.execute_script("return typeof corvaneMap === 'object' && typeof corvanePage === 'object'")
    check(ran, "the page's script ran (%s)" % path)
    if ran:
        driver.set_script_timeout(60)
        driver.execute_async_script("corvanePage.loaded.then(arguments[0], arguments[0])")
        wait_for(driver, "return document.querySelectorAll('.corvane-marker, .marker-cluster').length > 0",
                 "the markers")
    return ran


def search(driver, query):
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    box = driver.find_element(By.ID, "search-text")
    box.clear()
    box.send_keys(query + Keys.RETURN)


def open_tooltip(driver, what):
    return wait_for(driver, "const t = document.querySelector('.leaflet-tooltip.corvane-tooltip');"
                            "return t && t.style.opacity !== '0' && t.textContent;", what)


# Whether the characters of `part` in an element's text are laid out left to
# right (each starting right of the one before), read from the rendering.
LAID_OUT_LTR = """
    const [element, part] = arguments;
    const node = element.firstChild;
    const at = node.textContent.indexOf(part);
    if (at < 0) return null;
    const range = document.createRange();
    const xs = [];
    for (let k = 0; k < part.length; ++k) {
      range.setStart(node, at + k); range.setEnd(node, at + k + 1);
      xs.push(range.getBoundingClientRect().left);
    }
    return xs.every((x, k) => k === 0 || x > xs[k - 1]);"""


def isolated(text):
    """Whether `text` is one directional isolate (U+2068 ... U+2069) that
    nothing inside closes early, with no control or paragraph separator and at
    most 80 characters (then "...") inside."""
    if not text.startswith("\u2068"):
        return False
    depth, chars = 0, 0
    for k, c in enumerate(text):
        depth += 1 if c in "\u2066\u2067\u2068" else -1 if c == "\u2069" else 0
        chars += c not in "\u2068\u2069"
        if depth == 0 and k != len(text) - 1:
            return False
    return depth == 0 and chars <= 83 and not re.search("[\x00-\x1f\x7f-\x9f\u2029]", text)


def hostile_lines():
    """Each hostile label on a position of its own, in a row of landblocks."""
    return [b"0x%02X800000 %d 96 %d # " % (0x20 + 2 * i, 10 + i, i) + label for i, label in enumerate(HOSTILE)]


def test_hostile(driver):
    """Every hostile label on a page of its own, with duplicates and indoor
    cells sharing a corner."""
    lines = hostile_lines()
    shared = [b"0xDA550000 84 108 0 # a", b"0xDA550000 84 108 0 # b", b"0xDA550000 84 108 0",
              b"0x30300100 1 1 1", b"0x30300101 1 1 1 # cell 0101", b"0x30300100 1 1 1 # again"]
    lines += shared
    page = os.path.join(OUT_DIR, "hostile.html")
    code, _, err = corvane(["plot", "--html", "-o", page], b"\n".join(lines) + b"\n")
    # The tool refuses lines holding NUL or malformed UTF-8 and says so; the
    # page shows every other one.
    refused = [int(n) - 1 for n in re.findall(r"line (\d+): (?:NUL byte|malformed UTF-8)", err)]
    check(code in (0, 1) and len(refused) == len(err.splitlines()), "hostile labels plotted: %d %r" % (code, err[:300]))
    lines = [line for i, line in enumerate(lines) if i not in refused]
    if not open_page(driver, page):
        return
    check(not page_errors(driver), "console errors: %r" % page_errors(driver))
    got = driver.execute_script("""
        const out = [[], [], []];
        for (let i = 0; i < corvanePage.count; ++i) {
          const p = corvanePage.point(i);
          out[0].push(p.text); out[1].push(p.position); out[2].push(p.label);
        }
        return out;""")
    check(len(got[0]) == len(lines), "%d positions on the page of %d" % (len(got[0]), len(lines)))

    # Each label arrives as text, isolated, cut to 80 characters, with no
    # control character left; plain ones arrive as they were.
    for line in lines[:len(HOSTILE) - len(refused)]:
        position, label = line.split(b" # ", 1)
        fields = position.decode().split()
        shown = [got[2][i] for i in range(len(got[1])) if got[1][i].split()[0] == fields[0]]
        if len(shown) != 1:
            check(False, "label %r not found" % label[:40])
            continue
        text = shown[0]
        inner = text[1:].rstrip("\u2069")
        check(isolated(text), "label %r shown as %r" % (label[:40], text[:100]))
        plain = label.decode("utf-8", "replace")
        if not re.search("[\x00-\x1f\x7f-\x9f\u2028-\u202e\u2066-\u2069\ufffd]", plain):
            check(inner == (plain if len(plain) <= 80 else plain[:80] + "..."), "label %r shown as %r" % (plain[:40], inner[:100]))

    # Every marker found by its own tooltip text (repeating the search steps
    # through the markers printing the same text), and by its id.
    missed = driver.execute_script("""
        const missed = [];
        for (let i = 0; i < corvanePage.count; ++i) {
          const p = corvanePage.point(i);
          for (const query of [p.text, p.position.split(' ')[0]]) {
            let hit = false;
            for (let k = 0, n = 1; k < n && !hit; ++k) {
              const answer = corvanePage.search(query);
              n = answer.matches;
              hit = answer.found === i;
            }
            if (!hit) missed.push([i, query]);
          }
        }
        return missed;""")
    check(missed == [], "markers not found by their own text or id: %r" % missed)

    # Hostile text searched: a reason, never an exception.
    queries = [l.decode("utf-8", "replace") for l in HOSTILE] + ["9" * 200000 + "N, 0E", "1." + "0" * 200000 + "1N, 0E",
                                                                "33.5S, 72.7E, " + "9" * 5000 + "Z", "Indoors [" * 5000]
    thrown = driver.execute_script("""
        const thrown = [];
        for (const q of arguments[0]) {
          try { corvanePage.search(q); } catch (e) { thrown.push([q.slice(0, 40), String(e)]); }
          if (!document.getElementById('search-status').textContent) thrown.push([q.slice(0, 40), 'no status']);
        }
        return thrown;""", queries)
    check(thrown == [], "searches threw: %r" % thrown)

    # Through the search box: positions sharing a spot, twice each, open a
    # tooltip (their cluster spread out) and raise nothing.
    for query in ["0xDA550000", "0xDA550000", "Indoors [0100]", "Indoors [0100]", "0x30300101", "0x30300101",
                  "33.5S, 72.7E, 0.0Z", "33.5S, 72.7E, 0.0Z"]:
        search(driver, query)
        tip = open_tooltip(driver, "a tooltip after searching " + query)
        expect = "0x3030010" if "0100" in query or "0x3030" in query else "0xDA550000"
        check(tip and expect in tip, "search %r opened %r" % (query, tip))
    check(not page_errors(driver), "console errors after searching: %r" % page_errors(driver))

    # The map text after a right-to-left override, in the status line and the
    # tooltip, still runs left to right.
    from selenium.webdriver.common.by import By
    evil = [i for i, l in enumerate(got[2]) if l == "\u2068\u202eevil\u2069"]
    check(len(evil) == 1, "the override label on the page")
    if evil:
        search(driver, got[1][evil[0]].split()[0])
        tip = open_tooltip(driver, "the override marker's tooltip")
        status = driver.find_element(By.ID, "search-status")
        text = got[0][evil[0]]
        check(driver.execute_script(LAID_OUT_LTR, status, text) is True, "status line %r reordered" % status.text)
        line = driver.find_element(By.CSS_SELECTOR, ".corvane-tooltip .map-text")
        check(driver.execute_script(LAID_OUT_LTR, line, text) is True, "tooltip %r reordered" % line.text)
    print("hostile: %d labels, %d positions sharing spots, each found by its own text and id"
          % (len(HOSTILE), len(shared)))


def test_cases(driver):
    """Every case of the shared table searched: the page reads the text as the
    library does, and says the library's reason for a rejection."""
    with open(CASES, encoding="utf-8") as f:
        cases = json.load(f)["cases"]
    wrong = driver.execute_script("""
        const [cases] = arguments, wrong = [];
        const same = (a, b) => Object.is(a, b === null ? null : Math.fround(b));
        // The library's parts, by the number the package gives.
        const parts = ['map text', 'latitude', 'longitude', 'altitude', 'indoor cell'];
        const status = document.getElementById('search-status');
        for (const c of cases) {
          const answer = corvanePage.search(c.text);
          const r = corvanePage.readMapText(c.text);
          let ok;
          if (c.error) {
            ok = r.error && parts[r.error.part] === c.error.part && r.error.reason === c.error.reason &&
                 r.error.offset === c.error.offset &&
                 r.message === c.error.part + ': ' + c.error.reason + ' (at character ' + (c.error.offset + 1) + ')' &&
                 (answer.read.id !== undefined || status.textContent === c.text.trim() + ': ' + r.message);
          } else if (c.indoor) {
            ok = r.indoor === parseInt(c.indoor, 16) && r.located === null && answer.read.indoor === r.indoor;
          } else {
            const l = c.located;
            ok = same(r.lat, c.lat) && same(r.lon, c.lon) && same(r.alt, c.alt) &&
                 r.latPrecision === c.lat_precision && r.lonPrecision === c.lon_precision &&
                 (l === null ? r.located === null
                             : r.located !== null && r.located.id === parseInt(l.id, 16) &&
                               same(r.located.x, l.x) && same(r.located.y, l.y) && same(r.located.z, l.z));
          }
          if (!ok) wrong.push([c, r]);
        }
        return wrong;""", cases)
    check(not wrong, "%d of %d cases read otherwise than the library: %r" % (len(wrong), len(cases), wrong[:5]))
    check(not page_errors(driver), "console errors after the cases: %r" % page_errors(driver))
    print("cases: %d texts of %s read as the library reads them" % (len(cases), os.path.basename(CASES)))


def test_html(driver):
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    lines = town() + ["0x20300000 10 10 0 # <img src=x onerror=alert(1)> & </script>"]
    page = os.path.join(OUT_DIR, "map.html")
    code, _, err = corvane(["plot", "--html", "-o", page],
                           ("\n".join(lines) + "\n0x12340001 1e30 5 0\n").encode())
    check(code == 1 and "offset lies 1e+30 m outside the world" in err, "1e30 reported: %d %r" % (code, err))
    if not open_page(driver, page):
        return
    check(not page_errors(driver), "console errors: %r" % page_errors(driver))
    fetched = driver.execute_script("return performance.getEntriesByType('resource').map(r => r.name)")
    check(fetched == [], "the page fetched %r" % fetched)

    # Fitted to the data, every position is in view: in a cluster or on its own.
    counts = visible_counts(driver)
    check(counts["clusters"] >= 1 and counts["clustered"] + counts["markers"] == len(lines),
          "clusters and markers add up to %d: %r" % (len(lines), counts))
    check(driver.execute_script("const all = [];"
                                "for (let i = 0; i < corvanePage.count; ++i) all.push([corvanePage.point(i).y, corvanePage.point(i).x]);"
                                "return corvaneMap.getBounds().contains(L.latLngBounds(all))"), "view fitted to the data")
    scale = driver.execute_script("return document.querySelector('.leaflet-control-scale-line').textContent")
    check(re.fullmatch(r"\d+ k?m", scale or ""), "scale bar %r" % scale)

    # Every marker on its own, hovered: its tooltip is what `corvane coords` says.
    singles = driver.find_elements(By.CSS_SELECTOR, ".corvane-marker")
    hovered = 0
    for element in singles:
        ActionChains(driver).move_to_element(element).perform()
        open_tooltip(driver, "a tooltip")
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

    # An id: the map flies there and opens the marker's tooltip.
    search(driver, "0xFEFE0000")
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
        search(driver, text.lower().replace(", ", " "))
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

    # Text that is no position says why, as the library does, and keeps the
    # page working.
    search(driver, "somewhere nice")
    status = wait_for(driver, "return document.getElementById('search-status').textContent", "status")
    check(status == "somewhere nice: latitude: expected a number (at character 1)", "bad search status %r" % status)
    check(not page_errors(driver), "console errors after searching: %r" % page_errors(driver))

    check(os.path.getsize(shot) > 10000, "screenshot " + shot)
    print("html: %d positions, %r, %d tooltips hovered, screenshot %s" % (len(lines), counts, hovered, shot))
    test_cases(driver)
    test_hostile(driver)


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    driver, profile = start_browser()
    try:
        if MODE == "svg":
            test_svg(driver)
            test_hostile_svg()
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
