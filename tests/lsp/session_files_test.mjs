// Editor sessions written as data: each case of sessions/*.txt is a
// program of one or more sources in a scratch folder, opened in velc-lsp
// over standard input and output through the protocol library editors use,
// then asked what an editor asks. The file's head (sessions/README.txt)
// says how a case is written.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const { VELC, VELC_LSP_SERVER, VELC_LSP_MODULES, VELC_LSP_CLIENT } = process.env;
for (const needed of [path.join(VELC_LSP_MODULES, 'vscode-languageserver'), path.join(VELC_LSP_CLIENT, 'vscode-languageserver-protocol')]) {
    if (!fs.existsSync(needed)) {
        console.log(`${needed} is not installed (setup.sh installs it)`);
        process.exit(77);
    }
}
const protocol = createRequire(path.join(VELC_LSP_CLIENT, 'index.js'))('vscode-languageserver-protocol/node');
const here = path.dirname(fileURLToPath(import.meta.url));

// The cases of a file: { name, line, sources: [{ name, text }], steps: [{ line, text }] }.
function casesOf(file) {
    const cases = [];
    let current = null;
    let source = null;
    fs.readFileSync(file, 'utf8').split('\n').forEach((text, i) => {
        if (text.startsWith('== ')) {
            current = { name: text.slice(3).trim(), line: i + 1, sources: [], steps: [] };
            cases.push(current);
            source = null;
        } else if (!current || (!source && (text.startsWith('#') || text.trim() === ''))) {
            // a comment, or a line between cases
        } else if (text.startsWith('-- file ')) {
            source = { name: text.slice(8).trim(), lines: [] };
            current.sources.push(source);
        } else if (text === '--') {
            source = undefined;
        } else if (source) {
            source.lines.push(text);
        } else {
            current.steps.push({ line: i + 1, text });
        }
    });
    for (const c of cases)
        for (const s of c.sources)
            s.text = s.lines.join('\n') + '\n';
    return cases;
}

// A place written as `FILE LINE WORD` (the first WORD on that line, or the
// Nth with WORD#N), `FILE LINE after TEXT` (just after the first TEXT) or
// `FILE LINE at COLUMN`; lines count from 1, columns from 0. Gives the
// file, the LSP position and the rest of the words.
function placeOf(program, words) {
    const [file, lineText, third, ...rest] = words;
    const line = Number(lineText) - 1;
    const text = program.get(file)?.split('\n')[line];
    assert.ok(text !== undefined, `no line ${lineText} in ${file}`);
    if (third === 'after' || third === 'at') {
        const [argument, ...others] = rest;
        const character = third === 'at' ? Number(argument) : text.indexOf(argument) + argument.length;
        assert.ok(third === 'at' || text.includes(argument), `"${argument}" not on line ${lineText} of ${file}`);
        return { file, position: { line, character }, rest: others };
    }
    const [word, nth = '1'] = third.split('#');
    let at = -1;
    for (let n = 0; n < Number(nth); n++) {
        do at = text.indexOf(word, at + 1);
        while (at >= 0 && ((/\w/.test(text[at - 1] ?? '') && /^\w/.test(word)) ||
                           (/\w/.test(text[at + word.length] ?? '') && /\w$/.test(word))));
    }
    assert.ok(at >= 0, `"${third}" not on line ${lineText} of ${file}`);
    return { file, position: { line, character: at }, length: word.length, rest };
}

// The words of a step; a quoted word may hold blanks.
function wordsOf(text) {
    return [...text.matchAll(/"((?:[^"\\]|\\.)*)"|(\S+)/g)].map((m) => (m[1] !== undefined ? m[1].replace(/\\(.)/g, '$1') : m[2]));
}

class Session {
    constructor(folder) {
        this.folder = folder;
        this.waiting = [];
        this.latest = new Map();      // uri -> the diagnostics last published for it
        this.versions = new Map();    // uri -> the version of its text the editor holds
        this.server = spawn(process.execPath, [VELC_LSP_SERVER], {
            env: { ...process.env, VELC, NODE_PATH: VELC_LSP_MODULES }, stdio: ['pipe', 'pipe', 'inherit'],
        });
        this.connection = protocol.createProtocolConnection(new protocol.StreamMessageReader(this.server.stdout),
                                                            new protocol.StreamMessageWriter(this.server.stdin));
        this.connection.onNotification(protocol.PublishDiagnosticsNotification.type, (params) => {
            this.latest.set(params.uri, params.diagnostics);
            for (const wanted of this.waiting.splice(0))
                if (!wanted(params))
                    this.waiting.push(wanted);
        });
        this.connection.listen();
    }

    uri(name) {
        return pathToFileURL(path.join(this.folder, name)).toString();
    }

    async start() {
        await this.connection.sendRequest(protocol.InitializeRequest.type, { processId: process.pid, rootUri: pathToFileURL(this.folder).toString(), capabilities: {} });
        await this.connection.sendNotification(protocol.InitializedNotification.type, {});
    }

    open(name, text) {
        this.versions.set(this.uri(name), 1);
        const published = new Promise((resolve) => {
            this.waiting.push((params) => params.uri === this.uri(name) && params.version === 1 && (resolve(params.diagnostics), true));
        });
        this.connection.sendNotification(protocol.DidOpenTextDocumentNotification.type,
                                         { textDocument: { uri: this.uri(name), languageId: 'velmora', version: 1, text } });
        return published;
    }

    // Replaces a line of an open source as an editor does, and resolves when
    // the check of the new text has published its diagnostics. Everything
    // that check published for the program's other sources was sent before
    // the answer to any later request, so one request more brings it all in.
    async edit(name, line, text, wait = true) {
        const uri = this.uri(name);
        const version = this.versions.get(uri) + 1;
        this.versions.set(uri, version);
        const published = new Promise((resolve) => {
            this.waiting.push((params) => params.uri === uri && params.version === version && (resolve(), true));
        });
        this.connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
            textDocument: { uri, version },
            contentChanges: [{ range: { start: { line, character: 0 }, end: { line: line + 1, character: 0 } }, text: text + '\n' }],
        });
        if (!wait)
            return;
        await published;
        await this.connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri } });
    }

    ask(method, file, position, includeDeclaration = true, more = {}) {
        return this.connection.sendRequest(method, { textDocument: { uri: this.uri(file) }, position, context: { includeDeclaration }, ...more });
    }

    async end() {
        await this.connection.sendRequest(protocol.ShutdownRequest.type);
        this.connection.dispose();
        this.server.kill();
    }
}

function placeName(session, uri, range) {
    return `${path.relative(session.folder, fileURLToPath(uri))} ${range.start.line + 1}:${range.start.character}`;
}

async function runStep(session, program, published, step) {
    const words = wordsOf(step.text);
    const kind = words.shift();
    const at = `line ${step.line}: ${step.text}`;
    if (kind === 'diagnostics') {
        // diagnostics FILE none | diagnostics FILE count N
        const [file, what, count] = words;
        const list = published.get(file) ?? [];
        assert.equal(list.length, what === 'none' ? 0 : Number(count), `${at}\n${JSON.stringify(list)}`);
        return;
    }
    if (kind === 'edit' || kind === 'type') {
        // edit FILE LINE: TEXT (the line's new text), then every source's
        // diagnostics are those of the check of the edited program; type
        // asks the next question at once, without waiting for them
        const colon = step.text.indexOf(': ');
        const [file, lineText] = wordsOf(step.text.slice(0, colon)).slice(1);
        const lines = program.get(file).split('\n');
        assert.ok(Number(lineText) >= 1 && Number(lineText) <= lines.length, `${at}: no such line`);
        lines[Number(lineText) - 1] = step.text.slice(colon + 2);
        program.set(file, lines.join('\n'));
        await session.edit(file, Number(lineText) - 1, step.text.slice(colon + 2), kind === 'edit');
        if (kind === 'type')
            return;
        for (const name of program.keys())
            published.set(name, session.latest.get(session.uri(name)) ?? []);
        return;
    }
    if (kind === 'diagnostic') {
        // diagnostic FILE LINE WORD: MESSAGE (the range is WORD's)
        const colon = step.text.indexOf(': ');
        const place = placeOf(program, wordsOf(step.text.slice(0, colon)).slice(1));
        const message = step.text.slice(colon + 2);
        // The message on that line, when one message stands on several.
        const said = (published.get(place.file) ?? []).filter((d) => d.message.split('\n')[0] === message);
        const found = said.find((d) => d.range.start.line === place.position.line) ?? said[0];
        assert.ok(found, `${at}\n${JSON.stringify(published.get(place.file))}`);
        assert.deepEqual(found.range, { start: place.position, end: { line: place.position.line, character: place.position.character + place.length } }, at);
        return;
    }
    const place = placeOf(program, words);
    const [verb, ...expected] = place.rest;
    const wanted = step.text.slice(step.text.indexOf(` ${verb} `) + verb.length + 2);
    if (kind === 'hover') {
        // hover PLACE has TEXT
        const answer = await session.ask('textDocument/hover', place.file, place.position);
        assert.ok(answer?.contents.value.includes(wanted), `${at}\n${answer?.contents.value}`);
    } else if (kind === 'definition') {
        // definition PLACE => FILE LINE WORD
        const answer = await session.ask('textDocument/definition', place.file, place.position);
        const target = placeOf(program, expected);
        assert.equal(answer && placeName(session, answer.uri, answer.range), `${target.file} ${target.position.line + 1}:${target.position.character}`, at);
    } else if (kind === 'references' || kind === 'uses') {
        // references PLACE => FILE LINE WORD, FILE LINE WORD ... (uses: the
        // editor asks without the declaration)
        const answer = await session.ask('textDocument/references', place.file, place.position, kind === 'references');
        const targets = wanted.split(',').map((one) => placeOf(program, wordsOf(one)))
            .map((target) => `${target.file} ${target.position.line + 1}:${target.position.character}`);
        assert.deepEqual(answer.map((r) => placeName(session, r.uri, r.range)).sort(), targets.sort(), at);
    } else if (kind === 'completion') {
        // completion PLACE has NAME... | lacks NAME... | is NAME...
        const labels = (await session.ask('textDocument/completion', place.file, place.position)).map((item) => item.label);
        if (verb === 'is')
            assert.deepEqual([...labels].sort(), [...expected].sort(), at);
        for (const name of verb === 'has' ? expected : [])
            assert.ok(labels.includes(name), `${at}: ${name} missing from ${labels.join(' ')}`);
        for (const name of verb === 'lacks' ? expected : [])
            assert.ok(!labels.includes(name), `${at}: ${name} offered`);
    } else if (kind === 'rename') {
        // rename PLACE to NAME => PLACE, PLACE ... | rename PLACE to NAME refused TEXT
        const [newName, outcome] = expected;
        const tail = step.text.slice(step.text.indexOf(` ${outcome} `) + outcome.length + 2);
        const request = session.ask('textDocument/rename', place.file, place.position, true, { newName });
        const prepared = session.ask('textDocument/prepareRename', place.file, place.position);
        if (outcome === 'refused') {
            // Refused with the reason, the new name's or the declaration's.
            let reason = '';
            await assert.rejects(request, (error) => (reason = error.message).includes(tail), at);
            // Asked before the new name is known, the same refusal unless
            // the reason is the new name.
            if (reason.includes(`"${newName}"`))
                assert.ok((await prepared)?.range, at);
            else
                await assert.rejects(prepared, (error) => error.message === reason, at);
            return;
        }
        const answer = await request;
        const edits = Object.entries(answer.changes).flatMap(([uri, list]) => list.map((edit) => ({ uri, ...edit })));
        assert.ok(edits.every((edit) => edit.newText === newName), at);
        const targets = tail.split(',').map((one) => placeOf(program, wordsOf(one)))
            .map((target) => `${target.file} ${target.position.line + 1}:${target.position.character}`);
        assert.deepEqual(edits.map((edit) => placeName(session, edit.uri, edit.range)).sort(), targets.sort(), at);
        // The name under the cursor is what the editor offers to change.
        assert.ok((await prepared)?.range, at);
    } else if (kind === 'signature') {
        // signature PLACE => LABEL, parameter N
        const answer = await session.ask('textDocument/signatureHelp', place.file, place.position);
        const [label, parameter] = wanted.split(/, parameter /);
        assert.equal(answer?.signatures[0].label, label, at);
        assert.equal(answer.activeParameter, Number(parameter), at);
    } else {
        assert.fail(`${at}: no step "${kind}"`);
    }
}

// outline FILE => Class[member member] function global
async function outlineStep(session, step) {
    const [, file, , ...expected] = wordsOf(step.text);
    const symbols = await session.connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri: session.uri(file) } });
    const shown = symbols.map((s) => (s.children?.length ? `${s.name}[${s.children.map((c) => c.name).join(' ')}]` : s.name));
    assert.equal(shown.join(' '), expected.join(' '), `line ${step.line}: ${step.text}`);
}

// Every entry of a folder, hidden ones too: a file's bytes and time of
// change, a folder as such.
function folderState(folder) {
    const state = {};
    for (const name of fs.readdirSync(folder, { recursive: true }).sort()) {
        const file = path.join(folder, name);
        const stat = fs.statSync(file);
        state[name] = stat.isDirectory() ? 'folder' : { bytes: fs.readFileSync(file).toString('base64'), changed: stat.mtimeMs };
    }
    return state;
}

const folder = path.join(here, 'sessions');
for (const file of fs.readdirSync(folder).filter((name) => name.endsWith('.txt') && name !== 'README.txt').sort()) {
    for (const c of casesOf(path.join(folder, file))) {
        test(`${file}:${c.line} ${c.name}`, async () => {
            const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'velc-lsp-case-'));
            const session = new Session(scratch);
            try {
                const program = new Map();
                for (const source of c.sources) {
                    fs.mkdirSync(path.dirname(path.join(scratch, source.name)), { recursive: true });
                    fs.writeFileSync(path.join(scratch, source.name), source.text);
                    program.set(source.name, source.text);
                }
                // A hidden file and a hidden folder, which a check must leave
                // as they are like everything else.
                fs.writeFileSync(path.join(scratch, '.settings'), 'kept\n');
                fs.mkdirSync(path.join(scratch, '.cache'));
                fs.writeFileSync(path.join(scratch, '.cache', 'state'), 'kept too\n');
                const before = folderState(scratch);
                await session.start();
                // Every source is opened, the main one (the first) last, whose
                // check publishes the diagnostics of the whole program.
                const published = new Map();
                for (const source of [...c.sources.slice(1), c.sources[0]])
                    published.set(source.name, await session.open(source.name, source.text));
                // What the editor shows is what was published last for each
                // source, by whichever check.
                await session.connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri: session.uri(c.sources[0].name) } });
                for (const source of c.sources)
                    published.set(source.name, session.latest.get(session.uri(source.name)) ?? published.get(source.name));
                for (const step of c.steps) {
                    if (step.text.startsWith('outline '))
                        await outlineStep(session, step);
                    else
                        await runStep(session, program, published, step);
                }
                // The editor's texts were checked, not saved: the folder is
                // as it was, byte for byte, nothing written, nothing touched.
                assert.deepEqual(folderState(scratch), before);
            } finally {
                await session.end();
                fs.rmSync(scratch, { recursive: true, force: true });
            }
        });
    }
}
