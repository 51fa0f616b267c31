// The package's functions over the compiled library (the module that
// binding.cpp exports). Everything the library decides (map text, positions,
// fingerprints, vocabulary names) is asked of the module; this file only
// checks arguments, moves arrays in and out of the module's memory and turns
// the library's answers into JavaScript values.

/** A rejected argument or map text; `reason` says what was wrong and where. */
export class CorvaneError extends Error {
  constructor(reason, details) {
    super(reason);
    this.name = "CorvaneError";
    this.reason = reason;
    if (details) Object.assign(this, details);
  }
}

const U32_MAX = 0xffffffff;
// Bytes the text of one position can take beyond twice its precision: two
// magnitudes of up to 37 integer digits (an offset near the largest float),
// their points and letters, separators, and an altitude of up to 39 integer
// digits with its sign, point, digit and Z.
const TEXT_BYTES_BEYOND_PRECISION = 128;
// Batches go through the module's memory in pieces of at most this many
// bytes of text or positions: its memory never shrinks once grown.
const CHUNK_BYTES = 64 << 20;
const CHUNK_POSITIONS = 1 << 20;

function describe(value) {
  if (value === null) return "null";
  if (typeof value === "bigint") return `${value}n`;
  if (typeof value === "string") return JSON.stringify(value);
  if (typeof value === "object") return value.constructor ? value.constructor.name : "object";
  return String(value);
}

function u32Arg(value, what) {
  if (!Number.isInteger(value) || value < 0 || value > U32_MAX) {
    throw new CorvaneError(`${what}: expected an integer from 0 to ${U32_MAX}, got ${describe(value)}`);
  }
  return value;
}

// A real number for a float parameter: rounded to the nearest float, as a C++
// float parameter (and the Python module) would round it.
function f32Arg(value, what) {
  if (typeof value !== "number") {
    throw new CorvaneError(`${what}: expected a number, got ${describe(value)}`);
  }
  return value;
}

function precisionArg(value, max) {
  if (!Number.isInteger(value) || value < 0 || value > max) {
    throw new CorvaneError(`precision: expected an integer from 0 to ${max}, got ${describe(value)}`);
  }
  return value;
}

function idsArg(ids) {
  if (!(ids instanceof Uint32Array)) {
    throw new CorvaneError(`ids: expected a Uint32Array, got ${describe(ids)}`);
  }
  return ids;
}

function xyzArg(xyz, count) {
  if (!(xyz instanceof Float32Array)) {
    throw new CorvaneError(`xyz: expected a Float32Array, got ${describe(xyz)}`);
  }
  if (count !== undefined && xyz.length !== 3 * count) {
    throw new CorvaneError(
      `xyz: expected 3 floats per id (${3 * count} for ${count} ids), got ${xyz.length}`);
  }
  return xyz;
}

function textArg(text) {
  if (typeof text !== "string") {
    throw new CorvaneError(`text: expected a string, got ${describe(text)}`);
  }
  return text;
}

/** The package's functions over an instantiated module. */
export function bindCorvane(m) {
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const maxPrecision = m._corvane_max_map_text_precision();

  // The module's memory may grow during any call: views are taken afresh.
  const u8 = () => m.HEAPU8;
  const u32 = () => m.HEAPU32;
  const f32 = () => m.HEAPF32;
  const readText = (ptr, size) => decoder.decode(u8().subarray(ptr, ptr + size));
  // Map text is ASCII. Node's Buffer reads it as Latin-1 without a UTF-8 pass
  // (a fifth of a batch's cost otherwise); browsers' TextDecoder has its own
  // ASCII fast path.
  const NodeBuffer = globalThis.Buffer;
  const readAscii = typeof NodeBuffer === "function"
    ? (ptr, size) => NodeBuffer.from(u8().buffer, ptr, size).toString("latin1")
    : readText;

  function malloc(bytes) {
    const p = m._malloc(Math.max(bytes, 1));
    if (p === 0) throw new CorvaneError(`out of WebAssembly memory (asked for ${bytes} bytes)`);
    return p;
  }

  // Runs f(pointer) over a block of `bytes` that is freed afterwards. A C++
  // exception (the library's std::bad_alloc or std::length_error) reaches
  // JavaScript as a number; the module's stack is put back and it becomes a
  // CorvaneError.
  function withBlock(bytes, f) {
    const p = malloc(bytes);
    const stack = m.stackSave();
    try {
      return f(p);
    } catch (e) {
      if (typeof e !== "number") throw e;
      m.stackRestore(stack);
      throw new CorvaneError("out of WebAssembly memory");
    } finally {
      m._free(p);
    }
  }

  // f(start, end) over consecutive pieces of at most `per` of n elements.
  function inChunks(n, per, f) {
    for (let start = 0; start < n || start === 0; start += per) f(start, Math.min(n, start + per));
  }

  // ids at p, xyz at p + 4k: the layout every column call takes.
  function copyPositions(p, ids, xyz, start, end) {
    u32().set(ids.subarray(start, end), p >>> 2);
    f32().set(xyz.subarray(3 * start, 3 * end), (p >>> 2) + (end - start));
  }

  // ---- Positions ----------------------------------------------------------

  function mapTexts(ids, xyz, precision) {
    const n = ids.length;
    const perText = 2 * precision + TEXT_BYTES_BEYOND_PRECISION;
    const out = new Array(n);
    inChunks(n, Math.min(CHUNK_POSITIONS, Math.floor(CHUNK_BYTES / perText)), (start, end) => {
      const k = end - start;
      withBlock(16 * k, (p) => {
        copyPositions(p, ids, xyz, start, end);
        m._corvane_map_text(p, p + 4 * k, k, precision);
      });
      const all = readAscii(m._corvane_texts_data(), m._corvane_texts_size());
      const ends = u32().subarray(m._corvane_text_ends() >>> 2, (m._corvane_text_ends() >>> 2) + k);
      // Map text is ASCII: byte offsets are string offsets.
      let from = 0;
      for (let i = 0; i < k; ++i) {
        const to = ends[i];
        out[start + i] = all.slice(from, to);
        from = to;
      }
    });
    if (n > 1) m._corvane_release_texts();
    return out;
  }

  const one = { ids: new Uint32Array(1), xyz: new Float32Array(3) };

  /**
   * mapText(id, x, y, z, precision = 1) -> string
   * mapText(ids: Uint32Array, xyz: Float32Array, precision = 1) -> string[]
   */
  function mapText(...args) {
    if (typeof args[0] === "object" && args[0] !== null) {
      if (args.length > 3) {
        throw new CorvaneError(`mapText: expected (ids, xyz, precision = 1), got ${args.length} arguments`);
      }
      const ids = idsArg(args[0]);
      const xyz = xyzArg(args[1], ids.length);
      return mapTexts(ids, xyz, precisionArg(args[2] === undefined ? 1 : args[2], maxPrecision));
    }
    if (args.length < 4 || args.length > 5) {
      throw new CorvaneError(`mapText: expected (id, x, y, z, precision = 1), got ${args.length} arguments`);
    }
    one.ids[0] = u32Arg(args[0], "id");
    one.xyz[0] = f32Arg(args[1], "x");
    one.xyz[1] = f32Arg(args[2], "y");
    one.xyz[2] = f32Arg(args[3], "z");
    return mapTexts(one.ids, one.xyz, precisionArg(args[4] === undefined ? 1 : args[4], maxPrecision))[0];
  }

  /** Map coordinates of each position as columns. */
  function toWorldCoords(ids, xyz) {
    idsArg(ids);
    xyzArg(xyz, ids.length);
    const n = ids.length;
    const out = {
      lat: new Float32Array(n), lon: new Float32Array(n), alt: new Float32Array(n),
      indoor: new Uint8Array(n), cell: new Uint16Array(n),
    };
    inChunks(n, CHUNK_POSITIONS, (start, end) => {
      const k = end - start;
      // ids, xyz, lat, lon, alt (4 bytes each per position), cell (2), indoor (1)
      withBlock(31 * k, (p) => {
        copyPositions(p, ids, xyz, start, end);
        const lat = p + 16 * k, lon = lat + 4 * k, alt = lon + 4 * k, cell = alt + 4 * k;
        const indoor = cell + 2 * k;
        m._corvane_to_world_coords(p, p + 4 * k, k, lat, lon, alt, indoor, cell);
        const buffer = u8().buffer;
        out.lat.set(new Float32Array(buffer, lat, k), start);
        out.lon.set(new Float32Array(buffer, lon, k), start);
        out.alt.set(new Float32Array(buffer, alt, k), start);
        out.indoor.set(new Uint8Array(buffer, indoor, k), start);
        out.cell.set(new Uint16Array(buffer, cell, k), start);
      });
    });
    return out;
  }

  /** Each position moved into the landblock that holds its offset. */
  function rebucketOutdoorLandblock(ids, xyz) {
    idsArg(ids);
    xyzArg(xyz, ids.length);
    const n = ids.length;
    const out = { ids: new Uint32Array(n), xyz: new Float32Array(3 * n) };
    inChunks(n, CHUNK_POSITIONS, (start, end) => {
      const k = end - start;
      withBlock(32 * k, (p) => {
        copyPositions(p, ids, xyz, start, end);
        const idsOut = p + 16 * k, xyzOut = idsOut + 4 * k;
        m._corvane_rebucket_outdoor_landblock(p, p + 4 * k, k, idsOut, xyzOut);
        const buffer = u8().buffer;
        out.ids.set(new Uint32Array(buffer, idsOut, k), start);
        out.xyz.set(new Float32Array(buffer, xyzOut, 3 * k), 3 * start);
      });
    });
    return out;
  }

  // ---- Map text read back ---------------------------------------------------

  const Status = { outdoor: 0, indoor: 1, rejected: 2, outside: 3 };

  // Runs the reader (or locator) over the text's UTF-8 bytes; the result's
  // words as binding.cpp lays them out.
  function readMapText(reader, text) {
    textArg(text);
    const capacity = 3 * text.length;
    const r = withBlock(capacity, (p) => {
      const { written } = encoder.encodeInto(text, u8().subarray(p, p + capacity));
      return reader(p, written) >>> 2;
    });
    const w = u32(), f = f32();
    const status = w[r];
    if (status === Status.rejected) {
      const reason = readText(w[r + 9], w[r + 10]);
      throw new CorvaneError(reason, { part: w[r + 7], offset: w[r + 8], detail: readText(w[r + 16], w[r + 17]) });
    }
    return {
      status,
      cell: w[r + 1],
      lat: f[r + 2], lon: f[r + 3], alt: f[r + 4],
      latPrecision: w[r + 5], lonPrecision: w[r + 6],
      id: w[r + 11], x: f[r + 12], y: f[r + 13], z: f[r + 14],
      degreesOutside: f[r + 15],
    };
  }

  /** { indoor: cell } or { lat, lon, alt, latPrecision, lonPrecision }. */
  function parseMapText(text) {
    const r = readMapText(m._corvane_parse_map_text, text);
    if (r.status === Status.indoor) return { indoor: r.cell };
    return { lat: r.lat, lon: r.lon, alt: r.alt, latPrecision: r.latPrecision, lonPrecision: r.lonPrecision };
  }

  /** The position a map text stands for: { id, x, y, z }. */
  function locate(text) {
    const r = readMapText(m._corvane_locate, text);
    if (r.status === Status.indoor) {
      throw new CorvaneError(
        `map text ${JSON.stringify(text)} is indoors: it names a cell but no landblock, so no position`,
        { indoor: r.cell });
    }
    if (r.status === Status.outside) {
      throw new CorvaneError(
        `map text ${JSON.stringify(text)} lies ${r.degreesOutside.toFixed(2)} map degrees outside the world`,
        { degreesOutside: r.degreesOutside });
    }
    return { id: r.id, x: r.x, y: r.y, z: r.z };
  }

  // ---- Vocabularies -----------------------------------------------------------

  const handedOut = (ptr) => readText(ptr, m._corvane_handed_out_size());
  const splitNames = (text) => (text === "" ? [] : text.slice(0, -1).split("\0"));
  const reserved = new Set(["typeName", "members", "name", "fromRepr", "displayName", "default",
    "names", "displayNames", "fromBitsTruncate", "all"]);

  function makeVocabulary(v) {
    const typeName = handedOut(m._corvane_vocabulary_name(v));
    const kind = m._corvane_vocabulary_kind(v);
    const flagSet = (kind & 1) !== 0, hasDisplay = (kind & 2) !== 0, hasDefault = (kind & 4) !== 0;
    const bits = kind >>> 8;
    const max = bits === 32 ? U32_MAX : 2 ** bits - 1;
    const rawArg = (raw) => {
      if (!Number.isInteger(raw) || raw < 0 || raw > max) {
        throw new CorvaneError(`${typeName}: expected an integer from 0 to ${max}, got ${describe(raw)}`);
      }
      return raw;
    };
    const members = {};
    const size = m._corvane_vocabulary_size(v);
    for (let i = 0; i < size; ++i) {
      members[handedOut(m._corvane_member_name(v, i, false))] = m._corvane_member_value(v, i) >>> 0;
    }
    const vocabulary = { typeName, members: Object.freeze(members) };
    if (flagSet) {
      /** The text form of a mask: flag names joined by " | ", leftover bits in hex. */
      vocabulary.name = (raw) => handedOut(m._corvane_vocabulary_text(v, rawArg(raw)));
      /** A flag set keeps every bit. */
      vocabulary.fromRepr = (raw) => rawArg(raw);
      vocabulary.names = (raw) => splitNames(handedOut(m._corvane_vocabulary_names(v, rawArg(raw), false)));
      if (hasDisplay) {
        vocabulary.displayNames = (raw) =>
          splitNames(handedOut(m._corvane_vocabulary_names(v, rawArg(raw), true)));
      }
      vocabulary.fromBitsTruncate = (raw) => m._corvane_flags_truncate(v, rawArg(raw)) >>> 0;
      vocabulary.all = m._corvane_flags_truncate(v, U32_MAX) >>> 0;
    } else {
      /** The member's name; undefined for a value that is no member. */
      vocabulary.name = (raw) =>
        m._corvane_is_member(v, rawArg(raw)) ? handedOut(m._corvane_vocabulary_text(v, raw)) : undefined;
      /** The member of that value; undefined for a value that is no member. */
      vocabulary.fromRepr = (raw) => (m._corvane_is_member(v, rawArg(raw)) ? raw : undefined);
      if (hasDisplay) {
        vocabulary.displayName = (raw) =>
          m._corvane_is_member(v, rawArg(raw)) ? handedOut(m._corvane_vocabulary_names(v, raw, true)) : undefined;
      }
      if (hasDefault) vocabulary.default = m._corvane_vocabulary_default(v) >>> 0;
    }
    for (const [memberName, value] of Object.entries(members)) {
      if (reserved.has(memberName)) throw new Error(`${typeName}.${memberName} hides a method`);
      vocabulary[memberName] = value;
    }
    return Object.freeze(vocabulary);
  }

  const vocabularies = {};
  for (let v = 0; v < m._corvane_vocabulary_count(); ++v) {
    const vocabulary = makeVocabulary(v);
    vocabularies[vocabulary.typeName] = vocabulary;
  }
  Object.freeze(vocabularies);

  // ---- Fingerprints ---------------------------------------------------------

  /** Fingerprint words of floats, canonicalised as "SixDp" or "Lossless". */
  function fingerprintF32Bits(values, canon) {
    if (!(values instanceof Float32Array)) {
      throw new CorvaneError(`values: expected a Float32Array, got ${describe(values)}`);
    }
    const members = vocabularies.FloatCanon.members;
    if (typeof canon !== "string" || !Object.hasOwn(members, canon)) {
      throw new CorvaneError(
        `canon: expected one of ${Object.keys(members).map((k) => JSON.stringify(k)).join(", ")}, got ${describe(canon)}`);
    }
    const n = values.length;
    const out = new Uint32Array(n);
    inChunks(n, CHUNK_POSITIONS, (start, end) => {
      const k = end - start;
      withBlock(8 * k, (p) => {
        f32().set(values.subarray(start, end), p >>> 2);
        m._corvane_fingerprint_f32_bits(p, k, members[canon], p + 4 * k);
        out.set(new Uint32Array(u8().buffer, p + 4 * k, k), start);
      });
    });
    return out;
  }

  /** The FNV-1a hash h folded over 32-bit words. */
  function fnv1aFold(h, words) {
    if (typeof h !== "bigint" || h < 0n || h >= 1n << 64n) {
      throw new CorvaneError(`h: expected a BigInt from 0 to 2**64 - 1, got ${describe(h)}`);
    }
    if (!(words instanceof Uint32Array)) {
      throw new CorvaneError(`words: expected a Uint32Array, got ${describe(words)}`);
    }
    // Folded piece by piece: the hash carries over.
    let hash = h;
    inChunks(words.length, CHUNK_POSITIONS, (start, end) => {
      const k = end - start;
      withBlock(8 + 4 * k, (p) => {
        const w = u32();
        w[p >>> 2] = Number(hash & 0xffffffffn);
        w[(p >>> 2) + 1] = Number(hash >> 32n);
        w.set(words.subarray(start, end), (p >>> 2) + 2);
        m._corvane_fnv1a_fold(p, p + 8, k);
        const r = u32();
        hash = BigInt(r[p >>> 2]) | (BigInt(r[(p >>> 2) + 1]) << 32n);
      });
    });
    return hash;
  }

  return {
    CorvaneError,
    mapText,
    toWorldCoords,
    parseMapText,
    locate,
    fingerprintF32Bits,
    fnv1aFold,
    rebucketOutdoorLandblock,
    vocabularies,
  };
}
