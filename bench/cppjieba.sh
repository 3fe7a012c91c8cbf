# Sourced by the peer benchmarks: cppjieba's headers come with the npm
# package nodejieba, installed (scripts not run) into a scratch folder.
#
#   build_cppjieba NPM_DIR SOURCE.cc OUTPUT   compiles SOURCE against them;
#                                             sets cppjieba_root
build_cppjieba() {
  local npm_dir=$1 source=$2 output=$3
  cppjieba_root=$npm_dir/node_modules/nodejieba/submodules/cppjieba
  if [ ! -d "$cppjieba_root/include" ]; then
    mkdir -p "$npm_dir"
    (cd "$npm_dir" && npm install --no-save --ignore-scripts nodejieba >/dev/null)
  fi
  g++ -O2 -DNDEBUG -std=c++17 -w -I"$cppjieba_root/include" -I"$cppjieba_root/deps/limonp/include" \
    "$source" -o "$output"
}
