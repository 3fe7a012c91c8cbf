#!/usr/bin/env bash
# The two keyword tables of the README's first section, as the tarnix
# command prints them for samples/zh-article.json: the extraction alone
# (author keywords withheld), then with the author keywords.
#
#   scripts/readme_demo.sh TARNIX            print both tables
#   scripts/readme_demo.sh TARNIX --check    compare them with README.md
set -euo pipefail
cd "$(dirname "$0")/.."
tarnix=$1
tables() {
  echo "# the author keywords withheld: what the extractor finds"
  "$tarnix" extract --top 10 --keywords '' samples/zh-article.json
  echo "# with the author keywords, which always rank first"
  "$tarnix" extract --top 10 samples/zh-article.json
}
if [[ ${2:-} != --check ]]; then
  tables
  exit 0
fi
# The README's block is the one right after the line "    scripts/demo.sh".
readme=$(awk '/^    scripts\/demo.sh$/ {seen = 1; next}
              seen && /^```$/ {inside = !inside; if (!inside) exit; next}
              seen && inside {print}' README.md)
if ! diff <(printf '%s\n' "$readme") <(tables); then
  echo "README.md's demo tables differ from what tarnix prints (above: < README, > tarnix);" \
       "regenerate them with scripts/readme_demo.sh build/bin/tarnix" >&2
  exit 1
fi
echo "README.md's demo tables match"
