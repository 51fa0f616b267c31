"""Map texts and fingerprints of a partitioned data set of positions, with Dask.

The same code runs in one process, on a local cluster, or on a Dask cluster
given its scheduler's address:

    python3 dask_positions.py --generate 1000000                  # local cluster
    python3 dask_positions.py --input 'logs/positions-*.csv' \\
        --output out/ --scheduler tcp://scheduler.example:8786    # a real cluster

Input CSV files have the columns id, x, y, z (the landblock id in decimal or
0x hex, as the corvane tool reads it; the offset in metres); every worker
needs corvane installed and the files readable under the same path. Each
output row adds the map text at the chosen precision, the position rebucketed
into the landblock that holds its offset, and a fingerprint: the FNV-1a fold
of the id and the SixDp patterns of x, y and z, as a bake exporter computes
it. Ids and fingerprints are written in hex, as the tool writes them.
"""

from __future__ import annotations

import argparse

import numpy as np
import pandas as pd

import corvane

# Ids are read as text, since a hex id is no number to a CSV reader.
COLUMNS = {"id": "object", "x": "float32", "y": "float32", "z": "float32"}


def parse_id(text) -> int:
    """An id as the tool reads it: decimal or 0x hex, 0..0xFFFFFFFF (checked by corvane)."""
    if isinstance(text, str):
        text = text.strip()
        return int(text[2:], 16) if text[:2] in ("0x", "0X") else int(text, 10)
    return int(text)


def hex_ids(ids: np.ndarray) -> list:
    return [str(corvane.Guid(i)) for i in ids.tolist()]


def process_partition(positions: pd.DataFrame, precision: int = 1) -> pd.DataFrame:
    """Map text, rebucketed position and fingerprint of every row of a partition."""
    column = positions["id"]
    # Integers pass as they are; text is read as the tool reads it. Either
    # way corvane refuses an id outside 0..0xFFFFFFFF, naming the row.
    ids = column.to_numpy() if column.dtype.kind in "iu" else \
        np.array([parse_id(v) for v in column], dtype=np.int64)
    xyz = positions[["x", "y", "z"]].to_numpy(dtype=np.float32)
    new_ids, new_xyz = corvane.rebucket_outdoor_landblock(ids, xyz)  # checks every id
    words = np.empty((len(ids), 4), np.uint32)
    words[:, 0] = ids
    words[:, 1:] = corvane.fingerprint_f32_bits(xyz, corvane.FloatCanon.SixDp)
    return pd.DataFrame({
        "id": hex_ids(words[:, 0]),
        "map_text": corvane.map_text(ids, xyz, precision),
        "rebucketed_id": hex_ids(new_ids),
        "rebucketed_x": new_xyz[:, 0],
        "rebucketed_y": new_xyz[:, 1],
        "fingerprint": [f"0x{h:016x}" for h in corvane.fnv1a_fold_records(words).tolist()],
    }, index=positions.index)


def output_meta() -> pd.DataFrame:
    """The column types of process_partition's result, for Dask."""
    return process_partition(pd.DataFrame({c: pd.Series(dtype=t) for c, t in COLUMNS.items()}))


def process(positions, precision: int = 1):
    """Dask DataFrame in, Dask DataFrame out: one task per partition."""
    return positions.map_partitions(process_partition, precision, meta=output_meta())


def generated(n: int, seed: int = 1) -> pd.DataFrame:
    """n positions spread over the world, a few indoors, offsets partly outside their landblock."""
    rng = np.random.default_rng(seed)
    lb = rng.integers(0, 256, size=(n, 2), dtype=np.uint32)
    cell = rng.integers(1, 65, size=n, dtype=np.uint32)
    indoor = rng.random(n) < 0.1
    cell[indoor] = rng.integers(0x100, 0x200, size=int(indoor.sum()), dtype=np.uint32)
    return pd.DataFrame({
        "id": (lb[:, 0] << 24) | (lb[:, 1] << 16) | cell,
        "x": rng.uniform(-50, 250, n).astype(np.float32),
        "y": rng.uniform(-50, 250, n).astype(np.float32),
        "z": rng.uniform(-20, 300, n).astype(np.float32),
    })


def main() -> None:
    import dask.dataframe as dd
    from distributed import Client, LocalCluster

    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--input", help="CSV files (a glob) with columns id, x, y, z")
    source.add_argument("--generate", type=int, metavar="N", help="use N generated positions")
    parser.add_argument("--output", help="directory for the result as CSV files")
    parser.add_argument("--scheduler", help="address of a Dask scheduler (default: a local cluster)")
    parser.add_argument("--precision", type=int, default=1, help="map text precision (default 1)")
    parser.add_argument("--partitions", type=int, default=8, help="partitions of generated data")
    args = parser.parse_args()

    if args.scheduler:
        client = Client(args.scheduler)
        client.upload_file(__file__)  # workers import process_partition from here
    else:
        client = Client(LocalCluster(n_workers=2, threads_per_worker=1))
    with client:
        if args.input:
            positions = dd.read_csv(args.input, dtype=COLUMNS)
        else:
            positions = dd.from_pandas(generated(args.generate), npartitions=args.partitions)
        result = process(positions, args.precision)
        if args.output:
            result.to_csv(f"{args.output}/part-*.csv", index=False)
        else:
            print(result.head(10).to_string())


if __name__ == "__main__":
    main()
