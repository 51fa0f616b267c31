"""The wrapper's own behaviour, as properties over generated input: numbers the
tool refuses are refused here too, flag-set values stay 32-bit masks with the
C++ operations, fields assigned through attribute access are kept, and the
limits and version are the tool's."""

import enum
import re
import subprocess

import numpy as np
import pytest
from hypothesis import given, settings, strategies as st

import corvane
from conftest import _find_tool, generated_positions
from corvane import Quaternion, Vector3, WorldCoordinates, WorldPosition

FLAG_SETS = [v for v in corvane.VOCABULARIES if issubclass(v, enum.IntFlag)]

# Doubles around the largest float and its rounding boundary, and anything else.
near_float_max = st.floats(min_value=3.4028234e38, max_value=3.4028237e38)
any_double = st.floats(allow_nan=False)


@settings(max_examples=30, deadline=None)
@given(st.lists(st.one_of(near_float_max, near_float_max.map(lambda x: -x), any_double),
                min_size=1, max_size=40))
def test_a_number_is_refused_exactly_where_the_tool_refuses_it(tool, numbers):
    # The tool reads hexadecimal floats exactly, so it sees the very double.
    answers = tool(["coords"], [f"0xDA550000 {x.hex()} 0 0" for x in numbers])
    for x, answer in zip(numbers, answers):
        refused = "error" in answer
        for make in (lambda: Vector3(x, 0, 0), lambda: WorldPosition(0xDA550000, (x, 0, 0)),
                     lambda: WorldCoordinates.Outdoor(0, x, 0), lambda: Quaternion.from_heading(x)):
            if refused:
                with pytest.raises(ValueError, match="too large for a float32"):
                    make()
            else:
                make()
        if not refused:
            assert np.float32(Vector3(x, 0, 0).x).view(np.uint32) == \
                np.float32(answer["x"] if answer["x"] is not None else np.copysign(np.inf, x)).view(np.uint32)


@settings(max_examples=200, deadline=None)
@given(st.sampled_from(FLAG_SETS), st.integers(min_value=-(1 << 40), max_value=1 << 40),
       st.integers(min_value=0, max_value=0xFFFFFFFF))
def test_flag_set_values_are_32_bit_masks_with_the_cpp_operations(flags, raw, other_raw):
    if not 0 <= raw <= 0xFFFFFFFF:
        with pytest.raises(ValueError, match=flags.__name__):
            flags(raw)
        with pytest.raises(ValueError):
            flags.from_bits_retain(raw)
        return
    a, b = flags(raw), flags(other_raw)
    assert a.bits() == raw and str(a) == corvane.names(flags, np.array([raw], np.uint32))[0]
    # The C++ definitions: contains is a superset, difference clears.
    assert a.contains(b) == (raw & other_raw == other_raw)
    assert a.intersects(b) == (raw & other_raw != 0)
    assert a.difference(b) == flags(raw & ~other_raw & 0xFFFFFFFF) and type(a.difference(b)) is flags
    assert a.is_empty() == (raw == 0)
    assert (~a).bits() == raw ^ 0xFFFFFFFF
    assert flags.from_bits_truncate(raw).bits() == raw & flags.all().bits()
    names = a.iter_names()  # never raises for a 32-bit mask
    assert all(isinstance(f, flags) and a.contains(f) for _, f in names)


def test_assigning_through_a_field_changes_the_value():
    p = WorldPosition(0xDA550000, (84, 108, 0))
    p.coords.x = 200.0
    p.rotation.w = 1.0
    p.landblock_id.raw = 0xA9B40019
    assert p == WorldPosition(0xA9B40019, (200, 108, 0), (1, 0, 0, 0))
    coords = p.coords  # a view of p's offset, alive on its own
    del p
    assert coords.x == 200.0
    c = WorldCoordinates(WorldCoordinates.Outdoor(1, 2, 3))
    c.value.lat = -33.55
    assert str(c) == "33.5S, 2.0E, 3.0Z"
    plane = corvane.Plane((0, 0, 1), 2)
    plane.normal.z = 5
    assert plane.normal == Vector3(0, 0, 5)


@settings(max_examples=100, deadline=None)
@given(st.lists(st.floats(width=32, allow_nan=False), min_size=6, max_size=6))
def test_vector_subtraction_is_single_precision_and_takes_sequences(v):
    a, b = Vector3(*v[:3]), Vector3(*v[3:])
    with np.errstate(all="ignore"):
        expected = np.float32(v[:3]) - np.float32(v[3:])
    for difference in (a - b, a - tuple(v[3:]), tuple(v[:3]) - b):
        got = np.float32(list(difference))
        # Which NaN inf - inf gives is the library's rule, not IEEE's.
        assert np.array_equal(np.isnan(got), np.isnan(expected))
        assert np.array_equal(got.view(np.uint32)[~np.isnan(got)], expected.view(np.uint32)[~np.isnan(got)])
    # The library's operator, with its rule for the NaN it creates.
    created = (Vector3(np.inf, 0, 0) - (np.inf, 0, 0)).x
    assert np.float32(created).view(np.uint32) == 0x7FC00000
    for unsupported in (lambda: a + b, lambda: a * 2, lambda: -a):
        with pytest.raises(TypeError):
            unsupported()


def test_precision_and_version_are_the_tools(tool):
    path = _find_tool()
    refusal = subprocess.run([path, "coords", "-p", "999", "0xDA550000", "84", "108", "0"],
                             capture_output=True, text=True, check=False).stderr
    limit = int(re.search(r"from 0 to (\d+)", refusal).group(1))
    ids = np.array([0xDA550000, 0x0100], np.uint32)
    xyz = np.array([[84, 108, 0], [0, 0, 0]], np.float32)
    expected = [e["text"] for e in tool(["coords", "-p", str(limit)], ["0xDA550000 84 108 0", "0x100 0 0 0"])]
    assert corvane.map_text(ids, xyz, limit) == expected
    # The default precision is the tool's, and str()'s.
    default = [e["text"] for e in tool(["coords"], ["0xDA550000 84 108 0", "0x100 0 0 0"])]
    assert corvane.map_text(ids, xyz) == default == [str(WorldPosition(int(i), tuple(map(float, v))).to_world_coords()) for i, v in zip(ids, xyz)]
    assert WorldPosition(0xDA550000, (84, 108, 0)).to_world_coords().to_string_with_precision() == default[0]
    assert WorldPosition(0xDA550000, (84, 108, 0)).to_world_coords().to_string_with_precision(limit) == expected[0]
    for call in (lambda: corvane.map_text(ids, xyz, limit + 1),
                 lambda: corvane.map_text_buffer(ids, xyz, limit + 1),
                 lambda: WorldCoordinates().to_string_with_precision(limit + 1)):
        with pytest.raises(ValueError, match=f"at most {limit}"):
            call()
    version = subprocess.run([path, "--version"], capture_output=True, text=True, check=True).stdout.split()[-1]
    assert corvane.__version__ == version


def test_map_text_buffer_holds_the_texts_of_map_text():
    ids, xyz = generated_positions(2000, seed=13)
    for precision in (0, 1, 7):
        text, ends = corvane.map_text_buffer(ids, xyz, precision)
        starts = [0, *map(int, ends[:-1])]
        assert [text[s:e].tobytes().decode() for s, e in zip(starts, map(int, ends))] == \
            corvane.map_text(ids, xyz, precision)
