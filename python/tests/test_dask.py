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
