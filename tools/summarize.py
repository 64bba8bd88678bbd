#!/usr/bin/env python3
"""Sums up one ./test run: test cases from GoogleTest XML, and one case for
each CTest entry that wrote no XML (a crash, or a check that is not a
GoogleTest executable). Each entry's line ends with its time, and a
line per configuration gives the time its entries took side by side. Prints the closing
line 'N passed, N failed', with ', N skipped' after it when a check could not
run on this machine (it said so itself, and the summary says why; a check
that is merely missing still fails). An entry whose executable ran no case
at all fails: it checked nothing."""
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
    """(passed, failed, reasons of the skipped) for the cases one GoogleTest
    executable ran. A disabled case was not asked to run, so it is none of
    these."""
    root = ET.parse(xml_path).getroot()
    passed = failed = 0
    skips = []
    for case in root.iter("testcase"):
        if case.get("status") == "notrun":
            continue
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result") == "skipped":
            mark = case.find("skipped")
            # The message's first line is the skip's file and line.
            message = mark.get("message", "") if mark is not None else ""
            reason = message.partition("\n")[2].strip() or "no reason given"
            skips.append(f"{case.get('classname')}.{case.get('name')}: {reason}")
        else:
            passed += 1
    return passed, failed, skips


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
            skips = []
            note = ""
            if os.path.exists(xml):
                try:
                    p, f, skips = gtest_counts(xml)
                except ET.ParseError:
                    f = 1
                if p + f == 0:
                    f = 1
                    note = "  (no case ran)"
                elif not ok and f == 0:
                    f = 1  # the executable failed after its cases passed
            else:
                p, f = (1, 0) if ok else (0, 1)
            if skips:
                note += f"  {len(skips)} skipped"
            print(f"  {label:8} {name:40} {p:5} passed {f:4} failed {seconds:7.1f} s{note}")
            for skip in skips:
                print(f"  {label:8} {'':40} skipped: {skip}")
            passed += p
            failed += f
            skipped += len(skips)
        if entries:
            # CTest gives the whole run's time in whole seconds.
            print(f"  {label:8} {'(all entries, side by side)':40} {'':25} {total:5.0f}   s")
    failed += build_failures
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
