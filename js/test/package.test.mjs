// The package's own plumbing over the library: batches against single calls,
// results that must agree across functions, memory growth, the arguments it
// refuses, and the vocabulary tables as the module gives them.
import { test } from "node:test";
import assert from "node:assert/strict";
import { corvane } from "./load.mjs";

const {
  mapText, toWorldCoords, parseMapText, rebucketOutdoorLandblock, fingerprintF32Bits,
  fnv1aFold, vocabularies, CorvaneError,
} = corvane;

// Deterministic positions, inside and around the landblock, some indoors.
function positions(n, seed = 1) {
  let s = seed;
  const next = () => ((s = (Math.imul(s, 1664525) + 1013904223) >>> 0), s / 2 ** 32);
  const ids = new Uint32Array(n);
  const xyz = new Float32Array(3 * n);
  for (let i = 0; i < n; ++i) {
    const cell = next() < 0.1 ? 0x100 + Math.floor(next() * 0x100) : 1 + Math.floor(next() * 64);
    ids[i] = ((Math.floor(next() * 256) << 24) | (Math.floor(next() * 256) << 16) | cell) >>> 0;
    xyz[3 * i] = next() * 260 - 30;
    xyz[3 * i + 1] = next() * 260 - 30;
    xyz[3 * i + 2] = next() * 400 - 100;
  }
  return { ids, xyz };
}

const at = ({ ids, xyz }, i) => [ids[i], xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]];
const sameBits = (a, b) =>
  assert.deepEqual(new Uint32Array(new Float32Array(a).buffer), new Uint32Array(new Float32Array(b).buffer));

test("batches give each position what a single call gives, and the columns agree with the text", () => {
  const p = positions(500);
  for (const precision of [0, 1, 2, 6]) {
    const texts = mapText(p.ids, p.xyz, precision);
    assert.equal(texts.length, 500);
    texts.forEach((t, i) => assert.equal(t, mapText(...at(p, i), precision)));
  }
  assert.equal(mapText(...at(p, 7)), mapText(...at(p, 7), 1));

  const columns = toWorldCoords(p.ids, p.xyz);
  for (let i = 0; i < 500; ++i) {
    const one = toWorldCoords(p.ids.subarray(i, i + 1), p.xyz.subarray(3 * i, 3 * i + 3));
    for (const k of ["lat", "lon", "alt", "indoor", "cell"]) sameBits([columns[k][i]], [one[k][0]]);
    const read = parseMapText(mapText(...at(p, i), 6));
    if (columns.indoor[i]) {
      assert.deepEqual(read, { indoor: columns.cell[i] });
    } else {
      for (const k of ["lat", "lon"]) assert.ok(Math.abs(read[k] - columns[k][i]) <= 5e-7 + 1e-6, k);
      assert.ok(Math.abs(read.alt - columns.alt[i]) <= 0.05 + 1e-5);  // one digit always
    }
  }

  const moved = rebucketOutdoorLandblock(p.ids, p.xyz);
  const again = rebucketOutdoorLandblock(moved.ids, moved.xyz);
  assert.deepEqual(again.ids, moved.ids);
  sameBits(again.xyz, moved.xyz);
  for (let i = 0; i < 500; ++i) {
    const one = rebucketOutdoorLandblock(p.ids.subarray(i, i + 1), p.xyz.subarray(3 * i, 3 * i + 3));
    assert.equal(one.ids[0], moved.ids[i]);
    sameBits(one.xyz, moved.xyz.subarray(3 * i, 3 * i + 3));
  }
  assert.deepEqual(mapText(new Uint32Array(0), new Float32Array(0)), []);
});

test("batches longer than one trip through the module's memory read back whole", () => {
  const n = (1 << 20) + 5;  // more positions than one piece holds
  const p = positions(n, 7);
  const texts = mapText(p.ids, p.xyz, 3);
  const columns = toWorldCoords(p.ids, p.xyz);
  const moved = rebucketOutdoorLandblock(p.ids, p.xyz);
  const words = fingerprintF32Bits(p.xyz, "Lossless");
  for (const i of [0, 500_811, 500_812, 1_001_624, (1 << 20) - 1, 1 << 20, n - 1]) {
    assert.equal(texts[i], mapText(...at(p, i), 3));
    const one = toWorldCoords(p.ids.subarray(i, i + 1), p.xyz.subarray(3 * i, 3 * i + 3));
    sameBits([columns.lat[i], columns.lon[i], columns.alt[i]], [one.lat[0], one.lon[0], one.alt[0]]);
    assert.equal(columns.cell[i], one.cell[0]);
    assert.equal(columns.indoor[i], one.indoor[0]);
    const m = rebucketOutdoorLandblock(p.ids.subarray(i, i + 1), p.xyz.subarray(3 * i, 3 * i + 3));
    assert.equal(moved.ids[i], m.ids[0]);
    sameBits(moved.xyz.subarray(3 * i, 3 * i + 3), m.xyz);
    assert.equal(words[3 * i + 2], fingerprintF32Bits(p.xyz.subarray(3 * i + 2, 3 * i + 3), "Lossless")[0]);
  }
  const all = new Uint32Array(p.ids.buffer);
  assert.equal(fnv1aFold(7n, all),
    fnv1aFold(fnv1aFold(7n, all.subarray(0, 3)), all.subarray(3)));
});

test("fingerprints: batch against single values, and the fold against FNV-1a over words", () => {
  const values = new Float32Array([0, -0, 1.0000001, -2.5e-7, 1e30, Infinity, NaN, 0.1234567, -16, 3.4e38]);
  for (const canon of ["SixDp", "Lossless"]) {
    const all = fingerprintF32Bits(values, canon);
    values.forEach((v, i) => assert.equal(all[i], fingerprintF32Bits(new Float32Array([v]), canon)[0]));
  }
  // FNV-1a over the words' little-endian bytes.
  const reference = (h, words) => {
    for (const b of new Uint8Array(new Uint32Array(words).buffer)) {
      h = ((h ^ BigInt(b)) * 0x100000001b3n) & 0xffffffffffffffffn;
    }
    return h;
  };
  const words = new Uint32Array([0, 1, 0xffffffff, 0x80000000, 12345]);
  for (const h of [0n, 0xcbf29ce484222325n, 0xffffffffffffffffn, 1n << 63n]) {
    assert.equal(fnv1aFold(h, words), reference(h, words));
  }
  assert.equal(fnv1aFold(5n, new Uint32Array(0)), 5n);
});

test("bad arguments throw CorvaneError naming what was wrong", () => {
  const ids = new Uint32Array([1]);
  const xyz = new Float32Array(3);
  const bad = [
    [() => mapText(ids, new Float64Array(3)), /xyz: expected a Float32Array, got Float64Array/],
    [() => mapText(new Int32Array(1), xyz), /ids: expected a Uint32Array/],
    [() => mapText([1], xyz), /ids: expected a Uint32Array, got Array/],
    [() => mapText(ids, new Float32Array(4)), /xyz: expected 3 floats per id/],
    [() => mapText(2 ** 32, 0, 0, 0), /id: expected an integer/],
    [() => mapText(-1, 0, 0, 0), /id: expected an integer/],
    [() => mapText(1.5, 0, 0, 0), /id: expected an integer/],
    [() => mapText(1n, 0, 0, 0), /id: expected an integer.*got 1n/],
    [() => mapText(1, "0", 0, 0), /x: expected a number/],
    [() => mapText(1, 0, 0), /expected \(id, x, y, z, precision = 1\)/],
    [() => mapText(1, 0, 0, 0, -1), /precision: expected an integer/],
    [() => mapText(ids, xyz, 1.5), /precision: expected an integer/],
    [() => mapText(ids, xyz, 61), /precision: expected an integer from 0 to 60, got 61/],
    [() => toWorldCoords(ids, new Float64Array(3)), /xyz: expected a Float32Array/],
    [() => rebucketOutdoorLandblock(ids, new Float32Array(6)), /xyz: expected 3 floats per id/],
    [() => parseMapText(42), /text: expected a string/],
    [() => fingerprintF32Bits(new Float64Array(1), "SixDp"), /values: expected a Float32Array/],
    [() => fingerprintF32Bits(new Float32Array(1), "sixdp"), /canon: expected one of "SixDp", "Lossless"/],
    [() => fnv1aFold(1, new Uint32Array(1)), /h: expected a BigInt/],
    [() => fnv1aFold(-1n, new Uint32Array(1)), /h: expected a BigInt/],
    [() => fnv1aFold(1n << 64n, new Uint32Array(1)), /h: expected a BigInt/],
    [() => fnv1aFold(1n, [1]), /words: expected a Uint32Array/],
    [() => vocabularies.SpellCategory.name(-1), /SpellCategory: expected an integer/],
    [() => vocabularies.CoverageMask.name(2 ** 32), /CoverageMask: expected an integer/],
  ];
  for (const [call, reason] of bad) {
    assert.throws(call, (e) => e instanceof CorvaneError && e instanceof Error && reason.test(e.reason),
      String(call));
  }
  // The module survives every refusal.
  assert.equal(mapText(0xda550000, 84, 108, 0), "33.5S, 72.7E, 0.0Z");
});

test("vocabularies: every member named and recognised as the module's tables give them", () => {
  assert.ok(Object.keys(vocabularies).length >= 18);
  for (const [typeName, v] of Object.entries(vocabularies)) {
    assert.equal(v.typeName, typeName);
    const members = Object.entries(v.members);
    assert.ok(members.length > 0, typeName);
    const flagSet = "names" in v;
    let all = 0;
    for (const [name, value] of members) {
      assert.equal(v[name], value);
      assert.equal(v.fromRepr(value), value);
      if (flagSet) {
        all = (all | value) >>> 0;
        if (value !== 0) assert.ok(v.name(value).split(" | ").includes(name), `${typeName}.${name}`);
      } else {
        assert.equal(v.name(value), name);
      }
    }
    if (flagSet) {
      assert.equal(v.all, all);
      assert.equal(v.fromBitsTruncate(0xffffffff), all);
      for (const n of v.names(all)) assert.ok(Object.hasOwn(v.members, n), `${typeName}: ${n}`);
      assert.equal(v.names(0).length, 0);
    } else {
      const values = new Set(members.map(([, x]) => x));
      let outside = 0;
      while (values.has(outside)) ++outside;
      assert.equal(v.name(outside), undefined);
      assert.equal(v.fromRepr(outside), undefined);
    }
  }
  assert.equal(vocabularies.EmoteCategory.displayName(vocabularies.EmoteCategory.HeartBeat), "Heart Beat");
});
