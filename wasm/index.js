// orvel-wasm: the VekBarcode Orvel reader compiled to WebAssembly.
//
//   readBarcodes(imageData, options)  the library's entry point on RGBA pixels
//   BarcodeDetector                   the Shape Detection API's interface
//
// The module is loaded once, on first use (or by loadOrvel()).
import createOrvelModule from './dist/orvel.mjs';

let modulePromise = null;

const isNode = typeof process === 'object' && typeof process.versions === 'object' && !!process.versions.node;

// Loads the WebAssembly module; later calls return the same promise.
// `overrides` go to the Emscripten factory (locateFile, wasmBinary, ...).
export function loadOrvel(overrides = {}) {
  if (!modulePromise) {
    modulePromise = (async () => {
      const settings = { ...overrides };
      if (isNode && !settings.wasmBinary) {
        // The factory is built for pages and workers; Node hands it the bytes.
        const { readFile } = await import('node:fs/promises');
        settings.wasmBinary = await readFile(new URL('./dist/orvel.wasm', import.meta.url));
      }
      return createOrvelModule(settings);
    })();
    modulePromise.catch(() => { modulePromise = null; });
  }
  return modulePromise;
}

function describe(value) {
  if (value === null) return 'null';
  if (typeof value !== 'object') return typeof value;
  return value.constructor?.name ?? 'object';
}

// Checks an ImageData-like value ({data, width, height}, RGBA rows without
// padding) and returns its bytes as a Uint8Array; raises TypeError or
// RangeError with a message that says what is wrong.
export function checkedPixels(imageData) {
  if (imageData === null || typeof imageData !== 'object')
    throw new TypeError(`readBarcodes: expected ImageData or {data, width, height}, got ${describe(imageData)}`);
  const { data, width, height } = imageData;
  if (!Number.isInteger(width) || !Number.isInteger(height) || width <= 0 || height <= 0)
    throw new RangeError(`readBarcodes: width and height must be positive integers, got ${width} x ${height}`);
  if (!ArrayBuffer.isView(data) || data.BYTES_PER_ELEMENT !== 1 || data instanceof DataView)
    throw new TypeError(`readBarcodes: data must be a Uint8ClampedArray or Uint8Array, got ${describe(data)}`);
  if (data.buffer.byteLength === 0 && width * height > 0)
    throw new TypeError('readBarcodes: the pixel buffer is detached (transferred to a worker or closed) or empty');
  if (data.length !== width * height * 4)
    throw new RangeError(`readBarcodes: ${width} x ${height} RGBA pixels need ${width * height * 4} bytes, got ${data.length}`);
  return data instanceof Uint8Array ? data : new Uint8Array(data.buffer, data.byteOffset, data.length);
}

// Reads every symbol in the picture. `imageData` is an ImageData or any
// {data, width, height} of RGBA bytes; `options` are the C++ reader options
// (formats, tryHarder, tryRotate, tryInvert, tryDownscale, isPure,
// maxSymbols, returnErrors, binarizer, minInterleavedDigits, eanAddOn).
// Resolves to the result records; rejects with an Error that says what is
// wrong with bad input.
export async function readBarcodes(imageData, options = {}) {
  const pixels = checkedPixels(imageData);
  const orvel = await loadOrvel();
  // The buffer may have been detached while the module loaded.
  if (pixels.buffer.byteLength === 0) throw new TypeError('readBarcodes: the pixel buffer was detached during the call');
  const address = orvel._malloc(pixels.length);
  if (address === 0) throw new RangeError(`readBarcodes: out of memory for ${imageData.width} x ${imageData.height} pixels`);
  let answer;
  try {
    orvel.HEAPU8.set(pixels, address);
    answer = orvel.readRgba(address, imageData.width, imageData.height, options);
  } finally {
    orvel._free(address);
  }
  if (answer.error !== undefined) throw new Error(answer.error);
  return answer.results;
}

// The formats this build reads, under the Shape Detection API's names.
export async function supportedFormats() {
  return (await loadOrvel()).supportedFormats();
}

// Every format the library's table names: {name, detectorName, identifier, linear}.
export async function knownFormats() {
  return (await loadOrvel()).knownFormats();
}

export { BarcodeDetector } from './detector.js';
