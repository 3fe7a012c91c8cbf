// The peer `tarnix eval --peer retext-keywords`: the npm package
// retext-keywords (with retext and retext-pos) on each text. It reads one
// JSON object per line ({"text": ...}) on standard input and answers each
// with a JSON list of at most 10 keyphrases on standard output.
//
// The packages are not part of the repository: they are installed (scripts
// not run) into a scratch folder when missing, $TARNIX_BENCH_NPM or else
// ${TMPDIR:-/tmp}/tarnix-bench-npm, the folder the other peer benchmarks
// use. ESM imports do not search NODE_PATH, so the packages are loaded by
// their resolved file URLs.
import {execFileSync} from 'node:child_process'
import {existsSync, mkdirSync} from 'node:fs'
import {createRequire} from 'node:module'
import {tmpdir} from 'node:os'
import path from 'node:path'
import {createInterface} from 'node:readline'
import {pathToFileURL} from 'node:url'

const TOP = 10
const PACKAGES = ['retext', 'retext-pos', 'retext-keywords', 'nlcst-to-string']

const npmDir = process.env.TARNIX_BENCH_NPM || path.join(process.env.TMPDIR || tmpdir(), 'tarnix-bench-npm')
if (!PACKAGES.every((name) => existsSync(path.join(npmDir, 'node_modules', name, 'package.json')))) {
  mkdirSync(npmDir, {recursive: true})
  process.stderr.write(`retext-keywords peer: installing ${PACKAGES.join(' ')} into ${npmDir}\n`)
  // npm's own output goes to standard error: standard output is the answer channel.
  execFileSync('npm', ['install', '--no-save', '--ignore-scripts', ...PACKAGES], {
    cwd: npmDir,
    stdio: ['ignore', process.stderr, process.stderr]
  })
}
const resolve = createRequire(path.join(npmDir, 'package.json')).resolve
const load = async (name) => import(pathToFileURL(resolve(name)).href)
const {retext} = await load('retext')
const retextPos = (await load('retext-pos')).default
const retextKeywords = (await load('retext-keywords')).default
const {toString} = await load('nlcst-to-string')

const processor = retext().use(retextPos).use(retextKeywords, {maximum: TOP})

// The list: the key phrases first, in the plugin's order (highest score
// first; phrases of one word are phrases too), then the keywords in their
// order to fill it up, each text once (case aside), at most TOP. The plugin
// scores whole phrases from the frequencies of their nouns, so a phrase
// outranks the keyword it is built on; where it finds fewer than TOP
// phrases the keywords complete the list.
function keyphrasesOf(file) {
  const out = []
  const seen = new Set()
  const add = (text) => {
    const value = text.replace(/\s+/g, ' ').trim()
    const key = value.toLowerCase()
    if (value && !seen.has(key) && out.length < TOP) {
      seen.add(key)
      out.push(value)
    }
  }
  for (const phrase of file.data.keyphrases || []) add(toString(phrase.matches[0].nodes))
  for (const keyword of file.data.keywords || []) add(toString(keyword.matches[0].node))
  return out
}

const lines = createInterface({input: process.stdin, crlfDelay: Infinity})
for await (const line of lines) {
  const {text} = JSON.parse(line)
  const file = await processor.process(String(text))
  process.stdout.write(JSON.stringify(keyphrasesOf(file)) + '\n')
}
