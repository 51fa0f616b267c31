"""The Dask example on a two-worker local cluster equals one process."""

import os
import sys
from pathlib import Path

import pytest

EXAMPLES = Path(__file__).resolve().parents[1] / "examples"


def test_local_cluster_result_equals_single_process(monkeypatch):
    dd = pytest.importorskip("dask.dataframe")
    distributed = pytest.importorskip("distributed")
    # Workers are separate processes: they find the example through PYTHONPATH.
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join(
        [str(EXAMPLES), *filter(None, [os.environ.get("PYTHONPATH")])]))
    monkeypatch.syspath_prepend(str(EXAMPLES))
    import dask_positions

    positions = dask_positions.generated(1_000_000, seed=3)
    expected = dask_positions.process_partition(positions)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        result = dask_positions.process(dd.from_pandas(positions, npartitions=8)).compute()
        assert len(client.scheduler_info()["workers"]) == 2
    assert result.equals(expected)
    assert result["map_text"].str.len().min() > 0


def test_csv_ids_in_hex_or_decimal_give_the_tools_answers(tool, tmp_path, monkeypatch):
    dd = pytest.importorskip("dask.dataframe")
    monkeypatch.syspath_prepend(str(EXAMPLES))
    import dask_positions

    rows = ["0xDA550000,84,108,0", "3669295104,300,108,0", "0x00000100,0,0,0", "0xa9b40019,-50,-10,94"]
    (tmp_path / "positions.csv").write_text("id,x,y,z\n" + "\n".join(rows) + "\n")
    positions = dd.read_csv(str(tmp_path / "positions.csv"), dtype=dask_positions.COLUMNS)
    result = dask_positions.process(positions).compute(scheduler="synchronous")
    lines = [r.replace(",", " ") for r in rows]
    coords, rebucketed = tool(["coords"], lines), tool(["rebucket"], lines)
    fingerprints = [tool(["fingerprint", ids, *map(str, [float(v) for v in rest])])[0]["fingerprint"]
                    for ids, *rest in (line.split() for line in lines)]
    assert list(result["id"]) == [e["id"] for e in coords]
    assert list(result["map_text"]) == [e["text"] for e in coords]
    assert list(result["rebucketed_id"]) == [e["id"] for e in rebucketed]
    assert list(result["fingerprint"]) == fingerprints
    with pytest.raises(ValueError, match="ids"):
        dask_positions.process_partition(pd_frame({"id": ["0x1FFFFFFFF"], "x": [0.0], "y": [0.0], "z": [0.0]}))


def pd_frame(columns):
    import pandas as pd
    return pd.DataFrame(columns)
