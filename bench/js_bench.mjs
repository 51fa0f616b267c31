#!/usr/bin/env node
// Costs of the JavaScript package (the library compiled to WebAssembly, under
// Node) against the library's native column operations on the same generated
// inputs, measured in one run, and the module's size; written as a section of
// bench/RESULTS.md.
//
//   node bench/js_bench.mjs [--package build/wasm/js/package]
//       [--baseline build/bench/bench/js_baseline_bench] [--write bench/RESULTS.md]
//
// Needs the wasm preset's package and the bench preset's js_baseline_bench
// (cmake --build --preset bench --target js_baseline_bench).
import { execFileSync } from "node:child_process";
import { readFileSync, statSync, writeFileSync } from "node:fs";
import { loadavg } from "node:os";
import { dirname, resolve } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { gzipSync } from "node:zlib";

const root = resolve(dirname(fileURLToPath(import.meta.url)), "..");
const HEADING = "## JavaScript package against the C++ column operations";
const option = (name, fallback) => {
  const i = process.argv.indexOf(name);
  return i === -1 ? fallback : process.argv[i + 1];
};
const packageDir = resolve(option("--package", resolve(root, "build/wasm/js/package")));
const baseline = option("--baseline", resolve(root, "build/bench/bench/js_baseline_bench"));
const write = option("--write", undefined);
const repetitions = Number(option("--repetitions", "7"));

// The inputs js_baseline_bench.cpp builds, element for element.
function inputs(n) {
  const mix = (i, k) => (i * 2654435761 + k) % 2 ** 32;
  const unit = (i, k) => Math.fround(mix(i, k) / 4294967296);
  const ids = new Uint32Array(n);
  const xyz = new Float32Array(3 * n);
  for (let i = 0; i < n; ++i) {
    ids[i] = ((mix(i, 2) & 0xffff0000) | mix(i, 3) % 65) >>> 0;
    xyz[3 * i] = Math.fround(unit(i, 4) * 300) - 50;
    xyz[3 * i + 1] = Math.fround(unit(i, 5) * 300) - 50;
    xyz[3 * i + 2] = unit(i, 6) * 100;
  }
  return { ids, xyz };
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function cpuNs(call, n) {
  const start = process.cpuUsage();
  call();
  const used = process.cpuUsage(start);
  return ((used.user + used.system) * 1e3) / n;
}

// One repetition of each native benchmark, CPU time per position.
function baselineNs() {
  const out = execFileSync(baseline, ["--benchmark_format=json", "--benchmark_repetitions=1"],
    { encoding: "utf8" });
  const ns = {};
  for (const b of JSON.parse(out).benchmarks) {
    const [name, n] = b.run_name.split("/");
    ns[name] = (b.cpu_time * { ms: 1e6, us: 1e3, ns: 1 }[b.time_unit]) / Number(n);
  }
  return ns;
}

// The module's own text writing, without JavaScript strings: the C function
// the package calls, on the positions already in the module's memory.
async function moduleOnlyNs(ids, xyz) {
  const { default: createCorvaneWasm } = await import(pathToFileURL(resolve(packageDir, "corvane_wasm.js")).href);
  const m = await createCorvaneWasm();
  const n = ids.length;
  const p = m._malloc(16 * n);
  m.HEAPU32.set(ids, p >>> 2);
  m.HEAPF32.set(xyz, (p >>> 2) + n);
  m._corvane_map_text(p, p + 4 * n, n, 1);
  return () => cpuNs(() => m._corvane_map_text(p, p + 4 * n, n, 1), n);
}

// V8's own cost of the strings mapText returns: the same texts sliced out of
// one string already made, into a new array, without the module.
function stringsOnlyNs(texts) {
  const all = texts.join("");
  const ends = new Uint32Array(texts.length);
  for (let i = 0, at = 0; i < texts.length; ++i) ends[i] = at += texts[i].length;
  return () => cpuNs(() => {
    const out = new Array(ends.length);
    for (let i = 0, from = 0; i < ends.length; ++i) {
      out[i] = all.slice(from, ends[i]);
      from = ends[i];
    }
    return out;
  }, ends.length);
}

const loadBefore = loadavg()[0];
const { mapText, toWorldCoords } = await import(pathToFileURL(resolve(packageDir, "index.js")).href);
const n = 1_000_000;
const { ids, xyz } = inputs(n);
const stringsOnly = stringsOnlyNs(mapText(ids, xyz));  // also grows the module's memory once, as a long-lived page's would be
const moduleOnly = await moduleOnlyNs(ids, xyz);
// Repetitions interleaved with the native ones, so that load from elsewhere
// falls on both sides alike; the median of each is reported.
const runs = { mapText: [], toWorldCoords: [], moduleOnly: [], stringsOnly: [], BM_AppendMapTextColumns: [], BM_ToWorldCoordsColumns: [] };
for (let r = 0; r < repetitions; ++r) {
  runs.mapText.push(cpuNs(() => mapText(ids, xyz), n));
  runs.toWorldCoords.push(cpuNs(() => toWorldCoords(ids, xyz), n));
  runs.moduleOnly.push(moduleOnly());
  runs.stringsOnly.push(stringsOnly());
  const native = baselineNs();
  runs.BM_AppendMapTextColumns.push(native.BM_AppendMapTextColumns);
  runs.BM_ToWorldCoordsColumns.push(native.BM_ToWorldCoordsColumns);
}
const js = { mapText: median(runs.mapText), toWorldCoords: median(runs.toWorldCoords), moduleOnly: median(runs.moduleOnly),
  stringsOnly: median(runs.stringsOnly) };
const cpp = { BM_AppendMapTextColumns: median(runs.BM_AppendMapTextColumns), BM_ToWorldCoordsColumns: median(runs.BM_ToWorldCoordsColumns) };
const loadAfter = loadavg()[0];

const module = readFileSync(resolve(packageDir, "corvane_wasm.js"));
const glueAndApi = statSync(resolve(packageDir, "api.js")).size + statSync(resolve(packageDir, "index.js")).size;
const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
// Rows without a target are there to show where the time goes.
const rows = [
  ["`mapText(ids, xyz)` (precision 1) on 10^6 positions, an array of strings, vs `append_map_text` over columns",
    js.mapText, cpp.BM_AppendMapTextColumns, 3],
  ["The same texts written inside the module, no JavaScript strings made, vs `append_map_text` over columns",
    js.moduleOnly, cpp.BM_AppendMapTextColumns, undefined],
  ["The same array of strings sliced out of one JavaScript string already made, no module: V8's own cost of the strings",
    js.stringsOnly, cpp.BM_AppendMapTextColumns, undefined],
  ["`toWorldCoords(ids, xyz)` on 10^6 positions, new typed arrays, vs `to_world_coords` over columns (AVX kernels natively)",
    js.toWorldCoords, cpp.BM_ToWorldCoordsColumns, undefined],
];
const lines = [HEADING, "",
  "From one run of `bench/js_bench.mjs`: CPU time per position, median of " +
  `${repetitions} repetitions interleaved with the native ones, the package's call under Node (argument checks, copies into and out of ` +
  "the module's memory, JavaScript strings or typed arrays made) against `bench/js_baseline_bench` " +
  "(native x86-64) on the same generated inputs. Rows without a target show where the time goes: " +
  "the second is the module's own text writing, without the JavaScript strings that the first makes; " +
  "the third is what making those strings alone costs, the least an array of strings can.",
  `Node ${process.versions.node}, emscripten 3.1.6; ${new Date().toISOString().slice(0, 16).replace("T", " ")} UTC; ` +
  `load average before ${loadBefore.toFixed(2)}, after ${loadAfter.toFixed(2)}.`, "",
  "| Comparison | JavaScript | C++ | Ratio | Target | Verdict |", "|---|---|---|---|---|---|"];
for (const [name, ours, base, target] of rows) {
  const ratio = ours / base;
  const verdict = target === undefined ? "— | —" : `≤ ${target}× | ${ratio <= target ? "met" : "**not met**"}`;
  lines.push(`| ${name} | ${ours.toPrecision(3)} ns | ${base.toPrecision(3)} ns | ${ratio.toFixed(2)}× the cost | ${verdict} |`);
}
lines.push(`| Module size: \`corvane_wasm.js\` (WebAssembly embedded, and emscripten's loader), plus the package's own ` +
  `\`api.js\` and \`index.js\` | ${kb(module.length + glueAndApi)} (gzip: ${kb(gzipSync(module).length)} for the module) | — | — | ` +
  `≤ 400 KB | ${module.length + glueAndApi <= 400 * 1024 ? "met" : "**not met**"} |`);
const section = lines.join("\n") + "\n";
console.log(section);
if (write) {
  let text = readFileSync(write, "utf8");
  const start = text.indexOf(HEADING);
  if (start !== -1) {
    const end = text.indexOf("\n## ", start + HEADING.length);
    text = text.slice(0, start) + section + (end !== -1 ? text.slice(end + 1) : "");
  } else {
    text = text.replace(/\n*$/, "\n\n") + section;
  }
  writeFileSync(write, text);
}
