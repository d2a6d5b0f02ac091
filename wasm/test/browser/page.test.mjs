// The scanning page and the module in Debian's headless Chromium: sample
// pictures opened as a person would, each symbol's outline checked on a
// screenshot, the camera path on Chromium's fake camera playing a clip made
// here, and the BarcodeDetector on every kind of source.
import assert from 'node:assert/strict';
import { mkdtemp, mkdir, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { serve } from '../../../web/server.mjs';
import { drawRows, zintRows } from '../support.mjs';
import { launchChromium } from './chromium.mjs';

const repository = resolve(fileURLToPath(new URL('../../..', import.meta.url)));
const samples = join(repository, 'samples');
// Screenshots are kept for a person to look at.
const shots = process.env.ORVEL_SCREENSHOT_DIR ?? join(repository, 'build-wasm', 'screenshots');

const sampleTexts = {
  'QRCodeImages/qrcode-text.jpg': 'VekBarcode Orvel QR sample 2026',
  'QRCodeImages/qrcode.bmp': 'https://orvel.vekbarcode.example',
  'DatamatrixImages/datamatrix.bmp': 'VekBarcode Orvel',
  'AztecImages/aztec-numbers.jpg': '0123456789',
  'PDF417Images/pdf417.bmp': 'VekBarcode Orvel PDF417 sample',
  'images/ean13.jpg': '5901234123457',
  'images/code128.bmp': 'Orvel-128',
};
const cameraText = 'Orvel fake camera 42';

// A clip for the fake camera: the QR Code drawn on grey frames (4:2:0).
async function writeClip(path) {
  const width = 640, height = 480, frames = 10;
  const symbol = drawRows(zintRows(['-b', 'QRCODE', '-d', cameraText]), { scale: 8, quiet: 4, dark: 20, light: 235 });
  const luma = new Uint8Array(width * height).fill(200);
  const left = (width - symbol.width) >> 1, top = (height - symbol.height) >> 1;
  for (let y = 0; y < symbol.height; ++y)
    for (let x = 0; x < symbol.width; ++x) luma[(top + y) * width + left + x] = symbol.data[(y * symbol.width + x) * 4];
  const chroma = new Uint8Array((width / 2) * (height / 2)).fill(128);
  const frame = Buffer.concat([Buffer.from('FRAME\n'), luma, chroma, chroma]);
  const header = Buffer.from(`YUV4MPEG2 W${width} H${height} F10:1 Ip A1:1 C420jpeg\n`);
  await writeFile(path, Buffer.concat([header, ...Array(frames).fill(frame)]));
}

let server, chromium, scratch;

before(async () => {
  scratch = await mkdtemp(join(tmpdir(), 'orvel-page-'));
  await mkdir(shots, { recursive: true });
  const clip = join(scratch, 'qr.y4m');
  await writeClip(clip);
  server = await serve();
  chromium = await launchChromium(['--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream',
    `--use-file-for-fake-video-capture=${clip}`, '--autoplay-policy=no-user-gesture-required']);
});

after(async () => {
  await chromium?.close();
  await server?.close();
  await rm(scratch, { recursive: true, force: true });
});

async function openPage() {
  const page = await chromium.browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.setDefaultTimeout(90000);
  await page.setViewport({ width: 1200, height: 900 });
  await page.goto(`${server.url}/web/`);
  await page.waitForSelector('body[data-state="ready"]', { timeout: 90000 });
  return { page, errors };
}

const listedTexts = (page) => page.$$eval('#results li .text', (items) => items.map((item) => item.textContent));

// Pixels of the outline colour in a screenshot, counted by the page itself:
// within `radius` pixels of each point, and in all.
async function outlinePixels(page, png, points, radius) {
  return page.evaluate(async (base64, points, radius) => {
    const bitmap = await createImageBitmap(await (await fetch(`data:image/png;base64,${base64}`)).blob());
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const { data, width, height } = context.getImageData(0, 0, bitmap.width, bitmap.height);
    const isOutline = (i) => data[i] < 60 && data[i + 1] > 190 && data[i + 2] > 80 && data[i + 2] < 160;
    const near = points.map(() => 0);
    let total = 0;
    for (let y = 0; y < height; ++y)
      for (let x = 0; x < width; ++x) {
        if (!isOutline((y * width + x) * 4)) continue;
        ++total;
        points.forEach((p, k) => { if (Math.hypot(p.x - x, p.y - y) <= radius) ++near[k]; });
      }
    return { near, total, width, height };
  }, Buffer.from(png).toString('base64'), points, radius);
}

describe('the scanning page', () => {
  test('opened pictures list the right texts', async () => {
    const { page, errors } = await openPage();
    const input = await page.$('#files');
    await input.uploadFile(...Object.keys(sampleTexts).map((name) => join(samples, name)));
    await page.waitForFunction((n) => document.querySelectorAll('#results li').length >= n &&
      document.body.dataset.state === 'ready', { timeout: 120000 }, Object.keys(sampleTexts).length);
    assert.deepEqual((await listedTexts(page)).sort(), Object.values(sampleTexts).sort());
    assert.match(await page.$eval('#status', (s) => s.textContent), /1 symbol in [\d.]+ ms/);
    await page.screenshot({ path: join(shots, 'pictures.png') });
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('each symbol is outlined where the reader found it (screenshot)', async () => {
    const { page } = await openPage();
    const file = join(samples, 'QRCodeImages/qrcode.bmp');
    await (await page.$('#files')).uploadFile(file);
    await page.waitForFunction(() => document.querySelectorAll('#results li').length === 1 &&
      document.body.dataset.state === 'ready', { timeout: 90000 });
    // The corners as the module reports them, scaled to the canvas as shown.
    const { corners, scale } = await page.evaluate(async () => {
      const { readBarcodes } = await import('/wasm/index.js');
      const view = document.getElementById('view');
      const image = await createImageBitmap(await (await fetch('/samples/QRCodeImages/qrcode.bmp')).blob());
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const [result] = await readBarcodes(context.getImageData(0, 0, image.width, image.height));
      const p = result.position;
      return { corners: [p.topLeft, p.topRight, p.bottomRight, p.bottomLeft], scale: view.clientWidth / view.width };
    });
    const png = await (await page.$('#view')).screenshot();
    const shown = corners.map(({ x, y }) => ({ x: x * scale, y: y * scale }));
    const { near, total } = await outlinePixels(page, png, shown, 8);
    assert.ok(near.every((count) => count > 0), `outline pixels near the corners: ${near}`);
    // The outline is a thin frame, not a filled area.
    const side = Math.hypot(shown[1].x - shown[0].x, shown[1].y - shown[0].y);
    assert.ok(total > 2 * side && total < 40 * side, `${total} outline pixels for a side of ${side}`);
    await writeFile(join(shots, 'outline.png'), png);
    await page.close();
  });

  test('the camera reads a QR Code from the fake camera, with the time per frame', async () => {
    const { page, errors } = await openPage();
    await page.click('#camera');
    await page.waitForFunction((text) => [...document.querySelectorAll('#results li .text')].some((t) => t.textContent === text),
      { timeout: 90000 }, cameraText);
    await page.waitForFunction(() => /ms this frame/.test(document.getElementById('status').textContent), { timeout: 90000 });
    assert.equal(await page.$eval('body', (b) => b.dataset.state), 'camera');
    // Outlines on the live video.
    await new Promise((wait) => setTimeout(wait, 500));
    const png = await page.screenshot({ path: join(shots, 'camera.png') });
    const { total } = await outlinePixels(page, png, [], 0);
    assert.ok(total > 100, `${total} outline pixels on the video`);
    await page.click('#camera');
    assert.equal(await page.$eval('body', (b) => b.dataset.state), 'ready');
    assert.deepEqual(errors, []);
    await page.close();
  });
});

describe('the module in the browser', () => {
  test('BarcodeDetector reads every kind of source', async () => {
    const { page } = await openPage();
    const found = await page.evaluate(async () => {
      const { BarcodeDetector } = await import('/wasm/index.js');
      const detector = new BarcodeDetector({ formats: ['qr_code'] });
      const blob = await (await fetch('/samples/QRCodeImages/qrcode.bmp')).blob();
      const bitmap = await createImageBitmap(blob);
      const canvas = document.createElement('canvas');
      canvas.width = bitmap.width;
      canvas.height = bitmap.height;
      canvas.getContext('2d').drawImage(bitmap, 0, 0);
      const offscreen = new OffscreenCanvas(bitmap.width, bitmap.height);
      offscreen.getContext('2d').drawImage(bitmap, 0, 0);
      const image = new Image();
      image.src = '/samples/QRCodeImages/qrcode-text.jpg';
      await image.decode();
      const video = document.createElement('video');
      video.muted = true;
      video.srcObject = await navigator.mediaDevices.getUserMedia({ video: true });
      await video.play();
      const sources = {
        ImageData: canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height),
        ImageBitmap: bitmap, Blob: blob, HTMLImageElement: image, HTMLCanvasElement: canvas,
        OffscreenCanvas: offscreen, HTMLVideoElement: video,
      };
      const answers = {};
      for (const [name, source] of Object.entries(sources)) {
        const results = await detector.detect(source);
        answers[name] = results.map((r) => ({ format: r.format, rawValue: r.rawValue, corners: r.cornerPoints.length,
          box: r.boundingBox instanceof DOMRectReadOnly && r.boundingBox.width > 0 }));
      }
      video.srcObject.getTracks().forEach((track) => track.stop());
      return { answers, supported: await BarcodeDetector.getSupportedFormats() };
    });
    const qr = (rawValue) => [{ format: 'qr_code', rawValue, corners: 4, box: true }];
    for (const name of ['ImageData', 'ImageBitmap', 'Blob', 'HTMLCanvasElement', 'OffscreenCanvas'])
      assert.deepEqual(found.answers[name], qr('https://orvel.vekbarcode.example'), name);
    assert.deepEqual(found.answers.HTMLImageElement, qr('VekBarcode Orvel QR sample 2026'));
    assert.deepEqual(found.answers.HTMLVideoElement, qr(cameraText));
    assert.ok(found.supported.includes('qr_code') && found.supported.includes('ean_13'));
    await page.close();
  });

  test('bad input rejects with a message and the page goes on', async () => {
    const { page, errors } = await openPage();
    const messages = await page.evaluate(async () => {
      const { BarcodeDetector, readBarcodes } = await import('/wasm/index.js');
      const outcome = (promise) => promise.then(() => 'resolved', (error) => `${error.name}: ${error.message}`);
      const detached = new ImageData(8, 8);
      structuredClone(detached.data.buffer, { transfer: [detached.data.buffer] });
      const brokenImage = new Image();
      brokenImage.src = 'data:image/png;base64,AAAA';
      await brokenImage.decode().catch(() => {});
      const closed = await createImageBitmap(new ImageData(4, 4));
      closed.close();
      const detector = new BarcodeDetector();
      return {
        detached: await outcome(detector.detect(detached)),
        wrongSize: await outcome(readBarcodes({ data: new Uint8ClampedArray(16), width: 3, height: 3 })),
        empty: await outcome(readBarcodes({ data: new Uint8ClampedArray(0), width: 0, height: 0 })),
        notAPicture: await outcome(detector.detect(new Blob(['not a picture'], { type: 'image/png' }))),
        brokenImage: await outcome(detector.detect(brokenImage)),
        closedBitmap: await outcome(detector.detect(closed)),
        emptyCanvas: await outcome(detector.detect(document.createElement('canvas')).then((r) => { if (r.length) throw new Error('read'); })),
        still: (await detector.detect(new ImageData(16, 16))).length,
      };
    });
    assert.match(messages.detached, /^TypeError: .*detached/);
    assert.match(messages.wrongSize, /^RangeError: .*need 36 bytes, got 16/);
    assert.match(messages.empty, /^RangeError: .*positive integers/);
    assert.match(messages.notAPicture, /^InvalidStateError: .*not a picture/);
    assert.match(messages.brokenImage, /^InvalidStateError: .*broken/);
    assert.match(messages.closedBitmap, /^InvalidStateError: .*closed/);
    assert.equal(messages.emptyCanvas, 'resolved');
    assert.equal(messages.still, 0);
    assert.deepEqual(errors, []);
    await page.close();
  });
});
