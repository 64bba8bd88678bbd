#!/usr/bin/env python3
"""Builds the release archives in dist/:

  ZanderwickDemo-<version>-win32.zip                the program, its Audio folder, README.txt
  ZanderwickScope-<version>-vst2-win32.zip          the plug-in DLL for 32-bit hosts, README.txt
  ZanderwickScope-<version>-vst2-win64.zip          the same for 64-bit hosts
  ZanderwickScope-<version>-lv2-linux-x86_64.tar.gz the LV2 bundle folder
  zanderwick-scope-lv2_<version>_amd64.deb          the same bundle in /usr/lib/lv2
  SHA256SUMS                                        the archives' SHA-256 sums

    tools/dist.py [--out DIR] [--relink]

It builds what it ships first (tools/build.sh win32, win64 and release,
only the shipped targets). The version comes from VERSION, through the
build. The same commit gives the same bytes: the binaries carry no link
time, and every archive lists its files in name order, each dated at the
commit's time (SOURCE_DATE_EPOCH when set) and owned by root. --relink
links the shipped binaries anew first; ./test builds the archives twice
that way and compares them.
"""
import argparse
import gzip
import hashlib
import io
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEMPLATES = os.path.join(ROOT, "tools", "release")
# The zip format cannot date a file before 1980.
EARLIEST = 315532800

# Per configuration: the strip tool, and the targets shipped with their files.
LV2_BUNDLE = "ZanderwickScope.lv2"
SHIPPED = {
    "win32": ("i686-w64-mingw32-strip",
              {"ZanderwickDemo": "ZanderwickDemo.exe", "ZanderwickScope": "ZanderwickScope.dll"}),
    "win64": ("x86_64-w64-mingw32-strip", {"ZanderwickScope": "ZanderwickScope.dll"}),
    "release": ("strip", {"ZanderwickScope": f"lv2-path/{LV2_BUNDLE}/ZanderwickScope.so",
                          "ZanderwickScopeUI": f"lv2-path/{LV2_BUNDLE}/ZanderwickScopeUI.so"}),
}


def read_version():
    """The version and the number hosts get, as the build took them from
    VERSION (cmake/Version.cmake checks and converts it)."""
    with open(os.path.join(ROOT, "build", "win32", "generated", "Version.h"),
              encoding="ascii") as f:
        defined = dict(re.findall(r"^#define (\w+) (.+)$", f.read(), re.M))
    return defined["ZW_VERSION_TEXT"].strip('"'), int(defined["ZW_VENDOR_VERSION"])


def source_date():
    """The archives' file date in seconds: SOURCE_DATE_EPOCH, else the commit's time."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                                   capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = None
    return max(int(epoch or EARLIEST), EARLIEST)


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
    # 0 here, as the linker writes it (--no-insert-timestamp). A shared
    # object keeps the symbols it exports.
    unneeded = ["--strip-unneeded"] if path.endswith(".so") else []
    subprocess.run([tool, *unneeded, "-o", out, path], check=True,
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


def write_zip(path, entries, epoch):
    """A zip whose bytes depend on the entries alone: name order, one date,
    fixed attributes, no extra fields."""
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in sorted(entries):
            info = zipfile.ZipInfo(name, time.gmtime(epoch)[:6])
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode below holds everywhere
            info.external_attr = 0o100644 << 16
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, path)


def tar_bytes(entries, epoch):
    """A tar whose bytes depend on the entries alone: name order, one date,
    root's, files 0644 and folders 0755. An entry whose data is None is a
    folder."""
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tarfile.GNU_FORMAT) as tar:
        for name, data in sorted(entries):
            info = tarfile.TarInfo(name)
            info.mtime, info.uid, info.gid, info.uname, info.gname = epoch, 0, 0, "root", "root"
            if data is None:
                info.type, info.mode = tarfile.DIRTYPE, 0o755
                tar.addfile(info)
            else:
                info.mode, info.size = 0o644, len(data)
                tar.addfile(info, io.BytesIO(data))
    return out.getvalue()


def gzipped(data, epoch):
    """gzip's header holds a date and a file name: the one date, no name."""
    out = io.BytesIO()
    with gzip.GzipFile(filename="", mode="wb", fileobj=out, mtime=epoch, compresslevel=9) as f:
        f.write(data)
    return out.getvalue()


def with_folders(files):
    """The entries of files (path, bytes), each folder above them added once."""
    folders = {os.path.dirname(name) for name, _ in files}
    for folder in list(folders):
        while folder not in ("", ".", "/"):
            folders.add(folder)
            folder = os.path.dirname(folder)
    return [(folder, None) for folder in folders - {"", ".", "/"}] + list(files)


def write_whole(path, data):
    """The file written under another name first, so that it is whole or absent."""
    with open(path + ".partial", "wb") as f:
        f.write(data)
    os.replace(path + ".partial", path)


def write_tar_gz(path, entries, epoch):
    """A .tar.gz of files (path, bytes) and the folders above them."""
    write_whole(path, gzipped(tar_bytes(with_folders(entries), epoch), epoch))


def package_depends(binaries):
    """The packages the binaries need, with the least versions, as
    dpkg-shlibdeps reads them from the libraries' symbols files."""
    with tempfile.TemporaryDirectory() as scratch:
        os.mkdir(os.path.join(scratch, "debian"))
        open(os.path.join(scratch, "debian", "control"), "w").close()
        found = subprocess.run(["dpkg-shlibdeps", "-O", *binaries], cwd=scratch, check=True,
                               capture_output=True, text=True).stdout
    return re.search(r"^shlibs:Depends=(.*)$", found, re.M).group(1)


def write_deb(path, fields, files, epoch):
    """A Debian binary package installing files (path under /, bytes): an ar
    archive of debian-binary, control.tar.gz (the fields with the installed
    size, and the files' MD5 sums) and data.tar.gz, all dated epoch and owned
    by root."""
    size = sum((len(data) + 1023) // 1024 for _, data in files)
    # The description goes last, as dpkg writes it.
    fields = ([f for f in fields if f[0] != "Description"] + [("Installed-Size", size)] +
              [f for f in fields if f[0] == "Description"])
    control = "".join(f"{key}: {value}\n" for key, value in fields)
    md5sums = "".join(f"{hashlib.md5(data).hexdigest()}  {name}\n" for name, data in sorted(files))
    members = [
        ("debian-binary", b"2.0\n"),
        ("control.tar.gz", gzipped(tar_bytes([(".", None), ("./control", control.encode()),
                                              ("./md5sums", md5sums.encode())], epoch), epoch)),
        ("data.tar.gz", gzipped(tar_bytes([(".", None)] + [("./" + name, data) for name, data in
                                                          with_folders(files)], epoch), epoch)),
    ]
    archive = b"!<arch>\n"
    for name, data in members:
        archive += f"{name:<16}{epoch:<12}{0:<6}{0:<6}{'100644':<8}{len(data):<10}`\n".encode()
        archive += data + (b"\n" if len(data) % 2 else b"")
    write_whole(path, archive)


def lv2_bundle(so, scratch):
    """The LV2 bundle's files (name in the bundle folder, bytes): the Turtle
    files as the build wrote them beside its binaries, which go stripped."""
    folder = os.path.dirname(so)
    files = []
    for name in sorted(os.listdir(folder)):
        if name.endswith(".so"):
            files.append((name, stripped("release", os.path.join(folder, name), scratch)))
        elif name.endswith(".ttl"):
            with open(os.path.join(folder, name), "rb") as f:
                files.append((name, f.read()))
    return files


def packed(version, vendor_version, program, dll32, dll64, scratch):
    """Every zip's name and entries."""
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

    epoch = source_date()
    os.makedirs(args.out, exist_ok=True)
    # Archives of another version would sit beside the new ones unsummed.
    for name in os.listdir(args.out):
        if re.fullmatch(r"Zanderwick\w+-.*\.(zip|tar\.gz)(\.partial)?|"
                        r"zanderwick-scope-lv2_.*\.deb(\.partial)?|SHA256SUMS", name):
            os.remove(os.path.join(args.out, name))

    program, dll32 = build("win32", args.relink)
    (dll64,) = build("win64", args.relink)
    lv2, _ = build("release", args.relink)
    version, vendor_version = read_version()
    with tempfile.TemporaryDirectory() as scratch:
        archives = packed(version, vendor_version, program, dll32, dll64, scratch)
        bundle = lv2_bundle(lv2, scratch)
        depends = package_depends([os.path.join(scratch, f"release-{name}")
                                   for name, _ in bundle if name.endswith(".so")])

    names = sorted(archives)
    for name in names:
        write_zip(os.path.join(args.out, name), archives[name], epoch)
    tarball = f"ZanderwickScope-{version}-lv2-linux-x86_64.tar.gz"
    write_tar_gz(os.path.join(args.out, tarball),
                 [(f"{LV2_BUNDLE}/{name}", data) for name, data in bundle], epoch)
    deb = f"zanderwick-scope-lv2_{version}_amd64.deb"
    write_deb(os.path.join(args.out, deb), [
        ("Package", "zanderwick-scope-lv2"), ("Version", version), ("Architecture", "amd64"),
        ("Maintainer", "Zanderwick"), ("Depends", depends), ("Section", "sound"),
        ("Priority", "optional"),
        ("Description", "Zanderwick Scope, goniometer and phase-correlation meter (LV2)\n"
         " A goniometer with a phase-correlation meter, its range bar and a MONO\n"
         " switch, as an LV2 plug-in for Linux hosts such as Ardour, Qtractor and jalv.")],
        [(f"usr/lib/lv2/{LV2_BUNDLE}/{name}", data) for name, data in bundle], epoch)

    sums = []
    for name in sorted(names + [tarball, deb]):
        path = os.path.join(args.out, name)
        with open(path, "rb") as f:
            sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
        print(f"dist: {name:48} {os.path.getsize(path):9} bytes")
    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(sums)
    print(f"dist: {os.path.relpath(args.out)} holds version {version}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
