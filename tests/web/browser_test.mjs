// Velmora in a real browser: headless Chromium, driven by puppeteer-core,
// runs the pages velc --html writes and the playground.
//
//   node browser_test.mjs <velc> <wasmer> <puppeteer-core directory> <chromium> <scratch directory> <programs directory>
//
// Ends with status 77 (skipped) where Chromium or puppeteer-core is missing.
//
// Each program of the programs directory must show in the page what it
// prints under wasmer: the same standard output, the same standard error
// (the run-time error with its line and callers) and the same status, and
// let the files it wrote be downloaded as wasmer wrote them. Beside a
// program: its standard input in name.in, the text of its arguments field
// in name.args, the files it must offer for download in name.files, and
// in name.err what both must print on standard error; other files are the
// ones it reads, and name_lib.vel a source a program includes.
// The playground must show a diagnostic on its line, run the program once
// it is fixed, and refuse a request that does not come to its own loopback
// name.
// Prints "N passed, N failed"; the status is 1 when something failed.

import { spawn, spawnSync } from 'node:child_process';
import * as fs from 'node:fs';
import * as http from 'node:http';
import * as os from 'node:os';
import * as path from 'node:path';
import { pathToFileURL } from 'node:url';

const [velc, wasmer, puppeteerDirectory, chromium, scratch, programs] = process.argv.slice(2);
const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const PAGE_SECONDS = 60;

const results = { passed: 0, failed: 0 };
function check(name, ok, detail = '') {
  if (ok) {
    results.passed++;
    process.stdout.write(`ok   ${name}\n`);
  } else {
    results.failed++;
    process.stdout.write(`FAIL ${name}\n${detail}\n`);
  }
}

// A folder served on 127.0.0.1, as a user would serve a page.
function serveFolder(folder) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const file = path.join(folder, path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    if (!file.startsWith(folder) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// What the page's console holds: standard output (text outside the
// marked spans) and standard error (the marked spans).
async function pageConsole(page) {
  return page.evaluate(() => {
    let stdout = '';
    let stderr = '';
    for (const node of document.getElementById('console').childNodes) {
      if (node.nodeType === Node.ELEMENT_NODE && node.classList.contains('stderr')) stderr += node.textContent;
      else stdout += node.textContent;
    }
    return { stdout, stderr };
  });
}

async function pageRun(browser, url, input, argumentsText) {
  const page = await browser.newPage();
  try {
    await page.goto(url);
    if (argumentsText !== undefined) {
      await page.waitForFunction(() => !document.getElementById('run').disabled, { timeout: PAGE_SECONDS * 1000 });
      await page.$eval('#arguments', (field, text) => { field.value = text; }, argumentsText);
      await page.click('#run');
    }
    // A page whose program reads input shows the box and waits for Run.
    const inputShown = await page.$eval('#input-section', (section) => !section.hidden);
    if (input !== undefined) {
      await page.$eval('#stdin', (box, text) => { box.value = text; }, input);
      await page.click('#run');
    }
    await page.waitForFunction(() => !document.getElementById('run').disabled
      && document.getElementById('status').dataset.status !== undefined, { timeout: PAGE_SECONDS * 1000 });
    const status = Number(await page.$eval('#status', (element) => element.dataset.status));
    const files = await page.$$eval('#files a', (links) => Promise.all(links.map(async (link) => ({
      label: link.textContent, name: link.download, data: await (await fetch(link.href)).text() }))));
    return { ...await pageConsole(page), status, files, inputShown };
  } finally {
    await page.close();
  }
}

// The page's own entry for scripts: velmoraRun(stdin).
async function scriptedRun(browser, url, input) {
  const page = await browser.newPage();
  try {
    await page.goto(url);
    await page.waitForFunction(() => typeof globalThis.velmoraRun === 'function');
    return await page.evaluate((text) => globalThis.velmoraRun(text), input);
  } finally {
    await page.close();
  }
}

function underWasmer(directory, name, input, args = []) {
  const run = spawnSync(wasmer, [`${name}.wasm`, ...args], { cwd: directory, input: input ?? '', encoding: 'utf8' });
  return { stdout: run.stdout, stderr: run.stderr, status: run.status };
}

// The words a shell makes of a command line: blanks separate them, and
// double quotes keep a part whole.
function shellWords(text) {
  return [...text.trim().matchAll(/(?:"[^"]*"|[^\s"]+)+/g)].map((found) => found[0].replace(/"/g, ''));
}

function readIfThere(file) {
  return fs.existsSync(file) ? fs.readFileSync(file, 'utf8') : undefined;
}

function buildPage(directory, name) {
  const build = spawnSync(velc, ['-q', '--html', `${name}.vel`], { cwd: directory, encoding: 'utf8' });
  if (build.status !== 0 || !fs.existsSync(path.join(directory, `${name}.html`))) {
    throw new Error(`velc --html ${name}.vel failed:\n${build.stdout}${build.stderr}`);
  }
}

async function checkPages(browser) {
  const folder = path.join(scratch, 'pages');
  fs.rmSync(folder, { recursive: true, force: true });
  fs.mkdirSync(folder, { recursive: true });
  const sources = fs.readdirSync(programs).filter((file) => file.endsWith('.vel'));
  const names = sources.filter((file) => !file.endsWith('_lib.vel')).map((file) => file.slice(0, -4)).sort();
  // The programs with the files beside them that they read (not their input).
  for (const file of fs.readdirSync(programs).filter((file) => !/\.(in|args|err|files)$/.test(file))) {
    fs.copyFileSync(path.join(programs, file), path.join(folder, file));
  }
  const server = await serveFolder(folder);
  const origin = `http://127.0.0.1:${server.address().port}`;
  try {
    for (const name of names) {
      const input = readIfThere(path.join(programs, `${name}.in`));
      const argumentsText = readIfThere(path.join(programs, `${name}.args`))?.replace(/\n$/, '');
      const expectedError = readIfThere(path.join(programs, `${name}.err`));
      try {
        buildPage(folder, name);
      } catch (error) {
        check(`page ${name}`, false, error.message);
        continue;
      }
      // The arguments field is split as a shell splits a command line.
      const expected = underWasmer(folder, name, input, argumentsText === undefined ? [] : shellWords(argumentsText));
      const shown = await pageRun(browser, `${origin}/${name}.html`, input, argumentsText);
      const same = shown.stdout === expected.stdout && shown.stderr === expected.stderr && shown.status === expected.status;
      check(`page ${name} shows an input box only for a program that reads input`, shown.inputShown === (input !== undefined));
      check(`page ${name} shows what wasmer prints`, same,
        `page:   ${JSON.stringify(shown)}\nwasmer: ${JSON.stringify(expected)}`);
      for (const wanted of (readIfThere(path.join(programs, `${name}.files`)) ?? '').split('\n').filter(Boolean)) {
        check(`page ${name} offers ${wanted} for download`, shown.files.some((file) => file.name === wanted),
          JSON.stringify(shown.files.map((file) => file.label)));
      }
      if (expectedError !== undefined) check(`page ${name} names the place and callers of its failure`,
        expected.stderr === expectedError, `expected: ${JSON.stringify(expectedError)}\nwasmer:   ${JSON.stringify(expected.stderr)}`);
      for (const file of shown.files.filter((one) => !sources.includes(one.name) && fs.existsSync(path.join(folder, one.name)))) {
        const written = fs.readFileSync(path.join(folder, file.name), 'utf8');
        check(`page ${name} downloads ${file.name} as wasmer wrote it`, file.data === written,
          `page:   ${JSON.stringify(file.data)}\nwasmer: ${JSON.stringify(written)}`);
      }
      if (name === 'beside') check('page beside reads the file beside the program', /read: second line/.test(shown.stdout),
        shown.stdout);
      if (name === 'files') check('page files lists the file written', shown.files.some((file) => file.label.startsWith('notes.txt')),
        JSON.stringify(shown.files));
      if (name === 'trap') check('page trap names the function, the line and the callers',
        /^trap\.vel L4: .*trap: unreachable \(in crash\)\n  called from caller, trap\.vel L7\n/.test(shown.stderr), shown.stderr);
      if (name === 'callers') check('page callers names the callers', /called from share, callers\.vel L7/.test(shown.stderr), shown.stderr);
      if (name === 'input') {
        const again = await scriptedRun(browser, `${origin}/${name}.html`, 'Bob\n9\n');
        check('page runs again for a script with other input',
          again.stdout === 'Your name? Your age? Bob is 10 next year\n' && again.status === 0, JSON.stringify(again));
      }
    }
    // Opened from a file, with no server: the page runs the module itself.
    const fromFile = await pageRun(browser, pathToFileURL(path.join(folder, 'output.html')).href);
    check('page opened from a file runs', fromFile.stdout === 'line 1\nline 2\nline 3\nno line end', JSON.stringify(fromFile));
    // The line tables are not in the module: the page loads the script
    // that holds them after the failure, from a file as over HTTP.
    const failedFromFile = await pageRun(browser, pathToFileURL(path.join(folder, 'callers.html')).href);
    check('page opened from a file names the callers', /called from share, callers\.vel L7/.test(failedFromFile.stderr),
      failedFromFile.stderr);
  } finally {
    server.close();
  }
}

// ---------------------------------------------------------------------------
// The playground

function startPlayground(port) {
  const child = spawn(velc, ['--playground', String(port)], { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let said = '';
    child.stdout.on('data', (chunk) => {
      said += chunk;
      if (said.includes('http://127.0.0.1')) resolve(child);
    });
    child.on('exit', (status) => reject(new Error(`the playground ended with status ${status}: ${said}`)));
  });
}

// The status of a request to the playground, 0 when no connection was made.
function requestStatus(port, { address = '127.0.0.1', from, method = 'GET', path = '/', headers = {} } = {}) {
  return new Promise((resolve) => {
    const request = http.request({ host: address, localAddress: from, port, method, path, headers, timeout: 10000 }, (response) => {
      response.resume();
      resolve(response.statusCode);
    });
    request.on('error', () => resolve(0));
    request.on('timeout', () => request.destroy());
    request.end(method === 'POST' ? 'print 1\n' : undefined);
  });
}

// This machine's addresses other than its loopback.
function outwardAddresses() {
  return Object.values(os.networkInterfaces()).flat()
    .filter((one) => one && !one.internal && !one.address.startsWith('fe80:'))
    .map((one) => ({ address: one.address, family: one.family }));
}

async function playgroundRun(page, source) {
  await page.evaluate((text) => {
    const { view } = globalThis.velmoraPlayground;
    view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
  }, source);
  await page.click('#run');
  await page.waitForFunction(() => ['errors', 'ended', 'failed'].includes(document.getElementById('status').dataset.state),
    { timeout: 180 * 1000 });
}

async function checkPlayground(browser) {
  const port = 20000 + (process.pid % 20000);
  const server = await startPlayground(port);
  const page = await browser.newPage();
  try {
    await page.goto(`http://127.0.0.1:${port}/`);
    await page.waitForFunction(() => globalThis.velmoraPlayground !== undefined);
    const colours = await page.$$eval('.cm-content span', (spans) => spans.length);
    check('playground colours the example', colours > 0, `${colours} coloured pieces`);
    await playgroundRun(page, 'int x = 3\nprint y\nprint x\n');
    const marked = await page.evaluate(() => {
      const line = document.querySelectorAll('.cm-line')[1];
      const items = [...document.querySelectorAll('#diagnostics li')];
      return { onLine: line?.querySelector('.cm-lintRange-error') !== null,
        listed: items.map((item) => item.dataset.line), texts: items.map((item) => item.textContent) };
    });
    check('playground shows the diagnostic on its line', marked.onLine && marked.listed.join() === '2'
      && /"y" not declared/.test(marked.texts.join()), JSON.stringify(marked));
    await playgroundRun(page, 'int x = 3\nint y = 4\nprint x + y\n');
    const ran = await pageConsole(page);
    const state = await page.$eval('#status', (element) => element.textContent);
    check('playground runs the fixed program', ran.stdout === '7\n' && state === 'Exit status: 0', `${JSON.stringify(ran)} ${state}`);
    check('playground answers its own loopback name', await requestStatus(port) === 200);
    const own = `http://127.0.0.1:${port}`;
    check('playground builds what its own page posts',
      await requestStatus(port, { method: 'POST', path: '/build', headers: { Origin: own } }) === 200);
    // Requests a page of another site, a proxy or a rebinding name could
    // make come to the loopback address: each is refused.
    const forged = [
      ['for another host', { headers: { Host: 'example.com' } }],
      ['for a name that only begins as its own', { headers: { Host: `127.0.0.1:${port}.example.com` } }],
      ['for its address on another port', { headers: { Host: `127.0.0.1:${port + 1}` } }],
      ['a proxy relays from another host', { headers: { 'X-Forwarded-For': '192.0.2.7' } }],
      ['a proxy names in Forwarded', { headers: { Forwarded: 'for=198.51.100.4' } }],
      ['posted by a page of another site', { method: 'POST', path: '/build', headers: { Origin: 'http://example.com' } }],
      ['posted by a page opened from a file', { method: 'POST', path: '/build', headers: { Origin: 'null' } }],
      ['posted by a page of a name that only begins as its own',
        { method: 'POST', path: '/build', headers: { Origin: `${own}.example.com` } }],
    ];
    for (const [what, request] of forged) {
      check(`playground refuses a request ${what}`, await requestStatus(port, request) === 403);
    }
    for (const { address, family } of outwardAddresses()) {
      check(`playground is not reached through ${address}`, await requestStatus(port, { address }) === 0);
      if (family === 'IPv4') {
        check(`playground refuses a request to its loopback sent from ${address}`,
          await requestStatus(port, { from: address }) === 403);
      }
    }
  } finally {
    await page.close();
    server.kill('SIGTERM');
  }
}

// The browser named by a path or found on the PATH, or null.
function findProgram(name) {
  if (name.includes('/')) return fs.existsSync(name) ? name : null;
  for (const directory of (process.env.PATH ?? '').split(':')) {
    const candidate = path.join(directory, name);
    if (directory && fs.existsSync(candidate)) return candidate;
  }
  return null;
}

const SKIPPED = 77;

async function main() {
  const browserPath = findProgram(chromium);
  const missing = !browserPath ? `${chromium} is not installed`
    : !fs.existsSync(path.join(puppeteerDirectory, 'package.json')) ? `puppeteer-core is not installed in ${puppeteerDirectory}`
      : null;
  if (missing) {
    process.stdout.write(`Skipped: ${missing} (setup.sh installs it for the tests)\n`);
    process.exitCode = SKIPPED;
    return;
  }
  const puppeteer = (await import(pathToFileURL(path.join(puppeteerDirectory, 'lib', 'esm', 'puppeteer', 'puppeteer-core.js')).href)).default;
  const profile = path.join(scratch, 'profile');
  fs.rmSync(profile, { recursive: true, force: true });
  const browser = await puppeteer.launch({
    executablePath: browserPath,
    args: [...CHROMIUM_FLAGS, `--user-data-dir=${profile}`],
    headless: true,
  });
  try {
    await checkPages(browser);
    await checkPlayground(browser);
  } catch (error) {
    check('browser tests ran to their end', false, error.stack);
  } finally {
    await browser.close();
  }
  process.stdout.write(`${results.passed} passed, ${results.failed} failed\n`);
  process.exitCode = results.failed > 0 ? 1 : 0;
}

await main();
