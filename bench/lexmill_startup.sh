#!/bin/bash
# Start-up of a tarnix process and what its dictionaries cost in memory:
#   bench/lexmill_startup.sh [BUILD_DIR] [CSL_DEV_JSONL]
# prints the median of 10 runs of loading each default Lexmill dictionary
# in a fresh process (in the order the pipeline loads them), of
# Extend_KVR's initialisation for Chinese and then English in a fresh
# process (its tables and the Lexmill dictionaries it loads itself), the
# median of 10 runs of `tarnix extract` on one short article, and the resident,
# shared and private memory of the second worker of `tarnix batch --jobs 2`
# once it has answered articles.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
corpus=${2:-../shared/data/zh/csl-dev.jsonl}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

/usr/bin/python3 - "$build" <<'PY'
import ctypes, statistics, subprocess, sys
build = sys.argv[1]
names = ["QOVA_CLA_CHN_DICT", "sys_general_dic", "QOVA_SIM_CHN_DICT", "EnglishGeneral"]
child = r'''
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1] + "/lib/libLexmill.so")
for name in sys.argv[2:]:
    t = time.perf_counter()
    h = lib.Dict_Load_New(name.encode(), b"")
    print("%.3f" % ((time.perf_counter() - t) * 1000) if h >= 0 else "failed")
'''
runs = [subprocess.run([sys.executable, "-c", child, build] + names, capture_output=True,
                       text=True, check=True).stdout.split() for _ in range(10)]
for i, name in enumerate(names):
    print("Dict_Load_New %-18s median %7.2f ms" % (name, statistics.median(float(r[i]) for r in runs)))
PY

/usr/bin/python3 - "$build" <<'PY'
import statistics, subprocess, sys
child = r'''
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1] + "/lib/libExtend_KVR.so")
t = time.perf_counter()
ok = lib.EKVR_SetPath() == 1 and lib.EKVR_Word_Init(0, 1) != 0
t1 = time.perf_counter()
ok = ok and lib.EKVR_Word_Init(0, 2) != 0
t2 = time.perf_counter()
print("%.3f %.3f" % ((t1 - t) * 1000, (t2 - t1) * 1000) if ok else "failed")
'''
runs = [subprocess.run([sys.executable, "-c", child, sys.argv[1]], capture_output=True, text=True,
                       check=True).stdout.split() for _ in range(10)]
for i, what in enumerate(["Chinese", "English"]):
    print("EKVR_Word_Init %-18s median %7.2f ms" % (what, statistics.median(float(r[i]) for r in runs)))
PY

echo '{"title":"基于深度学习的图像分类","lang":"zh"}' > "$scratch/one.json"
/usr/bin/python3 - "$build/bin/tarnix" "$scratch/one.json" <<'PY'
import statistics, subprocess, sys, time
times = []
for _ in range(10):
    t = time.perf_counter()
    subprocess.run([sys.argv[1], "extract", sys.argv[2]], stdout=subprocess.DEVNULL, check=True)
    times.append((time.perf_counter() - t) * 1000)
print("tarnix extract, one article: median %.1f ms (min %.1f, max %.1f)" %
      (statistics.median(times), min(times), max(times)))
PY

# The input stays open, so the workers wait with everything loaded.
mkfifo "$scratch/in"
(cd "$scratch" && "$build/bin/tarnix" batch --quiet --jobs 2 < in > out) &
exec 3> "$scratch/in"
head -n 50 "$corpus" >&3
sleep 2
parent=$(pgrep -o -f "$build/bin/tarnix batch --quiet --jobs 2")
second=$(pgrep -P "$parent" | sort -n | tail -n 1)
awk -v pid="$second" '/^(Rss|Pss|Shared_Clean|Shared_Dirty|Private_Clean|Private_Dirty):/ {
  printf "second worker (pid %s) %-14s %7.1f MB\n", pid, $1, $2 / 1024 }' "/proc/$second/smaps_rollup"
exec 3>&-
wait
