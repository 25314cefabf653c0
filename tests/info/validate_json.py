#!/usr/bin/env python3
"""d88info's JSON checked against info/d88info.schema.json.

    validate_json.py SCHEMA D88INFO MAKE_WEB_IMAGES

Runs d88info --json, and --json --sectors, over files made in a scratch
folder: the images make_web_images writes (the sample, a disk of another
title, a damaged disk, disk B in every other format, the hostile walk), and
a ZIP archive, a gzip file, LZH, 7z and RAR headers, a text file, an empty
file, a folder and a missing file. Every document must be valid, and the
schema must describe every field it names. Exits 77, which ctest counts as
skipped, only when Python's jsonschema module is missing.
"""
import gzip
import io
import json
import pathlib
import subprocess
import sys
import tempfile
import zipfile

try:
    import jsonschema
except ImportError:
    print("skipped: Python's jsonschema module is missing (Debian: python3-jsonschema)")
    sys.exit(77)

OTHER_FILES = {
    "notes.txt": b"Tracks 0-153 hold 8 sectors of 1,024 bytes each.\n",
    "empty.d88": b"",
    "dump.lzh": b"\x24\x1a-lh5-" + bytes(40),
    "dump.7z": b"7z\xbc\xaf\x27\x1c" + bytes(26),
    "dump.rar": b"Rar!\x1a\x07\x01\x00" + bytes(12),
}


def write_other_files(folder):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        archive.writestr("disk.d88", bytes(1000))
    (folder / "dump.zip").write_bytes(buffer.getvalue())
    (folder / "dump.d88.gz").write_bytes(gzip.compress(bytes(1000)))
    for name, content in OTHER_FILES.items():
        (folder / name).write_bytes(content)
    (folder / "folder.d88").mkdir()


def undescribed(schema, where="#"):
    """Every property the schema names without a description."""
    found = []
    if isinstance(schema, dict):
        for name, value in schema.get("properties", {}).items():
            if "description" not in value:
                found.append(f"{where}/properties/{name}")
        # A condition names a field only to test it.
        for key, value in schema.items():
            if key != "if":
                found += undescribed(value, f"{where}/{key}")
    elif isinstance(schema, list):
        for index, value in enumerate(schema):
            found += undescribed(value, f"{where}/{index}")
    return found


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    schema = json.loads(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8"))
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    failures = [f"no description: {path}" for path in undescribed(schema)]
    with tempfile.TemporaryDirectory(prefix="d88info-schema-") as scratch:
        folder = pathlib.Path(scratch)
        subprocess.run([sys.argv[3], str(folder)], check=True)
        write_other_files(folder)
        names = sorted(path.name for path in folder.iterdir()) + ["missing.d88"]
        for options in (["--json"], ["--json", "--sectors"]):
            run = subprocess.run([sys.argv[2], *options, *names], cwd=folder,
                                 capture_output=True, check=False)
            if run.returncode != 1:
                failures.append(f"{options}: exit status {run.returncode}, not 1 (a file is missing)")
            document = json.loads(run.stdout)
            for error in validator.iter_errors(document):
                place = "/".join(str(part) for part in error.absolute_path)
                failures.append(f"{options} at {place}: {error.message[:300]}")
            print(f"{' '.join(options)}: {len(document)} files checked")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
