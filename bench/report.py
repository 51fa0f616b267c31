#!/usr/bin/env python3
"""Turns one run of the benchmark suite (Google Benchmark JSON, one file per
binary) into bench/RESULTS.md and the dedupe cost curve bench/dedupe_curve.svg.

Run by scripts/bench; standard library only. Every number in the outputs comes
from the JSON of that run: per-item costs are the median repetition's CPU time
divided by the items each iteration processes (Google Benchmark's
items_per_second), and each ratio divides two such medians from the same
process.
"""

import argparse
import glob
import json
import math
import os
import platform
import re
import subprocess
import sys

# ---------------------------------------------------------------------------
# The comparisons. Each row: (what, ours, baseline, kind, target, note).
#   kind "speedup": ratio = baseline cost / our cost, met when >= target.
#   kind "within":  ratio = our cost / peer cost, met when <= target.
#   kind "abs":     an absolute per-call figure, no baseline.
# Benchmark names are run names (the name without the aggregate suffix).
# ---------------------------------------------------------------------------

SECTIONS = [
    ("Geometry against glm (same inputs, batch of 1024 per iteration)", [
        ("`Quaternion::multiply` vs glm `q * p`", "BM_QuatMultiply_Corvane", "BM_QuatMultiply_Glm",
         "within", 1.3, "call"),
        ("`Quaternion::rotate_vector` vs glm `rotate(q, v)`", "BM_QuatRotateVector_Corvane",
         "BM_QuatRotateVector_Glm", "within", 1.3, "call_vec"),
        ("`Quaternion::normalize` vs glm `normalize(q)`", "BM_QuatNormalize_Corvane",
         "BM_QuatNormalize_Glm", "within", 1.3, "call"),
        ("`Quaternion::slerp` vs glm `slerp(q, p, t)`", "BM_QuatSlerp_Corvane", "BM_QuatSlerp_Glm",
         "within", 1.3, "slerp"),
        ("`Quaternion::slerp` vs glm `normalize(slerp(q, p, t))` (the same unit-length contract)",
         "BM_QuatSlerp_Corvane", "BM_QuatSlerpNormalized_Glm", "info", None, "slerp"),
        ("`Quaternion::to_rotation_matrix` vs glm `mat3_cast(q)`", "BM_QuatToRotationMatrix_Corvane",
         "BM_QuatToRotationMatrix_Glm", "within", 1.3, None),
        ("`Vector3::heading_to` vs glm `atan`/`degrees`/`radians`", "BM_HeadingTo_Corvane",
         "BM_HeadingTo_Glm", "within", 1.3, None),
        ("call floor: out-of-line `f(const Quaternion&, const Quaternion&) -> Quaternion` doing nothing, vs glm `q * p`",
         "BM_QuatCallFloor", "BM_QuatMultiply_Glm", "info", None, None),
        ("call floor: out-of-line `f(const Quaternion&, const Vector3&) -> Vector3` doing nothing, vs glm `rotate(q, v)`",
         "BM_VectorCallFloor", "BM_QuatRotateVector_Glm", "info", None, None),
    ]),
]

SECTIONS += [
    ("Map text and debug text (one std::string per call, batch of 1024 mixed coordinates; "
     "every baseline's text checked byte for byte against ours before timing)", [
        ("`to_string_with_precision(1)` vs `snprintf`", "BM_MapText_Corvane/1", "BM_MapText_Snprintf/1",
         "speedup", 12, "maptext"),
        ("`to_string_with_precision(1)` vs `std::ostringstream`", "BM_MapText_Corvane/1",
         "BM_MapText_Ostringstream/1", "speedup", 15, "maptext"),
        ("`to_string_with_precision(1)` vs `std::to_chars`", "BM_MapText_Corvane/1",
         "BM_MapText_ToChars/1", "speedup", None, "maptext"),
        ("`to_string_with_precision(2)` vs `snprintf`", "BM_MapText_Corvane/2", "BM_MapText_Snprintf/2",
         "speedup", 12, "maptext"),
        ("`to_string_with_precision(2)` vs `std::ostringstream`", "BM_MapText_Corvane/2",
         "BM_MapText_Ostringstream/2", "speedup", 15, "maptext"),
        ("`to_string_with_precision(2)` vs `std::to_chars`", "BM_MapText_Corvane/2",
         "BM_MapText_ToChars/2", "speedup", None, "maptext"),
        ("allocation floor: a copy of the same text into a new `std::string`, precision 1, vs "
         "`to_string_with_precision(1)`", "BM_MapText_AllocationFloor/1", "BM_MapText_Corvane/1", "info",
         None, None),
        ("fixed-point writer alone, one float at precision 1, vs `std::to_chars`",
         "BM_FixedWriter_Corvane/1", "BM_FixedWriter_ToChars/1", "speedup", None, None),
        ("fixed-point writer alone, one float at precision 2, vs `std::to_chars`",
         "BM_FixedWriter_Corvane/2", "BM_FixedWriter_ToChars/2", "speedup", None, None),
        ("fixed-point writer alone, one float at precision 6, vs `std::to_chars`",
         "BM_FixedWriter_Corvane/6", "BM_FixedWriter_ToChars/6", "speedup", None, None),
        ("`operator<<(ostream&, WorldCoordinates)` (precision 1) into one reused `std::ostringstream`",
         "BM_MapTextStream", None, "abs", None, None),
        ("`debug_string(Vector3)` vs `std::ostringstream` at `setprecision(9)`",
         "BM_DebugVector3_Corvane", "BM_DebugVector3_Ostringstream", "speedup", 3, None),
        ("`debug_string(WorldPosition)` vs `std::ostringstream` at `setprecision(9)`",
         "BM_DebugWorldPosition_Corvane", "BM_DebugWorldPosition_Ostringstream", "speedup", 3, None),
    ]),
    ("Outdoor cell maintenance (absolute cost per call, batch of 1024 outdoor positions)", [
        ("`rebucket_outdoor_landblock`, offset already inside its landblock", "BM_RebucketStaying", None,
         "abs", None, None),
        ("`rebucket_outdoor_landblock`, offsets from -400 to 600 m (0 to 3 landblocks away)",
         "BM_RebucketMixed", None, "abs", None, None),
        ("`normalize_outdoor_cell`", "BM_NormalizeOutdoorCell", None, "abs", None, None),
        ("`to_world_coords`", "BM_ToWorldCoords", None, "abs", None, None),
        ("`distance_to` (different landblocks)", "BM_DistanceTo", None, "abs", None, None),
        ("`rebucket_outdoor_landblock` crossing 1 landblock on each axis", "BM_RebucketCrossing/1", None,
         "abs", None, "rebucket"),
        ("`rebucket_outdoor_landblock` crossing 10 landblocks on each axis", "BM_RebucketCrossing/10",
         None, "abs", None, "rebucket"),
        ("`rebucket_outdoor_landblock` crossing 255 landblocks on each axis",
         "BM_RebucketCrossing/255", None, "abs", None, "rebucket"),
    ]),
]

def _vocab_rows():
    rows = []
    for e in ("SpellCategory", "ClientAction"):
        for op, what in (("FromRepr", f"`from_repr<{e}>`"), ("Name", f"`name({e})`")):
            ours = f"BM_{op}_Library<{e}>"
            rows.append((f"{what} vs linear scan of `{{value, name}}`", ours, f"BM_{op}_LinearScan<{e}>",
                         "speedup", 100, "vocab"))
            rows.append((f"{what} vs `std::lower_bound`", ours, f"BM_{op}_LowerBound<{e}>",
                         "speedup", 5, "vocab"))
            rows.append((f"{what} vs `std::unordered_map`", ours, f"BM_{op}_UnorderedMap<{e}>",
                         "speedup", None, "vocab"))
    rows.append(("`from_repr<RootElementId>` (hashed, 9 members over 1709 values) vs `std::lower_bound`",
                 "BM_FromRepr_Library<RootElementId>", "BM_FromRepr_LowerBound<RootElementId>",
                 "speedup", None, None))
    rows.append(("`CoverageMask::iter_names()` over a five-flag mask, whole walk", "BM_IterNames_CoverageMask",
                 None, "abs", None, None))
    return rows


SECTIONS += [
    ("Vocabularies (every raw number from 16 below the first member to 16 past the last, "
     "holes included; names of every member)", _vocab_rows()),
]

DEDUPE_SIZES = [10 ** k for k in range(3, 8)]


def _dedupe_rows():
    rows = []
    for n in DEDUPE_SIZES:
        rows.append((f"`dedupe_events`, {n:,} events, vs plain walk with `std::unordered_set`",
                     f"BM_DedupeEvents/{n}", f"BM_PlainUnorderedSetWalk/{n}", "speedup", 2, "dedupe"))
    for n in DEDUPE_SIZES:
        rows.append((f"`dedupe_events`, {n:,} events, vs plain walk with `absl::flat_hash_set`",
                     f"BM_DedupeEvents/{n}", f"BM_PlainAbslWalk/{n}", "speedup", None, "dedupe"))
    for n in DEDUPE_SIZES:
        rows.append((f"`dedupe_events`, {n:,} events, vs the same events with a destructor of their own "
                     f"(keys asked one at a time)", f"BM_DedupeEvents/{n}", f"BM_DedupeEventsOneAtATime/{n}",
                     "speedup", None, "ahead"))
    for n in DEDUPE_SIZES:
        rows.append((f"the same steps with `absl::flat_hash_set` as the key set, {n:,} events, vs "
                     f"`dedupe_events`", f"BM_DedupeEventsAbsl/{n}", f"BM_DedupeEvents/{n}", "info", None,
                     None))
    for n in DEDUPE_SIZES:
        rows.append((f"plain walk with `absl::flat_hash_set` asking keys 16 events ahead and prefetching "
                     f"their slots, {n:,} events, vs `dedupe_events`", f"BM_PrefetchingAbslWalk/{n}",
                     f"BM_DedupeEvents/{n}", "info", None, "prefetch"))
    rows.append(("`dedupe_events` per-event cost, largest over smallest across 10^3..10^7 events",
                 "BM_DedupeEvents", None, "flat", 3, "dedupe_flat"))
    return rows


def _fingerprint_rows():
    return [
        ("`fingerprint_f32_bits(v, SixDp)` vs `to_chars` + `from_chars` round trip", "BM_SixDpExact",
         "BM_SixDpToCharsFromChars", "speedup", 30, "sixdp"),
        ("`fingerprint_f32_bits(v, SixDp)` vs `snprintf(\"%.6f\")` + `strtof`", "BM_SixDpExact",
         "BM_SixDpSnprintfStrtof", "speedup", 100, "sixdp"),
        ("call floor: out-of-line `f(float) -> std::uint32_t` returning the bits, vs SixDp",
         "BM_FloatBitsCallFloor", "BM_SixDpExact", "info", None, "sixdp"),
        ("`fingerprint_f32_bits(v, Lossless)`", "BM_Lossless", None, "abs", None, None),
        ("`fnv1a_fold` over a stream of words vs a byte-wise FNV-1a loop (per word)",
         "BM_Fnv1aFoldPerWord", "BM_Fnv1aByteWiseLoop", "noslower", None, "fnv"),
        ("whole fingerprint of SixDp values: `wire_f32_bits` then `fnv1a_fold` (per value)",
         "BM_FingerprintSixDpValues", None, "abs", None, None),
    ]


SECTIONS += [
    ("Fingerprints (a fixed-seed mixture of scenery floats: unit components, offsets, heights, zeros, "
     "export noise)", _fingerprint_rows()),
    ("Event de-duplication (30 % keyless, keys from a tenth as many values as events; copying the "
     "batch in is not timed; warm heap)", _dedupe_rows()),
]

BATCH_PATHS = ["portable", "sse2", "avx2", "avx512"]


def _batch_rows():
    rows = [
        ("batch `fingerprint_f32_bits(in, SixDp, out)` vs the `to_chars` + `from_chars` round trip, per value",
         "BM_BatchSixDp/10000", "BM_SixDpToCharsRoundTrip/10000", "speedup", 150, "batch_sixdp"),
        ("batch SixDp vs a loop of single-value `fingerprint_f32_bits` calls",
         "BM_BatchSixDp/10000", "BM_SixDpSingleLoop/10000", "speedup", 5, "batch_sixdp"),
    ]
    for k, name in enumerate(BATCH_PATHS):
        rows.append((f"batch SixDp on the {name} path (forced) vs the loop of single-value calls",
                     f"BM_BatchSixDpPath/{k}/10000", "BM_SixDpSingleLoop/10000", "speedup", None, None))
    rows += [
        ("`fnv1a_fold_records`, 64 records folded side by side, vs `fnv1a_fold` over one chain (per word, "
         "10^5 words)", "BM_FoldRecords64/100000/-1", "BM_FoldOneChain/100000", "speedup", 3, "batch_fold"),
        ("the same on the portable path (eight scalar chains, also used for SSE2 and AVX2)",
         "BM_FoldRecords64/100000/0", "BM_FoldOneChain/100000", "speedup", None, "batch_fold"),
        ("batch `to_world_coords` vs a loop of single-value calls, 10^3 positions",
         "BM_BatchToWorldCoords/1000", "BM_ToWorldCoordsSingleLoop/1000", "speedup", 4, "batch_coords"),
        ("batch `to_world_coords` vs a loop of single-value calls, 10^4 positions",
         "BM_BatchToWorldCoords/10000", "BM_ToWorldCoordsSingleLoop/10000", "speedup", 4, "batch_coords"),
        ("batch `to_world_coords` vs a loop of single-value calls, 10^6 positions (beyond the caches)",
         "BM_BatchToWorldCoords/1000000", "BM_ToWorldCoordsSingleLoop/1000000", "speedup", None,
         "batch_coords"),
        ("`append_map_text` at precision 1 vs `snprintf` per text, into the same reused string",
         "BM_BatchMapText/10000", "BM_MapTextSnprintfLoop/10000", "speedup", 25, "batch_maptext"),
        ("`append_map_text` at precision 1 vs `to_string_with_precision(1)` appended per text",
         "BM_BatchMapText/10000", "BM_MapTextSingleLoop/10000", "speedup", None, "batch_maptext"),
        ("the three numbers of each text alone through the scalar fixed-point writer, vs `append_map_text`",
         "BM_MapTextNumbersOnly/10000", "BM_BatchMapText/10000", "info", None, "batch_maptext"),
        ("batch `multiply` vs glm's `q * p` in a loop", "BM_BatchQuatMultiply/10000",
         "BM_QuatMultiplyGlmLoop/10000", "within", 1.0, "batch_quat"),
        ("batch `multiply` vs a loop of single-value calls", "BM_BatchQuatMultiply/10000",
         "BM_QuatMultiplySingleLoop/10000", "speedup", None, "batch_quat"),
        ("batch `rotate_vector` vs glm's `rotate(q, v)` in a loop", "BM_BatchQuatRotate/10000",
         "BM_QuatRotateGlmLoop/10000", "info", None, "batch_quat"),
        ("batch `normalize` vs glm's `normalize(q)` in a loop", "BM_BatchQuatNormalize/10000",
         "BM_QuatNormalizeGlmLoop/10000", "info", None, "batch_quat"),
    ]
    return rows


# The cost curves: (operation, run-name prefix); one column per size found.
BATCH_CURVES = [
    ("batch SixDp", "BM_BatchSixDp"),
    ("loop of single-value SixDp", "BM_SixDpSingleLoop"),
    ("`fnv1a_fold`, one chain (per word)", "BM_FoldOneChain"),
    ("`fnv1a_fold_records`, 64 records (per word)", "BM_FoldRecords64"),
    ("batch `to_world_coords`", "BM_BatchToWorldCoords"),
    ("loop of single-value `to_world_coords`", "BM_ToWorldCoordsSingleLoop"),
    ("batch `rebucket_outdoor_landblock`", "BM_BatchRebucket"),
    ("batch `normalize_outdoor_cell`", "BM_BatchNormalizeCell"),
    ("batch `distance_to`", "BM_BatchDistance"),
    ("batch `heading_to`", "BM_BatchHeading"),
    ("`append_map_text`, precision 1", "BM_BatchMapText"),
    ("batch `multiply`", "BM_BatchQuatMultiply"),
    ("glm `q * p` loop", "BM_QuatMultiplyGlmLoop"),
    ("batch `rotate_vector`", "BM_BatchQuatRotate"),
    ("glm `rotate(q, v)` loop", "BM_QuatRotateGlmLoop"),
    ("batch `normalize`", "BM_BatchQuatNormalize"),
    ("glm `normalize(q)` loop", "BM_QuatNormalizeGlmLoop"),
]


def batch_curve_lines(medians):
    """A table of cost per element against the element count, one row per operation."""
    table = {}
    sizes = set()
    for label, prefix in BATCH_CURVES:
        for name, entry in medians.items():
            m = re.fullmatch(re.escape(prefix) + r"/(\d+)(/-1)?", name)
            if m:
                n = int(m.group(1))
                sizes.add(n)
                table.setdefault(label, {})[n] = cost_ns(entry)
    if not table:
        return []
    sizes = sorted(sizes)
    out = ["## Batch cost curves (cost per element against the number of elements; inputs of "
           "10^6 elements and more no longer fit the caches)", ""]
    out.append("| Operation | " + " | ".join(f"{n:,}" for n in sizes) + " |")
    out.append("|---|" + "---|" * len(sizes))
    for label, _ in BATCH_CURVES:
        if label in table:
            out.append(f"| {label} | " + " | ".join(fmt_ns(table[label].get(n)) for n in sizes) + " |")
    out.append("")
    return out


SECTIONS += [
    ("Batch operations (span overloads, cost per element; 10^4 elements unless stated; the widest "
     "vector path the CPU has, AVX-512 F here, unless a path is named)", _batch_rows()),
]

SECTIONS += [
    ("The corvane tool against cs2cs (one process over 1,000,000 input lines, wall time, output "
     "to /dev/null; nine repetitions)", [
        ("`corvane coords < positions` vs `cs2cs EPSG:4326 EPSG:3857 < lat-lons`", "BM_CorvaneCoords/manual_time",
         "BM_Cs2cs/manual_time", "speedup", 2, "cli"),
        ("the same, both inputs with four decimals as logs write them", "BM_CorvaneCoords4/manual_time",
         "BM_Cs2cs4/manual_time", "speedup", 2.5, "cli"),
        ("`corvane coords --format json` vs text output (four decimals)", "BM_CorvaneCoords4Json/manual_time",
         "BM_CorvaneCoords4/manual_time", "within", 1.5, "cli"),
        ("`corvane coords --format csv` vs text output (four decimals)", "BM_CorvaneCoords4Csv/manual_time",
         "BM_CorvaneCoords4/manual_time", "within", 1.5, "cli"),
        ("`corvane locate` (map texts at one digit) vs `corvane coords`", "BM_CorvaneLocate/manual_time",
         "BM_CorvaneCoords4/manual_time", "info", None, "cli"),
    ]),
]

SECTIONS += [
    ("Correctly rounded elementary functions against the C library's single-precision ones "
     "(65536 seeded arguments per iteration, in random order and sorted)", [
        ("`sin`, arguments in [-20, 20]", "BM_Sin_Corvane", "BM_Sin_Libm", "within", 1.5, "crmath"),
        ("`cos`, arguments in [-20, 20]", "BM_Cos_Corvane", "BM_Cos_Libm", "within", 1.5, "crmath"),
        ("`acos`, arguments in [-1, 1]", "BM_Acos_Corvane", "BM_Acos_Libm", "within", 1.5, "crmath"),
        ("`atan2`, both arguments in [-400, 400]", "BM_Atan2_Corvane", "BM_Atan2_Libm", "within", 1.5,
         None),
        ("`sin`, the same arguments sorted", "BM_SinSorted_Corvane", "BM_SinSorted_Libm", "within", 1.5,
         "crmath_sorted"),
        ("`cos`, the same arguments sorted", "BM_CosSorted_Corvane", "BM_CosSorted_Libm", "within", 1.5,
         "crmath_sorted"),
        ("`acos`, the same arguments sorted", "BM_AcosSorted_Corvane", "BM_AcosSorted_Libm", "within", 1.5,
         "crmath_sorted"),
        ("`atan2`, the same pairs sorted by angle", "BM_Atan2Sorted_Corvane", "BM_Atan2Sorted_Libm",
         "within", 1.5, "crmath_sorted"),
    ]),
]

NOTES = {
    "crmath": (
        "The C library's `sinf`, `cosf` and `acosf` are not correctly rounded (glibc 2.36 misrounds "
        "0.7 % to 7.7 % of arguments); ours are, and prove it on all 2^32 arguments. Ours take the "
        "same steps for every argument in range: a table-driven double-precision first attempt "
        "(sin and cos: a step of pi/64 and a degree-5 polynomial by Estrin's scheme; acos: "
        "a square root and a node within 0.011 radians, no division) and a rounding test without "
        "branches that depend on the argument. The C library's functions branch on the argument's "
        "range, which costs them mispredictions when arguments arrive in no particular order."
    ),
    "crmath_sorted": (
        "Sorted arguments make every branch predictable: the C library's best case, and the "
        "worst comparison for ours. A batch of 1024 arguments repeated every iteration (this "
        "benchmark's former design) falls in between, since the branch predictor learns it (measured "
        "once during development, quiet machine: sin 1.45×, cos 1.51×, acos 1.10×, atan2 0.95×)."
    ),
    "call": (
        "The library's float arithmetic is compiled out of line with `-ffp-contract=off`, so that "
        "its bits do not depend on the consumer's flags; glm's is inlined into the loop (and GCC "
        "vectorises it across quaternions). The row \"call floor\" is an out-of-line function of the "
        "same signature that does no arithmetic at all: {floor_quat} per call, {floor_quat_ratio} "
        "of glm's whole multiply. With GCC 12 a `Quaternion` (four floats, returned in two SSE "
        "registers) is written back by the caller through a 16-byte reload of two overlapping "
        "stores, a store-forwarding stall; clang 14 does not do this (see the clang figures below). "
        "No change inside the library can remove a cost the caller pays, and inlining the "
        "arithmetic into headers would make results depend on the consumer's flags: exactness "
        "is kept and this gap is left."),
    "call_vec": (
        "A `Vector3` return costs less ({floor_vec} call floor). The fixed order of operations "
        "builds the whole rotation matrix first (nine products, nine doubled sums, then three "
        "rows summed left to right), where glm's cross-product form needs about 30 operations; "
        "the library computes the matrix columns in SSE lanes, each lane doing exactly the "
        "scalar steps, which took about a quarter off this row without changing a bit."),
    "maptext": (
        "Each call builds one `std::string` of 18 to 40 characters, beyond the small-string "
        "buffer, so every variant pays one allocation; the mixture has 5 % indoor places, 3 % edge "
        "values (zeros, denormals, 1e30) and 1 % non-finite fields. The numbers go through the "
        "library's exact fixed-point writer (integer rounding of the exactly scaled value, ties to "
        "even), whose cost alone is in the \"fixed-point writer\" rows. Allocations per call, counted by a "
        "replaced `operator new`: ours {alloc_ours}, `snprintf` {alloc_snprintf}, `to_chars` "
        "{alloc_to_chars}, `ostringstream` {alloc_ostringstream}."),
    "rebucket": (
        "The rebucket steps one landblock at a time on each axis; from 1 to 255 landblocks crossed "
        "the cost grows by {rebucket_slope} per landblock (fitted through the 1- and 255-landblock "
        "rows; the 10-landblock row predicts {rebucket_predicted_10} by that line, measured "
        "{rebucket_measured_10})."),
    "vocab": (
        "Both directions go through a dense index table over the value span (a hash table for "
        "sparse vocabularies): one bounds check and two or three dependent loads. The scan "
        "baseline's cost is proportional to the member count: SpellCategory has 729 members, "
        "ClientAction 294, so the same constant-time lookup shows a smaller ratio against the "
        "shorter scan. `name` reads a slot and two name offsets."),
    "sixdp": (
        "SixDp rounds the exact value to six decimals with integer arithmetic and no branch on "
        "the magnitude class, bit-identical to the text round trips (the exhaustive test `six_dp_exhaustive` "
        "compares them over every float). It is compiled out of line like all float code of the library; "
        "the call alone costs {floor_float} of its {sixdp}, so the ratios are bounded by the call "
        "as much as by the arithmetic."),
    "fnv": (
        "Both are the same dependent chain of four xor-multiply steps per word; the fold cannot be "
        "faster than the multiply latency, so \"no slower\" is judged within the measured noise "
        "(the combined standard error of the two medians, at least 2 %)."),
    "dedupe": (
        "Every variant walks the same batch backwards, asks each event for its key once and keeps "
        "the first event seen per key. glibc would map every block above 128 KiB fresh from the "
        "kernel and unmap it on free, so each iteration would pay one page fault per 4 KiB of the "
        "batch; the benchmark keeps such blocks in the heap (`mallopt`), as a long-running client's "
        "heap is warm."),
    "dedupe_flat": (
        "From {dedupe_smallest} to {dedupe_largest} per event across 10^3..10^7 events. At 10^7 "
        "the key set holds a million keys (8 MB of bare 4-byte slots at a load of one half), far "
        "beyond the core's caches, so most keyed events miss; asking for keys 16 events ahead and "
        "prefetching their slots keeps many misses in flight, and what is left is the memory "
        "system's throughput for random reads on a shared machine. Events whose destruction or key "
        "hashing runs the caller's code are still asked one key at a time (see the previous note)."),
    "ahead": (
        "Both rows run `dedupe_events` on the same batch; the baseline's events have a destructor "
        "of their own (empty, so it costs nothing by itself). Destroying such an event is the "
        "caller's code, which must run after the event's own dedupe_key call and before the next "
        "event's, so the walk cannot ask ahead and waits for each cache miss of the key set in "
        "turn. For plain (trivially copyable) events with integer, float or Guid keys nothing but "
        "the dedupe_key calls is observable, and the walk asks 16 events ahead once the key set "
        "outgrows 256 KiB; below that both walks are the same."),
    "prefetch": (
        "The same look-ahead written over `absl::flat_hash_set` (a peer, not library code): "
        "{prefetch_smallest} per event at 10^3 events, {prefetch_largest} at 10^7. "
        "`dedupe_events` keeps integer keys in bare slots, half the table of a set that stores a "
        "hash byte or tag beside each key, and gathers survivors in the batch itself instead of "
        "growing and reversing an output."),
    "cli": (
        "Both read a regular file, so neither ever waits for input: corvane flushes its output "
        "only when the next read would wait (a line typed into a pipe is answered at once) and "
        "when its buffer fills, and cs2cs writes through stdio. cs2cs converts latitude and "
        "longitude to Web Mercator, a comparable amount of arithmetic per line to a position's "
        "map text."),
    "batch_sixdp": (
        "The batch runs the single-value arithmetic (|v| x 10^6 in double, rounded to an integer "
        "by adding and removing 2^52, x 10^-6, rounded to float, then the sign, large-value and NaN "
        "selects) on 2, 4 or 8 doubles at once (SSE2, AVX2, AVX-512), with one call per span instead "
        "of per value; the vector paths are compared with the single-value function on all 2^32 "
        "patterns by `six_dp_batch_exhaustive`. GCC already vectorises the portable loop with "
        "SSE2, the x86-64 baseline, so the portable and SSE2 rows are close; AVX2 and AVX-512 "
        "widen the double arithmetic to 4 and 8 lanes."),
    "batch_fold": (
        "One FNV-1a hash is a chain of dependent multiplies (four per word), so it runs at the "
        "multiplier's latency whatever the code. Records folded side by side run independent "
        "chains: eight scalar chains on the portable path, sixteen AVX-512 lanes (two vectors of "
        "eight, each 64-bit product built from 32-bit multiplies, words fetched by masked "
        "gathers) on AVX-512. With AVX2 the same vector kernel was slower than the eight scalar "
        "chains on this machine (three multiplies per product, gathers), so AVX2 and SSE2 use the "
        "portable chains."),
    "batch_coords": (
        "The map degrees of 16 positions at a time (AVX-512): their ids and offsets turned from "
        "rows into columns in registers, converted, scaled and divided as the single-value "
        "operation does, then each result written as the variant alternative it is. In the caches "
        "the loop of single-value calls pays the call and the variant's return per position; "
        "beyond them both read 32 and write 16 bytes per position and the memory bandwidth bounds "
        "both (see the curves)."),
    "batch_maptext": (
        "`append_map_text` writes the texts into a stack buffer appended to the string a few "
        "kilobytes at a time, so it saves the allocation of each single-value text. The numbers of "
        "64 texts at a time are made on vector lanes, four at a time with AVX2 (two with SSE2): "
        "each float's exact value scaled by 10^precision in a double and rounded to even there, "
        "its seven digits and point made in one 64-bit lane; a plain loop then places each word, "
        "its leading zeros dropped, between the letters. The scalar row is the three numbers of "
        "each text alone through the single-value writer (scaled and rounded in 64-bit integers, "
        "digits made in one word), which the texts cost without the vector words."),
    "batch_quat": (
        "Quaternions are turned from rows into columns by 4 x 4 transposes in each 128-bit lane "
        "(16 quaternions per AVX-512 step), each lane then doing exactly the single-value "
        "operations in their order, and turned back. glm's loop is compiled inline with the "
        "project's flags (no `-march`, so SSE2)."),
    "slerp": (
        "Both call `acos` once and `sin` three times, which dominate. Ours also normalises its "
        "result (a square root and four divisions), checks that the arc weights stay in [0, 1] "
        "and returns a `Quaternion` through the out-of-line call (see the call floor); glm's "
        "slerp does none of these. The row against glm's slerp followed by its normalize shows "
        "how much of the gap is that contract."),
}


# ---------------------------------------------------------------------------

def load_runs(results_dir):
    """Returns ({run_name: median entry}, {run_name: cv}, [contexts])."""
    medians, cvs, contexts = {}, {}, []
    for path in sorted(glob.glob(os.path.join(results_dir, "*.json"))):
        with open(path) as f:
            data = json.load(f)
        ctx = data.get("context", {})
        ctx["_file"] = os.path.basename(path)
        contexts.append(ctx)
        for b in data.get("benchmarks", []):
            if b.get("error_occurred"):
                continue  # skipped, as a path this CPU lacks is: not measured
            name = b.get("run_name", b["name"])
            agg = b.get("aggregate_name")
            if agg == "median" or (agg is None and name not in medians):
                medians[name] = b
            elif agg == "cv":
                # Process benchmarks time the child's wall clock, not our CPU.
                cvs[name] = b.get("real_time" if name.endswith("/manual_time") else "cpu_time")
    return medians, cvs, contexts


_UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def cost_ns(entry):
    """CPU nanoseconds per processed item (per iteration if none reported)."""
    if entry is None:
        return None
    ips = entry.get("items_per_second")
    if ips:
        return 1e9 / ips
    for counter in ("per_value", "per_event"):  # inverted rates: seconds per item
        if entry.get(counter):
            return entry[counter] * 1e9
    return entry["cpu_time"] * _UNIT_NS[entry.get("time_unit", "ns")]


def fmt_ns(ns):
    if ns is None:
        return "—"
    if ns >= 100:
        return f"{ns:.0f} ns"
    if ns >= 10:
        return f"{ns:.1f} ns"
    return f"{ns:.2f} ns"


def fmt_ratio(r):
    if r is None:
        return "—"
    return f"{r:.2f}×" if r < 10 else f"{r:.1f}×"


def row_result(kind, target, ours, base, tolerance=0.02):
    """(ratio, verdict) for one row."""
    if kind == "noslower":
        if ours is None or base is None:
            return None, "not measured"
        ratio = base / ours
        if ratio >= 1.0:
            return ratio, "met"
        return ratio, ("met (within noise)" if ratio >= 1.0 - tolerance else "**not met**")
    if ours is None or (kind != "abs" and base is None):
        return None, "not measured"
    if kind == "abs":
        return None, "figure"
    if kind == "speedup":
        ratio = base / ours
        if target is None:
            return ratio, ""
        if ratio >= target:
            return ratio, "met"
        return ratio, ("**not met** (short by less than the noise)" if ratio >= target * (1 - tolerance)
                       else "**not met**")
    if kind == "within":
        ratio = ours / base
        if ratio <= target:
            return ratio, "met"
        return ratio, ("**not met** (over by less than the noise)" if ratio <= target * (1 + tolerance)
                       else "**not met**")
    return base / ours, ""


def target_text(kind, target):
    if kind == "speedup" and target is not None:
        return f"≥ {target:g}× faster"
    if kind == "noslower":
        return "no slower"
    if kind == "flat":
        return f"flat (≤ {target:g}×)"
    if kind == "within":
        return f"≤ {target:g}× the baseline's cost"
    return ""


def read_cache(build_dir):
    cache = {}
    try:
        with open(os.path.join(build_dir, "CMakeCache.txt")) as f:
            for line in f:
                m = re.match(r"^([A-Za-z_]+):[A-Z]+=(.*)$", line.rstrip("\n"))
                if m:
                    cache[m.group(1)] = m.group(2)
    except OSError:
        pass
    return cache


def compiler_version(build_dir):
    compiler = read_cache(build_dir or "").get("CMAKE_CXX_COMPILER", "c++")
    try:
        return subprocess.run([compiler, "--version"], capture_output=True, text=True,
                              check=False).stdout.splitlines()[0]
    except (OSError, IndexError):
        return compiler


def machine_lines(build_dir, contexts, env):
    lines = []
    cpu = platform.processor() or "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    ctx = contexts[0] if contexts else {}
    cache = read_cache(build_dir)
    version = compiler_version(build_dir)
    build_type = cache.get("CMAKE_BUILD_TYPE", "")
    flags = " ".join(x for x in [cache.get("CMAKE_CXX_FLAGS", ""),
                                 cache.get(f"CMAKE_CXX_FLAGS_{build_type.upper()}", "")] if x)
    lines.append(f"- CPU: {cpu}, {ctx.get('num_cpus', '?')} logical CPUs at "
                 f"{ctx.get('mhz_per_cpu', '?')} MHz (as reported to Google Benchmark)")
    lines.append(f"- Compiler: {version}")
    lines.append(f"- Flags: `{flags}` with `-std=c++20`; the library adds `-ffp-contract=off "
                 f"-fno-fast-math`; no `-march` (baseline x86-64, SSE2)")
    lines.append(f"- Google Benchmark library (the harness, Debian's package) reports itself as a "
                 f"{ctx.get('library_build_type', '?')} build; the measured code is built as above")
    lines.append(f"- Date of the run: {env.get('started', ctx.get('date', '?'))}")
    lines.append(f"- Load average (1, 5, 15 min) before the run: {env.get('load_before', '?')}, "
                 f"after: {env.get('load_after', '?')}")
    return lines


def read_env(results_dir):
    env = {}
    try:
        with open(os.path.join(results_dir, "run.env")) as f:
            for line in f:
                if "=" in line:
                    k, v = line.rstrip("\n").split("=", 1)
                    env[k] = v
    except OSError:
        pass
    return env


def _note_number(used_notes, note):
    if note not in used_notes:
        used_notes.append(note)
    return used_notes.index(note) + 1


def write_markdown(path, medians, cvs, contexts, env, build_dir, extra_sections):
    floor_q = cost_ns(medians.get("BM_QuatCallFloor"))
    floor_v = cost_ns(medians.get("BM_VectorCallFloor"))
    glm_mul = cost_ns(medians.get("BM_QuatMultiply_Glm"))
    subst = {
        "floor_quat": fmt_ns(floor_q),
        "floor_vec": fmt_ns(floor_v),
        "floor_quat_ratio": fmt_ratio(floor_q / glm_mul) if floor_q and glm_mul else "—",
    }
    for key, name in [("alloc_ours", "BM_MapText_Corvane/1"), ("alloc_snprintf", "BM_MapText_Snprintf/1"),
                      ("alloc_to_chars", "BM_MapText_ToChars/1"),
                      ("alloc_ostringstream", "BM_MapText_Ostringstream/1")]:
        e = medians.get(name)
        subst[key] = f"{e['allocations_per_call']:.2f}" if e and "allocations_per_call" in e else "—"
    subst["floor_float"] = fmt_ns(cost_ns(medians.get("BM_FloatBitsCallFloor")))
    subst["sixdp"] = fmt_ns(cost_ns(medians.get("BM_SixDpExact")))
    dd = dedupe_points(medians, "BM_DedupeEvents")
    subst["dedupe_smallest"] = fmt_ns(dd[0][1]) if dd else "—"
    subst["dedupe_largest"] = fmt_ns(dd[-1][1]) if dd else "—"
    pf = dedupe_points(medians, "BM_PrefetchingAbslWalk")
    subst["prefetch_smallest"] = fmt_ns(pf[0][1]) if pf else "—"
    subst["prefetch_largest"] = fmt_ns(pf[-1][1]) if pf else "—"
    r1 = cost_ns(medians.get("BM_RebucketCrossing/1"))
    r10 = cost_ns(medians.get("BM_RebucketCrossing/10"))
    r255 = cost_ns(medians.get("BM_RebucketCrossing/255"))
    if r1 and r10 and r255:
        slope = (r255 - r1) / 254.0
        subst["rebucket_slope"] = fmt_ns(slope)
        subst["rebucket_predicted_10"] = fmt_ns(r1 + 9 * slope)
        subst["rebucket_measured_10"] = fmt_ns(r10)
    else:
        subst.update(rebucket_slope="—", rebucket_predicted_10="—", rebucket_measured_10="—")
    out = []
    out.append("# Benchmark results")
    out.append("")
    out.append("Generated by `scripts/bench` from one run of every benchmark binary (do not edit by "
               "hand). Costs are CPU time per item of the median of the repetitions; every ratio "
               "compares two benchmarks of the same process on the same seeded inputs. The machine "
               "is shared and noisy: compare ratios, not absolute times.")
    out.append("")
    out.extend(machine_lines(build_dir, contexts, env))
    out.append("")
    unmet = []
    targets = [0, 0]  # rows with a target, of which met
    used_notes = []
    for title, rows, counts in [(t, r, True) for t, r in SECTIONS] + extra_sections:
        out.append(f"## {title}")
        out.append("")
        out.append("| Comparison | Ours | Baseline | Ratio | Target | Verdict |")
        out.append("|---|---|---|---|---|---|")
        for what, ours_name, base_name, kind, target, note in rows:
            if kind == "flat":
                pts = dedupe_points(medians, ours_name)
                if len(pts) >= 2:
                    lo, hi = min(c for _, c in pts), max(c for _, c in pts)
                    ratio = hi / lo
                    verdict = "met" if ratio <= target else "**not met**"
                    out.append(f"| {what} [{_note_number(used_notes, note)}] | {fmt_ns(lo)} to {fmt_ns(hi)} "
                               f"| — | {fmt_ratio(ratio)} | {target_text(kind, target)} | {verdict} |")
                else:
                    verdict = "not measured"
                    out.append(f"| {what} | — | — | — | {target_text(kind, target)} | {verdict} |")
                if counts:
                    targets[0] += 1
                    targets[1] += verdict.startswith("met")
                if counts and verdict in ("**not met**", "not measured"):
                    unmet.append(f"{what}: {verdict.strip('*')}")
                continue
            ours = cost_ns(medians.get(ours_name))
            base = cost_ns(medians.get(base_name)) if base_name else None
            # The ratio's noise: the standard error of a median of n repetitions is
            # about 1.25 * sd / sqrt(n); both medians' errors combined.
            reps = (medians.get(ours_name) or {}).get("repetitions") or 5
            tol = max(0.02, 1.2533 * math.hypot(cvs.get(ours_name) or 0.0, cvs.get(base_name) or 0.0)
                      / math.sqrt(reps))
            ratio, verdict = row_result(kind, target, ours, base, tol)
            cv = cvs.get(ours_name)
            ours_text = fmt_ns(ours) + (f" (cv {cv * 100:.0f} %)" if cv is not None and cv >= 0.05 else "")
            ratio_text = fmt_ratio(ratio)
            if kind == "speedup" and ratio is not None:
                ratio_text += " faster"
            elif kind == "within" and ratio is not None:
                ratio_text += " the cost"
            elif kind == "noslower" and ratio is not None:
                ratio_text += " faster"
            elif kind == "info" and ratio is not None:
                ratio_text = fmt_ratio(ours / base) + " the cost"
            if note and note not in used_notes:
                used_notes.append(note)
            marker = f" [{used_notes.index(note) + 1}]" if note else ""
            out.append(f"| {what}{marker} | {ours_text} | {fmt_ns(base)} | {ratio_text} | "
                       f"{target_text(kind, target)} | {verdict} |")
            has_target = kind in ("noslower", "within") or (kind == "speedup" and target is not None)
            if counts and has_target:
                targets[0] += 1
                targets[1] += verdict.startswith("met")
            if counts and has_target and (verdict.startswith("**not met") or verdict == "not measured"):
                unmet.append(f"{what}: {verdict.replace('**', '')} ({fmt_ratio(ratio)})")
        out.append("")
    out.extend(batch_curve_lines(medians))
    if used_notes:
        out.append("## Notes")
        out.append("")
        for i, note in enumerate(used_notes, 1):
            out.append(f"{i}. {NOTES[note].format(**subst)}")
        out.append("")
    out.append("## Targets not met or not measured in this run")
    out.append("")
    out.append(f"{targets[1]} of {targets[0]} rows with a target meet it (bench preset build); the "
               f"others, with the notes above giving the measured reason. \"Short by less than the "
               f"noise\" means the ratio misses the target by less than the combined standard error "
               f"of the two medians (estimated from the repetitions' spread): another run may meet it.")
    out.append("")
    out.extend(f"- {u}" for u in unmet) if unmet else out.append("- none")
    out.append("")
    with open(path, "w") as f:
        f.write("\n".join(out))


# The dedupe cost curve: (legend, run-name prefix, colour); the sizes are the
# benchmark arguments found in the run.
DEDUPE_SERIES = [
    ("dedupe_events (plain events: keys asked ahead)", "BM_DedupeEvents", "#1b6ac9"),
    ("dedupe_events (events with a destructor: one key at a time)", "BM_DedupeEventsOneAtATime", "#0b3a73"),
    ("same steps with absl::flat_hash_set", "BM_DedupeEventsAbsl", "#2e9d4f"),
    ("same steps with std::unordered_set", "BM_DedupeEventsUnorderedSet", "#8a5cc2"),
    ("plain reverse walk, std::unordered_set", "BM_PlainUnorderedSetWalk", "#c23b22"),
    ("plain reverse walk, absl::flat_hash_set", "BM_PlainAbslWalk", "#d08a1e"),
    ("absl walk, 16-ahead prefetch", "BM_PrefetchingAbslWalk", "#777777"),
]


def dedupe_points(medians, prefix):
    points = []
    for name, entry in medians.items():
        m = re.fullmatch(re.escape(prefix) + r"/(\d+)", name)
        if m:
            points.append((int(m.group(1)), cost_ns(entry)))
    return sorted(points)


def write_svg(path, medians, env):
    series = [(label, dedupe_points(medians, prefix), colour)
              for label, prefix, colour in DEDUPE_SERIES]
    series = [s for s in series if s[1]]
    width, height = 680, 440
    left, right, top, bottom = 70, 20, 40, 140
    plot_w, plot_h = width - left - right, height - top - bottom
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
           f'viewBox="0 0 {width} {height}" font-family="sans-serif" font-size="12">',
           f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<text x="{width / 2}" y="22" text-anchor="middle" font-size="14">'
           f'dedupe_events: CPU time per event (30 % keyless, keys from a tenth as many values)</text>']
    if not series:
        out.append(f'<text x="{width / 2}" y="{height / 2}" text-anchor="middle">'
                   f'no dedupe benchmark in this run</text></svg>')
        with open(path, "w") as f:
            f.write("\n".join(out) + "\n")
        return
    sizes = sorted({n for _, pts, _ in series for n, _ in pts})
    x_lo, x_hi = math.log10(sizes[0]), math.log10(sizes[-1])
    if x_hi == x_lo:
        x_hi = x_lo + 1
    # Logarithmic cost axis from a power of ten below the cheapest point to one
    # above the dearest: equal ratios look equal, and a flat curve is flat.
    costs = [c for _, pts, _ in series for _, c in pts if c and c > 0]
    y_lo = 10 ** math.floor(math.log10(min(costs)))
    y_hi = 10 ** math.ceil(math.log10(max(costs)))
    if y_hi <= y_lo:
        y_hi = y_lo * 10

    def px(n):
        return left + (math.log10(n) - x_lo) / (x_hi - x_lo) * plot_w

    def py(c):
        c = max(c, y_lo)
        return top + plot_h - (math.log10(c) - math.log10(y_lo)) / (math.log10(y_hi) - math.log10(y_lo)) * plot_h

    out.append(f'<rect x="{left}" y="{top}" width="{plot_w}" height="{plot_h}" fill="none" stroke="#888"/>')
    decade = y_lo
    while decade <= y_hi * 1.001:
        for mult in (1, 2, 5):
            y = decade * mult
            if y > y_hi * 1.001:
                break
            major = mult == 1
            out.append(f'<line x1="{left}" x2="{left + plot_w}" y1="{py(y):.1f}" y2="{py(y):.1f}" '
                       f'stroke="{"#ccc" if major else "#eee"}"/>')
            out.append(f'<text x="{left - 6}" y="{py(y) + 4:.1f}" text-anchor="end">{y:g}</text>')
        decade *= 10
    for n in sizes:
        exp = round(math.log10(n))
        label = (f'10<tspan dy="-6" font-size="9">{exp}</tspan>' if 10 ** exp == n else str(n))
        out.append(f'<line x1="{px(n):.1f}" x2="{px(n):.1f}" y1="{top}" y2="{top + plot_h}" stroke="#eee"/>')
        out.append(f'<text x="{px(n):.1f}" y="{top + plot_h + 18}" text-anchor="middle">{label}</text>')
    out.append(f'<text x="{left + plot_w / 2}" y="{top + plot_h + 38}" text-anchor="middle">'
               f'events in the batch (log scale)</text>')
    out.append(f'<text x="18" y="{top + plot_h / 2}" text-anchor="middle" '
               f'transform="rotate(-90 18 {top + plot_h / 2})">ns per event (median, log scale)</text>')
    for i, (label, pts, colour) in enumerate(series):
        path_d = " ".join(f"{'M' if j == 0 else 'L'}{px(n):.1f},{py(c):.1f}" for j, (n, c) in enumerate(pts))
        dash = ' stroke-dasharray="5,4"' if label.startswith("prototype") else ""
        out.append(f'<path d="{path_d}" fill="none" stroke="{colour}" stroke-width="2"{dash}/>')
        for n, c in pts:
            out.append(f'<circle cx="{px(n):.1f}" cy="{py(c):.1f}" r="3" fill="{colour}">'
                       f'<title>{label}, {n} events: {c:.2f} ns per event</title></circle>')
        lx = left + (i % 2) * (plot_w / 2)
        ly = top + plot_h + 58 + (i // 2) * 18
        out.append(f'<line x1="{lx:.1f}" x2="{lx + 24:.1f}" y1="{ly - 4}" y2="{ly - 4}" stroke="{colour}" '
                   f'stroke-width="2"{dash}/>')
        out.append(f'<text x="{lx + 30:.1f}" y="{ly}">{label}</text>')
    out.append(f'<text x="{width - 6}" y="{height - 6}" text-anchor="end" font-size="10" fill="#666">'
               f'generated by scripts/bench, {env.get("started", "")}</text>')
    out.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--results", required=True)
    ap.add_argument("--build", required=True)
    ap.add_argument("--clang-results")
    ap.add_argument("--clang-build")
    ap.add_argument("--markdown", required=True)
    ap.add_argument("--svg", required=True)
    args = ap.parse_args()
    medians, cvs, contexts = load_runs(args.results)
    if not medians:
        sys.exit(f"report.py: no benchmark results in {args.results}")
    env = read_env(args.results)
    extra = []
    if args.clang_results and glob.glob(os.path.join(args.clang_results, "*.json")):
        c_medians, c_cvs, _ = load_runs(args.clang_results)
        version = compiler_version(args.clang_build)
        title, rows = SECTIONS[0]
        # Same rows, names prefixed so they read from the clang run.
        for k, v in c_medians.items():
            medians["clang:" + k] = v
        for k, v in c_cvs.items():
            cvs["clang:" + k] = v
        extra.append((f"For comparison: the same geometry rows built with {version} (library and benchmark; "
                      f"not the bench preset, so these do not count toward the targets)",
                      [(w, "clang:" + o, "clang:" + b if b else None, k, t, None)
                       for w, o, b, k, t, _ in rows], False))
    write_markdown(args.markdown, medians, cvs, contexts, env, args.build, extra)
    write_svg(args.svg, medians, env)
    print(f"wrote {args.markdown} and {args.svg}")


if __name__ == "__main__":
    main()
