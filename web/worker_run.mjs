// Runs a module on a worker started from the bundle that holds this code
// (a page's or the playground's script), so that the page stays alive and
// shows the output as it comes; where no worker can start (a page opened
// from a file), on the page itself, with the output at the end.
import { runVelmoraModule } from './wasi_run.mjs';

export const inWorker = typeof document === 'undefined';

// The worker's side: runs each module it is sent.
export function serveAsWorker() {
  self.onmessage = ({ data }) => {
    const result = runVelmoraModule({
      ...data,
      write: (descriptor, text) => self.postMessage({ kind: 'output', descriptor, text }),
    });
    self.postMessage({ kind: 'end', ...result });
  };
}

// The page's side: request is what runVelmoraModule takes but write;
// a run longer than timeoutSeconds (when given) is stopped.
export function runSomewhere(scriptUrl, request, onOutput, timeoutSeconds = 0) {
  const local = () => Promise.resolve(runVelmoraModule({ ...request, write: onOutput }));
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
