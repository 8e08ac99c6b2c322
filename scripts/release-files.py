#!/usr/bin/env python3
"""The release's version and notes, made into the files that carry them.

The version is stated once, in CMakeLists.txt's project(); what changed is written once, in
CHANGELOG.md. Every other file that names them is made from those two by this script:

    release-files.py version                     the version ("2.6.0.2")
    release-files.py fill TEMPLATE OUT [NAME=VALUE ...]
                                                 a copy of TEMPLATE with @TARVO_VERSION@,
                                                 @TARVO_RELEASE_NOTES@ (a YAML block of the
                                                 version's notes) and each @NAME@ filled in
    release-files.py appstream TEMPLATE OUT      the metainfo with <releases/> replaced by
                                                 every release of CHANGELOG.md
    release-files.py debian OUT [REVISION]       the Debian package's change log, each version
                                                 with the package revision (default 1)
    release-files.py check                       fails when CHANGELOG.md has no entry for the
                                                 version, or when README.md or docs/ name a
                                                 release file of another version
"""
import datetime
import os
import pathlib
import re
import sys
import textwrap
from xml.sax.saxutils import escape

ROOT = pathlib.Path(__file__).resolve().parent.parent
# The Debian package's maintainer, as scripts/build-deb.sh writes it into the control file.
MAINTAINER = "The Tarvolin maintainers <tarvolin@example.com>"
HEADINGS = ("Added", "Changed", "Deprecated", "Removed", "Fixed", "Security")


def version():
    text = (ROOT / "CMakeLists.txt").read_text()
    match = re.search(r"^project\(Tarvolin VERSION ([0-9]+(?:\.[0-9]+){3})\b", text, re.M)
    if not match:
        sys.exit("release-files: no project(Tarvolin VERSION a.b.c.d ...) in CMakeLists.txt")
    return match.group(1)


def plain(markdown):
    """A change's text without Markdown's marks: code spans, emphasis and links as text."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", markdown)
    return text.replace("`", "").replace("**", "")


def releases():
    """[(version, date, [(heading, [change, ...]), ...]), ...] from CHANGELOG.md, newest
    first, without the Unreleased section."""
    found = []
    changes = None
    for line in (ROOT / "CHANGELOG.md").read_text().splitlines():
        release = re.match(r"^## \[([^\]]+)\](?: - (\d{4}-\d{2}-\d{2}))?\s*$", line)
        if release:
            changes = None
            if release.group(1) != "Unreleased":
                if not release.group(2):
                    sys.exit(f"release-files: CHANGELOG.md: {release.group(1)} has no date")
                found.append((release.group(1), release.group(2), []))
                changes = found[-1][2]
            continue
        if changes is None:
            continue
        heading = re.match(r"^### (\w+)\s*$", line)
        if heading:
            if heading.group(1) not in HEADINGS:
                sys.exit(f"release-files: CHANGELOG.md: unknown heading {heading.group(1)!r}")
            changes.append((heading.group(1), []))
        elif line.startswith("- "):
            if not changes:
                sys.exit(f"release-files: CHANGELOG.md: a change outside a heading: {line}")
            changes[-1][1].append(line[2:].strip())
        elif line.startswith("  ") and line.strip() and changes and changes[-1][1]:
            changes[-1][1][-1] += " " + line.strip()
        elif line.strip():
            sys.exit(f"release-files: CHANGELOG.md: a line outside a change: {line}")
    return found


def current_release():
    wanted = version()
    for release in releases():
        if release[0] == wanted:
            return release
    sys.exit(f"release-files: CHANGELOG.md has no entry for {wanted}: add one before the release")


def notes_text(release, width=None):
    """The release's notes as plain text lines: each heading, then its changes as "- " items."""
    lines = []
    for heading, items in release[2]:
        lines.append(f"{heading}:")
        for item in items:
            if width:
                lines += textwrap.wrap(plain(item), width, initial_indent="- ",
                                       subsequent_indent="  ")
            else:
                lines.append("- " + plain(item))
    return lines


def fill(template, out, pairs):
    values = {"TARVO_VERSION": version()}
    for pair in pairs:
        name, _, value = pair.partition("=")
        values[name] = value
    lines = []
    for line in pathlib.Path(template).read_text().splitlines(keepends=True):
        if "@TARVO_RELEASE_NOTES@" in line:
            # A YAML literal block: the line's key, then the notes indented under it.
            indent = re.match(r"\s*", line).group(0) + "  "
            lines.append(line.replace("@TARVO_RELEASE_NOTES@", "|-"))
            lines += [f"{indent}{note}\n" for note in notes_text(current_release())]
            continue
        lines.append(re.sub(r"@(\w+)@", lambda m: values.get(m.group(1), m.group(0)), line))
    text = "".join(lines)
    left = sorted(set(re.findall(r"@(TARVO_\w+)@", text)))
    if left:
        sys.exit(f"release-files: {template}: nothing given for {', '.join(left)}")
    pathlib.Path(out).write_text(text)


def appstream(template, out):
    current_release()
    blocks = ["<releases>"]
    for number, date, changes in releases():
        blocks.append(f'  <release version="{number}" date="{date}">')
        blocks.append("    <description>")
        for heading, items in changes:
            blocks.append(f"      <p>{heading}:</p>")
            blocks.append("      <ul>")
            blocks += [f"        <li>{escape(plain(item))}</li>" for item in items]
            blocks.append("      </ul>")
        blocks.append("    </description>")
        blocks.append("  </release>")
    blocks.append("</releases>")
    text = pathlib.Path(template).read_text()
    match = re.search(r"^( *)<releases/>\n", text, re.M)
    if not match:
        sys.exit(f"release-files: {template} has no <releases/> line to fill")
    indent = match.group(1)
    made = "".join(f"{indent}{block}\n" for block in blocks)
    pathlib.Path(out).write_text(text[:match.start()] + made + text[match.end():])


def debian(out, revision="1"):
    current = current_release()[0]
    entries = []
    for number, date, changes in releases():
        day = datetime.datetime.strptime(date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
        # The current version takes the revision being built; older ones were first packaged.
        package = f"{number}-{revision if number == current else 1}"
        lines = [f"tarvolin ({package}) stable; urgency=medium", ""]
        for heading, items in changes:
            lines.append(f"  * {heading}:")
            for item in items:
                lines += textwrap.wrap(plain(item), 78, initial_indent="    - ",
                                       subsequent_indent="      ")
        lines += ["", f" -- {MAINTAINER}  {day.strftime('%a, %d %b %Y %H:%M:%S +0000')}"]
        entries.append("\n".join(lines) + "\n")
    pathlib.Path(out).write_text("\n".join(entries))


def check():
    wanted = version()
    problems = []
    if not releases() or releases()[0][0] != wanted:
        problems.append(f"CHANGELOG.md: the newest release is not {wanted}")
    # The release files a reader is told to download or run: the setup, the portable zip, the
    # Debian package.
    # The package's name carries its revision (scripts/build-deb.sh, TARVO_DEB_REVISION).
    package = f"{wanted}-{os.environ.get('TARVO_DEB_REVISION', '1')}"
    names = re.compile(r"(Tarvolin-([0-9.]+?)-(?:setup\.exe|portable\.zip)"
                       r"|tarvolin_([0-9.]+(?:-[0-9]+)?)_[a-z0-9]+\.deb)")
    documents = [ROOT / "README.md"] + sorted((ROOT / "docs").rglob("*.md"))
    for document in documents:
        for number, line in enumerate(document.read_text().splitlines(), 1):
            for match in names.finditer(line):
                named, expected = (match.group(2), wanted) if match.group(2) else \
                    (match.group(3), package)
                if named != expected:
                    where = document.relative_to(ROOT)
                    problems.append(f"{where}:{number}: {match.group(1)} is not version {expected}")
    for problem in problems:
        print(f"release-files: {problem}")
    if not problems:
        print(f"release-files: CHANGELOG.md and the documents agree with version {wanted}")
    return 1 if problems else 0


def main(args):
    if args[:1] == ["version"] and len(args) == 1:
        print(version())
    elif args[:1] == ["fill"] and len(args) >= 3:
        fill(args[1], args[2], args[3:])
    elif args[:1] == ["appstream"] and len(args) == 3:
        appstream(args[1], args[2])
    elif args[:1] == ["debian"] and len(args) in (2, 3):
        debian(*args[1:])
    elif args[:1] == ["check"] and len(args) == 1:
        return check()
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
