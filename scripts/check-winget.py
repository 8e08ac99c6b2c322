#!/usr/bin/env python3
"""Checks the winget and Scoop manifests of a built release against the files they describe.

    python3 scripts/check-winget.py [DIST]      (default: dist)

What must agree: the version in CMakeLists.txt, the publisher and name in
packaging/windows/product.nsh, the same three in the built setup's version record, the
installed-programs key name (ProductCode), and in DIST/winget/ every manifest's identifier and
version, the locale's publisher and name, the installer's type, scopes and switches, and its
InstallerSha256 = the setup's line in DIST/SHA256SUMS = the SHA-256 of the setup itself; in
DIST/scoop/tarvolin.json the version, the zip's address and its hash = the zip's line in
DIST/SHA256SUMS = the SHA-256 of the zip, and bin, checkver and autoupdate. DIST/winget/ and
DIST/scoop/ must also be the repository's templates (packaging/winget/, packaging/scoop/)
filled in by scripts/release-files.py with nothing else changed. Prints every mismatch; exit
code 1 when there is one.
"""
import hashlib
import json
import pathlib
import re
import struct
import subprocess
import sys
import tempfile

import yaml

ROOT = pathlib.Path(__file__).resolve().parent.parent
problems = []


def expect(what, got, wanted):
    if got != wanted:
        problems.append(f"{what}: {got!r}, expected {wanted!r}")


def product_defines():
    text = (ROOT / "packaging/windows/product.nsh").read_text()
    return dict(re.findall(r'^!define (PRODUCT_\w+) "([^"$]*)"$', text, re.M))


def release_files(*args):
    return subprocess.run([sys.executable, str(ROOT / "scripts/release-files.py"), *args],
                          check=True, capture_output=True, text=True).stdout.strip()


def filled(template, **values):
    """The template as the release build fills it in."""
    with tempfile.TemporaryDirectory() as folder:
        out = pathlib.Path(folder) / "filled"
        release_files("fill", str(template), str(out), *(f"{k}={v}" for k, v in values.items()))
        return out.read_text()


def version_strings(exe: bytes):
    """The StringFileInfo values of a PE file's first version resource."""
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", exe, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", exe, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva = struct.unpack_from("<I", exe, directories + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        # VirtualSize, VirtualAddress, SizeOfRawData, PointerToRawData after the 8-byte name.
        virtual_size, va, raw_size, raw = struct.unpack_from("<IIII", exe, table + 40 * i + 8)
        if va <= rsrc_rva < va + max(virtual_size, raw_size):
            base = raw - va
            break
    else:
        raise ValueError("no resource section")
    rsrc = rsrc_rva + base

    def first_entry(directory, wanted_id=None):
        named, ids = struct.unpack_from("<12xHH", exe, rsrc + directory)
        for k in range(named + ids):
            ident, target = struct.unpack_from("<II", exe, rsrc + directory + 16 + 8 * k)
            if wanted_id is None or ident == wanted_id:
                return target & 0x7FFFFFFF
        raise ValueError("resource not found")

    language = first_entry(first_entry(first_entry(0, 16)))  # RT_VERSION, its name, language
    data_rva, size = struct.unpack_from("<II", exe, rsrc + language)
    block = exe[data_rva + base:data_rva + base + size]

    values = {}

    def walk(offset, end):
        while offset < end:
            length, value_length, kind = struct.unpack_from("<HHH", block, offset)
            if length == 0:
                break
            key_end = block.index(b"\0\0", offset + 6)
            while (key_end - offset) % 2:
                key_end = block.index(b"\0\0", key_end + 1)
            key = block[offset + 6:key_end].decode("utf-16-le")
            value = (key_end + 2 + 3) & ~3
            if kind == 1 and value_length:
                text = block[value:value + 2 * value_length].decode("utf-16-le").rstrip("\0")
                values[key] = text
            elif key in ("VS_VERSION_INFO", "StringFileInfo") or re.fullmatch(r"[0-9A-Fa-f]{8}", key):
                children = (value + (value_length if kind == 0 else 2 * value_length) + 3) & ~3
                walk(children, offset + length)
            offset = (offset + length + 3) & ~3

    walk(0, len(block))
    return values


def main():
    dist = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "dist")
    defines = product_defines()
    name, publisher = defines.get("PRODUCT_NAME"), defines.get("PRODUCT_PUBLISHER")
    version = release_files("version")
    key_name = defines.get("PRODUCT_KEY_NAME")
    setup_name = f"Tarvolin-{version}-setup.exe"
    setup = dist / setup_name
    if not setup.is_file():
        print(f"check-winget: {setup} is missing: run scripts/build-dist.sh first")
        return 1
    setup_bytes = setup.read_bytes()

    record = version_strings(setup_bytes)
    expect("setup ProductName", record.get("ProductName"), name)
    expect("setup ProductVersion", record.get("ProductVersion"), version)
    expect("setup CompanyName", record.get("CompanyName"), publisher)

    sums = {}
    for line in (dist / "SHA256SUMS").read_text().splitlines():
        digest, file = line.split(maxsplit=1)
        sums[file.lstrip("*")] = digest
    actual = hashlib.sha256(setup_bytes).hexdigest()
    expect("SHA256SUMS line of the setup", sums.get(setup_name), actual)

    manifests = {}
    for kind, suffix in (("version", ""), ("locale", ".locale.en-US"), ("installer", ".installer")):
        file = dist / "winget" / f"Pendrask.Tarvolin{suffix}.yaml"
        if not file.is_file():
            problems.append(f"{file} is missing")
            continue
        manifests[kind] = yaml.safe_load(file.read_text())
        source = ROOT / "packaging/winget" / file.name
        if file.read_text() != filled(source, TARVO_SETUP_SHA256=actual):
            problems.append(f"{file} is not {source} filled in with the version and the hash")
    if len(manifests) == 3:
        for kind, m in manifests.items():
            expect(f"{kind} PackageIdentifier", m.get("PackageIdentifier"), "Pendrask.Tarvolin")
            expect(f"{kind} PackageVersion", str(m.get("PackageVersion")), version)
            expect(f"{kind} ManifestVersion", m.get("ManifestVersion"),
                   manifests["version"].get("ManifestVersion"))
        locale = manifests["locale"]
        expect("locale Publisher", locale.get("Publisher"), publisher)
        expect("locale PackageName", locale.get("PackageName"), name)
        expect("version DefaultLocale", manifests["version"].get("DefaultLocale"),
               locale.get("PackageLocale"))
        inst = manifests["installer"]
        expect("InstallerType", inst.get("InstallerType"), "nullsoft")
        expect("ProductCode", inst.get("ProductCode"), key_name)
        for entry in inst.get("AppsAndFeaturesEntries", []):
            expect("AppsAndFeatures DisplayName", entry.get("DisplayName"), name)
            expect("AppsAndFeatures Publisher", entry.get("Publisher"), publisher)
            expect("AppsAndFeatures DisplayVersion", str(entry.get("DisplayVersion")), version)
            expect("AppsAndFeatures ProductCode", entry.get("ProductCode"), key_name)
        scopes = {}
        for entry in inst.get("Installers", []):
            scopes[entry.get("Scope")] = entry
            scope = entry.get("Scope")
            expect(f"{scope} InstallerSha256", str(entry.get("InstallerSha256")).lower(), actual)
            expect(f"{scope} InstallerUrl file", str(entry.get("InstallerUrl")).rsplit("/", 1)[-1],
                   setup_name)
            expect(f"{scope} Architecture", entry.get("Architecture"), "x64")
        expect("scopes", sorted(scopes), ["machine", "user"])
        switch = lambda scope: scopes.get(scope, {}).get("InstallerSwitches", {}).get("Custom")
        expect("user switch", switch("user"), "/CurrentUser")
        expect("machine switch", switch("machine"), "/AllUsers")

    check_scoop(dist, version, sums)

    for problem in problems:
        print(f"check-winget: {problem}")
    if not problems:
        print(f"check-winget: the manifests in {dist / 'winget'} match {setup_name} ({actual}),"
              f" {dist / 'scoop'} the portable zip")
    return 1 if problems else 0


def check_scoop(dist, version, sums):
    zip_name = f"Tarvolin-{version}-portable.zip"
    portable = dist / zip_name
    file = dist / "scoop" / "tarvolin.json"
    if not portable.is_file() or not file.is_file():
        problems.append(f"{portable} or {file} is missing")
        return
    actual = hashlib.sha256(portable.read_bytes()).hexdigest()
    expect("SHA256SUMS line of the portable zip", sums.get(zip_name), actual)
    source = ROOT / "packaging/scoop/tarvolin.json"
    if file.read_text() != filled(source, TARVO_PORTABLE_SHA256=actual):
        problems.append(f"{file} is not {source} filled in with the version and the hash")
    try:
        scoop = json.loads(file.read_text())
    except ValueError as error:
        problems.append(f"{file} is not JSON: {error}")
        return
    expect("Scoop version", scoop.get("version"), version)
    build = scoop.get("architecture", {}).get("64bit", {})
    expect("Scoop hash", str(build.get("hash")).lower(), actual)
    expect("Scoop url file", str(build.get("url")).rsplit("/", 1)[-1], zip_name)
    expect("Scoop bin", scoop.get("bin"), "Tarvo.exe")
    regex = scoop.get("checkver", {}).get("regex", "")
    match = re.search(regex, zip_name) if regex else None
    expect("Scoop checkver finds the version in the zip's name", match and match.group(1), version)
    update = scoop.get("autoupdate", {}).get("architecture", {}).get("64bit", {}).get("url", "")
    expect("Scoop autoupdate url", update.replace("$version", version), build.get("url"))


if __name__ == "__main__":
    sys.exit(main())
