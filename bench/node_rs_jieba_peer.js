// The peer @node-rs/jieba (jieba-rs through N-API): its TF-IDF keyword
// extractor, timed on the same texts as Tarnix. The package is not part of
// the repository: bench/node_rs_jieba.sh installs it into a scratch folder.
//
//   node bench/node_rs_jieba_peer.js NPM_DIR article TEXT.utf8 [ROUNDS]
//     the whole file as one text, ROUNDS calls (top 20): the median per call
//   node bench/node_rs_jieba_peer.js NPM_DIR lines TEXTS.utf8 [PASSES]
//     each line one text (top 10), PASSES passes: articles per second of the
//     best pass, as the other short-abstract figures are
'use strict'
const fs = require('fs')
const path = require('path')

const [npmDir, mode, file, count] = process.argv.slice(2)
if (!npmDir || !['article', 'lines'].includes(mode) || !file) {
  process.stderr.write('usage: node_rs_jieba_peer.js NPM_DIR article|lines FILE [ROUNDS]\n')
  process.exit(2)
}
const pkg = path.join(npmDir, 'node_modules', '@node-rs', 'jieba')
const { Jieba, TfIdf } = require(pkg)
const { dict, idf } = require(path.join(pkg, 'dict'))

const t0 = process.hrtime.bigint()
const jieba = Jieba.withDict(dict)
const tfidf = TfIdf.withDict(idf)
const loadMs = Number(process.hrtime.bigint() - t0) / 1e6
const ms = (from) => Number(process.hrtime.bigint() - from) / 1e6

if (mode === 'article') {
  const text = fs.readFileSync(file, 'utf8')
  const rounds = Math.max(1, parseInt(count || '200', 10))
  const times = []
  let keywords = []
  for (let i = 0; i < rounds + 5; ++i) {
    const start = process.hrtime.bigint()
    keywords = tfidf.extractKeywords(jieba, text, 20)
    if (i >= 5) times.push(ms(start))
  }
  times.sort((a, b) => a - b)
  const q = (f) => times[Math.floor(f * (times.length - 1))]
  console.log(`${'@node-rs/jieba TfIdf (top 20)'.padEnd(34)} median ${times[times.length >> 1].toFixed(3)} ms  ` +
              `p10 ${q(0.1).toFixed(3)}  p90 ${q(0.9).toFixed(3)}  (${times.length} calls)`)
  console.log('keywords: ' + keywords.slice(0, 10).map((k) => k.keyword).join(' '))
} else {
  const texts = fs.readFileSync(file, 'utf8').split('\n').filter((line) => line.length > 0)
  const passes = Math.max(1, parseInt(count || '3', 10))
  for (const text of texts.slice(0, 50)) tfidf.extractKeywords(jieba, text, 10)  // warm up
  let best = Infinity
  let found = 0
  for (let p = 0; p < passes; ++p) {
    const start = process.hrtime.bigint()
    found = 0
    for (const text of texts) found += tfidf.extractKeywords(jieba, text, 10).length
    best = Math.min(best, ms(start))
  }
  console.log(`@node-rs/jieba TfIdf: ${texts.length} articles, best of ${passes} passes ${best.toFixed(1)} ms, ` +
              `${(texts.length / best * 1000).toFixed(0)} articles/s (load ${loadMs.toFixed(0)} ms, ${found} keywords)`)
}
