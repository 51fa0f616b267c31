// Every shared case table under tests/cases, read through the package.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { corvane, repository } from "./load.mjs";

const { parseMapText, locate, CorvaneError } = corvane;
const casesDir = join(repository, "tests/cases");
const f32 = Math.fround;
const hex = (text) => Number.parseInt(text, 16);

// Tables of rules the package does not expose, each with the reason.
const notExposed = {
  "numbers.json": "the package takes numbers as JavaScript numbers, not as text to read",
  "same_point.json": "the package has no headings between positions",
};

// One reader per table; a table in neither list fails, so that a new shared
// rule cannot go unchecked here.
const readers = {
  "map_text.json": (c) => {
    if (c.error) {
      const { part, reason, offset } = c.error;
      for (const f of [parseMapText, locate]) {
        assert.throws(() => f(c.text), (e) => {
          assert.ok(e instanceof CorvaneError);
          assert.equal(e.reason, `${part}: ${reason} (at character ${offset + 1})`);
          assert.equal(e.offset, offset);
          assert.equal(e.detail, reason);
          return true;
        });
      }
      return;
    }
    const read = parseMapText(c.text);
    if (c.indoor !== undefined) {
      assert.deepEqual(read, { indoor: hex(c.indoor) });
    } else {
      assert.deepEqual(read, {
        lat: f32(c.lat), lon: f32(c.lon), alt: f32(c.alt),
        latPrecision: c.lat_precision, lonPrecision: c.lon_precision,
      });
    }
    if (c.located === null) {
      assert.throws(() => locate(c.text), CorvaneError);
    } else {
      const p = c.located;
      assert.deepEqual(locate(c.text), { id: hex(p.id), x: f32(p.x), y: f32(p.y), z: f32(p.z) });
    }
  },
};

for (const file of readdirSync(casesDir).filter((f) => f.endsWith(".json")).sort()) {
  test(file, { skip: notExposed[file] }, () => {
    assert.ok(readers[file],
      `no reader for tests/cases/${file}: add one to js/test/cases.test.mjs, or list it in notExposed`);
    const table = JSON.parse(readFileSync(join(casesDir, file), "utf8"));
    assert.ok(table.cases.length > 0);
    for (const c of table.cases) {
      try {
        readers[file](c);
      } catch (e) {
        e.message = `case ${JSON.stringify(c.text)}: ${e.message}`;
        throw e;
      }
    }
  });
}
