#!/usr/bin/env python3
"""The console program's Linux release files as a user gets them: the .deb
unpacked with dpkg-deb -x holds /usr/bin/zwreport and its manual page and
depends on libsndfile1; the tar.gz holds one folder with zwreport, its
manual page and a README. Each program says its version and measures the
sample files.

    linux_test.py <dist folder> <version> <Audio folder> <work folder>
"""
import os, shutil, subprocess, sys, tarfile


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def runs(program, version, audio, out):
    said = subprocess.run([program, "--version"], capture_output=True, text=True)
    if said.stdout != f"zwreport {version}\n":
        fail(f"{program} --version said {said.stdout!r} ({said.stderr.strip()[-200:]})")
    run = subprocess.run([program, "--out", out, audio], capture_output=True, text=True)
    if run.returncode != 0 or "3 files in" not in run.stderr or not os.path.exists(
            os.path.join(out, "report.json")):
        fail(f"{program} on {audio} exited with {run.returncode}: {run.stderr[-300:]}")


def main():
    dist, version, audio, work = sys.argv[1:5]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    deb = os.path.join(dist, f"zwreport_{version}_amd64.deb")
    root = os.path.join(work, "deb")
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    files = sorted(os.path.relpath(os.path.join(b, n), root)
                   for b, _, names in os.walk(root) for n in names)
    expected = ["usr/bin/zwreport", "usr/share/doc/zwreport/README",
                "usr/share/man/man1/zwreport.1.gz"]
    if files != expected:
        fail(f"the package holds {files}, not {expected}")
    depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], capture_output=True,
                             text=True, check=True).stdout
    if "libsndfile1" not in depends:
        fail(f"the package depends on {depends.strip()!r}, not on libsndfile1")
    runs(os.path.join(root, "usr", "bin", "zwreport"), version, audio, os.path.join(work, "r1"))

    top = f"ZanderwickReport-{version}-linux-x86_64"
    with tarfile.open(os.path.join(dist, f"{top}.tar.gz")) as archive:
        names = sorted(archive.getnames())
        if names != [top, f"{top}/README", f"{top}/zwreport", f"{top}/zwreport.1"]:
            fail(f"the tar.gz holds {names}")
        archive.extractall(os.path.join(work, "tar"))
    runs(os.path.join(work, "tar", top, "zwreport"), version, audio, os.path.join(work, "r2"))
    print(f"passed: {os.path.basename(deb)} and {top}.tar.gz unpack and run")


if __name__ == "__main__":
    main()
