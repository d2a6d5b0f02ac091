// The scanning page: pictures opened or dropped, or the camera's frames, are
// read by orvel-wasm in a worker; each symbol is outlined on the picture with
// its text and listed.
const $ = (id) => document.getElementById(id);
const stage = $('stage'), view = $('view'), video = $('video'), status = $('status'), list = $('results');
const context = view.getContext('2d', { willReadFrequently: true });
const outlineColour = '#00e676';

// The worker that reads; one picture at a time.
class Reader {
  #worker = new Worker(new URL('./scan-worker.js', import.meta.url), { type: 'module' });
  #pending = new Map();
  #next = 0;
  ready = new Promise((resolve, reject) => {
    this.#worker.onmessage = ({ data }) => {
      if ('ready' in data) return data.ready ? resolve() : reject(new Error(data.error));
      const { id, ...answer } = data;
      const { done, fail } = this.#pending.get(id);
      this.#pending.delete(id);
      if (answer.error !== undefined) fail(new Error(answer.error)); else done(answer);
    };
    this.#worker.onerror = (event) => reject(new Error(event.message));
  });

  // Hands the pixels over to the worker (the ImageData is detached after).
  read(picture, options) {
    const id = this.#next++;
    return new Promise((done, fail) => {
      this.#pending.set(id, { done, fail });
      this.#worker.postMessage({ id, picture, options }, [picture.data.buffer]);
    });
  }
}

const reader = new Reader();
const seen = new Map();  // format + text -> list item, so the camera lists each symbol once

function options() {
  const formats = $('formats').value;
  return { ...(formats ? { formats: formats.split(',') } : {}), tryHarder: $('tryHarder').checked };
}

function setStatus(text, state) {
  status.textContent = text;
  if (state) document.body.dataset.state = state;
}

function corners(result) {
  const p = result.position;
  return [p.topLeft, p.topRight, p.bottomRight, p.bottomLeft];
}

// Outlines each symbol and writes its text beside its top-left corner.
function drawOutlines(results) {
  const scale = Math.max(view.width, view.height) / 640;
  const line = Math.max(2, 3 * scale), fontSize = Math.max(12, Math.round(14 * scale));
  context.lineJoin = 'round';
  context.font = `600 ${fontSize}px system-ui, sans-serif`;
  for (const result of results.filter((r) => r.isValid)) {
    const points = corners(result);
    context.beginPath();
    points.forEach(({ x, y }, i) => (i ? context.lineTo(x, y) : context.moveTo(x, y)));
    context.closePath();
    context.lineWidth = line + 2 * Math.max(1, scale);
    context.strokeStyle = 'rgba(0, 0, 0, 0.6)';
    context.stroke();
    context.lineWidth = line;
    context.strokeStyle = outlineColour;
    context.stroke();
    const label = result.text.length > 40 ? `${result.text.slice(0, 39)}…` : result.text;
    const top = Math.min(...points.map((p) => p.y)), left = Math.min(...points.map((p) => p.x));
    const width = context.measureText(label).width + 8, height = fontSize + 6;
    const x = Math.max(0, Math.min(left, view.width - width)), y = top - height - line > 0 ? top - height - line : top + line;
    context.fillStyle = 'rgba(0, 0, 0, 0.75)';
    context.fillRect(x, y, width, height);
    context.fillStyle = '#fff';
    context.textBaseline = 'top';
    context.fillText(label, x + 4, y + 3);
  }
}

function listResults(results, source) {
  for (const result of results.filter((r) => r.isValid)) {
    const key = `${result.format}\u0000${result.text}\u0000${source.startsWith('camera') ? '' : source}`;
    let item = seen.get(key);
    if (!item) {
      item = document.createElement('li');
      item.innerHTML = '<span class="format"></span><span class="text"></span><span class="source"></span>';
      item.querySelector('.format').textContent = result.detectorFormat;
      item.querySelector('.text').textContent = result.text;
      item.dataset.format = result.detectorFormat;
      item.dataset.count = '0';
      seen.set(key, item);
      list.prepend(item);
    }
    item.dataset.count = String(Number(item.dataset.count) + 1);
    item.querySelector('.source').textContent = source.startsWith('camera') && item.dataset.count !== '1'
      ? `${source}, seen ${item.dataset.count} times` : source;
  }
}

function showCanvas(width, height) {
  stage.querySelector('.hint').hidden = true;
  view.hidden = false;
  if (view.width !== width || view.height !== height) {
    view.width = width;
    view.height = height;
  }
}

// Reads picture files one after the other; the last stays on the stage.
async function readFiles(files) {
  stopCamera();
  for (const file of files) {
    if (!file.type.startsWith('image/') && !/\.(bmp|png|jpe?g|gif|webp)$/i.test(file.name)) continue;
    setStatus(`Reading ${file.name}…`, 'reading');
    let bitmap;
    try {
      bitmap = await createImageBitmap(file);
    } catch {
      setStatus(`${file.name} is not a picture this browser can open`, 'ready');
      continue;
    }
    showCanvas(bitmap.width, bitmap.height);
    context.drawImage(bitmap, 0, 0);
    bitmap.close();
    try {
      const { results, ms } = await reader.read(context.getImageData(0, 0, view.width, view.height), options());
      drawOutlines(results);
      listResults(results, file.name);
      const count = results.filter((r) => r.isValid).length;
      setStatus(`${file.name}: ${view.width} × ${view.height}, ${count} symbol${count === 1 ? '' : 's'} in ${ms.toFixed(1)} ms`, 'ready');
    } catch (error) {
      setStatus(`${file.name}: ${error.message}`, 'ready');
    }
  }
}

// The camera: each animation frame shows the newest video frame with the
// outlines of the last read; a new read starts whenever the worker is free.
let camera = null;

async function startCamera() {
  let stream;
  try {
    stream = await navigator.mediaDevices.getUserMedia({ video: { facingMode: 'environment', width: { ideal: 1280 } }, audio: false });
  } catch (error) {
    setStatus(`No camera: ${error.message}`, 'ready');
    return;
  }
  camera = { stream, busy: false, results: [], frames: 0, totalMs: 0, lastMs: 0 };
  video.srcObject = stream;
  await video.play();
  $('camera').textContent = 'Stop camera';
  setStatus('Camera on', 'camera');
  requestAnimationFrame(cameraFrame);
}

function stopCamera() {
  if (!camera) return;
  camera.stream.getTracks().forEach((track) => track.stop());
  camera = null;
  video.srcObject = null;
  $('camera').textContent = 'Start camera';
  setStatus('Camera off', 'ready');
}

function cameraFrame() {
  const current = camera;
  if (!current) return;
  if (video.readyState >= 2 && video.videoWidth > 0) {
    showCanvas(video.videoWidth, video.videoHeight);
    context.drawImage(video, 0, 0);
    if (!current.busy) {
      current.busy = true;
      reader.read(context.getImageData(0, 0, view.width, view.height), options()).then(({ results, ms }) => {
        current.results = results;
        current.frames += 1;
        current.totalMs += ms;
        current.lastMs = ms;
        listResults(results, 'camera');
        if (camera === current)
          setStatus(`Camera ${view.width} × ${view.height}: ${ms.toFixed(1)} ms this frame, ` +
            `${(current.totalMs / current.frames).toFixed(1)} ms on average over ${current.frames} frames`, 'camera');
      }, (error) => setStatus(`Camera: ${error.message}`, 'camera')).finally(() => { current.busy = false; });
    }
    drawOutlines(current.results);
  }
  requestAnimationFrame(cameraFrame);
}

$('files').addEventListener('change', (event) => readFiles([...event.target.files]));
$('camera').addEventListener('click', () => (camera ? stopCamera() : startCamera()));
$('clear').addEventListener('click', () => { list.replaceChildren(); seen.clear(); });
for (const name of ['dragenter', 'dragover'])
  stage.addEventListener(name, (event) => { event.preventDefault(); stage.classList.add('dragging'); });
for (const name of ['dragleave', 'drop'])
  stage.addEventListener(name, () => stage.classList.remove('dragging'));
stage.addEventListener('drop', (event) => {
  event.preventDefault();
  readFiles([...event.dataTransfer.files]);
});

reader.ready.then(() => setStatus('Ready: open or drop pictures, or start the camera.', 'ready'),
  (error) => setStatus(`The reader did not load: ${error.message}`, 'failed'));
