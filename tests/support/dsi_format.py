"""An independent reader and writer of the backup file (.dsi) for the tests.

  dsi_format.py write OUT [--wide] [--index N] PATH=CONTENTFILE ...
  dsi_format.py read IN [--plain-only]      prints the entries as JSON

Plain layout: per entry <H path length, path (cp1252), <H content length, content; then
<i index of the last entry. Wide layout: the same with <I lengths and <i minus the number
of entries.
"""
import json
import struct
import sys


def write(out, entries, wide, index):
    length = "<I" if wide else "<H"
    data = b""
    for path, content in entries:
        raw = path.encode("cp1252")
        data += struct.pack(length, len(raw)) + raw + struct.pack(length, len(content)) + content
    if index is None:
        index = -len(entries) if wide else len(entries) - 1
    with open(out, "wb") as f:
        f.write(data + struct.pack("<i", index))


def read(path, plain_only):
    data = open(path, "rb").read()
    if len(data) < 4:
        sys.exit("too short")
    (index,) = struct.unpack("<i", data[-4:])
    if index < 0 and plain_only:
        sys.exit("negative index")
    wide = index < 0
    count = -index if wide else index + 1
    length, size = ("<I", 4) if wide else ("<H", 2)
    pos, end, entries = 0, len(data) - 4, []
    for _ in range(count):
        fields = []
        for _ in range(2):
            if pos + size > end:
                sys.exit("entry past the end")
            (n,) = struct.unpack(length, data[pos:pos + size])
            pos += size
            if pos + n > end:
                sys.exit("entry past the end")
            fields.append(data[pos:pos + n])
            pos += n
        entries.append({"path": fields[0].decode("cp1252"), "content": fields[1].hex()})
    if pos != end:
        sys.exit("bytes after the last entry")
    print(json.dumps({"layout": "wide" if wide else "plain", "entries": entries}))


if __name__ == "__main__":
    command, target, rest = sys.argv[1], sys.argv[2], sys.argv[3:]
    if command == "read":
        read(target, "--plain-only" in rest)
    else:
        wide = "--wide" in rest
        index = int(rest[rest.index("--index") + 1]) if "--index" in rest else None
        pairs = [a.split("=", 1) for a in rest if "=" in a]
        write(target, [(p, open(f, "rb").read()) for p, f in pairs], wide, index)
