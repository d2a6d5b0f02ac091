// A static file server for the scanning page, the browser tests and the
// benchmark: serves the repository (the page at /web/, the module at /wasm/)
// on 127.0.0.1.
//
//   node web/server.mjs [PORT]     then open http://127.0.0.1:PORT/web/
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const repository = resolve(fileURLToPath(new URL('..', import.meta.url)));

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.json': 'application/json', '.wasm': 'application/wasm', '.png': 'image/png',
  '.jpg': 'image/jpeg', '.jpeg': 'image/jpeg', '.bmp': 'image/bmp', '.svg': 'image/svg+xml', '.txt': 'text/plain; charset=utf-8',
  '.y4m': 'application/octet-stream',
};

// The file a URL path names below `root`, or null when it leaves the root.
function fileOf(root, path) {
  const file = normalize(join(root, decodeURIComponent(path)));
  return file === root || file.startsWith(root + sep) ? file : null;
}

// Starts a server; `mounts` maps URL prefixes ("/corpus/") to more folders.
// Resolves to {url, close()}.
export function serve({ port = 0, mounts = {} } = {}) {
  const roots = Object.entries(mounts).map(([prefix, folder]) => [prefix, resolve(folder)]);
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    const [prefix, folder] = roots.find(([p]) => path.startsWith(p)) ?? ['/', repository];
    let file = fileOf(folder, path.slice(prefix.length - 1));
    try {
      if (file && (await stat(file)).isDirectory()) file = join(file, 'index.html');
      if (!file || !(await stat(file)).isFile()) throw new Error('not a file');
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    response.writeHead(200, { 'Content-Type': types[extname(file).toLowerCase()] ?? 'application/octet-stream',
      'Cache-Control': 'no-cache' });
    createReadStream(file).pipe(response);
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => done({
      url: `http://127.0.0.1:${server.address().port}`,
      close: () => new Promise((closed) => server.close(closed)),
    }));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const { url } = await serve({ port: Number(process.argv[2] ?? 8000) });
  console.log(`Serving ${repository}: open ${url}/web/`);
}
