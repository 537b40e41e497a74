#!/usr/bin/env python3
"""Median time from process start to the login page painted, over ten runs, offscreen:
   bench/titlestart.py BUILD_DIR   (runs BUILD_DIR/bench/titlestart/titlestart beside a copy of
   the default theme in a scratch folder)"""
import os, shutil, statistics, subprocess, sys, tempfile, time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
with tempfile.TemporaryDirectory() as folder:
    program = os.path.join(folder, "titlestart")
    shutil.copy(os.path.join(build, "bench", "titlestart"), program)
    shutil.copy(os.path.join(build, "src", "apps", "DEFAULT.KLB"), folder)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    times = []
    for _ in range(10):
        for name in ("pelkorin.cfg", "gamesets.cfg"):
            if os.path.exists(os.path.join(folder, name)):
                os.remove(os.path.join(folder, name))
        start = time.monotonic()
        out = subprocess.run([program], cwd=folder, env=env, capture_output=True, text=True,
                             timeout=60).stdout.split()
        times.append((int(out[0]) / 1e6 - start) * 1000)
    print("title page painted after %.1f ms (median of 10; min %.1f, max %.1f)"
          % (statistics.median(times), min(times), max(times)))
