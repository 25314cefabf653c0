#!/usr/bin/env python3
"""d88info's JSON checked against info/d88info.schema.json.

    validate_json.py SCHEMA D88INFO MAKE_WEB_IMAGES

Runs d88info --json, with and without --sectors, over the images
make_web_images writes (the sample, a disk of another title, a damaged disk,
disk B in every other format and as flux), archives, a text file, an empty file, a
folder and a missing file. Exits 77 (skipped) only without Python's
jsonschema.
"""
import gzip
import json
import pathlib
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("skipped: Python's jsonschema module is missing (Debian: python3-jsonschema)")
    sys.exit(77)

OTHER_FILES = {
    "dump.zip": b"PK\x03\x04\x14\x00" + bytes(40),
    "dump.d88.gz": gzip.compress(bytes(1000)),
    "dump.lzh": b"\x24\x1a-lh5-" + bytes(40),
    "dump.7z": b"7z\xbc\xaf\x27\x1c" + bytes(26),
    "dump.rar": b"Rar!\x1a\x07\x01\x00" + bytes(12),
    "notes.txt": b"Tracks 0-153 hold 8 sectors of 1,024 bytes each.\n",
    "empty.d88": b"",
}


def undescribed(schema, where="#"):
    """The places of properties the schema names without a description."""
    found = []
    if isinstance(schema, dict):
        found += [f"{where}/properties/{name}" for name, value in
                  schema.get("properties", {}).items() if "description" not in value]
        # A condition names a field only to test it.
        for key, value in schema.items():
            found += undescribed(value, f"{where}/{key}") if key != "if" else []
    elif isinstance(schema, list):
        for index, value in enumerate(schema):
            found += undescribed(value, f"{where}/{index}")
    return found


def described(error):
    """Where and why, from the branch of a oneOf that got furthest in."""
    while error.context:
        error = max(error.context, key=lambda branch: len(branch.absolute_path))
    return f"at {'/'.join(map(str, error.absolute_path))}: {error.message[:300]}"


def main():
    schema_path, d88info, make_images = sys.argv[1:]
    schema = json.loads(pathlib.Path(schema_path).read_text(encoding="utf-8"))
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    failures = [f"no description: {place}" for place in undescribed(schema)]
    with tempfile.TemporaryDirectory(prefix="d88info-schema-") as scratch:
        folder = pathlib.Path(scratch)
        subprocess.run([make_images, str(folder)], check=True)
        for name, content in OTHER_FILES.items():
            (folder / name).write_bytes(content)
        (folder / "folder.d88").mkdir()
        names = sorted(path.name for path in folder.iterdir()) + ["missing.d88"]
        for options in (["--json"], ["--json", "--sectors"]):
            run = subprocess.run([d88info, *options, *names], cwd=folder, capture_output=True,
                                 check=False)
            document = json.loads(run.stdout)
            failures += [f"{options} {described(error)}" for error in validator.iter_errors(document)]
            print(f"{' '.join(options)}: {len(document)} files checked, exit status "
                  f"{run.returncode}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
