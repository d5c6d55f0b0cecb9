#!/usr/bin/env python3
# Counts the QtTest test functions and data rows of every ctest test of a build folder, by running
# each test's own command with -functions and -datatags:  scripts/count-tests.py build
import json, subprocess, sys, os
build = sys.argv[1]
info = json.loads(subprocess.check_output(["ctest", "--test-dir", build, "--show-only=json-v1"]))
funcs = rows = 0
per = {}
for t in info["tests"]:
    labels = []
    for p in t.get("properties", []):
        if p["name"] == "LABELS": labels = p["value"]
    if any(l in ("packaging", "fuzz", "windows") for l in labels): continue
    cmd = t.get("command")
    if not cmd: continue
    env = dict(os.environ)
    for p in t.get("properties", []):
        if p["name"] == "ENVIRONMENT":
            for kv in p["value"]:
                k, _, v = kv.partition("="); env[k] = v
    def run(flag):
        r = subprocess.run(cmd + [flag], capture_output=True, text=True, env=env, timeout=60)
        return [l for l in r.stdout.splitlines() if l.strip()]
    try:
        f = run("-functions"); d = run("-datatags")
    except Exception as e:
        print("skip", t["name"], e); continue
    f = [l for l in f if l.endswith("()")]
    nrows = 0
    for l in d:
        parts = l.split(" ", 2)
        if len(parts) == 3: nrows += 1
    per[t["name"]] = (len(f), nrows)
    funcs += len(f); rows += nrows
for k in sorted(per): print(f"{k:35s} {per[k][0]:4d} {per[k][1]:5d}")
print(f"TOTAL tests={len(per)} functions={funcs} datarows={rows}")
