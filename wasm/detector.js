// BarcodeDetector as in the Shape Detection API, backed by readBarcodes.
import { knownFormats, readBarcodes, supportedFormats } from './index.js';

function domException(message, name) {
  return typeof DOMException === 'function' ? new DOMException(message, name) : Object.assign(new Error(message), { name });
}

function boundingBoxOf(points) {
  const xs = points.map((p) => p.x), ys = points.map((p) => p.y);
  const x = Math.min(...xs), y = Math.min(...ys);
  const width = Math.max(...xs) - x, height = Math.max(...ys) - y;
  if (typeof DOMRectReadOnly === 'function') return new DOMRectReadOnly(x, y, width, height);
  return { x, y, width, height, top: y, left: x, right: x + width, bottom: y + height };
}

function detectedOf(result) {
  const p = result.position;
  const cornerPoints = [p.topLeft, p.topRight, p.bottomRight, p.bottomLeft].map(({ x, y }) => ({ x, y }));
  return { boundingBox: boundingBoxOf(cornerPoints), cornerPoints, format: result.detectorFormat, rawValue: result.text };
}

function has(name) {
  return typeof globalThis[name] === 'function';
}

function sizeOf(source) {
  if (has('HTMLVideoElement') && source instanceof HTMLVideoElement) return [source.videoWidth, source.videoHeight];
  if (has('HTMLImageElement') && source instanceof HTMLImageElement) return [source.naturalWidth, source.naturalHeight];
  if (has('SVGImageElement') && source instanceof SVGImageElement) return [source.width.baseVal.value, source.height.baseVal.value];
  if (has('VideoFrame') && source instanceof VideoFrame) return [source.displayWidth, source.displayHeight];
  return [source.width, source.height];
}

function canvasOf(width, height) {
  if (has('OffscreenCanvas')) return new OffscreenCanvas(width, height);
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  return canvas;
}

function pixelsOfDrawable(source) {
  const [width, height] = sizeOf(source);
  if (!width || !height) return null;
  const canvas = canvasOf(width, height);
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.drawImage(source, 0, 0, width, height);
  return context.getImageData(0, 0, width, height);
}

// The RGBA pixels of a source, or null for a source with nothing to show yet
// (a video before its first frame, an empty canvas).
async function pixelsOf(source) {
  if (source === null || typeof source !== 'object')
    throw new TypeError(`BarcodeDetector.detect: unsupported source ${source === null ? 'null' : typeof source}`);
  if (has('ImageData') && source instanceof ImageData) return source;
  if (has('Blob') && source instanceof Blob) {
    if (!has('createImageBitmap')) throw new TypeError('BarcodeDetector.detect: this environment cannot decode a Blob');
    let bitmap;
    try {
      bitmap = await createImageBitmap(source);
    } catch (error) {
      throw domException(`BarcodeDetector.detect: the Blob is not a picture (${error.message})`, 'InvalidStateError');
    }
    try {
      return pixelsOfDrawable(bitmap);
    } finally {
      bitmap.close();
    }
  }
  if (has('HTMLVideoElement') && source instanceof HTMLVideoElement) {
    if (source.readyState < 2) return null;  // HAVE_CURRENT_DATA: no frame yet
    return pixelsOfDrawable(source);
  }
  if (has('HTMLImageElement') && source instanceof HTMLImageElement) {
    if (!source.complete) throw domException('BarcodeDetector.detect: the image has not loaded yet', 'InvalidStateError');
    if (source.naturalWidth === 0) throw domException('BarcodeDetector.detect: the image is broken', 'InvalidStateError');
    return pixelsOfDrawable(source);
  }
  if (has('ImageBitmap') && source instanceof ImageBitmap) {
    if (source.width === 0 && source.height === 0) throw domException('BarcodeDetector.detect: the ImageBitmap is closed', 'InvalidStateError');
    return pixelsOfDrawable(source);
  }
  if ((has('HTMLCanvasElement') && source instanceof HTMLCanvasElement) ||
      (has('OffscreenCanvas') && source instanceof OffscreenCanvas) ||
      (has('SVGImageElement') && source instanceof SVGImageElement) ||
      (has('VideoFrame') && source instanceof VideoFrame))
    return pixelsOfDrawable(source);
  // Outside a browser: any {data, width, height} of RGBA bytes.
  if ('data' in source && 'width' in source && 'height' in source) return source;
  throw new TypeError(`BarcodeDetector.detect: unsupported source ${source.constructor?.name ?? 'object'}`);
}

// The Shape Detection API's own format names: the constructor checks these at
// once; other names (the table's, for formats the API does not name) are
// checked against the module by detect().
const detectorNames = new Set(['aztec', 'code_128', 'code_39', 'code_93', 'codabar', 'data_matrix', 'ean_13', 'ean_8',
  'itf', 'pdf417', 'qr_code', 'upc_a', 'upc_e']);

let namesPromise = null;

// Detector name -> true for every name the table knows.
function knownNames() {
  namesPromise ??= knownFormats().then((rows) => new Set(rows.map((row) => row.detectorName)));
  return namesPromise;
}

export class BarcodeDetector {
  #formats;
  #ready;

  // formats: detector names ("qr_code", "ean_13", ...); none: all that this
  // build reads. An empty list or "unknown" is a TypeError at once; a name
  // that neither the API nor the library knows makes detect() reject with
  // one.
  constructor(options = {}) {
    if (options === null || typeof options !== 'object')
      throw new TypeError('BarcodeDetector: options must be an object');
    const { formats } = options;
    if (formats !== undefined) {
      if (!Array.isArray(formats)) throw new TypeError('BarcodeDetector: formats must be an array of format names');
      if (formats.length === 0) throw new TypeError('BarcodeDetector: formats must not be empty');
      for (const name of formats)
        if (typeof name !== 'string') throw new TypeError('BarcodeDetector: formats must be strings');
      if (formats.includes('unknown')) throw new TypeError('BarcodeDetector: "unknown" is not a format to look for');
    }
    this.#formats = formats === undefined ? undefined : [...formats];
    const others = this.#formats?.filter((name) => !detectorNames.has(name)) ?? [];
    this.#ready = others.length === 0 ? Promise.resolve() : knownNames().then((known) => {
      const unknown = others.filter((name) => !known.has(name));
      if (unknown.length) throw new TypeError(`BarcodeDetector: unknown format ${unknown.map((n) => `"${n}"`).join(', ')}`);
    });
    this.#ready.catch(() => {});
  }

  static async getSupportedFormats() {
    return supportedFormats();
  }

  async detect(source) {
    await this.#ready;
    const pixels = await pixelsOf(source);
    if (pixels === null) return [];
    const options = this.#formats === undefined ? {} : { formats: this.#formats };
    const results = await readBarcodes(pixels, options);
    return results.filter((result) => result.isValid).map(detectedOf);
  }
}
