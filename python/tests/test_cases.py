"""The shared case tables under tests/cases/, which the C++ library, the tool
and the map page answer too: Python must give the table's answer on every case."""

import json
import math
from pathlib import Path

import numpy as np
import pytest

import corvane
from corvane import Guid, WorldCoordinates, WorldPosition

CASES_DIR = Path(__file__).resolve().parents[2] / "tests" / "cases"
CASES = json.loads((CASES_DIR / "map_text.json").read_text(encoding="utf-8"))["cases"]
SAME_POINT = json.loads((CASES_DIR / "same_point.json").read_text(encoding="utf-8"))["cases"]


def bits(value):
    return np.float32(value).view(np.uint32)


@pytest.mark.parametrize("case", CASES, ids=[repr(c["text"]) for c in CASES])
def test_map_text_reads_and_locates_as_the_table_says(case):
    parsed = WorldCoordinates.parse(case["text"])
    assert (WorldCoordinates.from_string(case["text"]) is None) == ("error" in case)
    if "error" in case:
        expected = case["error"]
        assert parsed.coordinates is None and parsed.error is not None
        assert (parsed.error.reason, parsed.error.offset) == (expected["reason"], expected["offset"])
        assert str(parsed.error) == parsed.error.message() == \
            f"{expected['part']}: {expected['reason']} (at character {expected['offset'] + 1})"
        return
    assert parsed.error is None
    coordinates = parsed.coordinates
    assert coordinates == WorldCoordinates.from_string(case["text"])
    if "indoor" in case:
        assert coordinates.indoor() == WorldCoordinates.Indoor(int(case["indoor"], 16))
    else:
        outdoor = coordinates.outdoor()
        assert [bits(getattr(outdoor, k)) for k in ("lat", "lon", "alt")] == \
            [bits(case[k]) for k in ("lat", "lon", "alt")]
        assert (parsed.lat_precision, parsed.lon_precision) == \
            (case["lat_precision"], case["lon_precision"])
    located = WorldPosition.from_world_coords(coordinates)
    if case["located"] is None:
        assert located is None
    else:
        expected = case["located"]
        assert located.landblock_id.raw == int(expected["id"], 16)
        assert [bits(v) for v in located.coords] == [bits(expected[k]) for k in "xyz"]
        assert located.rotation == corvane.Quaternion.identity()


def position(text):
    """'ID X Y Z' as the table writes it. Each offset goes through a double to
    float32, which is the float nearest the text unless the double falls on a
    midpoint between two floats: checked, so a new case cannot mislead."""
    landblock, *offsets = text.split()
    values = [float(v) for v in offsets]
    for v in values:
        nearest = np.float32(v)
        if math.isfinite(v) and float(nearest) != v:
            beyond = np.nextafter(nearest, np.float32(math.inf if v > float(nearest) else -math.inf))
            assert abs(v - float(nearest)) != abs(float(beyond) - v), f"{text}: {v} is a float32 midpoint"
    return WorldPosition(Guid(int(landblock, 0)), values)


@pytest.mark.parametrize("case", SAME_POINT, ids=[f"{c['from']} -> {c['to']}" for c in SAME_POINT])
def test_heading_between_positions_as_the_table_says(case):
    heading = position(case["from"]).heading_to(position(case["to"]))
    assert f"0x{int(bits(heading)):08X}" == case["heading"]
