#!/usr/bin/env python3
"""Builds the release archives in dist/:

  ZanderwickDemo-<version>-win32.zip         the program, its Audio folder, README.txt
  ZanderwickScope-<version>-vst2-win32.zip   the plug-in DLL for 32-bit hosts, README.txt
  ZanderwickScope-<version>-vst2-win64.zip   the same for 64-bit hosts
  ZanderwickReport-<version>-win32.zip       zwreport.exe, the console program, README.txt
  ZanderwickReport-<version>-linux-x86_64.tar.gz
                                             zwreport, its manual page, README
  zwreport_<version>_amd64.deb               the same as a Debian package
  SHA256SUMS                                 the archives' SHA-256 sums

    tools/dist.py [--out DIR] [--relink]

It builds what it ships first (tools/build.sh win32, win64 and release,
only the shipped targets). The version comes from VERSION, through the build. The same commit gives the
same bytes: the binaries carry no link time, and every archive lists its
files in name order, each dated at the commit's time (SOURCE_DATE_EPOCH
when set). --relink links the shipped binaries anew first; ./test builds the
archives twice that way and compares them.
"""
import argparse
import gzip
import hashlib
import io
import os
import re
import shutil
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
SHIPPED = {
    "win32": ("i686-w64-mingw32-strip",
              {"ZanderwickDemo": "ZanderwickDemo.exe", "ZanderwickScope": "ZanderwickScope.dll"}),
    "win64": ("x86_64-w64-mingw32-strip", {"ZanderwickScope": "ZanderwickScope.dll"}),
    "release": ("strip", {"zwreport": "zwreport"}),
}
SHIPPED["win32"][1]["zwreport"] = "zwreport.exe"
# What dist/ holds: these alone are removed before the archives are made.
OURS = r"Zanderwick\w+-.*\.(zip|tar\.gz)(\.partial)?|zwreport_.*\.deb(\.partial)?|SHA256SUMS"


def read_version():
    """The version and the number hosts get, as the build took them from
    VERSION (cmake/Version.cmake checks and converts it)."""
    with open(os.path.join(ROOT, "build", "win32", "generated", "Version.h"),
              encoding="ascii") as f:
        defined = dict(re.findall(r"^#define (\w+) (.+)$", f.read(), re.M))
    return defined["ZW_VERSION_TEXT"].strip('"'), int(defined["ZW_VENDOR_VERSION"])


def source_epoch():
    """The archives' file date in seconds: SOURCE_DATE_EPOCH, else the
    commit's time."""
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
    # 0 here, as the linker writes it (--no-insert-timestamp).
    subprocess.run([tool, "-o", out, path], check=True,
                   env={**os.environ, "SOURCE_DATE_EPOCH": "0"})
    with open(out, "rb") as f:
        return f.read()


def readme(template, windows=True, **values):
    """A README.txt from its template, with Windows line ends unless told
    otherwise."""
    with open(os.path.join(TEMPLATES, template), encoding="ascii") as f:
        text = f.read()
    for key, value in values.items():
        text = text.replace(f"@{key}@", str(value))
    leftover = re.search(r"@[A-Z_]+@", text)
    if leftover:
        sys.exit(f"dist: {template} names {leftover.group(0)}, which has no value")
    return (text.replace("\n", "\r\n") if windows else text).encode("ascii")


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


def write_tar_gz(path, top, entries, epoch, executables):
    """A tar.gz whose bytes depend on the entries alone: one folder, name
    order, one date, owner root, fixed modes, no name or time in the gzip
    header."""
    body = io.BytesIO()
    with tarfile.open(fileobj=body, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        members = [(top, None)] + [(f"{top}/{name}", data) for name, data in sorted(entries)]
        for name, data in members:
            info = tarfile.TarInfo(name)
            info.mtime, info.uid, info.gid, info.uname, info.gname = epoch, 0, 0, "root", "root"
            if data is None:
                info.type, info.mode = tarfile.DIRTYPE, 0o755
            else:
                info.size = len(data)
                info.mode = 0o755 if os.path.basename(name) in executables else 0o644
            archive.addfile(info, io.BytesIO(data) if data is not None else None)
    partial = path + ".partial"
    with open(partial, "wb") as f, gzip.GzipFile("", "wb", 9, f, mtime=0) as packed_file:
        packed_file.write(body.getvalue())
    os.replace(partial, path)


def glibc_needed(binary):
    """The newest C library version the binary's symbols ask for."""
    symbols = subprocess.run(["objdump", "-T", binary], capture_output=True, text=True,
                             check=True).stdout
    versions = {tuple(int(n) for n in v.split(".")) for v in re.findall(r"GLIBC_([0-9.]+)", symbols)}
    return ".".join(str(n) for n in max(versions))


def write_deb(path, version, files, epoch, scratch):
    """A Debian package of the given files (path in the system, bytes, mode),
    built by dpkg-deb with owner root, one date and one compressor thread,
    so that its bytes depend on the files alone."""
    stage = os.path.join(scratch, "deb")
    shutil.rmtree(stage, ignore_errors=True)
    size = 0
    for name, data, mode in files:
        target = os.path.join(stage, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        os.chmod(target, mode)
        size += (len(data) + 1023) // 1024
    binary = os.path.join(stage, "usr", "bin", "zwreport")
    control = (f"Package: zwreport\n"
               f"Version: {version}\n"
               f"Architecture: amd64\n"
               f"Maintainer: Zanderwick <zwreport@zanderwick.invalid>\n"
               f"Installed-Size: {size}\n"
               # MP3 and Opus came to libsndfile in 1.1.
               f"Depends: libc6 (>= {glibc_needed(binary)}), libsndfile1 (>= 1.1.0)\n"
               f"Section: sound\n"
               f"Priority: optional\n"
               f"Description: mono-compatibility report for audio files\n"
               f" zwreport runs audio files through the Zanderwick Scope's\n"
               f" phase-correlation meter and tells whether they survive being played\n"
               f" in mono, and where they do not. It names a silent channel, inverted\n"
               f" polarity and identical channels, and writes an HTML page, JSON and CSV.\n")
    os.makedirs(os.path.join(stage, "DEBIAN"))
    with open(os.path.join(stage, "DEBIAN", "control"), "w", encoding="ascii") as f:
        f.write(control)
    for base, dirs, names in os.walk(stage):
        for name in dirs:
            os.chmod(os.path.join(base, name), 0o755)
        for name in dirs + names:
            os.utime(os.path.join(base, name), (epoch, epoch), follow_symlinks=False)
    os.chmod(os.path.join(stage, "DEBIAN", "control"), 0o644)
    os.chmod(stage, 0o755)
    partial = path + ".partial"
    subprocess.run(["dpkg-deb", "--root-owner-group", "-Zxz", "--threads-max=1", "--build", stage,
                    partial], check=True, stdout=subprocess.DEVNULL,
                   env={**os.environ, "SOURCE_DATE_EPOCH": str(epoch)})
    os.replace(partial, path)


def report_files(version, report_exe, report_elf, epoch, scratch):
    """The console program's three release files: name, writer and what it takes."""
    date = time.strftime("%Y-%m-%d", time.gmtime(epoch))
    with open(os.path.join(TEMPLATES, "zwreport.1"), encoding="ascii") as f:
        manual = f.read().replace("@VERSION@", version).replace("@DATE@", date).encode("ascii")
    elf = stripped("release", report_elf, scratch)
    linux = readme("ZanderwickReport.txt", windows=False, INSTALL=LINUX_INSTALL,
                   FORMATS=LINUX_FORMATS, VERSION=version, PLATFORM="Linux x86-64")
    manual_gz = io.BytesIO()
    with gzip.GzipFile("", "wb", 9, manual_gz, mtime=0) as f:
        f.write(manual)
    top = f"ZanderwickReport-{version}-linux-x86_64"
    return {
        f"ZanderwickReport-{version}-win32.zip": (write_zip, [
            ("zwreport.exe", stripped("win32", report_exe, scratch)),
            ("README.txt", readme("ZanderwickReport.txt", INSTALL=WINDOWS_INSTALL,
                                  FORMATS=WINDOWS_FORMATS, VERSION=version, PLATFORM="Windows")),
        ]),
        f"{top}.tar.gz": (lambda path, entries: write_tar_gz(path, top, entries, epoch,
                                                             {"zwreport"}), [
            ("zwreport", elf), ("zwreport.1", manual), ("README", linux)]),
        f"zwreport_{version}_amd64.deb": (lambda path, files: write_deb(path, version, files,
                                                                        epoch, scratch), [
            ("usr/bin/zwreport", elf, 0o755),
            ("usr/share/man/man1/zwreport.1.gz", manual_gz.getvalue(), 0o644),
            ("usr/share/doc/zwreport/README", linux, 0o644)]),
    }


WINDOWS_INSTALL = """Unpack zwreport.exe anywhere; it needs no installer and no runtime, on
Windows 7 and later. In a command prompt:"""
LINUX_INSTALL = """It needs libsndfile 1.1 or later (Debian and Ubuntu: libsndfile1). The
Debian package zwreport_@VERSION@_amd64.deb installs it as /usr/bin/zwreport
with its manual page (sudo apt install ./zwreport_@VERSION@_amd64.deb);
from the tar.gz, run ./zwreport where it was unpacked. In a terminal:"""
WINDOWS_FORMATS = """WAV files: integer PCM of 1 to 32 bits and IEEE
float of 32 or 64 bits, plain or extensible. The Linux build reads RF64,
W64, AIFF, AIFC, FLAC, Ogg Vorbis, Opus, MP3 and CAF as well"""
LINUX_FORMATS = """WAV, RF64, W64, AIFF, AIFC, FLAC, Ogg Vorbis,
Opus, MP3 and CAF (through libsndfile), mono or stereo, at any rate"""


def packed(version, vendor_version, program, dll32, dll64, scratch):
    """Every archive's name, writer and entries."""
    archives = {
        f"ZanderwickDemo-{version}-win32.zip": (write_zip, [
            ("ZanderwickDemo.exe", stripped("win32", program, scratch)),
            ("README.txt", readme("ZanderwickDemo.txt", VERSION=version)),
        ] + folder_entries("Audio")),
    }
    for bits, other, dll in (("32", "64", dll32), ("64", "32", dll64)):
        archives[f"ZanderwickScope-{version}-vst2-win{bits}.zip"] = (write_zip, [
            ("ZanderwickScope.dll", stripped(f"win{bits}", dll, scratch)),
            ("README.txt", readme("ZanderwickScope.txt", VERSION=version, BITS=bits,
                                  OTHER_BITS=other, VENDOR_VERSION=vendor_version)),
        ])
    return archives


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"),
                        help="the folder for the archives (dist/)")
    parser.add_argument("--relink", action="store_true",
                        help="link the shipped binaries anew before packing them")
    args = parser.parse_args()

    epoch = source_epoch()
    date_time = time.gmtime(epoch)[:6]
    os.makedirs(args.out, exist_ok=True)
    # Archives of another version would sit beside the new ones unsummed.
    for name in os.listdir(args.out):
        if re.fullmatch(OURS, name):
            os.remove(os.path.join(args.out, name))

    program, dll32, report_exe = build("win32", args.relink)
    (dll64,) = build("win64", args.relink)
    (report_elf,) = build("release", args.relink)
    version, vendor_version = read_version()
    sums = []
    with tempfile.TemporaryDirectory() as scratch:
        archives = packed(version, vendor_version, program, dll32, dll64, scratch)
        archives.update(report_files(version, report_exe, report_elf, epoch, scratch))
        for name, (writer, entries) in sorted(archives.items()):
            path = os.path.join(args.out, name)
            if writer is write_zip:
                write_zip(path, entries, date_time)
            else:
                writer(path, entries)
            with open(path, "rb") as f:
                sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
            print(f"dist: {name:46} {os.path.getsize(path):9} bytes")
    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(sums)
    print(f"dist: {os.path.relpath(args.out)} holds version {version}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
