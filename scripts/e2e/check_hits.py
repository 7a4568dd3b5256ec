#!/usr/bin/env python3
"""Checks the hits a loopback collector recorded during installations.

usage: check_hits.py LOG SESSION... [--any-order] [--end STATUS] [--serial HEX] [--macs A,B,...]
  LOG may be several logs joined by ",", read in that order.
  Each SESSION is MODE@VERSION, one per session expected in the log, in the
  order the sessions were sent: the install mode the session must report
  ("install", "uninstall"; alternatives joined by "|") and the product
  version it carries. A bare MODE means version 6.1.0. Each session must
  end with the life status STATUS, "success" unless given. With
  --any-order the sessions may come in any order (they waited together).
The User-Agent must name the architecture "x64": Wine's prefix is a 64-bit
Windows, where both the 64-bit library and the 32-bit one under WoW64 say so.
Prints one line per failed check and exits 1 when any failed.
"""
import hashlib
import json
import re
import sys
from urllib.parse import parse_qsl

MACHINE_LABELS = ["VersionNT", "VersionNT64", "PhysicalMemory", "VersionMsi", "UILevel", "VirtualMemory",
                  "MsiNTProductType", "ServicePackLevel", "ProductLanguage"]
PROBED_LABELS = ["ScreenResolution", "UserLanguage", "DpiScale"]


def fields(body):
    # The body is not percent-encoded beyond "%", "&", "+" and controls, so
    # a plain split keeps the values as sent.
    return dict(parse_qsl(body, keep_blank_values=True))


def main():
    log = sys.argv[1]
    serial = None
    macs = []
    expected = []
    end_status = "success"
    any_order = False
    args = sys.argv[2:]
    while args:
        if args[0] == "--any-order":
            any_order = True
            args = args[1:]
            continue
        if args[0] == "--end":
            end_status = args[1]
            args = args[2:]
            continue
        if args[0] == "--serial":
            serial = args[1].upper()
            args = args[2:]
        elif args[0] == "--macs":
            macs = [m for m in args[1].split(",") if m]
            args = args[2:]
        else:
            mode, _, version = args[0].partition("@")
            expected.append((mode.split("|"), version or "6.1.0"))
            args = args[1:]

    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    requests = []
    for path in log.split(","):
        with open(path, encoding="utf-8") as f:
            requests += [json.loads(line) for line in f if line.strip()]
    check(len(requests) > 0, "no request reached the collector")
    all_hits = [fields(r["body"]) for r in requests]
    for r in requests:
        check(r["method"] == "POST", f"not a POST: {r['method']}")
        check(r["path"] == "/", f"path {r['path']}")
        check(r["headers"].get("content-type") == "application/x-www-form-urlencoded; charset=utf-8",
              f"content type {r['headers'].get('content-type')!r}")
        agent = r["headers"].get("user-agent", "")
        check(re.fullmatch(r"OrvexAnalytics/1\.0 \(Microsoft Windows NT \d+\.\d+\.\d+ ; x64\)", agent) is not None,
              f"user agent {agent!r}, expected x64")

    # The hits of each session, sessions in the order they were sent.
    sessions = {}
    for h in all_hits:
        sessions.setdefault(h.get("sid"), []).append(h)
    check(len(sessions) == len(expected), f"{len(sessions)} sessions sent, {len(expected)} expected")
    # Sessions that waited together are sent in the order their files are
    # found: each is then matched to the expectation naming its install type.
    if any_order:
        def install_type(hits):
            return next((h.get("val") for h in hits if h.get("t") == "installtype"), "")
        ordered = []
        left = list(sessions.values())
        for modes, _ in expected:
            match = next((hits for hits in left if install_type(hits) in modes), left[0] if left else [])
            if match in left:
                left.remove(match)
            ordered.append(match)
        pairs = zip(expected, ordered)
    else:
        pairs = zip(expected, sessions.values())
    for (modes, version), hits in pairs:
        check_session(hits, modes, version, end_status, serial, macs, check)

    for f in failures:
        print(f"  FAIL {f}")
    for hits in sessions.values():
        print(f"  session of {len(hits)} hits: " + ", ".join(
            (h.get("t") or "?") + "=" + (h.get("lb") or h.get("val") or h.get("ls") or h.get("lc") or "")
            for h in hits))
    sys.exit(1 if failures else 0)


def check_session(hits, modes, version, end_status, serial, macs, check):
    types = [h.get("t") for h in hits]
    if hits:
        check(types[0] == "lifecycle" and hits[0].get("lc") == "start" and "ls" not in hits[0],
              f"first hit {hits[0]} is not the start")
        check(types[-1] == "lifecycle" and hits[-1].get("lc") == "end" and hits[-1].get("ls") == end_status,
              f"last hit {hits[-1]} is not the end with status {end_status!r}")
    check(types.count("lifecycle") == 2, f"lifecycle hits: {types.count('lifecycle')}")
    # No two hits of a session carry the same content: one that arrives
    # twice shows up here.
    contents = [tuple(h.get(k) for k in ("t", "lb", "val", "lc", "ls")) for h in hits]
    check(len(set(contents)) == len(contents), "a hit arrived more than once")
    install_types = [h.get("val") for h in hits if h.get("t") == "installtype"]
    check(len(install_types) == 1 and install_types[0] in modes, f"install type {install_types}, expected one of {modes}")
    mode = install_types[0] if install_types else ""

    labels = [h.get("lb") for h in hits if h.get("t") == "property"]
    machine = [l for l in labels if l in MACHINE_LABELS + PROBED_LABELS]
    expected_order = [l for l in MACHINE_LABELS + PROBED_LABELS if l in machine]
    check(machine == expected_order, f"machine hits out of order: {machine}")
    for label in PROBED_LABELS + ["VersionNT", "ProductLanguage"]:
        check(label in labels, f"no {label} hit")
    values = {h.get("lb"): h.get("val") for h in hits if h.get("t") == "property"}
    check(re.fullmatch(r"\d+x\d+", values.get("ScreenResolution", "")) is not None,
          f"ScreenResolution {values.get('ScreenResolution')!r}")
    check(re.fullmatch(r"[a-z]*-[A-Z]*", values.get("UserLanguage", "")) is not None,
          f"UserLanguage {values.get('UserLanguage')!r}")
    check(re.fullmatch(r"\d+", values.get("DpiScale", "")) is not None, f"DpiScale {values.get('DpiScale')!r}")
    check(values.get("ProductLanguage") == "1033", f"ProductLanguage {values.get('ProductLanguage')!r}")
    if mode in ("uninstall", "uninstallbyupgrade"):
        check(values.get("REMOVE") == "ALL", f"REMOVE {values.get('REMOVE')!r}")
    # Property hits come in the custom actions' order: machine data before
    # the install type, the installation's properties after it.
    if "installtype" in types:
        cut = types.index("installtype")
        check(all(h.get("lb") in MACHINE_LABELS + PROBED_LABELS for h in hits[1:cut]),
              "a property other than machine data came before the install type")
        check(all(h.get("lb") not in MACHINE_LABELS + PROBED_LABELS for h in hits[cut + 1:-1]),
              "machine data came after the install type")

    sid = hits[0].get("sid") if hits else ""
    check(re.fullmatch(r"\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}", sid or "") is not None,
          f"session id {sid!r}")
    cids = {h.get("cid") for h in hits}
    check(len(cids) == 1, f"client ids {cids}")
    cid = next(iter(cids)) if cids else ""
    check(re.fullmatch(r"[0-9A-F]{40}", cid or "") is not None, f"client id {cid!r}")
    if serial:
        candidates = {hashlib.sha1((a + serial).encode()).hexdigest().upper(): a
                      for a in ["FEFDFFDDEEFF"] + [m.replace(":", "").upper() for m in macs]}
        check(cid in candidates, f"client id {cid} is not SHA-1 of an adapter part and the volume serial {serial}")
    for h in hits:
        check(h.get("v") == "2", f"protocol version {h.get('v')!r}")
        check(h.get("aid") == "vorsant-desktop", f"application id {h.get('aid')!r}")
        check(h.get("av") == version, f"application version {h.get('av')!r}, expected {version}")
        check(re.fullmatch(r"\d+", h.get("qt", "")) is not None, f"queue time {h.get('qt')!r}")
        check(h.get("t") in ("lifecycle", "property", "installtype"), f"hit type {h.get('t')!r}")



if __name__ == "__main__":
    main()
