#!/usr/bin/env python3
"""The LV2 archives as users get them: both in SHA256SUMS; the tar.gz
unpacked with tar and the .deb taken apart with dpkg-deb and tried by apt,
each holding the same bundle and nothing else, the package depending on the
C library and Xlib alone (the panel's); each bundle then listed by lv2info
and rendering through lv2apply (tests/lv2/host_test.py).

    lv2_dist_test.py DIST VERSION WORK
"""
import hashlib, os, re, shutil, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lv2"))
import host_test  # noqa: E402

FILES = ["ZanderwickScope.so", "ZanderwickScope.ttl", "ZanderwickScopeUI.so",
         "ZanderwickScopeUI.ttl", "manifest.ttl"]


def contents(folder):
    found = {}
    for base, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(base, name), "rb") as f:
                found[os.path.relpath(os.path.join(base, name), folder)] = f.read()
    return found


def check(dist, version, work):
    tarball = os.path.join(dist, f"ZanderwickScope-{version}-lv2-linux-x86_64.tar.gz")
    deb = os.path.join(dist, f"zanderwick-scope-lv2_{version}_amd64.deb")
    with open(os.path.join(dist, "SHA256SUMS")) as f:
        sums = dict(reversed(line.split()) for line in f if line.strip())
    for path in (tarball, deb):
        with open(path, "rb") as f:
            if sums.get(os.path.basename(path)) != hashlib.sha256(f.read()).hexdigest():
                raise host_test.Failed(f"SHA256SUMS has no right sum for {path}")
    unpacked, installed = os.path.join(work, "tar"), os.path.join(work, "deb")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(unpacked)
    host_test.run(["tar", "-xzf", tarball, "-C", unpacked])
    host_test.run(["dpkg-deb", "-x", deb, installed])
    bundles = {"tar.gz": os.path.join(unpacked, "ZanderwickScope.lv2"),
               ".deb": os.path.join(installed, "usr", "lib", "lv2", "ZanderwickScope.lv2")}
    got = {"tar.gz": contents(unpacked), ".deb": contents(installed)}
    if sorted(got["tar.gz"]) != [f"ZanderwickScope.lv2/{f}" for f in FILES] or \
            {f"usr/lib/lv2/{k}": v for k, v in got["tar.gz"].items()} != got[".deb"]:
        raise host_test.Failed(f"the archives hold {sorted(got['tar.gz'])} and {sorted(got['.deb'])}")
    fields = {name: host_test.run(["dpkg-deb", "--field", deb, name]).strip()
              for name in ("Package", "Version", "Architecture", "Depends")}
    needs = {re.sub(r" \(>= [0-9.:~+-]+\)$", "", need) for need in fields["Depends"].split(", ")}
    if list(fields.values())[:3] != ["zanderwick-scope-lv2", version, "amd64"] or \
            needs != {"libc6", "libx11-6"} or "(>=" not in fields["Depends"]:
        raise host_test.Failed(f"the package says {fields}; it needs the C library and Xlib alone")
    if "Inst zanderwick-scope-lv2" not in host_test.run(["apt-get", "-s", "install", os.path.abspath(deb)]):
        raise host_test.Failed("apt-get -s install would not install it")
    print(f"both archives hold the bundle alone; the package depends on {fields['Depends']}")
    for label, bundle in bundles.items():
        print(f"The bundle from the {label}:")
        host_test.check_ports(bundle, None)
        host_test.check_apply(bundle, os.path.join(work, f"apply-{label}"))


if __name__ == "__main__":
    try:
        check(sys.argv[1], sys.argv[2], os.path.join(sys.argv[3], "lv2"))
    except (host_test.Failed, subprocess.TimeoutExpired) as e:
        print(f"FAILED: {e}")
        sys.exit(1)
