// Runs in the page: decodes each picture once with the browser, then hands
// the same ImageData to both readers and times each call.
import { readBarcodes as orvelRead, loadOrvel } from '/wasm/index.js';
import { prepareZXingModule, readBarcodesFromImageData as zxingRead } from '/wasm/bench/node_modules/zxing-wasm/dist/es/reader/index.js';

const zxingOptions = { textMode: 'Plain' };

async function pixelsOf(url) {
  const blob = await (await fetch(url)).blob();
  const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
  const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  return context.getImageData(0, 0, canvas.width, canvas.height);
}

const hex = (bytes) => Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');

async function timed(read) {
  const start = performance.now();
  const results = await read();
  return { ms: performance.now() - start, results };
}

const readers = {
  orvel: async (pixels) => {
    const { ms, results } = await timed(() => orvelRead(pixels));
    return { ms, results: results.filter((r) => r.isValid).map((r) => ({ format: r.format, text: r.text, bytes: hex(r.bytes) })) };
  },
  zxing: async (pixels) => {
    const { ms, results } = await timed(() => zxingRead(pixels, zxingOptions));
    return { ms, results: results.filter((r) => r.isValid).map((r) => ({ format: r.format, text: r.text, bytes: hex(r.bytes) })) };
  },
};

window.prepare = async (zxingWasmUrl) => {
  await loadOrvel();
  await prepareZXingModule({ overrides: { locateFile: () => zxingWasmUrl }, fireImmediately: true });
  // Each reader once on a small blank picture: compilation and first-call
  // costs stay out of the timings.
  const blank = new ImageData(64, 64);
  await readers.orvel(blank);
  await readers.zxing(blank);
  return navigator.userAgent;
};

// Both readers on one picture, `repeats` times each, alternating which goes
// first; each keeps its median time.
window.benchFile = async (url, repeats) => {
  const pixels = await pixelsOf(url);
  const times = { orvel: [], zxing: [] };
  const found = {};
  for (let i = 0; i < repeats; ++i) {
    const order = i % 2 ? ['zxing', 'orvel'] : ['orvel', 'zxing'];
    for (const name of order) {
      const { ms, results } = await readers[name](pixels);
      times[name].push(ms);
      found[name] = results;
    }
  }
  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  return { width: pixels.width, height: pixels.height, orvel: { ms: median(times.orvel), results: found.orvel },
    zxing: { ms: median(times.zxing), results: found.zxing } };
};
