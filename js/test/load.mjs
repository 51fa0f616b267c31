// The package under test: CORVANE_JS_PACKAGE (a folder or an installed
// package's name), by default the one the wasm preset assembles.
import { fileURLToPath, pathToFileURL } from "node:url";
import { dirname, resolve } from "node:path";

const here = dirname(fileURLToPath(import.meta.url));
export const repository = resolve(here, "../..");
const where = process.env.CORVANE_JS_PACKAGE ?? resolve(repository, "build/wasm/js/package");
export const corvane = await import(pathToFileURL(resolve(where, "index.js")).href);
