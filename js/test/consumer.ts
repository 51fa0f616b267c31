// A TypeScript consumer of the installed package, compiled with --strict by
// scripts/check-wasm: the declarations must describe what the package exports.
import {
  CorvaneError, CoverageMask, EmoteCategory, FloatCanon, SpellType, fingerprintF32Bits, fnv1aFold,
  locate, mapText, parseMapText, rebucketOutdoorLandblock, toWorldCoords, vocabularies,
} from "corvane";

const one: string = mapText(0xda550000, 84, 108, 0);
const many: string[] = mapText(new Uint32Array([0xda550000]), new Float32Array([84, 108, 0]), 2);
const columns = toWorldCoords(new Uint32Array(1), new Float32Array(3));
const lat: Float32Array = columns.lat;
const indoor: Uint8Array = columns.indoor;
const cell: Uint16Array = columns.cell;
const read = parseMapText("33.5S, 72.7E");
const latitude: number | undefined = "lat" in read ? read.lat : undefined;
const where: { id: number; x: number } = locate("33.5S, 72.7E");
const words: Uint32Array = fingerprintF32Bits(new Float32Array(2), "Lossless");
const hash: bigint = fnv1aFold(0xcbf29ce484222325n, words);
const moved: { ids: Uint32Array; xyz: Float32Array } = rebucketOutdoorLandblock(new Uint32Array(1), new Float32Array(3));
const boost: 3 = SpellType.Boost;
const spellName: string | undefined = SpellType.name(boost);
const heartBeat: string | undefined = EmoteCategory.displayName(EmoteCategory.HeartBeat);
const flags: string[] = CoverageMask.names(CoverageMask.all);
const lossless: number = vocabularies.FloatCanon.Lossless + FloatCanon.SixDp;
try {
  locate("Indoors [0100]");
} catch (e) {
  if (e instanceof CorvaneError) console.log(e.reason);
}
// @ts-expect-error: a Float64Array is not a Float32Array
fingerprintF32Bits(new Float64Array(1), "SixDp");
// @ts-expect-error: canonicalisations are named
fingerprintF32Bits(new Float32Array(1), "sixdp");
// @ts-expect-error: no such member
SpellType.NoSuchMember;
console.log(one, many, lat, indoor, cell, latitude, where, hash, moved, spellName, heartBeat, flags, lossless);
