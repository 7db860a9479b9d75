#!/usr/bin/env python3
"""Publishes an app with nimbo-publish.exe under Wine and checks the result with Python's own
readers: every served archive with zipfile, deploylist.ini with configparser, apprun.json with json.
Usage: check_with_zipfile.py <winerun> <nimbo-publish.exe>"""
import configparser
import io
import json
import os
import random
import subprocess
import sys
import tempfile
import zipfile


def windows_path(path):
    return subprocess.run(["winepath", "-w", path], check=True, capture_output=True, text=True).stdout.strip()


def main():
    winerun, exe = sys.argv[1], sys.argv[2]
    rng = random.Random(5)
    failures = []
    with tempfile.TemporaryDirectory() as work:
        src = os.path.join(work, "src")
        files = {
            "App.exe": b"MZ program",
            "empty.txt": b"",
            "bin/core.dll": bytes(rng.getrandbits(8) for _ in range(200000)),
            "text/log.txt": b"a line of text\r\n" * 20000,
            "docs/\u00fcbersicht.txt": "non-ASCII name".encode(),
            "assets/a.txt": b"packed a",
            "assets/deep/b.bin": bytes(rng.getrandbits(8) for _ in range(3000)),
        }
        for rel, data in files.items():
            path = os.path.join(src, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        description = os.path.join(work, "app.json")
        with open(description, "w") as f:
            json.dump({"AppName": "Sales", "Version": "3.0", "StartupFile": "App.exe", "RuntimeVersion": "1.0",
                       "Packages": [{"Name": "assets.zip", "Content": ["assets"]}]}, f)
        dep = os.path.join(work, "dep")
        run = subprocess.run([winerun, exe, "app", "--description", windows_path(description), "--source",
                              windows_path(src), "--deployment", windows_path(dep)], capture_output=True)
        if run.returncode != 0:
            print(run.stdout.decode(errors="replace"), run.stderr.decode(errors="replace"))
            return 1

        version = os.path.join(dep, "Sales", "3.0")
        for rel, data in files.items():
            if rel.startswith("assets/"):
                continue
            archive = os.path.join(version, rel + ".zip")
            with zipfile.ZipFile(archive) as z:
                if z.testzip() is not None:
                    failures.append(f"{rel}: bad CRC")
                names = z.namelist()
                if names != [os.path.basename(rel)]:
                    failures.append(f"{rel}: holds {names}")
                elif z.read(names[0]) != data:
                    failures.append(f"{rel}: content differs")
                info = z.infolist()[0]
                if not rel.isascii() and not info.flag_bits & 0x800:
                    failures.append(f"{rel}: UTF-8 flag missing")
        with zipfile.ZipFile(os.path.join(version, "assets.zip.zip")) as outer:
            inner_bytes = outer.read("assets.zip")
        with zipfile.ZipFile(io.BytesIO(inner_bytes)) as inner:
            if inner.testzip() is not None:
                failures.append("package: bad CRC")
            for rel, data in files.items():
                if rel.startswith("assets/") and inner.read(rel) != data:
                    failures.append(f"package: {rel} differs")

        parser = configparser.ConfigParser(strict=True)
        parser.optionxform = str
        with open(os.path.join(dep, "Sales", "deploylist.ini.zip"), encoding="ascii") as f:
            parser.read_file(f)
        if parser.sections() != ["Public", "3.0"] or parser["Public"]["MinimumValidVersion"] != "3.0" \
                or parser["3.0"]["OfflineTime"] != "9999-12-31 23:59:59":
            failures.append("deploylist.ini: " + str({s: dict(parser[s]) for s in parser.sections()}))
        with open(os.path.join(dep, "Sales", "apprun.json")) as f:
            if json.load(f) != {"deployment_urls": {}}:
                failures.append("apprun.json")

    for failure in failures:
        print("FAIL:", failure)
    print("checked" if not failures else f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
