// The page of a Velmora program (velc --html): velmora_page.js, bundled
// from this file, runs the module that prog.js hands to velmoraPage().
// The same script is the worker that runs it, so that the page shows the
// output as it comes; a page opened from a file (where browsers start no
// worker from a file) runs the module itself and shows the output at the end.
import { consoleWriter, decodeBase64, inWorker, runSomewhere, serveAsWorker } from './worker_run.mjs';

const scriptUrl = inWorker ? '' : document.currentScript?.src ?? '';

if (inWorker) serveAsWorker();

// ---------------------------------------------------------------------------
// The page

function element(id) {
  return document.getElementById(id);
}

function showFiles(list, files) {
  list.replaceChildren();
  for (const file of files) {
    const item = document.createElement('li');
    const link = document.createElement('a');
    link.textContent = `${file.name} (${file.data.length} bytes)`;
    link.download = file.name.replace(/^.*\//, '');
    link.href = URL.createObjectURL(new Blob([file.data]));
    item.append(link);
    list.append(item);
  }
}

// The files the user put into the folder before the run.
async function chosenFiles(input) {
  const files = [];
  for (const file of input.files ?? []) files.push({ name: file.name, data: new Uint8Array(await file.arrayBuffer()) });
  return files;
}

// The words of the arguments field, as a shell splits them: separated by
// blanks, a part in double or single quotes kept whole, blanks and all.
export function argumentWords(text) {
  const words = [];
  for (const found of text.matchAll(/(?:"[^"]*"|'[^']*'|[^\s"']+)+/g)) {
    words.push(found[0].replace(/"([^"]*)"|'([^']*)'/g, (whole, double, single) => double ?? single));
  }
  return words;
}

async function runPage(program) {
  const console = element('console');
  const status = element('status');
  const run = element('run');
  run.disabled = true;
  console.replaceChildren();
  status.textContent = 'Running...';
  const request = {
    bytes: program.bytes,
    name: program.name,
    debugScript: program.debugScript,
    args: argumentWords(element('arguments').value),
    stdin: element('stdin').value,
    files: [...program.folder, ...await chosenFiles(element('upload'))],
  };
  const streams = { 1: '', 2: '' };
  const show = consoleWriter(console);
  const result = await runSomewhere(scriptUrl, request, (descriptor, text) => {
    streams[descriptor] += text;
    show(descriptor, text);
  });
  program.folder = result.files;
  showFiles(element('files'), result.files);
  status.textContent = `Exit status: ${result.status}`;
  status.dataset.status = String(result.status);
  run.disabled = false;
  return { status: result.status, stdout: streams[1], stderr: streams[2], files: result.files.map((file) => file.name) };
}

// Called by prog.js with the program's name, its module in base64, the
// script beside the page that holds its line tables (prog.debug.js), if any,
// and the files the folder starts with (those beside the program that velc
// put in, in base64).
function velmoraPage({ name, module, readsInput, debug, files = [] }) {
  const debugScript = debug ? new URL(debug, document.baseURI).href : undefined;
  const initialFolder = files.map((file) => ({ name: file.name, data: decodeBase64(file.data) }));
  const program = { name, bytes: decodeBase64(module), debugScript, folder: [...initialFolder] };
  const start = () => {
    element('input-section').hidden = !readsInput;
    showFiles(element('files'), program.folder);
    element('run').addEventListener('click', () => runPage(program));
    // Back to the folder as the page came: the files velc put in.
    element('clear-folder').addEventListener('click', () => {
      program.folder = [...initialFolder];
      showFiles(element('files'), program.folder);
    });
    // For scripts that drive the page: runs the program with this standard
    // input, as Run does, and gives what it printed and its status.
    globalThis.velmoraRun = (stdin = '') => {
      element('stdin').value = stdin;
      return runPage(program);
    };
    // A program that reads input waits for it to be written; any other
    // runs at once.
    if (readsInput) element('status').textContent = 'Write the input below, then press Run';
    else runPage(program);
  };
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
}

if (!inWorker) globalThis.velmoraPage = velmoraPage;
