#!/usr/bin/env python3
"""Builds the release archives in dist/:

  ZanderwickDemo-<version>-win32.zip         the program, its Audio folder, README.txt
  ZanderwickScope-<version>-vst2-win32.zip   the plug-in DLL for 32-bit hosts, README.txt
  ZanderwickScope-<version>-vst2-win64.zip   the same for 64-bit hosts
  SHA256SUMS                                 the archives' SHA-256 sums

    tools/dist.py [--out DIR] [--relink]

It builds what it ships first (tools/build.sh win32 and win64, only the
shipped targets). The version comes from VERSION, through the build. The same commit gives the
same bytes: the binaries carry no link time, and every archive lists its
files in name order, each dated at the commit's time (SOURCE_DATE_EPOCH
when set). --relink links the shipped binaries anew first; ./test builds the
archives twice that way and compares them.
"""
import argparse
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEMPLATES = os.path.join(ROOT, "tools", "release")
# The zip format cannot date a file before 1980.
EARLIEST = 315532800

# Per configuration: the strip tool, and the targets shipped with their files.
SHIPPED = {
    "win32": ("i686-w64-mingw32-strip",
              {"ZanderwickDemo": "ZanderwickDemo.exe", "ZanderwickScope": "ZanderwickScope.dll"}),
    "win64": ("x86_64-w64-mingw32-strip", {"ZanderwickScope": "ZanderwickScope.dll"}),
}


def read_version():
    """The version and the number hosts get, as the build took them from
    VERSION (cmake/Version.cmake checks and converts it)."""
    with open(os.path.join(ROOT, "build", "win32", "generated", "Version.h"),
              encoding="ascii") as f:
        defined = dict(re.findall(r"^#define (\w+) (.+)$", f.read(), re.M))
    return defined["ZW_VERSION_TEXT"].strip('"'), int(defined["ZW_VENDOR_VERSION"])


def source_date():
    """The archives' file date: SOURCE_DATE_EPOCH, else the commit's time."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                                   capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = None
    return time.gmtime(max(int(epoch or EARLIEST), EARLIEST))[:6]


def build(config, relink):
    """Builds the shipped targets of one configuration; returns their paths."""
    _, targets = SHIPPED[config]
    files = [os.path.join(ROOT, "build", config, name) for name in targets.values()]
    if relink:
        for path in files:
            if os.path.exists(path):
                os.remove(path)
    subprocess.run([os.path.join(ROOT, "tools", "build.sh"), config, *targets], check=True)
    return files


def stripped(config, path, scratch):
    """The binary without its debug information, as users get it."""
    tool, _ = SHIPPED[config]
    out = os.path.join(scratch, f"{config}-{os.path.basename(path)}")
    # strip writes its own time into the PE header, SOURCE_DATE_EPOCH if set:
    # 0 here, as the linker writes it (--no-insert-timestamp).
    subprocess.run([tool, "-o", out, path], check=True,
                   env={**os.environ, "SOURCE_DATE_EPOCH": "0"})
    with open(out, "rb") as f:
        return f.read()


def readme(template, **values):
    """A README.txt from its template, with Windows line ends."""
    with open(os.path.join(TEMPLATES, template), encoding="ascii") as f:
        text = f.read()
    for key, value in values.items():
        text = text.replace(f"@{key}@", str(value))
    leftover = re.search(r"@[A-Z_]+@", text)
    if leftover:
        sys.exit(f"dist: {template} names {leftover.group(0)}, which has no value")
    return text.replace("\n", "\r\n").encode("ascii")


def folder_entries(folder):
    """(name in the archive, bytes) for every file under a folder of the repository."""
    entries = []
    for base, dirs, files in os.walk(os.path.join(ROOT, folder)):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                entries.append((os.path.relpath(path, ROOT).replace(os.sep, "/"), f.read()))
    return entries


def write_zip(path, entries, date_time):
    """A zip whose bytes depend on the entries alone: name order, one date,
    fixed attributes, no extra fields."""
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in sorted(entries):
            info = zipfile.ZipInfo(name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode below holds everywhere
            info.external_attr = 0o100644 << 16
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, path)


def packed(version, vendor_version, program, dll32, dll64, scratch):
    """Every archive's name and entries."""
    archives = {
        f"ZanderwickDemo-{version}-win32.zip": [
            ("ZanderwickDemo.exe", stripped("win32", program, scratch)),
            ("README.txt", readme("ZanderwickDemo.txt", VERSION=version)),
        ] + folder_entries("Audio"),
    }
    for bits, other, dll in (("32", "64", dll32), ("64", "32", dll64)):
        archives[f"ZanderwickScope-{version}-vst2-win{bits}.zip"] = [
            ("ZanderwickScope.dll", stripped(f"win{bits}", dll, scratch)),
            ("README.txt", readme("ZanderwickScope.txt", VERSION=version, BITS=bits,
                                  OTHER_BITS=other, VENDOR_VERSION=vendor_version)),
        ]
    return archives


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"),
                        help="the folder for the archives (dist/)")
    parser.add_argument("--relink", action="store_true",
                        help="link the shipped binaries anew before packing them")
    args = parser.parse_args()

    date_time = source_date()
    os.makedirs(args.out, exist_ok=True)
    # Archives of another version would sit beside the new ones unsummed.
    for name in os.listdir(args.out):
        if re.fullmatch(r"Zanderwick\w+-.*\.zip(\.partial)?|SHA256SUMS", name):
            os.remove(os.path.join(args.out, name))

    program, dll32 = build("win32", args.relink)
    (dll64,) = build("win64", args.relink)
    version, vendor_version = read_version()
    with tempfile.TemporaryDirectory() as scratch:
        archives = packed(version, vendor_version, program, dll32, dll64, scratch)

    sums = []
    for name, entries in sorted(archives.items()):
        path = os.path.join(args.out, name)
        write_zip(path, entries, date_time)
        with open(path, "rb") as f:
            sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
        print(f"dist: {name:42} {os.path.getsize(path):9} bytes")
    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(sums)
    print(f"dist: {os.path.relpath(args.out)} holds version {version}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
