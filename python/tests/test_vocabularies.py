"""Every vocabulary member both ways and flag masks, against the C++ tool."""

import enum

import numpy as np
import pytest

import corvane



def enumerations():
    return [v for v in corvane.VOCABULARIES if not issubclass(v, enum.IntFlag)]


def flag_sets():
    return [v for v in corvane.VOCABULARIES if issubclass(v, enum.IntFlag)]


def test_the_vocabulary_list_is_the_tools(tool):
    listed = {e["vocabulary"]: e for e in tool(["enum"])}
    assert sorted(listed) == sorted(v.__name__ for v in corvane.VOCABULARIES)
    for vocabulary in corvane.VOCABULARIES:
        entry = listed[vocabulary.__name__]
        assert entry["bits"] == corvane.storage_bits(vocabulary)
        if entry["kind"] == "enumeration":
            assert entry["members"] == len(vocabulary)
            default = corvane.default_value(vocabulary)
            assert entry.get("default") == (None if default is None else default.name)


@pytest.mark.parametrize("vocabulary", enumerations(), ids=lambda v: v.__name__)
def test_every_member_both_ways(tool, vocabulary):
    members = list(vocabulary)
    # value -> name and name -> value, as the tool resolves them
    by_value = tool(["enum", vocabulary.__name__, "-"], [str(int(m)) for m in members])
    by_name = tool(["enum", vocabulary.__name__, "-"], [m.name for m in members])
    assert [(e["value"], e["name"]) for e in by_value] == [(int(m), m.name) for m in members]
    assert [(e["value"], e["name"]) for e in by_name] == [(int(m), m.name) for m in members]
    for m in members:
        assert corvane.from_repr(vocabulary, int(m)) is m
        assert vocabulary[m.name] is m and str(m) == m.name
    # The numbers around each member that name none give None, as in the tool.
    limit = (1 << corvane.storage_bits(vocabulary)) - 1
    probes = sorted({v for m in members for v in (int(m) - 1, int(m) + 1) if 0 <= v <= limit}
                    | {0, limit})
    answers = tool(["enum", vocabulary.__name__, "-"], [str(v) for v in probes])
    for raw, e in zip(probes, answers):
        member = corvane.from_repr(vocabulary, raw)
        assert (member is None) == ("error" in e)
        assert member is None or member.name == e["name"]
    assert corvane.names(vocabulary, np.array(probes, np.uint64)) == [
        None if "error" in e else e["name"] for e in answers]


@pytest.mark.parametrize("vocabulary", flag_sets(), ids=lambda v: v.__name__)
def test_flag_masks_decode_as_in_the_tool(tool, vocabulary):
    rng = np.random.default_rng(5)
    everything = int(vocabulary.all())
    masks = [0, everything, 0xFFFFFFFF] + [int(f) for f in vocabulary] \
        + [int(m) & everything for m in rng.integers(0, 1 << 32, 200, dtype=np.uint64)] \
        + [int(m) for m in rng.integers(0, 1 << 32, 50, dtype=np.uint64)]
    expected = tool(["flags", vocabulary.__name__, "-"], [f"0x{m:X}" for m in masks])
    for mask, e in zip(masks, expected):
        flags = vocabulary.from_bits_retain(mask)
        assert flags.bits() == mask == int(e["mask"], 16)
        assert [n for n, _ in flags.iter_names()] == e["names"]
        covered = 0
        for _, f in flags.iter_names():
            covered |= int(f)
        assert mask & ~covered == int(e.get("unnamed", "0x0"), 16)
        if "display_names" in e:
            assert flags.iter_display_names() == e["display_names"]
        assert int(vocabulary.from_bits_truncate(mask)) == mask & everything
    texts = corvane.names(vocabulary, np.array(masks, np.uint32))
    assert texts == [str(vocabulary.from_bits_retain(m)) for m in masks]
