"""The value types as Python values: text, equality, hashing, pickling and
optional results, checked against the library's own answers."""

import math
import pickle

import numpy as np

import corvane
from corvane import (Guid, Plane, Quaternion, Triangle, Vector3, WorldCoordinates,
                     WorldPosition)

VALUES = [
    Guid(0xA9B40019),
    Vector3(1.0, -2.5, 0.1),
    Quaternion.from_heading(1.25),
    Plane.from_triangle((0, 0, 2), (1, 0, 2), (0, 1, 2)),
    Triangle((0, 0, 0), (4, 0, 4), (0, 4, 0)),
    WorldPosition(0xA9B40019, (84, 7.1, 94), Quaternion.identity()),
    WorldCoordinates(WorldCoordinates.Outdoor(-33.55, 72.75, 0.0)),
    WorldCoordinates(WorldCoordinates.Indoor(0x1AD)),
    WorldCoordinates.Indoor(0x100),
    WorldCoordinates.Outdoor(1.5, 2.5, -3.0),
]


def test_pickle_copy_and_text_round_trip():
    for value in VALUES:
        again = pickle.loads(pickle.dumps(value))
        assert again == value and type(again) is type(value)
        assert repr(again) == repr(value) and str(again) == str(value)
        assert again != object()
    for member in [corvane.SpellType["None"], corvane.CoverageMask(0x1C01), corvane.FloatCanon.Lossless]:
        assert pickle.loads(pickle.dumps(member)) is member or pickle.loads(pickle.dumps(member)) == member


def test_hashing_where_the_library_hashes():
    assert len({Guid(7), Guid(7), Guid(8)}) == 2
    assert hash(Guid(7)) == hash(Guid(7))
    for unhashable in VALUES[1:]:
        assert type(unhashable).__hash__ is None


def test_equality_is_single_precision_equality():
    nan = float("nan")
    assert Vector3(0.0, 0, 0) == Vector3(-0.0, 0, 0)
    assert Vector3(nan, 0, 0) != Vector3(nan, 0, 0)
    assert WorldCoordinates.Outdoor(nan, 0, 0) != WorldCoordinates.Outdoor(nan, 0, 0)
    # Python floats are rounded to float32 on the way in, as a C++ float is.
    assert Vector3(0.1, 0, 0).x == float(np.float32(0.1))
    assert Vector3(0.1, 0, 0) == Vector3(float(np.float32(0.1)), 0, 0)


def test_optional_results_are_none_and_guid_operators_give_ints():
    assert Plane.from_triangle((0, 0, 0), (1, 0, 0), (2, 0, 0)) is None
    vertical = Triangle((0, 0, 0), (2, 0, 0), (0, 0, 3))
    assert vertical.plane() is not None and vertical.z_at_xy(1, 0) is None
    assert WorldPosition(0, (1, 2, 3)).derived_outdoor_cell_id() is None
    assert WorldPosition(0).landblock_chebyshev_distance_to(WorldPosition(0x01010000)) is None
    g = Guid(0xA9B40019)
    assert (g >> 24, g >> 16, g & 0xFFFF, int(g)) == (0xA9, 0xA9B4, 0x19, 0xA9B40019)
    assert WorldCoordinates().indoor() == WorldCoordinates.Indoor(0)
    outdoor = WorldPosition(0xDA550000, (84, 108, 0)).to_world_coords()
    assert outdoor.indoor() is None and outdoor.value == outdoor.outdoor()
    m = Quaternion.from_heading(0.5).to_rotation_matrix()
    assert len(m) == 9 and Quaternion.from_rotation_matrix(m).to_rotation_matrix() == \
        pytest_approx(m)


def pytest_approx(values):
    import pytest
    return pytest.approx(values, abs=1e-6)


def test_flag_set_operations_follow_the_library():
    cm = corvane.CoverageMask
    chest, head = cm["CHEST"], cm["HEAD"]
    both = chest | head
    assert both.contains(chest) and not chest.contains(both) and both.contains(cm(0))
    assert both.intersects(head) and not chest.intersects(head) and not cm(0).intersects(cm(0))
    assert both.difference(head) == chest and cm(0).is_empty()
    assert int(cm.from_bits_retain(0x1)) == 1 and int(cm.from_bits_truncate(0x1)) == 0
    assert corvane.display_name(list(corvane.EmoteCategory)[1])
    assert f"{corvane.SpellType['None']}" == "None" and f"{corvane.SpellType.Boost:d}" == "3"


def test_scalars_and_angles_are_float32():
    h = Vector3(0, 0, 0).heading_to(Vector3(1, 0, 0))
    assert float(np.float32(h)) == h and math.isclose(h, math.pi, abs_tol=1e-6)
    assert Quaternion().to_heading() == float(np.float32(math.pi / 2))


def test_stubs_are_the_modules_and_declare_every_public_name():
    import ast
    from pathlib import Path
    from corvane import _stubgen
    # The stub in the repository is what the module declares today; after a
    # change to the bindings, regenerate it (see corvane._stubgen).
    checked_in = Path(__file__).resolve().parents[1] / "corvane" / "__init__.pyi"
    assert _stubgen.package_stub() == checked_in.read_text(encoding="utf-8")
    package = Path(corvane.__file__).parent
    declared = set()
    for stub in ["__init__.pyi", "_vocabularies.pyi"]:
        for node in ast.walk(ast.parse((package / stub).read_text())):
            if isinstance(node, (ast.ClassDef, ast.FunctionDef)):
                declared.add(node.name)
            elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
                declared.add(node.target.id)
    public = set(corvane.__all__)
    assert public - declared == set()
    for function in [getattr(corvane, n) for n in public]:
        assert callable(function) is False or function.__doc__
