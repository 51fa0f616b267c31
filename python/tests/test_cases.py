"""The shared case tables under tests/cases/, which the C++ library, the tool
and the map page answer too: Python must give the table's answer on every case."""

import json
from pathlib import Path

import numpy as np
import pytest

import corvane
from corvane import WorldCoordinates, WorldPosition

CASES = json.loads((Path(__file__).resolve().parents[2] / "tests" / "cases" / "map_text.json")
                   .read_text(encoding="utf-8"))["cases"]


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
