"""Shared fixtures: the corvane command-line tool as the reference, and
generated inputs that cover the interesting classes of ids and offsets."""

import json
import os
import shutil
import subprocess
from pathlib import Path

import numpy as np
import pytest


def _find_tool():
    path = os.environ.get("CORVANE_TOOL") or shutil.which("corvane")
    if path is None:
        built = Path(__file__).resolve().parents[2] / "build" / "release" / "tools" / "corvane"
        path = str(built) if built.exists() else None
    return path


@pytest.fixture(scope="session")
def tool():
    """Runs the corvane tool with --format json on stdin lines; one dict per output line."""
    path = _find_tool()
    if path is None:
        pytest.skip("the corvane tool is not built (set CORVANE_TOOL)")

    def run(args, lines=()):
        done = subprocess.run([path, *args, "--format", "json"], input="".join(
            line + "\n" for line in lines), capture_output=True, text=True, check=False)
        if done.returncode not in (0, 1):
            raise AssertionError(f"corvane {' '.join(args)} failed: {done.stderr}")
        return [json.loads(line) for line in done.stdout.splitlines() if line]

    return run


def f32_text(v):
    """Text that reads back as exactly this float32 (nan and inf as words)."""
    v = float(np.float32(v))
    return repr(v) if np.isfinite(v) else str(v)


def generated_positions(n, seed):
    """ids and offsets drawn from every class the position rules distinguish:
    outdoor cells 0..64, indoor cells, id 0, the world's edges, offsets inside,
    just outside and far outside a landblock, exact boundaries, -0.0."""
    rng = np.random.default_rng(seed)
    lb = rng.integers(0, 256, size=(n, 2), dtype=np.uint32)
    lb[rng.random(n) < 0.1] = rng.choice([0, 255], size=2)
    cell = rng.integers(0, 65, size=n, dtype=np.uint32)
    indoor = rng.random(n) < 0.15
    cell[indoor] = rng.integers(0x100, 0x10000, size=int(indoor.sum()), dtype=np.uint32)
    ids = (lb[:, 0] << 24) | (lb[:, 1] << 16) | cell
    ids[rng.random(n) < 0.02] = 0
    xyz = rng.uniform(-300, 500, size=(n, 3)).astype(np.float32)
    inside = rng.random(n) < 0.5
    xyz[inside, :2] = rng.uniform(0, 192, size=(int(inside.sum()), 2)).astype(np.float32)
    special = np.array([0.0, -0.0, 192.0, 191.99989, 24.0, -192.0, 384.0, 1e-30], np.float32)
    pick = rng.random((n, 2)) < 0.05
    xyz[:, :2][pick] = rng.choice(special, size=int(pick.sum()))
    return ids, xyz
