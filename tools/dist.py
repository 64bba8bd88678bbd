#!/usr/bin/env python3
"""Builds the release archives in dist/:

  ZanderwickDemo-<version>-win32.zip         the program, its Audio folder, README.txt
  ZanderwickScope-<version>-vst2-win32.zip   the plug-in DLL for 32-bit hosts, README.txt
  ZanderwickScope-<version>-vst2-win64.zip   the same for 64-bit hosts
  ZanderwickReport-<version>-win32.zip       zwreport.exe, the console program, README.txt
  ZanderwickReport-<version>-linux-x86_64.tar.gz
                                             zwreport, its manual page, README
  zwreport_<version>_amd64.deb               the same as a Debian package
  ZanderwickScope-<version>-lv2-linux-x86_64.tar.gz
                                             the LV2 bundle folder
  zanderwick-scope-lv2_<version>_amd64.deb   the same bundle in /usr/lib/lv2
  SHA256SUMS                                 the archives' SHA-256 sums

    tools/dist.py [--out DIR] [--relink]

It builds what it ships first (tools/build.sh win32, win64 and release,
only the shipped targets). The version comes from VERSION, through the
build. The same commit gives the same bytes: the binaries carry no link
time, and every archive lists its files in name order, each dated at the
commit's time (SOURCE_DATE_EPOCH when set) and owned by root. --relink links the shipped binaries anew first; ./test builds the
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
LV2_BUNDLE = "ZanderwickScope.lv2"
SHIPPED = {
    "win32": ("i686-w64-mingw32-strip",
              {"ZanderwickDemo": "ZanderwickDemo.exe", "ZanderwickScope": "ZanderwickScope.dll"}),
    "win64": ("x86_64-w64-mingw32-strip", {"ZanderwickScope": "ZanderwickScope.dll"}),
    "release": ("strip", {"zwreport": "zwreport",
                          "ZanderwickScope": f"lv2-path/{LV2_BUNDLE}/ZanderwickScope.so",
                          "ZanderwickScopeUI": f"lv2-path/{LV2_BUNDLE}/ZanderwickScopeUI.so"}),
}
SHIPPED["win32"][1]["zwreport"] = "zwreport.exe"
# What dist/ holds: these alone are removed before the archives are made.
OURS = (r"Zanderwick\w+-.*\.(zip|tar\.gz)(\.partial)?|"
        r"(zwreport|zanderwick-scope-lv2)_.*\.deb(\.partial)?|SHA256SUMS")


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
    # 0 here, as the linker writes it (--no-insert-timestamp). A shared
    # object keeps the symbols it exports.
    unneeded = ["--strip-unneeded"] if path.endswith(".so") else []
    subprocess.run([tool, *unneeded, "-o", out, path], check=True,
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


def package_depends(binaries, floors):
    """The packages the binaries need, with the least versions, as
    dpkg-shlibdeps reads them from the libraries' symbols files; floors
    (package: version) raises a least version where a feature asks more."""
    with tempfile.TemporaryDirectory() as scratch:
        os.mkdir(os.path.join(scratch, "debian"))
        open(os.path.join(scratch, "debian", "control"), "w").close()
        found = subprocess.run(["dpkg-shlibdeps", "-O", *binaries], cwd=scratch, check=True,
                               capture_output=True, text=True).stdout
    needs = re.search(r"^shlibs:Depends=(.*)$", found, re.M).group(1).split(", ")
    for package, version in floors.items():
        needs = [f"{package} (>= {version})" if re.match(rf"{re.escape(package)}( |$)", need)
                 else need for need in needs]
    return ", ".join(needs)


def write_deb(path, fields, files, epoch, scratch):
    """A Debian package of the given files (path in the system, bytes, mode)
    with the control fields given (Installed-Size added), built by dpkg-deb
    with owner root, one date and one compressor thread, so that its bytes
    depend on the files alone."""
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
    # The description goes last, as dpkg writes it.
    fields = [f for f in fields if f[0] != "Description"] + [("Installed-Size", size)] + \
        [f for f in fields if f[0] == "Description"]
    control = "".join(f"{key}: {value}\n" for key, value in fields)
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
    elf_path = os.path.join(scratch, "release-zwreport")
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
        f"zwreport_{version}_amd64.deb": (lambda path, files: write_deb(path, [
            ("Package", "zwreport"), ("Version", version), ("Architecture", "amd64"),
            ("Maintainer", MAINTAINER),
            # MP3 and Opus came to libsndfile in 1.1.
            ("Depends", package_depends([elf_path], {"libsndfile1": "1.1.0"})),
            ("Section", "sound"), ("Priority", "optional"),
            ("Description", "mono-compatibility report for audio files\n"
             " zwreport runs audio files through the Zanderwick Scope's\n"
             " phase-correlation meter and tells whether they survive being played\n"
             " in mono, and where they do not. It names a silent channel, inverted\n"
             " polarity and identical channels, and writes an HTML page, JSON and CSV.")],
            files, epoch, scratch), [
            ("usr/bin/zwreport", elf, 0o755),
            ("usr/share/man/man1/zwreport.1.gz", manual_gz.getvalue(), 0o644),
            ("usr/share/doc/zwreport/README", linux, 0o644)]),
    }


MAINTAINER = "Zanderwick <zwreport@zanderwick.invalid>"
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


def lv2_files(version, so, epoch, scratch):
    """The LV2 bundle's two release files: its Turtle files as the build
    wrote them beside its binaries, which go stripped."""
    folder = os.path.dirname(so)
    bundle = []
    for name in sorted(os.listdir(folder)):
        if name.endswith(".so"):
            bundle.append((name, stripped("release", os.path.join(folder, name), scratch)))
        elif name.endswith(".ttl"):
            with open(os.path.join(folder, name), "rb") as f:
                bundle.append((name, f.read()))
    binaries = [os.path.join(scratch, f"release-{name}") for name, _ in bundle
                if name.endswith(".so")]
    return {
        f"ZanderwickScope-{version}-lv2-linux-x86_64.tar.gz": (
            lambda path, entries: write_tar_gz(path, LV2_BUNDLE, entries, epoch, set()), bundle),
        f"zanderwick-scope-lv2_{version}_amd64.deb": (lambda path, files: write_deb(path, [
            ("Package", "zanderwick-scope-lv2"), ("Version", version), ("Architecture", "amd64"),
            ("Maintainer", MAINTAINER), ("Depends", package_depends(binaries, {})),
            ("Section", "sound"), ("Priority", "optional"),
            ("Description", "goniometer and phase-correlation meter (LV2)\n"
             " The Zanderwick Scope: a goniometer with a phase-correlation meter, its\n"
             " range bar and a MONO switch, as an LV2 plug-in for Linux hosts such as\n"
             " Ardour, Qtractor and jalv.")], files, epoch, scratch),
            [(f"usr/lib/lv2/{LV2_BUNDLE}/{name}", data, 0o644) for name, data in bundle]),
    }


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
    report_elf, lv2, _ = build("release", args.relink)
    version, vendor_version = read_version()
    sums = []
    with tempfile.TemporaryDirectory() as scratch:
        archives = packed(version, vendor_version, program, dll32, dll64, scratch)
        archives.update(report_files(version, report_exe, report_elf, epoch, scratch))
        archives.update(lv2_files(version, lv2, epoch, scratch))
        for name, (writer, entries) in sorted(archives.items()):
            path = os.path.join(args.out, name)
            if writer is write_zip:
                write_zip(path, entries, date_time)
            else:
                writer(path, entries)
            with open(path, "rb") as f:
                sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
            print(f"dist: {name:49} {os.path.getsize(path):9} bytes")
    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(sums)
    print(f"dist: {os.path.relpath(args.out)} holds version {version}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
