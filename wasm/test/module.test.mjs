// The module's contract in Node: results as the C++ entry point gives them,
// the BarcodeDetector interface, and bad input that must reject with a clear
// message and leave the module usable.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';

import { BarcodeDetector, knownFormats, readBarcodes, supportedFormats } from '../index.js';
import { drawRows, noise, sideBySide, turnQuarter, zintRows } from './support.mjs';

const qr = (text, extra = []) => drawRows(zintRows(['-b', 'QRCODE', '-d', text, ...extra]));

describe('readBarcodes', () => {
  test('a QR Code gives its text, bytes, format, identifier, corners and EC level', async () => {
    const rows = zintRows(['-b', 'QRCODE', '-d', 'Orvel in the browser', '--secure=2']);
    const picture = drawRows(rows);
    const [result, ...rest] = await readBarcodes(picture);
    assert.equal(rest.length, 0);
    assert.equal(result.text, 'Orvel in the browser');
    assert.deepEqual([...result.bytes], [...Buffer.from('Orvel in the browser')]);
    assert.equal(result.format, 'QRCODE');
    assert.equal(result.detectorFormat, 'qr_code');
    assert.equal(result.symbologyIdentifier, ']Q1');
    assert.equal(result.ecLevel, 'M');
    assert.equal(result.isValid, true);
    assert.equal(result.structuredAppend.index, -1);
    // 10 quiet modules of 4 pixels: the symbol spans 40 to 40 + 4 × modules.
    const { topLeft, bottomRight } = result.position;
    const end = 40 + 4 * rows.length;
    assert.ok(Math.abs(topLeft.x - 40) <= 3 && Math.abs(topLeft.y - 40) <= 3, JSON.stringify(topLeft));
    assert.ok(Math.abs(bottomRight.x - end) <= 3 && Math.abs(bottomRight.y - end) <= 3, JSON.stringify(bottomRight));
    assert.ok(Math.abs(result.orientation) < 2 || Math.abs(result.orientation - 360) < 2, `${result.orientation}`);
  });

  test('a turned symbol reports its corners and orientation turned', async () => {
    const [result] = await readBarcodes(turnQuarter(qr('turned')));
    assert.equal(result.text, 'turned');
    assert.ok(Math.abs(result.orientation - 90) < 2, `${result.orientation}`);
    const { topLeft } = result.position;
    // The symbol's own top-left is now at the picture's top-right.
    assert.ok(topLeft.x > topLeft.y, JSON.stringify(result.position));
  });

  test('structured append and ECI come through', async () => {
    const [result] = await readBarcodes(qr('part', ['--structapp=2,3,77']));
    assert.deepEqual({ index: result.structuredAppend.index, count: result.structuredAppend.count }, { index: 1, count: 3 });
    const [greek] = await readBarcodes(qr('αβγ', ['--eci=9']));
    assert.equal(greek.text, 'αβγ');
    assert.deepEqual(greek.eciMarks.map((mark) => mark.eci), [9]);
  });

  // The module carries no conversion tables: the multi-byte sets come from
  // the JavaScript engine's decoder, the others from the module itself.
  test('text in every kind of character set', async () => {
    const cases = [
      ['日本語のテキスト', []],  // Shift JIS without ECI, in Kanji mode
      ['中文字符', ['--eci=29']],  // GB 18030
      ['한국어', ['--eci=30']],  // EUC-KR
      ['繁體中文', ['--eci=28']],  // Big5
      ['Ωmega ŝ', ['--eci=25']],  // UTF-16BE
      ['İstanbul ğş', ['--eci=11']],  // ISO 8859-9
      ['ภาษาไทย', ['--eci=13']],  // ISO 8859-11
      ['𝄞 clef', ['--eci=34']],  // UTF-32BE
    ];
    for (const [text, eci] of cases) {
      const [result] = await readBarcodes(qr(text, eci));
      assert.equal(result?.text, text, `${text} ${eci.join(' ')}`);
    }
  });

  test('linear and 2D symbols in one picture; formats choose what is read', async () => {
    const ean = drawRows(zintRows(['-b', 'EANX', '-d', '501234567890']), { scale: 3 });
    const matrix = drawRows(zintRows(['-b', 'DATAMATRIX', '-d', 'DM 42']), { scale: 5 });
    const picture = sideBySide(ean, matrix);
    const all = await readBarcodes(picture);
    assert.deepEqual(all.map((r) => r.text).sort(), ['5012345678900', 'DM 42']);
    const only = await readBarcodes(picture, { formats: ['data_matrix'] });
    assert.deepEqual(only.map((r) => r.format), ['DATAMATRIX']);
    const listed = await readBarcodes(picture, { formats: 'ean13, qrcode' });
    assert.deepEqual(listed.map((r) => r.format), ['EAN13']);
    assert.equal(listed[0].symbologyIdentifier, ']E0');
  });

  test('maxSymbols stops early and tryHarder still reads', async () => {
    const picture = sideBySide(qr('one'), qr('two'));
    assert.equal((await readBarcodes(picture)).length, 2);
    assert.equal((await readBarcodes(picture, { maxSymbols: 1 })).length, 1);
    assert.equal((await readBarcodes(picture, { tryHarder: true })).length, 2);
  });

  test('a plain Uint8Array and an ImageData-like view into a larger buffer', async () => {
    const picture = qr('view');
    const padded = new Uint8Array(picture.data.length + 16);
    padded.set(picture.data, 8);
    const view = new Uint8Array(padded.buffer, 8, picture.data.length);
    const [result] = await readBarcodes({ data: view, width: picture.width, height: picture.height });
    assert.equal(result.text, 'view');
  });

  test('noise and blank pictures read nothing', async () => {
    assert.deepEqual(await readBarcodes(noise(320, 240)), []);
    assert.deepEqual(await readBarcodes(drawRows([[0]], { quiet: 20 })), []);
  });

  test('calls at once each get their own results', async () => {
    const texts = ['a1', 'b22', 'c333', 'd4444'];
    const results = await Promise.all(texts.map((text) => readBarcodes(qr(text))));
    assert.deepEqual(results.map(([r]) => r.text), texts);
  });
});

describe('bad input rejects with a message and leaves the module usable', () => {
  const good = qr('still fine');
  const cases = [
    ['no picture', undefined, TypeError, /expected ImageData/],
    ['a number', 42, TypeError, /expected ImageData/],
    ['a wrong width', { ...good, width: good.width - 1 }, RangeError, /need \d+ bytes, got \d+/],
    ['a zero height', { ...good, height: 0 }, RangeError, /positive integers/],
    ['a fractional width', { ...good, width: 10.5 }, RangeError, /positive integers/],
    ['empty data', { data: new Uint8ClampedArray(0), width: 1, height: 1 }, TypeError, /detached|empty/],
    ['a string for data', { data: 'pixels', width: 1, height: 1 }, TypeError, /Uint8ClampedArray/],
    ['a Float32Array', { data: new Float32Array(4), width: 1, height: 1 }, TypeError, /Uint8ClampedArray/],
    ['a huge size', { data: new Uint8Array(4), width: 1 << 20, height: 1 << 20 }, RangeError, /need/],
  ];
  for (const [name, input, type, message] of cases) {
    test(name, async () => {
      await assert.rejects(readBarcodes(input), (error) => error instanceof type && message.test(error.message));
    });
  }

  test('a detached buffer', async () => {
    const picture = qr('detached');
    structuredClone(picture.data.buffer, { transfer: [picture.data.buffer] });
    await assert.rejects(readBarcodes(picture), /detached/);
  });

  test('bad options name the option', async () => {
    await assert.rejects(readBarcodes(good, { formats: ['qr_code', 'nope'] }), /unknown format "nope"/);
    await assert.rejects(readBarcodes(good, { tryHarder: 'yes' }), /tryHarder must be true or false/);
    await assert.rejects(readBarcodes(good, { maxSymbols: -1 }), /maxSymbols must be a whole number/);
    await assert.rejects(readBarcodes(good, { binarizer: 'otsu' }), /binarizer must be/);
    await assert.rejects(readBarcodes(good, { speed: 'fast' }), /unknown option "speed"/);
    await assert.rejects(readBarcodes(good, 'qr_code'), /must be an object/);
  });

  test('after all of that the module still reads', async () => {
    const [result] = await readBarcodes(good);
    assert.equal(result.text, 'still fine');
  });
});

describe('BarcodeDetector', () => {
  test('getSupportedFormats lists the formats read, under the API names', async () => {
    const formats = await BarcodeDetector.getSupportedFormats();
    for (const name of ['qr_code', 'data_matrix', 'aztec', 'pdf417', 'ean_13', 'ean_8', 'upc_a', 'upc_e', 'code_128',
      'code_39', 'codabar', 'itf'])
      assert.ok(formats.includes(name), name);
    assert.ok(!formats.includes('unknown'));
    assert.deepEqual(await supportedFormats(), formats);
    // Every supported name is a name the table knows.
    const known = new Set((await knownFormats()).map((row) => row.detectorName));
    assert.ok(formats.every((name) => known.has(name)));
    // Formats the API has no name for keep the table's.
    assert.ok(known.has('identcode') && known.has('maxicode'));
    assert.ok(formats.includes('maxicode') && formats.includes('micropdf417'));
  });

  test('detect resolves to boundingBox, cornerPoints, format and rawValue', async () => {
    const picture = qr('detector');
    const [found, ...rest] = await new BarcodeDetector().detect(picture);
    assert.equal(rest.length, 0);
    assert.equal(found.format, 'qr_code');
    assert.equal(found.rawValue, 'detector');
    assert.equal(found.cornerPoints.length, 4);
    const xs = found.cornerPoints.map((p) => p.x), ys = found.cornerPoints.map((p) => p.y);
    assert.equal(found.boundingBox.x, Math.min(...xs));
    assert.equal(found.boundingBox.y, Math.min(...ys));
    assert.equal(found.boundingBox.width, Math.max(...xs) - Math.min(...xs));
    assert.equal(found.boundingBox.bottom, Math.max(...ys));
    // Clockwise from the top-left: the second corner is right of the first.
    assert.ok(found.cornerPoints[1].x > found.cornerPoints[0].x);
  });

  test('formats restrict detection', async () => {
    const picture = qr('restricted');
    assert.deepEqual(await new BarcodeDetector({ formats: ['ean_13'] }).detect(picture), []);
    assert.equal((await new BarcodeDetector({ formats: ['qr_code'] }).detect(picture)).length, 1);
    // A format the API has no name for goes by the table's name.
    assert.equal((await new BarcodeDetector({ formats: ['identcode', 'qr_code'] }).detect(picture)).length, 1);
    assert.deepEqual(await new BarcodeDetector({ formats: ['identcode'] }).detect(picture), []);
  });

  test('the constructor refuses what the API refuses', async () => {
    assert.throws(() => new BarcodeDetector({ formats: [] }), TypeError);
    assert.throws(() => new BarcodeDetector({ formats: ['unknown'] }), TypeError);
    assert.throws(() => new BarcodeDetector({ formats: 'qr_code' }), TypeError);
    await assert.rejects(new BarcodeDetector({ formats: ['qr_kode'] }).detect(qr('x')), /unknown format "qr_kode"/);
  });

  test('unsupported sources reject with TypeError', async () => {
    const detector = new BarcodeDetector();
    await assert.rejects(detector.detect(null), TypeError);
    await assert.rejects(detector.detect('picture.png'), TypeError);
    await assert.rejects(detector.detect({ width: 3 }), TypeError);
  });
});
