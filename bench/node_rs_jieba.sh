# Sourced by the peer benchmarks: installs the npm package @node-rs/jieba
# (a prebuilt jieba-rs, scripts not run) into its own folder inside the
# scratch folder, so that installing it leaves the other peers' packages
# there alone (npm removes what a --no-save install does not name).
#
#   install_node_rs_jieba NPM_DIR     sets node_rs_jieba_dir
install_node_rs_jieba() {
  node_rs_jieba_dir=$1/node-rs-jieba
  if [ ! -d "$node_rs_jieba_dir/node_modules/@node-rs/jieba" ]; then
    mkdir -p "$node_rs_jieba_dir"
    [ -f "$node_rs_jieba_dir/package.json" ] || echo '{"private": true}' > "$node_rs_jieba_dir/package.json"
    (cd "$node_rs_jieba_dir" && npm install --no-save --ignore-scripts --prefix "$node_rs_jieba_dir" \
      @node-rs/jieba@2.0.3 >/dev/null)
  fi
}
