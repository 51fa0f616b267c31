// The page's behaviour over what the tool writes into CORVANE_MAP (the
// world's numbers) and #corvane-positions (the positions, packed), with the
// library compiled to WebAssembly (`corvaneReady`) reading map text: map units
// are metres east (x) and north (y) of the world's south-west corner, and
// Leaflet's [lat, lng] is [y, x].
(function () {
  "use strict";
  const data = CORVANE_MAP;
  const world = data.world;
  const landblock = data.landblock;
  const metresPerDegree = data.metresPerDegree;
  const originDegrees = data.originDegrees;
  const minZoom = -1;
  const maxZoom = 12;

  // One pixel a landblock at zoom 0: the world is 256 pixels square, north up.
  const crs = L.extend({}, L.CRS.Simple, {
    transformation: new L.Transformation(1 / landblock, 0, -1 / landblock, world / landblock),
  });
  const map = L.map("map", { crs: crs, minZoom: minZoom, maxZoom: maxZoom, zoomSnap: 0.25 });
  window.corvaneMap = map;  // for scripting the page
  const worldBounds = L.latLngBounds([0, 0], [world, world]);
  L.rectangle(worldBounds, { color: "#444444", weight: 1, fillColor: "#f3efe2", fillOpacity: 1,
                             interactive: false }).addTo(map);
  L.control.scale({ imperial: false, maxWidth: 200, position: "bottomright" }).addTo(map);

  // ---- Grid and graticule, redrawn for the view -------------------------------

  const gridLayer = L.layerGroup().addTo(map);
  const degreesOf = (metres) => metres / metresPerDegree - originDegrees;
  const metresOf = (degrees) => (degrees + originDegrees) * metresPerDegree;
  const degreeLabel = (degrees, positive, negative) => {
    if (Math.abs(degrees) < 1e-9) return "0";
    return String(Number(Math.abs(degrees).toFixed(1))) + (degrees < 0 ? negative : positive);
  };

  function drawGrid() {
    gridLayer.clearLayers();
    const view = map.getBounds();
    const x0 = Math.max(0, view.getWest()), x1 = Math.min(world, view.getEast());
    const y0 = Math.max(0, view.getSouth()), y1 = Math.min(world, view.getNorth());
    if (x0 >= x1 || y0 >= y1) return;
    const pixelsPerMetre = Math.pow(2, map.getZoom()) / landblock;

    // Landblock lines, fainter the closer together they are drawn.
    const lines = [];
    for (let i = Math.ceil(x0 / landblock); i * landblock <= x1; ++i) {
      lines.push([[y0, i * landblock], [y1, i * landblock]]);
    }
    for (let i = Math.ceil(y0 / landblock); i * landblock <= y1; ++i) {
      lines.push([[i * landblock, x0], [i * landblock, x1]]);
    }
    const opacity = Math.min(0.3, Math.max(0.05, landblock * pixelsPerMetre / 40));
    L.polyline(lines, { color: "#000000", weight: 0.5, opacity: opacity, interactive: false })
      .addTo(gridLayer);

    // Graticule: the smallest round step at least 80 pixels apart.
    let step = 50;
    for (const s of [0.1, 0.2, 0.5, 1, 2, 5, 10, 20]) {
      if (s * metresPerDegree * pixelsPerMetre >= 80) { step = s; break; }
    }
    const graticule = [];
    const zero = [];
    const labelAt = (lat, lng, text, anchor) => L.marker([lat, lng], {
      interactive: false, keyboard: false, zIndexOffset: -1000,
      icon: L.divIcon({ className: "graticule-label", html: text, iconSize: null, iconAnchor: anchor }),
    }).addTo(gridLayer);
    const south = y0 + 4 / pixelsPerMetre;
    const west = x0 + 4 / pixelsPerMetre;
    for (let k = Math.ceil(degreesOf(x0) / step); k * step <= degreesOf(x1) + 1e-9; ++k) {
      const x = metresOf(k * step);
      (k === 0 ? zero : graticule).push([[y0, x], [y1, x]]);
      labelAt(south, x, degreeLabel(k * step, "E", "W"), [-2, 16]);
    }
    for (let k = Math.ceil(degreesOf(y0) / step); k * step <= degreesOf(y1) + 1e-9; ++k) {
      const y = metresOf(k * step);
      (k === 0 ? zero : graticule).push([[y, x0], [y, x1]]);
      // Not where the first longitude label sits, at the south-west corner.
      if ((y - y0) * pixelsPerMetre > 24) labelAt(y, west, degreeLabel(k * step, "N", "S"), [-2, 16]);
    }
    const style = { color: "#3b6ea5", opacity: 0.55, interactive: false };
    L.polyline(graticule, L.extend({ weight: 1 }, style)).addTo(gridLayer);
    L.polyline(zero, L.extend({ weight: 2 }, style)).addTo(gridLayer);
  }
  map.on("moveend zoomend", drawGrid);

  // ---- Map text, read by the library ---------------------------------------------

  /// The library compiled to WebAssembly (the script before this one), once
  /// it has started: `loaded` waits for it, and so does search.
  let corvane = null;

  /// A map text as the library reads it: {lat, lon, alt, latPrecision,
  /// lonPrecision, located: {id, x, y, z}, or null outside the world},
  /// {indoor, located: null}, or, rejected, {error: {part, reason, offset},
  /// message} with the library's part number, reason, byte offset and message.
  function readMapText(text) {
    try {
      const read = corvane.parseMapText(text);
      if (read.indoor !== undefined) return { indoor: read.indoor, latPrecision: 0, lonPrecision: 0, located: null };
      let located = null;
      try {
        located = corvane.locate(text);
      } catch (e) {
        if (!(e instanceof corvane.CorvaneError) || e.degreesOutside === undefined) throw e;
      }
      return Object.assign(read, { located });
    } catch (e) {
      if (!(e instanceof corvane.CorvaneError)) throw e;
      return { error: { part: e.part, reason: e.detail === undefined ? e.reason : e.detail, offset: e.offset },
               message: e.reason };
    }
  }

  // ---- Positions ---------------------------------------------------------------

  const status = document.getElementById("search-status");
  const n = data.count;
  /// Per position, in the tool's order: plane x and y in metres, indoors, and
  /// where its texts (map text, position, shown label) lie in `bytes`.
  const points = { x: new Float64Array(n), y: new Float64Array(n), indoors: new Uint8Array(n) };
  let bytes = null;
  let lineStarts = null;
  const decoder = new TextDecoder();
  const line = (k) => decoder.decode(bytes.subarray(lineStarts[k], lineStarts[k + 1] - 1));
  const textOf = (i) => line(i);
  const positionOf = (i) => line(n + i);
  const labelOf = (i) => line(2 * n + i);

  async function unpack() {
    const raw = atob(document.getElementById("corvane-positions").textContent);
    bytes = new Uint8Array(raw.length);
    for (let i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
    if (data.deflated) {
      const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("deflate"));
      bytes = new Uint8Array(await new Response(stream).arrayBuffer());
    }
    const word = (plane, i) => (bytes[plane * 4 * n + i] | bytes[(plane * 4 + 1) * n + i] << 8 |
                                bytes[(plane * 4 + 2) * n + i] << 16 | bytes[(plane * 4 + 3) * n + i] << 24) >>> 0;
    for (let i = 0; i < n; ++i) {
      const x = word(0, i);
      points.x[i] = (x & 0x7FFFFFFF) / data.planeUnitsPerMetre;
      points.y[i] = word(1, i) / data.planeUnitsPerMetre;
      points.indoors[i] = x >>> 31;
    }
    lineStarts = new Uint32Array(3 * n + 1);
    let k = 0;
    lineStarts[0] = 8 * n;
    for (let at = 8 * n; at < bytes.length; ++at) {
      if (bytes[at] === 10) lineStarts[++k] = at + 1;
    }
  }

  // ---- Clusters ------------------------------------------------------------------
  //
  // Positions are grouped on a grid of 40-pixel cells at each whole zoom, the
  // cells of one zoom halving those of the one before. Numbered along a
  // Z-order curve, a cell's positions are one run of the positions sorted by
  // their finest cell, at every zoom: a cluster is a run, its count a length,
  // its centre a difference of running sums. Only what is in view becomes a
  // Leaflet layer.

  const cellPixels = 40;
  const finest = (z) => maxZoom - z;  // halvings from zoom z to the finest cells
  const cellMetres = (z) => cellPixels * landblock / Math.pow(2, z);
  const interleave = (v) => {  // the bits of a 16-bit number, one every other bit
    v = (v | (v << 8)) & 0x00FF00FF; v = (v | (v << 4)) & 0x0F0F0F0F;
    v = (v | (v << 2)) & 0x33333333; return (v | (v << 1)) & 0x55555555;
  };
  const cellKey = (cx, cy) => (interleave(cx) | (interleave(cy) << 1)) >>> 0;
  const levels = [];  // by zoom - minZoom: {keys, starts} (a run ends where the next starts)
  let order = null;  // positions sorted by their finest cell
  let sumX = null, sumY = null;  // running sums of x and y in that order

  function cluster() {
    const size = cellMetres(maxZoom), limit = 0x7FFF;
    const keys = new Uint32Array(n);
    for (let i = 0; i < n; ++i) {
      const cx = Math.min(limit, Math.max(0, Math.floor(points.x[i] / size)));
      const cy = Math.min(limit, Math.max(0, Math.floor(points.y[i] / size)));
      keys[i] = cellKey(cx, cy);
    }
    // Sorted as numbers holding key and position together (the typed array's
    // own sort), while both fit in a double's 53 bits.
    const indexBits = 2 ** 23;
    if (n <= indexBits) {
      const packed = new Float64Array(n);
      for (let i = 0; i < n; ++i) packed[i] = keys[i] * indexBits + i;
      packed.sort();
      order = new Uint32Array(n);
      for (let r = 0; r < n; ++r) order[r] = packed[r] % indexBits;
    } else {
      order = new Uint32Array(n).map((_, i) => i).sort((a, b) => keys[a] - keys[b] || a - b);
    }
    sumX = new Float64Array(n + 1); sumY = new Float64Array(n + 1);
    const sorted = new Uint32Array(n);
    for (let r = 0; r < n; ++r) {
      const i = order[r];
      sorted[r] = keys[i];
      sumX[r + 1] = sumX[r] + points.x[i]; sumY[r + 1] = sumY[r] + points.y[i];
    }
    let runKeys = sorted, runStarts = null;
    for (let z = maxZoom; z >= minZoom; --z) {
      const shift = z === maxZoom ? 0 : 2;
      const outKeys = new Uint32Array(runKeys.length), outStarts = new Uint32Array(runKeys.length);
      let m = 0;
      for (let r = 0; r < runKeys.length; ++r) {
        const key = runKeys[r] >>> shift;
        if (m > 0 && outKeys[m - 1] === key) continue;
        outKeys[m] = key;
        outStarts[m++] = runStarts ? runStarts[r] : r;
      }
      runKeys = outKeys.slice(0, m);
      runStarts = outStarts.slice(0, m);
      levels[z - minZoom] = { keys: runKeys, starts: runStarts };
    }
  }

  /// The run of the cluster with this key at zoom z: [level, its number], or null.
  function findCluster(z, key) {
    const keys = levels[z - minZoom].keys;
    let lo = 0, hi = keys.length;
    while (lo < hi) { const mid = (lo + hi) >>> 1; if (keys[mid] < key) lo = mid + 1; else hi = mid; }
    return lo < keys.length && keys[lo] === key ? lo : -1;
  }
  function run(z, c) {
    const level = levels[z - minZoom];
    return [level.starts[c], c + 1 < level.starts.length ? level.starts[c + 1] : n];
  }
  /// The cell of plane point (x, y) at zoom z.
  function cellOf(z, x, y) {
    const size = cellMetres(z), limit = 0x7FFF >> finest(z);
    return [Math.min(limit, Math.max(0, Math.floor(x / size))), Math.min(limit, Math.max(0, Math.floor(y / size)))];
  }

  // Tooltips are made when first wanted.
  function tooltipOf(i) {
    const tip = document.createElement("div");
    for (const [kind, value] of [["map-text", textOf(i)], ["position", positionOf(i)], ["label", labelOf(i)]]) {
      if (!value) continue;
      const div = document.createElement("div");
      div.className = kind;
      div.textContent = value;
      tip.appendChild(div);
    }
    return tip;
  }
  function withTooltip(marker) {
    if (!marker.getTooltip()) {
      marker.bindTooltip(tooltipOf(marker.corvaneIndex), { className: "corvane-tooltip", direction: "top", offset: [0, -6] });
    }
    return marker;
  }
  const icons = [false, true].map((indoors) => L.divIcon({
    className: "corvane-marker" + (indoors ? " indoors" : ""), iconSize: [12, 12] }));
  function markerOf(i, at) {
    const marker = L.marker(at || [points.y[i], points.x[i]], { icon: icons[points.indoors[i]], keyboard: false });
    marker.corvaneIndex = i;
    marker.on("mouseover", () => withTooltip(marker).openTooltip());
    return marker;
  }

  const layer = L.layerGroup().addTo(map);
  let drawn = new Map();  // "zoom:key" of each cluster drawn -> its layer
  let singles = new Map();  // position -> its marker, where drawn on its own
  let spider = null;  // {id, layers}: a cluster at the closest zoom, spread out

  function unspread() {
    if (!spider) return;
    for (const l of spider.layers) layer.removeLayer(l);
    for (const i of spider.members) singles.delete(i);
    const hidden = drawn.get(spider.id);
    if (hidden) hidden.setOpacity(1);
    spider = null;
  }
  /// Spreads a cluster of the closest zoom around its centre, each position
  /// on a leg, as markercluster does.
  function spreadOut(id, c) {
    unspread();
    const [start, end] = run(maxZoom, c);
    const centre = map.latLngToLayerPoint(drawn.get(id).getLatLng());
    const layers = [], members = [];
    const count = end - start;
    // Markercluster's figures at twice its spacing (the cluster it leaves is
    // larger than the markers): a circle for a few, a spiral for more.
    let legLength = count < 9 ? 50 * (2 + count) / (2 * Math.PI) : 22, angle = 0;
    for (let r = start, k = 0; r < end; ++r, ++k) {
      if (count < 9) {
        angle = 2 * Math.PI * k / count;
      } else {
        angle += 56 / legLength + k * 0.0005;
      }
      const at = map.layerPointToLatLng(centre.add(L.point(Math.cos(angle), Math.sin(angle)).multiplyBy(legLength)));
      if (count >= 9) legLength += 2 * Math.PI * 10 / angle;
      const leg = L.polyline([drawn.get(id).getLatLng(), at], { color: "#222222", weight: 1.5, opacity: 0.5, interactive: false });
      const marker = markerOf(order[r], at);
      layers.push(leg, marker);
      members.push(order[r]);
      singles.set(order[r], marker);
    }
    for (const l of layers) layer.addLayer(l);
    drawn.get(id).setOpacity(0.3);
    spider = { id, layers, members };
  }

  function clusterIcon(count) {
    const size = count < 10 ? "small" : count < 100 ? "medium" : "large";
    return L.divIcon({ html: "<div><span>" + count + "</span></div>",
                       className: "marker-cluster marker-cluster-" + size, iconSize: L.point(40, 40) });
  }

  /// Draws the clusters and positions in view (and a cell around it).
  function draw() {
    if (!order) return;
    const z = Math.min(maxZoom, Math.max(minZoom, Math.round(map.getZoom())));
    const view = map.getBounds();
    const margin = cellMetres(z);
    const [cx0, cy0] = cellOf(z, view.getWest() - margin, view.getSouth() - margin);
    const [cx1, cy1] = cellOf(z, view.getEast() + margin, view.getNorth() + margin);
    const next = new Map();
    const nextSingles = new Map();
    for (let cy = cy0; cy <= cy1; ++cy) {
      for (let cx = cx0; cx <= cx1; ++cx) {
        const c = findCluster(z, cellKey(cx, cy));
        if (c < 0) continue;
        const id = z + ":" + c;
        const [start, end] = run(z, c);
        let drawnLayer = drawn.get(id);
        if (!drawnLayer) {
          if (end - start === 1) {
            drawnLayer = markerOf(order[start]);
          } else {
            const count = end - start;
            drawnLayer = L.marker([(sumY[end] - sumY[start]) / count, (sumX[end] - sumX[start]) / count],
                                  { icon: clusterIcon(count), keyboard: false });
            drawnLayer.on("click", () => openCluster(z, c, id));
          }
          layer.addLayer(drawnLayer);
        }
        next.set(id, drawnLayer);
        if (end - start === 1) nextSingles.set(order[start], drawnLayer);
      }
    }
    // A spread cluster stays spread while it stays in view at its zoom.
    if (spider && !next.has(spider.id)) unspread();
    if (spider) for (let k = 1; k < spider.layers.length; k += 2) nextSingles.set(spider.members[k >> 1], spider.layers[k]);
    for (const [id, l] of drawn) if (!next.has(id)) layer.removeLayer(l);
    drawn = next;
    singles = nextSingles;
  }
  /// A cluster clicked: the view fitted to its positions, or at the closest
  /// zoom, its positions spread out.
  function openCluster(z, c, id) {
    if (z >= maxZoom) { spreadOut(id, c); return; }
    const [start, end] = run(z, c);
    let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
    for (let r = start; r < end; ++r) {
      const i = order[r];
      x0 = Math.min(x0, points.x[i]); x1 = Math.max(x1, points.x[i]);
      y0 = Math.min(y0, points.y[i]); y1 = Math.max(y1, points.y[i]);
    }
    map.fitBounds(L.latLngBounds([y0, x0], [y1, x1]), { maxZoom: Math.max(z + 1, Math.min(maxZoom, map.getBoundsZoom(L.latLngBounds([y0, x0], [y1, x1])))) });
  }
  map.on("moveend", draw);

  const started = corvaneReady.then((api) => { corvane = api; }, (error) => {
    throw new Error("cannot start the map-text reader: " + error);
  });
  const unpacked = unpack().catch((error) => { throw new Error("cannot read the positions: " + error); });
  const loaded = Promise.all([unpacked, started]).then(() => {
    cluster();
    if (data.extent === "world" || n === 0) {
      map.fitBounds(worldBounds);
    } else {
      let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
      for (let i = 0; i < n; ++i) {
        x0 = Math.min(x0, points.x[i]); x1 = Math.max(x1, points.x[i]);
        y0 = Math.min(y0, points.y[i]); y1 = Math.max(y1, points.y[i]);
      }
      map.fitBounds(L.latLngBounds([y0, x0], [y1, x1]).pad(0.05), { maxZoom: 6 });
    }
    draw();
  }).catch((error) => {
    status.textContent = error.message;
    throw error;
  });
  map.fitBounds(worldBounds);
  drawGrid();

  // ---- Search ------------------------------------------------------------------

  const idText = /^(0x[0-9a-f]{1,8}|[0-9]{1,10})$/i;
  let ids = null;
  let pin = null;
  let shown = null;
  let searches = 0;
  // Repeating a search steps through the positions it matches.
  let last = { query: null, next: 0 };
  const flight = 1.5;  // seconds, however far

  /// Flies to a position and opens its tooltip: at the first zoom where it
  /// stands on its own, or at the closest zoom with its cluster spread out.
  function reveal(i) {
    const search = searches;
    let zoom = maxZoom, shared = null;
    const fine = cellOf(maxZoom, points.x[i], points.y[i]);
    const c = findCluster(maxZoom, cellKey(fine[0], fine[1]));
    const [start, end] = run(maxZoom, c);
    if (end - start > 1) {
      shared = c;
    } else {
      // The coarsest zoom at which its cell holds it alone.
      for (let z = maxZoom - 1; z >= minZoom; --z) {
        const cell = cellOf(z, points.x[i], points.y[i]);
        const [s, e] = run(z, findCluster(z, cellKey(cell[0], cell[1])));
        if (e - s > 1) break;
        zoom = z;
      }
    }
    zoom = Math.max(zoom, Math.min(Math.round(map.getZoom()), maxZoom), 8);
    map.once("moveend", () => {
      if (search !== searches) return;
      if (shared !== null) {
        const id = maxZoom + ":" + shared;
        if (drawn.has(id)) spreadOut(id, shared);
      }
      const marker = singles.get(i);
      if (marker) { shown = withTooltip(marker); marker.openTooltip(); }
    });
    map.flyTo([points.y[i], points.x[i]], zoom, { duration: flight });
  }

  /// The positions a search names, best first: for an id, those with it; for
  /// an indoor text, those printing it; for an outdoor text, those printing a
  /// text that reads as the same latitude and longitude (the same altitude
  /// first), else the nearest within the band the text names.
  function matches(read) {
    if (read.id !== undefined) {
      if (!ids) {
        ids = new Float64Array(n);
        for (let i = 0; i < n; ++i) { const p = positionOf(i); ids[i] = Number(p.slice(0, p.indexOf(" "))); }
      }
      const out = [];
      ids.forEach((id, i) => { if (id === read.id) out.push(i); });
      return out;
    }
    const out = [];
    // The tool wrote every position's text with the library, which reads it back.
    if (read.indoor !== undefined) {
      for (let i = 0; i < n; ++i) if (points.indoors[i] && corvane.parseMapText(textOf(i)).indoor === read.indoor) out.push(i);
      return out;
    }
    if (!read.located) return out;
    const x = (read.located.id >>> 24) * landblock + read.located.x;
    const y = (read.located.id >>> 16 & 0xFF) * landblock + read.located.y;
    const band = metresPerDegree * Math.pow(10, -Math.min(read.latPrecision, read.lonPrecision));
    let nearest = -1, best = Infinity;
    const same = [];
    for (let i = 0; i < n; ++i) {
      if (points.indoors[i]) continue;
      const d = Math.hypot(points.x[i] - x, points.y[i] - y);
      if (d > 2 * band) continue;
      const r = corvane.parseMapText(textOf(i));
      if (r.lat === read.lat && r.lon === read.lon) same.push([r.alt === read.alt ? 0 : 1, d, i]);
      if (d <= band && d < best) { best = d; nearest = i; }
    }
    same.sort((a, b) => a[0] - b[0] || a[1] - b[1] || a[2] - b[2]);
    return same.length ? same.map((m) => m[2]) : nearest >= 0 ? [nearest] : [];
  }

  /// Searches for an id or a map text: the answer ({read, found, matches})
  /// is also what the status line says.
  function search(query) {
    ++searches;
    if (pin) { map.removeLayer(pin); pin = null; }
    if (shown) { shown.closeTooltip(); shown = null; }
    const trimmed = query.trim();
    const id = idText.exec(trimmed);
    const read = id ? { id: Number(id[1]) } : readMapText(query);
    if (read.id > 0xFFFFFFFF) read.message = "an id is at most 0xFFFFFFFF";
    if (read.message) {
      status.textContent = trimmed + ": " + read.message;
      return { read, found: -1, matches: 0 };
    }
    const found = matches(read);
    if (found.length) {
      const turn = last.query === trimmed ? last.next % found.length : 0;
      last = { query: trimmed, next: turn + 1 };
      const i = found[turn];
      status.textContent = textOf(i) + " = " + positionOf(i) + (labelOf(i) ? " (" + labelOf(i) + ")" : "") +
                           (found.length > 1 ? "; " + (turn + 1) + " of " + found.length + ", search again for the next" : "");
      reveal(i);
      return { read, found: i, matches: found.length };
    }
    last = { query: null, next: 0 };
    if (read.id !== undefined) {
      status.textContent = "no position has id " + trimmed;
    } else if (read.indoor !== undefined) {
      status.textContent = trimmed + ": no position here prints it (an indoor cell names no place by itself)";
    } else if (!read.located) {
      status.textContent = trimmed + ": outside the world";
    } else {
      status.textContent = trimmed + ": no position here";
      const at = [(read.located.id >>> 16 & 0xFF) * landblock + read.located.y,
                  (read.located.id >>> 24) * landblock + read.located.x];
      pin = L.marker(at, { icon: L.divIcon({ className: "corvane-pin", iconSize: [18, 18] }), keyboard: false })
        .bindTooltip(trimmed, { permanent: true, direction: "right", offset: [10, 0] }).addTo(map);
      map.flyTo(at, Math.max(map.getZoom(), 8), { duration: flight });
    }
    return { read, found: -1, matches: 0 };
  }
  document.getElementById("search").addEventListener("submit", (event) => {
    event.preventDefault();
    const query = document.getElementById("search-text").value;
    if (!order) status.textContent = "still reading the positions";
    loaded.then(() => search(query), () => {});
  });
  // For scripting the page (and its tests).
  window.corvanePage = {
    loaded, search, readMapText, count: n,
    point: (i) => ({ x: points.x[i], y: points.y[i], indoors: !!points.indoors[i], text: textOf(i),
                     position: positionOf(i), label: labelOf(i) }),
  };
})();
