// The playground's server (velc --playground): serves the playground page
// on 127.0.0.1 only and builds the sources the page sends with the velc
// that started it, one at a time, each in a scratch folder of its own that
// is removed afterwards, within a time and a size limit. It answers no
// other host and runs nothing but velc.
//
//   node playground_server.mjs <velc> <port>

import { spawn } from 'node:child_process';
import * as fs from 'node:fs';
import * as http from 'node:http';
import * as os from 'node:os';
import * as path from 'node:path';
import { fileURLToPath } from 'node:url';

// The file's own path, decoded ("a%20b" is "a b"); Node gives it with the
// symbolic links of the path it was started by resolved.
const ownFile = fileURLToPath(import.meta.url);
const here = path.dirname(ownFile);

// A source larger than this is refused; so is a module larger than the
// module limit (a runaway include of a huge file, say).
export const LIMITS = {
  sourceBytes: 256 * 1024,
  moduleBytes: 64 * 1024 * 1024,
  buildSeconds: 120,
  outputBytes: 256 * 1024,
};

const STATIC_FILES = {
  '/': { file: 'playground.html', type: 'text/html; charset=utf-8' },
  '/velmora_playground.js': { file: 'velmora_playground.js', type: 'text/javascript; charset=utf-8' },
};

// ---------------------------------------------------------------------------
// Who may ask

function isLoopback(address) {
  const plain = String(address ?? '').replace(/^::ffff:/, '');
  return plain === '::1' || /^127\.\d+\.\d+\.\d+$/.test(plain);
}

// A proxy of this machine may relay a request of another host: the
// addresses it names (X-Forwarded-For, X-Real-IP, Forwarded's for=) must all
// be this machine's loopback too.
function relayedFromElsewhere(headers) {
  const named = [];
  for (const name of ['x-forwarded-for', 'x-real-ip']) {
    if (headers[name] !== undefined) named.push(...String(headers[name]).split(','));
  }
  if (headers.forwarded !== undefined) {
    for (const found of String(headers.forwarded).matchAll(/for=("?)\[?([^\]";,]*)\]?(?::\d+)?\1/gi)) named.push(found[2]);
    if (!/for=/i.test(String(headers.forwarded))) named.push('');
  }
  return named.some((address) => !isLoopback(address.trim()));
}

// A page of another site that a browser was sent to could still reach
// 127.0.0.1 through a name of its own (DNS rebinding): only the names of
// this machine's loopback are answered.
function isOwnHost(host, port) {
  return [`127.0.0.1:${port}`, `localhost:${port}`, `[::1]:${port}`].includes(String(host ?? '').toLowerCase());
}

// A page of another site open in the user's browser may still post to
// 127.0.0.1 under its own loopback name; the browser names that page's
// origin, which must then be the playground's own.
function isOwnOrigin(origin, host) {
  return origin === undefined || String(origin).toLowerCase() === `http://${String(host).toLowerCase()}`;
}

// ---------------------------------------------------------------------------
// Diagnostics

// velc's messages as data: JSON lines ({code, file, line, column,
// endColumn, message, hint}) where velc.ini asks for them, else the text
// lines "prog.vel L3: message" and the parser's "prog.vel:3:5: message".
export function diagnosticsOf(output) {
  const diagnostics = [];
  for (const line of output.split('\n')) {
    const text = line.trim();
    if (text.startsWith('{')) {
      try {
        const data = JSON.parse(text);
        if (data && typeof data.line === 'number') diagnostics.push(data);
      } catch {
        // not a message
      }
      continue;
    }
    let found = /^(.+?\.vel) L(\d+): (.*)$/.exec(text);
    if (found) {
      diagnostics.push({ file: path.basename(found[1]), line: Number(found[2]), message: found[3] });
      continue;
    }
    found = /^(.+?\.vel):(\d+):(\d+): (.*)$/.exec(text);
    if (found) {
      diagnostics.push({ file: path.basename(found[1]), line: Number(found[2]), column: Number(found[3]), message: found[4] });
    }
  }
  return diagnostics;
}

// ---------------------------------------------------------------------------
// Building

function runVelc(velc, directory) {
  return new Promise((resolve) => {
    const child = spawn(velc, ['-q', '--html', 'prog.vel'], {
      cwd: directory, stdio: ['ignore', 'pipe', 'pipe'], detached: true,
    });
    let output = '';
    let timedOut = false;
    const keep = (chunk) => {
      if (output.length < LIMITS.outputBytes) output += chunk.toString('utf8');
    };
    child.stdout.on('data', keep);
    child.stderr.on('data', keep);
    const timer = setTimeout(() => {
      timedOut = true;
      try { process.kill(-child.pid, 'SIGKILL'); } catch { /* already gone */ }
    }, LIMITS.buildSeconds * 1000);
    child.on('close', (status) => {
      clearTimeout(timer);
      resolve({ status, output, timedOut });
    });
    child.on('error', (error) => {
      clearTimeout(timer);
      resolve({ status: 127, output: `${error.message}\n`, timedOut });
    });
  });
}

async function build(velc, source) {
  const directory = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-playground-'));
  try {
    fs.writeFileSync(path.join(directory, 'prog.vel'), source);
    const run = await runVelc(velc, directory);
    const modulePath = path.join(directory, 'prog.wasm');
    let module = null;
    let debug = null;
    if (!run.timedOut && fs.existsSync(modulePath)) {
      const size = fs.statSync(modulePath).size;
      if (size <= LIMITS.moduleBytes) module = fs.readFileSync(modulePath).toString('base64');
      else run.output += `The module is larger than ${LIMITS.moduleBytes} bytes\n`;
      // The line tables go with the module: the folder is gone when the
      // page would ask for them.
      const debugPath = path.join(directory, 'prog.debug.wasm');
      if (module && fs.existsSync(debugPath) && fs.statSync(debugPath).size <= LIMITS.moduleBytes) {
        debug = fs.readFileSync(debugPath).toString('base64');
      }
    }
    if (run.timedOut) run.output += `The build took longer than ${LIMITS.buildSeconds} seconds and was stopped\n`;
    return { status: run.status, output: run.output, diagnostics: diagnosticsOf(run.output), module, debug };
  } finally {
    fs.rmSync(directory, { recursive: true, force: true });
  }
}

// One build at a time: the machine's processors go to the one asked for.
let queue = Promise.resolve();
function buildInTurn(velc, source) {
  const result = queue.then(() => build(velc, source));
  queue = result.catch(() => {});
  return result;
}

// ---------------------------------------------------------------------------
// Serving

function send(response, status, type, body) {
  response.writeHead(status, { 'Content-Type': type, 'Cache-Control': 'no-store', 'X-Content-Type-Options': 'nosniff' });
  response.end(body);
}

function readBody(request, limit) {
  return new Promise((resolve, reject) => {
    const chunks = [];
    let size = 0;
    request.on('data', (chunk) => {
      size += chunk.length;
      if (size > limit) {
        reject(new Error('too large'));
        request.destroy();
      } else {
        chunks.push(chunk);
      }
    });
    request.on('end', () => resolve(Buffer.concat(chunks)));
    request.on('error', reject);
  });
}

export function createPlayground(velc, port) {
  return http.createServer(async (request, response) => {
    if (!isLoopback(request.socket.remoteAddress) || relayedFromElsewhere(request.headers) ||
        !isOwnHost(request.headers.host, port) ||
        !isOwnOrigin(request.headers.origin, request.headers.host)) {
      send(response, 403, 'text/plain', 'The playground answers this machine only\n');
      return;
    }
    const url = new URL(request.url, 'http://127.0.0.1');
    if (request.method === 'GET' && STATIC_FILES[url.pathname]) {
      const { file, type } = STATIC_FILES[url.pathname];
      try {
        send(response, 200, type, fs.readFileSync(path.join(here, file)));
      } catch {
        send(response, 404, 'text/plain', `${file} is not installed\n`);
      }
      return;
    }
    if (request.method === 'POST' && url.pathname === '/build') {
      let source;
      try {
        source = (await readBody(request, LIMITS.sourceBytes)).toString('utf8');
      } catch {
        send(response, 413, 'text/plain', `A source may hold ${LIMITS.sourceBytes} bytes\n`);
        return;
      }
      const result = await buildInTurn(velc, source);
      send(response, 200, 'application/json', JSON.stringify(result));
      return;
    }
    send(response, 404, 'text/plain', 'Not found\n');
  });
}

function main([velc, portText]) {
  const port = Number(portText);
  if (!velc || !Number.isInteger(port)) {
    process.stderr.write('usage: playground_server.mjs <velc> <port>\n');
    process.exitCode = 2;
    return;
  }
  const server = createPlayground(path.resolve(velc), port);
  server.on('error', (error) => {
    process.stderr.write(`The playground cannot listen on 127.0.0.1:${port}: ${error.message}\n`);
    process.exitCode = 1;
  });
  server.listen(port, '127.0.0.1', () => {
    process.stdout.write(`Velmora playground: http://127.0.0.1:${port}/ (Ctrl+C stops it)\n`);
  });
}

// Run as a program, not imported: the path it was started by names this
// file once its links are resolved (velc may be installed below a linked
// folder, /home linked elsewhere say).
function startedAsProgram() {
  try {
    return Boolean(process.argv[1]) && fs.realpathSync(process.argv[1]) === fs.realpathSync(ownFile);
  } catch {
    return false;
  }
}

if (startedAsProgram()) {
  main(process.argv.slice(2));
}
