// The page's behaviour over the data the tool writes into CORVANE_MAP: map
// units are metres east (x) and north (y) of the world's south-west corner,
// and Leaflet's [lat, lng] is [y, x].
(function () {
  "use strict";
  const data = CORVANE_MAP;
  const world = data.world;
  const landblock = data.landblock;
  const metresPerDegree = data.metresPerDegree;
  const originDegrees = data.originDegrees;
  const maxZoom = 12;

  // One pixel a landblock at zoom 0: the world is 256 pixels square, north up.
  const crs = L.extend({}, L.CRS.Simple, {
    transformation: new L.Transformation(1 / landblock, 0, -1 / landblock, world / landblock),
  });
  const map = L.map("map", { crs: crs, minZoom: -1, maxZoom: maxZoom, zoomSnap: 0.25 });
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

  // ---- Positions ---------------------------------------------------------------

  const clusters = L.markerClusterGroup({ maxClusterRadius: 40, showCoverageOnHover: false,
                                          chunkedLoading: true });
  const markers = data.points.map((point, index) => {
    const [x, y, indoors, text, position, label] = point;
    const marker = L.marker([y, x], {
      icon: L.divIcon({ className: "corvane-marker" + (indoors ? " indoors" : ""),
                        iconSize: [12, 12] }),
      keyboard: false,
    });
    const tip = document.createElement("div");
    for (const [kind, value] of [["map-text", text], ["position", position], ["label", label]]) {
      if (!value) continue;
      const line = document.createElement("div");
      line.className = kind;
      line.textContent = value;
      tip.appendChild(line);
    }
    marker.bindTooltip(tip, { className: "corvane-tooltip", direction: "top", offset: [0, -6] });
    marker.on("add", () => { marker.getElement().dataset.index = String(index); });
    return marker;
  });
  clusters.addLayers(markers);
  map.addLayer(clusters);

  // ---- The view ----------------------------------------------------------------

  if (data.extent === "world" || markers.length === 0) {
    map.fitBounds(worldBounds);
  } else {
    const bounds = L.latLngBounds(data.points.map((p) => [p[1], p[0]]));
    map.fitBounds(bounds.pad(0.05), { maxZoom: 6 });
  }
  drawGrid();

  // ---- Search ------------------------------------------------------------------

  // The map text form ("33.5S, 72.7E, 0.0Z", altitude optional, blanks or
  // commas between the parts, either case) and indoor text ("Indoors [01AD]").
  const number = "([0-9]+(?:\\.[0-9]*)?)";
  const outdoorText = new RegExp("^" + number + "\\s*([NS])[\\s,]*" + number + "\\s*([EW])" +
                                 "(?:[\\s,]*(-?[0-9]+(?:\\.[0-9]*)?)\\s*Z)?$", "i");
  const indoorText = /^indoors\s*\[\s*([0-9a-f]{4})\s*\]$/i;
  const idText = /^(0x[0-9a-f]{1,8}|[0-9]{1,10})$/i;

  /// Where a query points: {x, y, radius, indoors?, id?}, or a reason.
  function locate(query) {
    let m = idText.exec(query);
    if (m) {
      const id = Number(m[1]);
      if (id > 0xFFFFFFFF) return { error: "an id is at most 0xFFFFFFFF" };
      return { id: id };
    }
    m = outdoorText.exec(query);
    if (m) {
      const digits = Math.max((m[1].split(".")[1] || "").length, (m[3].split(".")[1] || "").length);
      const lat = Number(m[1]) * (m[2].toUpperCase() === "S" ? -1 : 1);
      const lon = Number(m[3]) * (m[4].toUpperCase() === "W" ? -1 : 1);
      const x = metresOf(lon), y = metresOf(lat);
      if (x < 0 || x > world || y < 0 || y > world) return { error: "outside the world" };
      // A text names a band one unit of its last digit wide.
      return { x: x, y: y, radius: metresPerDegree * Math.pow(10, -digits), lat: lat, lon: lon,
               alt: m[5] === undefined ? undefined : Number(m[5]) };
    }
    m = indoorText.exec(query);
    if (m) {
      const lb = parseInt(m[1], 16);
      return { x: (lb >> 8) * landblock, y: (lb & 0xFF) * landblock, radius: 1, indoors: lb };
    }
    return { error: "not an id (0xDA550000) or a map text (33.5S, 72.7E)" };
  }

  const status = document.getElementById("search-status");
  let pin = null;
  let shown = null;
  function show(marker) {
    shown = marker;
    clusters.zoomToShowLayer(marker, () => marker.openTooltip());
  }
  /// Whether a position's map text says what the query says (its altitude
  /// too, when the query gives one).
  function sameText(point, place) {
    const m = outdoorText.exec(point[3]);
    if (!m || place.lat === undefined) return false;
    const lat = Number(m[1]) * (m[2].toUpperCase() === "S" ? -1 : 1);
    const lon = Number(m[3]) * (m[4].toUpperCase() === "W" ? -1 : 1);
    return lat === place.lat && lon === place.lon &&
           (place.alt === undefined || Number(m[5]) === place.alt);
  }
  function search(query) {
    query = query.trim();
    if (pin) { map.removeLayer(pin); pin = null; }
    if (shown) { shown.closeTooltip(); shown = null; }
    const place = locate(query);
    if (place.error) { status.textContent = query + ": " + place.error; return; }
    let found = -1;
    if (place.id !== undefined) {
      found = data.points.findIndex((p) => Number(p[4].split(" ")[0]) === place.id);
      if (found < 0) { status.textContent = "no position has id " + query; return; }
    } else {
      // A position printing this text, else the nearest within the band the
      // text names.
      let best = Infinity;
      let bestSame = Infinity;
      let same = -1;
      data.points.forEach((p, i) => {
        if (place.indoors !== undefined && (!p[2] || (Number(p[4].split(" ")[0]) >>> 16) !== place.indoors)) return;
        const d = Math.hypot(p[0] - place.x, p[1] - place.y);
        if (sameText(p, place) && d < bestSame) { bestSame = d; same = i; }
        if (d <= place.radius && d < best) { best = d; found = i; }
      });
      if (same >= 0) found = same;
    }
    if (found >= 0) {
      const p = data.points[found];
      status.textContent = p[3] + " = " + p[4] + (p[5] ? " (" + p[5] + ")" : "");
      map.once("moveend", () => show(markers[found]));
      map.flyTo([p[1], p[0]], Math.max(map.getZoom(), 8));
      return;
    }
    status.textContent = query + ": no position here";
    pin = L.marker([place.y, place.x], {
      icon: L.divIcon({ className: "corvane-pin", iconSize: [18, 18] }), keyboard: false,
    }).bindTooltip(query, { permanent: true, direction: "right", offset: [10, 0] }).addTo(map);
    map.flyTo([place.y, place.x], Math.max(map.getZoom(), 8));
  }
  document.getElementById("search").addEventListener("submit", (event) => {
    event.preventDefault();
    search(document.getElementById("search-text").value);
  });
})();
