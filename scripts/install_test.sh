#!/usr/bin/env bash
# Installs a build into a fresh prefix and builds hosts against the
# installed tree alone: the README's C host with -I<prefix>/include, the
# same through pkg-config, and a CMake project using find_package(Tarnix)
# (tests/install), and the Python package. Each runs and must print the
# README's keyword.
#
#   scripts/install_test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnix-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/tarnix/tarnix.h include/tarnix/records.h lib/cmake/Tarnix/TarnixConfig.cmake \
         lib/cmake/Tarnix/TarnixConfigVersion.cmake lib/pkgconfig/tarnix.pc bin/tarnix; do
  [[ -f $prefix/$f ]] || { echo "install: $f is missing" >&2; exit 1; }
done
for lib in Tarnix Lexmill Extend_KVR; do
  soname=$(readelf -d "$prefix/lib/lib$lib.so" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
  [[ $soname == lib$lib.so.0 ]] || { echo "install: lib$lib.so has the SONAME '$soname'" >&2; exit 1; }
done

# The README's host, as a reader would copy it.
awk '/^A minimal host program in C/ {seen = 1}
     seen && /^```c$/ {inside = 1; next}
     inside && /^```$/ {exit}
     inside {print}' "$root/README.md" > "$work/host.c"
[[ -s $work/host.c ]] || { echo "install: no C host found in README.md" >&2; exit 1; }
run() {  # in the work folder: the library writes its run log where it runs
  (cd "$work" && "$1") | iconv -f gbk -t utf-8
}
expect() {
  grep -q "^图像分类	" <<<"$2" || { echo "install: $1 printed: $2" >&2; exit 1; }
}
cc -std=c11 -Wall -Werror -I"$prefix/include" "$work/host.c" -L"$prefix/lib" -lTarnix \
   -Wl,-rpath,"$prefix/lib" -o "$work/host"
expect "the README host" "$(run "$work/host")"

# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror "$work/host.c" $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs tarnix) \
   -Wl,-rpath,"$prefix/lib" -o "$work/host_pc"
expect "the pkg-config build" "$(run "$work/host_pc")"

cmake -S "$root/tests/install" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
      -DHOST_SOURCE="$work/host.c" >/dev/null
cmake --build "$work/consumer" >/dev/null
expect "the find_package consumer" "$(run "$work/consumer/consumer")"
# The Python package, finding the installed command beside it.
site=$(find "$prefix/lib" -maxdepth 3 -type d -name dist-packages | head -n 1)
[[ -f $site/tarnix/__init__.py ]] || { echo "install: no Python package under $prefix/lib" >&2; exit 1; }
got=$(cd "$work" && env -u TARNIX_COMMAND PYTHONPATH="$site" /usr/bin/python3 -c \
      "import tarnix; print(tarnix.extract(title='基于深度学习的图像分类', lang='zh')[0].text)")
[[ $got == 图像分类 ]] || { echo "install: the Python package printed: $got" >&2; exit 1; }
echo "install: headers, libraries (SONAME .so.0), CMake package and pkg-config file in place;" \
     "the README host, a pkg-config build, a find_package(Tarnix) project and the Python package run against the prefix"
