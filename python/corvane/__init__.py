"""The corvane_common library from Python: the same answers as the game client.

Value types (``Guid``, ``Vector3``, ``Quaternion``, ``Plane``, ``Triangle``,
``WorldPosition``, ``WorldCoordinates``) carry the C++ names, fields and
operations; ``repr()`` is the library's debug text and ``str()`` its text form;
optional results are ``None``. Arguments are single precision: Python floats
are rounded to the nearest float32, as a C++ ``float`` parameter would be.

The vocabularies are ``enum.IntEnum`` (enumerations) and ``enum.IntFlag``
(flag sets) types built at import from the library's own tables. Member names
are letter for letter, so a member that is a Python keyword is reached by
subscription: ``SpellType["None"]``.

The vectorised functions take numpy arrays: ``ids`` of shape (N,) holding
integers in 0..0xFFFFFFFF (uint32, or another integer dtype whose values fit),
``xyz`` float32 of shape (N, 3), ``values`` float32 of any shape. A conversion
that could change a value is never made silently: the wrong dtype, shape or an
id out of range raises ``TypeError`` or ``ValueError`` naming the argument.
They release the GIL while they run.
"""

from __future__ import annotations

import enum as _enum
from typing import Any, List, NamedTuple, Optional, Type, Union

import numpy as _np

from . import _corvane
from ._corvane import (
    FNV1A_OFFSET_BASIS,
    LANDBLOCK_LENGTH,
    Guid,
    Plane,
    Quaternion,
    Triangle,
    Vector3,
    WorldCoordinates,
    WorldPosition,
    is_admin_save_slot,
    is_current,
    is_max,
    is_newer_u16,
    is_newer_u32,
    is_recall_target,
    is_user_visible,
)

# ---------------------------------------------------------------------------
# Vocabularies
# ---------------------------------------------------------------------------

_TABLES = _corvane._vocabularies()
_INDEX: dict = {}  # vocabulary type -> its position in the library's lists


def _enum_str(self: Any) -> str:
    return self._name_


def _enum_format(self: Any, spec: str) -> str:
    return str(self) if not spec else int.__format__(int(self), spec)


def _flag_str(self: Any) -> str:
    return _corvane._flag_text(_INDEX[type(self)], int(self))


def _flag_bits(self: Any) -> int:
    """The raw 32-bit mask."""
    return int(self)


def _flag_contains(self: Any, other: Any) -> bool:
    """True when every bit of other is set here (true for an empty other)."""
    return (int(self) & int(_same_flags(self, other))) == int(other)


def _flag_intersects(self: Any, other: Any) -> bool:
    """True when a bit is set in both."""
    return (int(self) & int(_same_flags(self, other))) != 0


def _flag_difference(self: Any, other: Any) -> Any:
    """These bits without those of other."""
    return type(self)(int(self) & ~int(_same_flags(self, other)) & 0xFFFFFFFF)


def _flag_is_empty(self: Any) -> bool:
    """True when no bit is set."""
    return int(self) == 0


def _flag_iter_names(self: Any) -> list:
    """The named flags held, as (name, flag) pairs in the library's table order.

    A flag is listed when all its bits are held and not all of them were
    covered by flags listed before it; unnamed bits never produce a name.
    """
    cls = type(self)
    return [(n, cls(v)) for n, v in _corvane._flag_names(_INDEX[cls], int(self))]


def _flag_iter_display_names(self: Any) -> list:
    """The display names of exactly the flags iter_names lists, in order."""
    return _corvane._flag_display_names(_INDEX[type(self)], int(self))


def _flag_from_bits_retain(cls: Any, raw: int) -> Any:
    """Exactly the bits of raw, named or not."""
    return cls(_corvane._flag_names and _u32(raw, "raw"))


def _flag_from_bits_truncate(cls: Any, raw: int) -> Any:
    """raw without the bits no named flag covers."""
    return cls(_u32(raw, "raw") & _TABLES[_INDEX[cls]]["all"])


def _flag_all(cls: Any) -> Any:
    """Every named flag."""
    return cls(_TABLES[_INDEX[cls]]["all"])


def _same_flags(self: Any, other: Any) -> Any:
    if isinstance(other, type(self)):
        return other
    raise TypeError(f"expected a {type(self).__name__}, not {type(other).__name__}")


def _u32(raw: Any, name: str) -> int:
    if isinstance(raw, bool) or not hasattr(raw, "__index__"):
        raise TypeError(f"{name} must be an integer, not {type(raw).__name__}")
    value = raw.__index__()
    if not 0 <= value <= 0xFFFFFFFF:
        raise ValueError(f"{name} must be in 0..0xFFFFFFFF, got {value}")
    return value


def _build(index: int, table: dict) -> type:
    name = table["name"]
    if table["kind"] == "enumeration":
        cls = _enum.IntEnum(name, table["members"], module=__name__, qualname=name)
        cls.__str__ = _enum_str
        cls.__format__ = _enum_format
    else:
        cls = _enum.IntFlag(name, table["members"], module=__name__, qualname=name,
                            boundary=_enum.KEEP)
        cls.__str__ = _flag_str
        cls.__format__ = _enum_format
        cls.bits = _flag_bits
        cls.contains = _flag_contains
        cls.intersects = _flag_intersects
        cls.difference = _flag_difference
        cls.is_empty = _flag_is_empty
        cls.iter_names = _flag_iter_names
        cls.from_bits_retain = classmethod(_flag_from_bits_retain)
        cls.from_bits_truncate = classmethod(_flag_from_bits_truncate)
        cls.all = classmethod(_flag_all)
        if table["display_names"] is not None:
            cls.iter_display_names = _flag_iter_display_names
    cls.__doc__ = (f"The {name} vocabulary of corvane_common ({table['bits']}-bit), built from "
                   "the library's table.")
    _INDEX[cls] = index
    return cls


VOCABULARIES = tuple(_build(i, t) for i, t in enumerate(_TABLES))
"""Every vocabulary type, in the library's order."""

globals().update({cls.__name__: cls for cls in VOCABULARIES})


def _vocabulary_index(vocabulary: Any) -> int:
    try:
        return _INDEX[vocabulary]
    except (KeyError, TypeError):
        raise TypeError(f"{vocabulary!r} is not a corvane vocabulary type") from None


def from_repr(vocabulary: Any, raw: int) -> Any:
    """The member of an enumeration whose wire value is raw, or None."""
    table = _TABLES[_vocabulary_index(vocabulary)]
    if table["kind"] != "enumeration":
        raise TypeError(f"{vocabulary.__name__} is a flag set; use "
                        f"{vocabulary.__name__}.from_bits_retain(raw)")
    if isinstance(raw, bool) or not hasattr(raw, "__index__"):
        raise TypeError(f"raw must be an integer, not {type(raw).__name__}")
    return vocabulary._value2member_map_.get(raw.__index__())


def default_value(vocabulary: Any) -> Any:
    """The vocabulary's fixed Default member, or None where it fixes none."""
    default = _TABLES[_vocabulary_index(vocabulary)]["default"]
    return None if default is None else vocabulary[default]


def display_name(member: Any) -> str:
    """The player-facing name of a member, for enumerations that have them."""
    table = _TABLES[_vocabulary_index(type(member))]
    if table["kind"] != "enumeration" or table["display_names"] is None:
        raise TypeError(f"{type(member).__name__} has no display names")
    return table["display_names"][list(type(member)).index(member)]


def storage_bits(vocabulary: Any) -> int:
    """The storage width of a vocabulary's values in bits: 8, 16 or 32."""
    return _TABLES[_vocabulary_index(vocabulary)]["bits"]


def names(vocabulary: Any, raws: Any) -> List[Optional[str]]:
    """Names of many raw values at once, flattened in C order.

    For an enumeration: each value's member name, or None for a value that
    names no member. For a flag set: each mask's text form
    (``"CHEST | ABDOMEN | 0x1"``); masks must lie in 0..0xFFFFFFFF.
    """
    return _corvane._names(_vocabulary_index(vocabulary), raws)


# ---------------------------------------------------------------------------
# Fingerprints and vectorised position functions
# ---------------------------------------------------------------------------


def fingerprint_f32_bits(values: Any, canon: Any = None) -> Any:
    """Canonical 32-bit patterns of float32 values under canon (default SixDp).

    A scalar gives an int; an array (float32, any shape) gives a uint32 array
    of the same shape.
    """
    return _corvane._fingerprint_f32_bits(values, FloatCanon.SixDp if canon is None else canon)


def wire_f32_bits(values: Any) -> Any:
    """The SixDp pattern of float32 values: an int for a scalar, else a uint32 array."""
    return _corvane._wire_f32_bits(values)


def fnv1a_fold(h: int, words: Any) -> int:
    """The running FNV-1a hash h after folding one 32-bit word or a 1-D array of them."""
    return _corvane._fnv1a_fold(h, words)


def fnv1a_fold_records(words: Any, record_ends: Any = None, h: Any = FNV1A_OFFSET_BASIS) -> _np.ndarray:
    """One fingerprint per record, folded side by side: a uint64 array.

    Records are the rows of a 2-D words array, or, for 1-D words, the spans
    ending at each of record_ends (the last end is len(words)). h is the
    starting hash of every record, or a uint64 array of running hashes (one
    per record) that this fold continues.
    """
    return _corvane._fnv1a_fold_records(words, record_ends, h)


class WorldCoordsArrays(NamedTuple):
    """Map coordinates of many positions.

    Outdoor rows hold lat, lon and alt (float32) and cell 0; indoor rows hold
    NaN in lat, lon and alt, True in ``indoor`` and their cell word in ``cell``.
    """

    lat: _np.ndarray
    lon: _np.ndarray
    alt: _np.ndarray
    indoor: _np.ndarray
    cell: _np.ndarray


def to_world_coords(ids: Any, xyz: Any) -> WorldCoordsArrays:
    """WorldPosition(ids[i], xyz[i]).to_world_coords() for every row, as arrays."""
    return WorldCoordsArrays(*_corvane._to_world_coords(ids, xyz))


def map_text(ids: Any, xyz: Any, precision: int = 1) -> List[str]:
    """The map text of every position at this precision (1 is what players see)."""
    return _corvane._map_text(ids, xyz, precision)


def rebucket_outdoor_landblock(ids: Any, xyz: Any) -> tuple:
    """New (ids, xyz) arrays: every position moved into the landblock holding its offset."""
    return _corvane._rebucket_outdoor_landblock(ids, xyz)


def normalize_outdoor_cell(ids: Any, xyz: Any) -> tuple:
    """New (ids, xyz) arrays: every outdoor cell number replaced by the derived one."""
    return _corvane._normalize_outdoor_cell(ids, xyz)


__all__ = [
    "FNV1A_OFFSET_BASIS", "LANDBLOCK_LENGTH", "VOCABULARIES", "Guid", "Plane", "Quaternion",
    "Triangle", "Vector3", "WorldCoordinates", "WorldCoordsArrays", "WorldPosition",
    "default_value", "display_name", "fingerprint_f32_bits", "fnv1a_fold", "fnv1a_fold_records",
    "from_repr", "is_admin_save_slot", "is_current", "is_max", "is_newer_u16", "is_newer_u32",
    "is_recall_target", "is_user_visible", "map_text", "names", "normalize_outdoor_cell",
    "rebucket_outdoor_landblock", "storage_bits", "to_world_coords", "wire_f32_bits",
    *(cls.__name__ for cls in VOCABULARIES),
]
