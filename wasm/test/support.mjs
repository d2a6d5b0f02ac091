// Pictures for the tests: zint's module rows drawn into RGBA pixels.
import { execFileSync } from 'node:child_process';

// The module rows of a symbol zint makes (1: dark), e.g.
// zintRows(['-b', 'QRCODE', '-d', 'text']). Fails loudly where zint is missing.
export function zintRows(args) {
  const dump = execFileSync('zint', [...args, '--dump'], { encoding: 'latin1' });
  const rows = dump.split('\n').map((line) => line.replace(/[^0-9A-F]/g, '')).filter((hex) => hex.length)
    .map((hex) => [...hex].flatMap((digit) => {
      const nibble = parseInt(digit, 16);
      return [3, 2, 1, 0].map((bit) => (nibble >> bit) & 1);
    }));
  if (!rows.length) throw new Error(`zint made no symbol of ${args.join(' ')}`);
  return rows;
}

// The rows drawn `scale` pixels a module inside a light quiet zone of `quiet`
// modules; a single row (a linear symbol) is drawn `barHeight` modules high.
export function drawRows(rows, { scale = 4, quiet = 10, barHeight = 40, dark = 0, light = 255 } = {}) {
  const lines = rows.length === 1 ? Array(barHeight).fill(rows[0]) : rows;
  const columns = Math.max(...lines.map((row) => row.length));
  const width = (columns + 2 * quiet) * scale, height = (lines.length + 2 * quiet) * scale;
  const data = new Uint8ClampedArray(width * height * 4).fill(light);
  for (let y = 0; y < height; ++y) {
    const row = lines[Math.floor(y / scale) - quiet];
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * 4;
      if (row && row[Math.floor(x / scale) - quiet]) data[i] = data[i + 1] = data[i + 2] = dark;
      data[i + 3] = 255;
    }
  }
  return { data, width, height };
}

// The picture turned a quarter clockwise.
export function turnQuarter({ data, width, height }) {
  const turned = new Uint8ClampedArray(data.length);
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x) {
      const from = (y * width + x) * 4, to = (x * height + (height - 1 - y)) * 4;
      turned.set(data.subarray(from, from + 4), to);
    }
  return { data: turned, width: height, height: width };
}

// Two pictures side by side on one light ground.
export function sideBySide(left, right) {
  const width = left.width + right.width, height = Math.max(left.height, right.height);
  const data = new Uint8ClampedArray(width * height * 4).fill(255);
  for (const [picture, offset] of [[left, 0], [right, left.width]])
    for (let y = 0; y < picture.height; ++y)
      data.set(picture.data.subarray(y * picture.width * 4, (y + 1) * picture.width * 4), (y * width + offset) * 4);
  return { data, width, height };
}

// Deterministic noise (a linear congruential generator).
export function noise(width, height, seed = 1) {
  const data = new Uint8ClampedArray(width * height * 4);
  let state = seed;
  for (let i = 0; i < data.length; ++i) {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    data[i] = (i & 3) === 3 ? 255 : state >>> 24;
  }
  return { data, width, height };
}
