// Reads pictures off the page's thread: {id, picture, options} in,
// {id, results, ms} or {id, error} out.
import { loadOrvel, readBarcodes } from '../wasm/index.js';

loadOrvel().then(() => postMessage({ ready: true }), (error) => postMessage({ ready: false, error: String(error) }));

onmessage = async ({ data: { id, picture, options } }) => {
  const start = performance.now();
  try {
    const results = await readBarcodes(picture, options);
    postMessage({ id, results, ms: performance.now() - start });
  } catch (error) {
    postMessage({ id, error: error.message });
  }
};
