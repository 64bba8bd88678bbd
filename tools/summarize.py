#!/usr/bin/env python3
"""Sums up one ./test run: test cases from GoogleTest XML, and one case for
each CTest entry that wrote no XML (a crash, or a check that is not a
GoogleTest executable). Each entry's line ends with its time, and a
line per configuration gives the time its entries took side by side. Prints the closing
line 'N passed, N failed', with ', N skipped' after it when a check could not
run on this machine (it said so itself; a check that is merely missing still
fails)."""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def ctest_entries(junit_path):
    """(name, passed, skip reason or None, seconds) for every CTest entry of
    one configuration, and the seconds they took together."""
    if not os.path.exists(junit_path):
        return None, 0.0
    entries = []
    root = ET.parse(junit_path).getroot()
    for case in root.iter("testcase"):
        failed = case.find("failure") is not None or case.find("error") is not None
        skipped = case.get("status") == "notrun" and not failed
        reason = None
        mark = case.find("skipped")
        if skipped and mark is not None and mark.get("message", "").startswith("SKIP_"):
            out = case.findtext("system-out") or ""
            lines = [l for l in out.splitlines() if l.startswith("SKIPPED")] or [mark.get("message")]
            reason = lines[-1]
        entries.append((case.get("name"), not failed and not skipped, reason,
                        float(case.get("time", "0"))))
    return entries, float(root.get("time", "0"))


def gtest_counts(xml_path):
    root = ET.parse(xml_path).getroot()
    tests = failures = 0
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "skipped":
            continue
        tests += 1
        if case.find("failure") is not None:
            failures += 1
    return tests - failures, failures


def main():
    build_failures = int(sys.argv[1])
    configs = sys.argv[2:]
    passed = failed = skipped = 0
    for build in configs:
        label = os.path.basename(build)
        entries, total = ctest_entries(os.path.join(build, "ctest-junit.xml"))
        if entries is None:
            # CTest did not get as far as running the tests.
            print(f"  {label:8} {'(no test results)':40} {0:5} passed {1:4} failed")
            failed += 1
            continue
        for name, ok, reason, seconds in entries:
            if reason:
                print(f"  {label:8} {name:40} skipped: {reason} ({seconds:.1f} s)")
                skipped += 1
                continue
            xml = os.path.join(build, "results", name + ".xml")
            p = f = 0
            if os.path.exists(xml):
                try:
                    p, f = gtest_counts(xml)
                except ET.ParseError:
                    f = 1
                if not ok and f == 0:
                    f = 1  # the executable failed after its cases passed
            else:
                p, f = (1, 0) if ok else (0, 1)
            print(f"  {label:8} {name:40} {p:5} passed {f:4} failed {seconds:7.1f} s")
            passed += p
            failed += f
        if entries:
            # CTest gives the whole run's time in whole seconds.
            print(f"  {label:8} {'(all entries, side by side)':40} {'':25} {total:5.0f}   s")
    failed += build_failures
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
