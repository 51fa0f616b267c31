"""Positions and map texts against the C++ tool, and the vectorised functions
against the scalar methods on the same generated positions."""

import numpy as np
import pytest

import corvane
from conftest import f32_text, generated_positions

N = 3000


@pytest.fixture(scope="module")
def inputs():
    return generated_positions(N, seed=7)


def lines_of(ids, xyz):
    return [f"0x{int(i):08X} {f32_text(x)} {f32_text(y)} {f32_text(z)}" for i, (x, y, z) in zip(ids, xyz)]


def f32(v):
    return np.float32(np.nan if v is None else v)


def same_f32(a, b):
    a, b = np.float32(a), np.float32(b)
    return (np.isnan(a) and np.isnan(b)) or a.tobytes() == b.tobytes()


@pytest.mark.parametrize("precision", [0, 1, 2, 3, 6])
def test_map_text_and_coordinates_equal_the_tool(tool, inputs, precision):
    ids, xyz = inputs
    expected = tool(["coords", "-p", str(precision)], lines_of(ids, xyz))
    assert len(expected) == N
    texts = corvane.map_text(ids, xyz, precision)
    assert texts == [e["text"] for e in expected]
    arrays = corvane.to_world_coords(ids, xyz)
    for i, e in enumerate(expected):
        assert bool(arrays.indoor[i]) == e["indoors"]
        if e["indoors"]:
            assert arrays.cell[i] == int(e["cell"], 16)
        else:
            assert same_f32(arrays.lat[i], f32(e["lat"])) and same_f32(arrays.lon[i], f32(e["lon"]))
            assert same_f32(arrays.alt[i], f32(e["alt"]))


@pytest.mark.parametrize("operation", ["rebucket", "normalize"])
def test_cell_operations_equal_the_tool(tool, inputs, operation):
    ids, xyz = inputs
    expected = tool([operation], lines_of(ids, xyz))
    function = {"rebucket": corvane.rebucket_outdoor_landblock,
                "normalize": corvane.normalize_outdoor_cell}[operation]
    new_ids, new_xyz = function(ids, xyz)
    assert new_ids.dtype == np.uint32 and new_xyz.dtype == np.float32
    for i, e in enumerate(expected):
        assert new_ids[i] == int(e["id"], 16)
        for axis, key in enumerate("xyz"):
            assert same_f32(new_xyz[i, axis], f32(e[key]))


def test_inspect_and_measure_equal_the_tool(tool, inputs):
    ids, xyz = inputs[0][:400], inputs[1][:400]
    positions = [corvane.WorldPosition(int(i), tuple(map(float, v))) for i, v in zip(ids, xyz)]
    for p, e in zip(positions, tool(["inspect"], lines_of(ids, xyz))):
        assert p.landblock_coords() == (e["landblock_x"], e["landblock_y"])
        assert p.is_indoors() == e["indoors"]
        g = p.global_coords()
        assert all(same_f32(a, f32(e[k])) for a, k in zip(g, ["world_x", "world_y", "world_z"]))
        derived = p.derived_outdoor_cell_id()
        assert (derived is None) == (e.get("derived_cell") is None)
        if derived is not None:
            assert derived == int(e["derived_cell"], 16)
        assert repr(p).split("rotation")[0] == e["debug"].split("rotation")[0]
        assert repr(p.to_world_coords()) == e["coordinates"]
    pairs = list(zip(positions[0::2], positions[1::2]))
    pair_lines = [a + " " + b for a, b in zip(lines_of(ids[0::2], xyz[0::2]), lines_of(ids[1::2], xyz[1::2]))]
    for (a, b), e in zip(pairs, tool(["measure"], pair_lines)):
        assert same_f32(a.distance_to(b), f32(e["distance"]))
        assert same_f32(a.heading_to(b), f32(e["heading_rad"]))
        assert a.landblock_chebyshev_distance_to(b) == e["landblocks"]


def test_map_texts_read_back_and_locate_as_in_the_tool(tool, inputs):
    ids, xyz = inputs[0][:600], inputs[1][:600]
    texts = corvane.map_text(ids, xyz, 1) + corvane.map_text(ids, xyz, 3) + ["bad", "Indoors [01AD]"]
    for text, e in zip(texts, tool(["locate", "-"], texts)):
        coordinates = corvane.WorldCoordinates.from_string(text)
        position = None if coordinates is None else corvane.WorldPosition.from_world_coords(coordinates)
        assert (position is None) == ("error" in e)
        if position is not None:
            assert position.landblock_id.raw == int(e["id"], 16)
            assert all(same_f32(a, f32(e[k])) for a, k in zip(position.coords, "xyz"))
    assert corvane.WorldCoordinates.from_string("bad") is None
    assert corvane.WorldCoordinates.from_string("Indoors [01AD]") == corvane.WorldCoordinates(
        corvane.WorldCoordinates.Indoor(0x1AD))


def test_vectorised_functions_equal_the_scalar_methods(inputs):
    ids, xyz = inputs
    positions = [corvane.WorldPosition(int(i), corvane.Vector3(*map(float, v))) for i, v in zip(ids, xyz)]
    for precision in (1, 4):
        assert corvane.map_text(ids, xyz, precision) == [
            p.to_world_coords().to_string_with_precision(precision) for p in positions]
    for function, method in [(corvane.rebucket_outdoor_landblock, "rebucket_outdoor_landblock"),
                             (corvane.normalize_outdoor_cell, "normalize_outdoor_cell")]:
        new_ids, new_xyz = function(ids, xyz)
        for p, i, v in zip(positions, new_ids, new_xyz):
            q = getattr(p, method)()
            assert q == corvane.WorldPosition(int(i), tuple(map(float, v)))
    # Any integer dtype whose values fit gives the same answers as uint32.
    assert corvane.map_text(ids.astype(np.int64), xyz) == corvane.map_text(ids, xyz)
    # A strided view is read as the values it shows.
    wide = np.zeros((N, 5), np.float32)
    wide[:, 1:4] = xyz
    assert corvane.map_text(ids, wide[:, 1:4]) == corvane.map_text(ids, xyz)
    # So is an array that starts at an odd address, as unpickled buffers may.
    raw = np.zeros(4 * N + 1, np.uint8)
    odd_ids = raw[1:].view(np.uint32)
    odd_ids[:] = ids
    assert not odd_ids.flags.aligned
    assert corvane.map_text(odd_ids, xyz) == corvane.map_text(ids, xyz)
    empty = corvane.to_world_coords(np.zeros(0, np.uint32), np.zeros((0, 3), np.float32))
    assert all(len(a) == 0 for a in empty)
