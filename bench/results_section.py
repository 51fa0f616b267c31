"""Replaces one `## ` section of bench/RESULTS.md (or appends it), for the
benchmarks that run outside Google Benchmark and write their own section."""


def replace_section(path, heading, section):
    with open(path) as f:
        text = f.read()
    if heading in text:
        start = text.index(heading)
        end = text.find("\n## ", start + len(heading))
        text = text[:start] + section + (text[end + 1:] if end != -1 else "")
    else:
        text = text.rstrip("\n") + "\n\n" + section
    with open(path, "w") as f:
        f.write(text)
