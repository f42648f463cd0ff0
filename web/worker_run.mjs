// Runs a module on a worker started from the bundle that holds this code
// (a page's or the playground's script), so that the page stays alive and
// shows the output as it comes; where no worker can start (a page opened
// from a file), on the page itself, with the output at the end.
import { runVelmoraModule } from './wasi_run.mjs';

export const inWorker = typeof document === 'undefined';

export function decodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// ---------------------------------------------------------------------------
// The line tables of a run's module, fetched only after it failed. A
// request tells where they are: debugScript, the address of a script that
// hands them to velmoraDebugFile (velc --html writes prog.debug.js beside
// the page: a page opened from a file may load a script, not fetch), or
// debugBase64, the file itself (the playground's server sends it).

const debugFiles = new Map();
globalThis.velmoraDebugFile = (name, base64) => debugFiles.set(name, base64);

function loadScript(url) {
  if (inWorker) {
    importScripts(url);
    return Promise.resolve();
  }
  return new Promise((resolve) => {
    const script = document.createElement('script');
    script.src = url;
    script.onload = () => resolve();
    script.onerror = () => resolve();
    document.head.append(script);
  });
}

function debugFileOf({ debugScript, debugBase64 }) {
  return async (name) => {
    if (debugBase64) return decodeBase64(debugBase64);
    if (!debugScript) return null;
    if (!debugFiles.has(name)) await loadScript(debugScript);
    const text = debugFiles.get(name);
    return text ? decodeBase64(text) : null;
  };
}

// ---------------------------------------------------------------------------
// Running

// The worker's side: runs each module it is sent.
export function serveAsWorker() {
  self.onmessage = async ({ data }) => {
    const result = await runVelmoraModule({
      ...data,
      debugFile: debugFileOf(data),
      write: (descriptor, text) => self.postMessage({ kind: 'output', descriptor, text }),
    });
    self.postMessage({ kind: 'end', ...result });
  };
}

// The page's side: request is what runVelmoraModule takes but write and
// debugFile, with debugScript or debugBase64 instead; a run longer than timeoutSeconds (when given) is stopped.
export function runSomewhere(scriptUrl, request, onOutput, timeoutSeconds = 0) {
  const local = () => runVelmoraModule({ ...request, debugFile: debugFileOf(request), write: onOutput });
  if (!scriptUrl || location.protocol === 'file:' || typeof Worker === 'undefined') return local();
  return new Promise((resolve) => {
    const worker = new Worker(scriptUrl);
    let timer = 0;
    const finish = (result) => {
      clearTimeout(timer);
      worker.terminate();
      resolve(result);
    };
    if (timeoutSeconds > 0) {
      timer = setTimeout(() => {
        onOutput(2, `\nStopped after ${timeoutSeconds} seconds\n`);
        finish({ status: 124, files: [] });
      }, timeoutSeconds * 1000);
    }
    worker.onmessage = ({ data }) => {
      if (data.kind === 'output') onOutput(data.descriptor, data.text);
      else finish(data);
    };
    worker.onerror = (event) => {
      onOutput(2, `${event.message}\n`);
      finish({ status: 1, files: [] });
    };
    worker.postMessage(request);
  });
}

// Standard output as it is, standard error marked, in the order written.
export function consoleWriter(console) {
  return (descriptor, text) => {
    if (text === '') return;
    const last = console.lastChild;
    if (descriptor === 1) {
      console.append(document.createTextNode(text));
    } else if (last && last.className === 'stderr') {
      last.textContent += text;
    } else {
      const span = document.createElement('span');
      span.className = 'stderr';
      span.textContent = text;
      console.append(span);
    }
  };
}
