#!/usr/bin/env python3
"""Writes the archive fuzzer's seed corpus (fuzz/corpus/archive) from the golden archive files.

Each golden file (a pointer record) becomes two seeds: as it is, loaded through a pointer
(first byte 0x80), and without its pointer header, loaded into a factory-made object of its
class (first byte: the class's index in archive_fuzz.cpp). A few variants add refused versions
and a record that breaks off. Run by hand when the golden files change; the seeds named
regression-* are inputs that once failed and are kept as they are.
"""
import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
GOLDEN = ROOT / "tests" / "data" / "archives"
CORPUS = ROOT / "fuzz" / "corpus" / "archive"

# The order of kPersistentClasses in tests/cntr/persistentclasses.h, by mangled class name.
CLASS_INDEX = {
    b"N13sgContourDefs12EmptyContourE": 0,
    b"N13sgContourDefs14EmptyRegionSetE": 1,
    b"N13sgContourDefs9BadParamsE": 2,
    b"N13sgContourDefs21RegionCannotBeSetOpenE": 3,
    b"9sgContour": 4,
    b"8sgRegion": 5,
    b"11sgRegionSet": 6,
    b"10sgContourTI9sgEdgeletE": 7,
    b"9sgRegionTI9sgEdgeletE": 8,
    b"12sgRegionSetTI9sgEdgeletE": 9,
}


def split_pointer_record(data):
    """The class name and the object's record of a pointer record introducing a new object."""
    assert data[0] == 2, "not a new-object pointer record"
    (length,) = struct.unpack_from("<Q", data, 1)
    name = data[9 : 9 + length]
    return name, data[9 + length :]


def main():
    CORPUS.mkdir(parents=True, exist_ok=True)
    for path in sorted(GOLDEN.glob("*.bin")):
        data = path.read_bytes()
        name, record = split_pointer_record(data)
        index = CLASS_INDEX[name]
        stem = path.stem
        (CORPUS / f"{stem}-pointer").write_bytes(b"\x80" + data)
        (CORPUS / f"{stem}-object").write_bytes(bytes([index]) + record)
        (CORPUS / f"{stem}-version").write_bytes(bytes([index, record[0] + 1]) + record[1:])
        (CORPUS / f"{stem}-truncated").write_bytes(bytes([index]) + record[: len(record) // 2])


if __name__ == "__main__":
    main()
