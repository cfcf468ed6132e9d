#!/usr/bin/env python3
"""quillbey-cli scan --recursive and --csv, run as a user would.

A tree with nested folders, names differing in case, a link loop, an
unreadable folder and 1,000 folders of 10 images: every image comes once, a
folder's own images first (upper-cased name order), then its subfolders depth
first in the same order; the unreadable folder is reported and the exit code
is 1 after all output. The CSV output parses back with the csv module to the
values of the JSON output.

Usage: walk_and_csv_test.py QUILLBEY_CLI
"""

import csv
import io
import json
import os
import subprocess
import sys
import tempfile


def image(title):
    header = bytearray(512)
    header[0xA0:0xA0 + len(title)] = title.encode()
    header[0xAC:0xB0] = b"QWTE"
    header[0xB2] = 0x96
    return bytes(header)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def build_tree(top):
    """Writes the tree; returns the (folder, name) pairs in the expected order."""
    layout = {
        "": ["b.gba", "A.gba", "c, \"q\".gba", "line\nbreak.gba"],
        "zeta": ["z1.agb"],
        "Alpha": ["a2.bin", "a1.gba"],
        "Alpha/deep": ["x.gba"],
        "Alpha/deep/deeper": ["y.GBA"],
        "many": [],
    }
    for n in range(1000):
        layout[f"many/f{n:04d}"] = [f"r{k}.gba" for k in range(10)]
    for folder, names in layout.items():
        for name in names:
            write(os.path.join(top, folder, name), image(name[:12]))
    os.makedirs(os.path.join(top, "many"), exist_ok=True)
    os.symlink("..", os.path.join(top, "Alpha", "loop"))  # never followed
    locked = os.path.join(top, "Locked")
    write(os.path.join(locked, "hidden.gba"), image("HIDDEN"))
    os.chmod(locked, 0)

    def walk(folder):
        order = [(folder, n) for n in sorted(layout.get(folder, []), key=str.upper)]
        subs = sorted({f.split("/")[-1] for f in layout
                       if f and "/".join(f.split("/")[:-1]) == folder}, key=str.upper)
        for sub in subs:
            order += walk(f"{folder}/{sub}" if folder else sub)
        return order

    return walk("")


def run(cli, *args):
    # Without the capabilities that let root read any folder, so that the
    # unreadable folder is unreadable to root as well.
    prefix = ["setpriv", "--bounding-set", "-dac_override,-dac_read_search"] \
        if os.geteuid() == 0 else []
    return subprocess.run(prefix + [cli, *args], capture_output=True, check=False)


def flattened(entry):
    """A JSON entry as CSV text cells: details flattened, as the JSON writes values."""
    cells = {}
    for key, value in entry.items():
        if key == "details":
            for name, text in value.items():
                cells["details_" + name if name in entry else name] = text
        else:
            cells[key] = json.dumps(value) if not isinstance(value, str) else value
    return cells


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as top:
        expected = build_tree(top)
        result = run(cli, "scan", "--recursive", "--json", top)
        assert result.returncode == 1, result
        assert b"Locked" in result.stderr and result.stderr.count(b"\n") == 1, result.stderr
        entries = json.loads(result.stdout)["entries"]
        got = [(e["folder"], e["display_name"]) for e in entries]
        assert got == expected, "walk order differs"
        assert sorted(e["index"] for e in entries) == list(range(len(entries)))

        result = run(cli, "scan", "-r", "--csv", top)
        assert result.returncode == 1
        rows = list(csv.DictReader(io.StringIO(result.stdout.decode("utf-8"), newline="")))
        assert rows == [flattened(e) for e in entries], "CSV and JSON differ"
        os.chmod(os.path.join(top, "Locked"), 0o700)
    print(f"{len(expected)} images walked in order; CSV matches JSON")


if __name__ == "__main__":
    main()
