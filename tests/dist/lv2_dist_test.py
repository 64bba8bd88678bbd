#!/usr/bin/env python3
"""The LV2 archives as users get them: the tar.gz unpacked with tar, the .deb
taken apart with dpkg-deb and tried by apt, each holding exactly the bundle,
and each bundle then rendering through Debian's lv2apply and listed by
lv2info (tests/lv2/host_test.py). Both are in SHA256SUMS with their sums.

    lv2_dist_test.py DIST VERSION WORK
"""
import hashlib, os, re, shutil, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "lv2"))
import host_test  # noqa: E402

BUNDLE = "ZanderwickScope.lv2"
FILES = ["ZanderwickScope.so", "ZanderwickScope.ttl", "manifest.ttl"]


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def listing(folder):
    return sorted(os.path.relpath(os.path.join(base, name), folder)
                  for base, _, names in os.walk(folder) for name in names)


def main():
    dist, version, work = sys.argv[1], sys.argv[2], sys.argv[3]
    tarball = os.path.join(dist, f"ZanderwickScope-{version}-lv2-linux-x86_64.tar.gz")
    deb = os.path.join(dist, f"zanderwick-scope-lv2_{version}_amd64.deb")
    shutil.rmtree(os.path.join(work, "lv2"), ignore_errors=True)
    unpacked, installed = os.path.join(work, "lv2", "tar"), os.path.join(work, "lv2", "deb")
    os.makedirs(unpacked)

    with open(os.path.join(dist, "SHA256SUMS")) as f:
        sums = dict(reversed(line.split()) for line in f if line.strip())
    for path in (tarball, deb):
        with open(path, "rb") as f:
            if sums.get(os.path.basename(path)) != hashlib.sha256(f.read()).hexdigest():
                fail(f"SHA256SUMS has no right sum for {os.path.basename(path)}")

    # Unpacked into ~/.lv2, it must add the bundle folder and nothing else.
    subprocess.run(["tar", "-xzf", tarball, "-C", unpacked], check=True)
    if os.listdir(unpacked) != [BUNDLE] or listing(unpacked) != [f"{BUNDLE}/{f}" for f in FILES]:
        fail(f"{os.path.basename(tarball)} holds {listing(unpacked)}")

    def field(name):
        return subprocess.run(["dpkg-deb", "--field", deb, name], capture_output=True, text=True,
                              check=True).stdout.strip()
    got = {name: field(name) for name in ("Package", "Version", "Architecture", "Depends")}
    if (got["Package"], got["Version"], got["Architecture"]) != (
            "zanderwick-scope-lv2", version, "amd64") or \
            not re.fullmatch(r"libc6 \(>= [0-9.]+\)", got["Depends"]):
        fail(f"the package says {got}; it needs the C library alone")
    subprocess.run(["dpkg-deb", "-x", deb, installed], check=True)
    if listing(installed) != [f"usr/lib/lv2/{BUNDLE}/{f}" for f in FILES]:
        fail(f"{os.path.basename(deb)} installs {listing(installed)}")
    for name in FILES:
        with open(os.path.join(unpacked, BUNDLE, name), "rb") as a, \
                open(os.path.join(installed, "usr/lib/lv2", BUNDLE, name), "rb") as b:
            if a.read() != b.read():
                fail(f"{name} differs between the two archives")
    # apt takes the package and finds what it depends on.
    tried = subprocess.run(["apt-get", "-s", "install", os.path.abspath(deb)],
                           capture_output=True, text=True, timeout=120)
    if tried.returncode or "Inst zanderwick-scope-lv2" not in tried.stdout:
        fail(f"apt-get -s install would not install it:\n{tried.stdout[-1500:]}{tried.stderr[-1500:]}")
    print(f"both archives hold the bundle alone; the package depends on {got['Depends']}")

    for label, bundle in (("tar.gz", os.path.join(unpacked, BUNDLE)),
                          (".deb", os.path.join(installed, "usr/lib/lv2", BUNDLE))):
        print(f"The bundle from the {label}:")
        try:
            host_test.check_ports(bundle, None)
            host_test.check_apply(bundle, os.path.join(work, "lv2", f"apply-{label}"))
        except host_test.Failed as e:
            fail(f"the bundle from the {label}: {e}")


if __name__ == "__main__":
    main()
