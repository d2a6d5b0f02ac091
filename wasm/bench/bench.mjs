// orvel-wasm against zxing-wasm's reader build in headless Chromium, on the
// same pictures decoded once by the browser: per-file time ratio (median and
// 90th percentile), files read (scored by score.py with tools/evaluate's
// rules) and the gzipped size of each .wasm.
//
//   node bench.mjs [CORPUS] [--repeats N] [--out FILE]
// CORPUS defaults to ../../../shared/corpus/real; needs wasm/dist built and
// `npm ci` here and in wasm/.
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

import { serve } from '../../web/server.mjs';
import { launchChromium } from '../test/browser/chromium.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(name);
  return at >= 0 ? args.splice(at, 2)[1] : fallback;
};
const repeats = Number(option('--repeats', 3));
const out = option('--out', join(here, 'results.json'));
const corpus = resolve(args[0] ?? join(here, '../../../shared/corpus/real'));

const rows = readFileSync(join(corpus, 'manifest.tsv'), 'utf8').trim().split('\n').slice(1).map((line) => {
  const [file, symbology, expectedHex] = line.split('\t');
  return { file, symbology, expectedHex };
});

const gzipped = (path) => gzipSync(readFileSync(path), { level: 9 }).length;
const sizes = {
  orvel: gzipped(join(here, '../dist/orvel.wasm')),
  zxing: gzipped(join(here, 'node_modules/zxing-wasm/dist/reader/zxing_reader.wasm')),
};

const server = await serve({ mounts: { '/corpus/': corpus } });
const chromium = await launchChromium();
const files = [];
try {
  const page = await chromium.browser.newPage();
  page.on('pageerror', (error) => console.error('page error:', error.message));
  await page.goto(`${server.url}/wasm/bench/bench.html`);
  const agent = await page.evaluate((wasm) => window.prepare(wasm), `${server.url}/wasm/bench/node_modules/zxing-wasm/dist/reader/zxing_reader.wasm`);
  console.error(`${agent}\n${rows.length} pictures, ${repeats} runs each`);
  for (const [i, row] of rows.entries()) {
    const measured = await page.evaluate((url, n) => window.benchFile(url, n), `${server.url}/corpus/${row.file}`, repeats);
    files.push({ ...row, ...measured });
    if ((i + 1) % 20 === 0) console.error(`${i + 1}/${rows.length}`);
  }
} finally {
  await chromium.close();
  await server.close();
}
writeFileSync(out, JSON.stringify({ corpus, repeats, sizes, files }, null, 1));
execFileSync('python3', [join(here, 'score.py'), out], { stdio: 'inherit' });
