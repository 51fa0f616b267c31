"""Bad input of each kind gives a clear error naming the argument and the fix."""

import numpy as np
import pytest

import corvane

IDS = np.array([0xDA550000, 0x100], np.uint32)
XYZ = np.array([[84, 108, 0], [0, 0, 0]], np.float32)

POSITION_FUNCTIONS = [corvane.map_text, corvane.to_world_coords,
                      corvane.rebucket_outdoor_landblock, corvane.normalize_outdoor_cell]


@pytest.mark.parametrize("function", POSITION_FUNCTIONS, ids=lambda f: f.__name__)
@pytest.mark.parametrize("ids, xyz, error, words", [
    (IDS, XYZ.astype(np.float64), TypeError, ["xyz", "float64", ".astype(np.float32)"]),
    (IDS, XYZ.astype(np.int32), TypeError, ["xyz", "int32", ".astype(np.float32)"]),
    (IDS, XYZ.astype(">f4"), TypeError, ["xyz", "byte order"]),
    (np.array([-1, 5]), XYZ, ValueError, ["ids[0]", "-1", "0xFFFFFFFF"]),
    (np.array([1, 1 << 32], np.int64), XYZ, ValueError, ["ids[1]", "4294967296"]),
    (np.array([1, 2 ** 64 - 1], np.uint64), XYZ, ValueError, ["ids[1]"]),
    (IDS.astype(np.float64), XYZ, TypeError, ["ids", "float64", "uint32"]),
    (IDS.reshape(2, 1), XYZ, ValueError, ["ids", "1 dimension", "(2, 1)"]),
    (IDS, XYZ[:1], ValueError, ["xyz", "(2, 3)", "(1, 3)"]),
    (IDS, XYZ[:, :2], ValueError, ["xyz", "(2, 3)", "(2, 2)"]),
    (IDS, XYZ.ravel(), ValueError, ["xyz", "(2, 3)", "(6,)"]),
    (["a", "b"], XYZ, TypeError, ["ids"]),
])
def test_bad_arrays_are_refused(function, ids, xyz, error, words):
    with pytest.raises(error) as raised:
        function(ids, xyz)
    for word in words:
        assert word in str(raised.value)


@pytest.mark.parametrize("call, error, words", [
    (lambda: corvane.fingerprint_f32_bits(np.zeros(3)), TypeError, ["values", ".astype(np.float32)"]),
    (lambda: corvane.wire_f32_bits(np.zeros(3, np.float16)), TypeError, ["values", "float16"]),
    (lambda: corvane.fingerprint_f32_bits(1.0, 7), ValueError, ["canon"]),
    (lambda: corvane.fingerprint_f32_bits("1.0"), TypeError, ["values"]),
    (lambda: corvane.fnv1a_fold(-1, 0), ValueError, ["h"]),
    (lambda: corvane.fnv1a_fold(0, 1 << 32), ValueError, ["words"]),
    (lambda: corvane.fnv1a_fold(0, np.array([-1])), ValueError, ["words[0]"]),
    (lambda: corvane.fnv1a_fold_records(np.zeros(4, np.uint32)), ValueError, ["record_ends"]),
    (lambda: corvane.fnv1a_fold_records(np.zeros(4, np.uint32), [3, 2, 4]), ValueError, ["record_ends[1]"]),
    (lambda: corvane.fnv1a_fold_records(np.zeros(4, np.uint32), [2, 3]), ValueError, ["len(words) = 4"]),
    (lambda: corvane.fnv1a_fold_records(np.zeros((2, 2), np.uint32), h=np.zeros(3, np.uint64)), TypeError, ["h", "one running hash per record"]),
    (lambda: corvane.fnv1a_fold_records(np.zeros((2, 2, 2), np.uint32)), ValueError, ["words", "1 dimension"]),
    (lambda: corvane.map_text(IDS, XYZ, -1), ValueError, ["precision"]),
    (lambda: corvane.map_text(IDS, XYZ, 1.5), TypeError, ["precision"]),
    (lambda: corvane.WorldPosition(-1), ValueError, ["landblock_id"]),
    (lambda: corvane.WorldPosition(1 << 32), ValueError, ["landblock_id"]),
    (lambda: corvane.WorldPosition(1.5), TypeError, ["landblock_id"]),
    (lambda: corvane.WorldPosition(1, (1, 2)), TypeError, ["coords", "3 numbers", "length 2"]),
    (lambda: corvane.WorldPosition(1, (1, 2, "x")), TypeError, ["coords[2]"]),
    (lambda: corvane.WorldPosition(1, (1, 2, 3), (1, 0, 0)), TypeError, ["rotation", "4 numbers", "length 3"]),
    (lambda: corvane.Guid(True), TypeError, ["raw"]),
    (lambda: corvane.Guid(5) >> 32, ValueError, ["rhs"]),
    (lambda: corvane.WorldCoordinates.Indoor(0x10000), ValueError, ["landblock"]),
    (lambda: corvane.WorldCoordinates(5), TypeError, ["Indoor", "Outdoor"]),
    (lambda: corvane.is_newer_u16(0x10000, 0), ValueError, ["candidate"]),
    (lambda: corvane.from_repr(corvane.SpellType, "3"), TypeError, ["raw"]),
    (lambda: corvane.from_repr(corvane.CoverageMask, 3), TypeError, ["from_bits_retain"]),
    (lambda: corvane.from_repr(int, 3), TypeError, ["vocabulary"]),
    (lambda: corvane.names(corvane.SpellType, np.zeros(2)), TypeError, ["integers"]),
    (lambda: corvane.names(corvane.CoverageMask, np.array([-1])), ValueError, ["raws[0]"]),
    (lambda: corvane.is_max(99), ValueError, ["PropertyAttribute2nd"]),
    (lambda: corvane.CoverageMask.CHEST.contains(corvane.ItemType(1)), TypeError, ["CoverageMask"]),
])
def test_bad_scalars_are_refused(call, error, words):
    with pytest.raises(error) as raised:
        call()
    for word in words:
        assert word in str(raised.value)
