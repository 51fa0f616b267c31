"""Fingerprints of generated float bit patterns against the C++ tool."""

import numpy as np
import pytest

import corvane


def generated_floats(n, seed):
    """Bit patterns from every class: random patterns (NaN payloads,
    subnormals, huge values), small magnitudes where SixDp rounds, +-0, the
    six-decimal halfway cases and the extremes."""
    rng = np.random.default_rng(seed)
    bits = rng.integers(0, 1 << 32, n, dtype=np.uint64).astype(np.uint32)
    small = rng.uniform(-20, 20, n // 2).astype(np.float32).view(np.uint32)
    tiny = rng.uniform(-2e-6, 2e-6, n // 8).astype(np.float32).view(np.uint32)
    fixed = np.array([0, 0x80000000, 0x7F800000, 0xFF800000, 0x7FC00000, 0xFFC00001, 1,
                      0x7F7FFFFF, 0x3C000000, 0x3F3504F4, 0x3F9E0652], np.uint32)
    return np.concatenate([fixed, bits, small, tiny]).view(np.float32)


@pytest.mark.parametrize("canon", ["sixdp", "lossless"])
def test_canonical_bits_and_folds_equal_the_tool(tool, canon):
    values = generated_floats(1200, seed=11)
    member = {"sixdp": corvane.FloatCanon.SixDp, "lossless": corvane.FloatCanon.Lossless}[canon]
    bits = values.view(np.uint32)
    records = bits[: len(bits) // 4 * 4].reshape(-1, 4)
    lines = [" ".join(f"bits:0x{b:08X}" for b in row) for row in records]
    expected = tool(["fingerprint", "--canon", canon, "--explain"], lines)
    words = corvane.fingerprint_f32_bits(values, member)
    assert words.dtype == np.uint32 and words.shape == values.shape
    tool_words = np.array([int(w["word"], 16) for e in expected for w in e["words"]], np.uint32)
    assert np.array_equal(words[: len(tool_words)], tool_words)
    # The many-records fold: one fingerprint per row, each from the offset basis.
    folded = corvane.fnv1a_fold_records(words[: len(tool_words)].reshape(-1, 4))
    assert [int(h) for h in folded] == [int(e["fingerprint"], 16) for e in expected]
    # One fold over everything equals the running hash of the tool's last row
    # continued; and the scalar forms agree with the arrays.
    h = corvane.FNV1A_OFFSET_BASIS
    for w in words[:64]:
        h = corvane.fnv1a_fold(h, int(w))
    assert h == corvane.fnv1a_fold(corvane.FNV1A_OFFSET_BASIS, words[:64])
    assert [corvane.fingerprint_f32_bits(np.float32(v), member) for v in values[:300]] == list(words[:300])
    if member == corvane.FloatCanon.SixDp:
        assert np.array_equal(corvane.wire_f32_bits(values), words)
        assert np.array_equal(corvane.fingerprint_f32_bits(values), words)


def test_arrays_of_any_shape_keep_their_shape():
    values = generated_floats(64, seed=3)[:60].reshape(3, 4, 5)
    out = corvane.fingerprint_f32_bits(values, corvane.FloatCanon.Lossless)
    assert out.shape == (3, 4, 5)
    assert np.array_equal(out.ravel(), corvane.fingerprint_f32_bits(values.ravel(), 1))
    raw = np.zeros(4 * 60 + 3, np.uint8)
    odd = raw[3:].view(np.float32).reshape(3, 4, 5)
    odd[...] = values
    assert not odd.flags.aligned and np.array_equal(corvane.fingerprint_f32_bits(odd, 1), out)
    assert corvane.fnv1a_fold(0, raw[3:].view(np.uint32)) == corvane.fnv1a_fold(0, values.view(np.uint32).ravel())
    strided = values[:, ::2, :]
    assert np.array_equal(corvane.wire_f32_bits(strided), corvane.wire_f32_bits(strided.copy()))


def test_ragged_records_and_running_hashes_equal_the_tool(tool):
    rng = np.random.default_rng(17)
    words = rng.integers(0, 1 << 32, 600, dtype=np.uint64).astype(np.uint32)
    ends = np.unique(np.concatenate([rng.integers(0, 600, 80), [0, 0, 600]]))
    ends = np.concatenate([[0], ends])  # an empty first record, then ragged ones
    starts = np.concatenate([[0], ends[:-1]])
    lines = [" ".join(f"u:{w}" for w in words[a:b]) or "#" for a, b in zip(starts, ends)]
    non_empty = [i for i, (a, b) in enumerate(zip(starts, ends)) if b > a]
    expected = tool(["fingerprint"], [lines[i] for i in non_empty])
    folded = corvane.fnv1a_fold_records(words, ends)
    assert folded[0] == corvane.FNV1A_OFFSET_BASIS
    assert [int(folded[i]) for i in non_empty] == [int(e["fingerprint"], 16) for e in expected]
    # Folding the first part of every record and then continuing from those
    # running hashes gives the whole records' fingerprints.
    rows = words[:600].reshape(100, 6)
    head = corvane.fnv1a_fold_records(rows[:, :2])
    assert np.array_equal(corvane.fnv1a_fold_records(rows[:, 2:], h=head),
                          corvane.fnv1a_fold_records(rows))
