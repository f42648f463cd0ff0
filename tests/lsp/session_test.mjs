// A scripted editor session with velc-lsp: the server runs as an editor
// starts it, on standard input and output, and the client is the protocol
// library editors use. The program is two sources in a scratch folder; the
// folder must hold nothing but them at the end (nothing is written beside
// the sources).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const { VELC, VELC_LSP_SERVER, VELC_LSP_MODULES, VELC_LSP_CLIENT } = process.env;
for (const needed of [path.join(VELC_LSP_MODULES, 'vscode-languageserver'), path.join(VELC_LSP_CLIENT, 'vscode-languageserver-protocol')]) {
    if (!fs.existsSync(needed)) {
        console.log(`${needed} is not installed (setup.sh installs it)`);
        process.exit(77);
    }
}
const require = createRequire(path.join(VELC_LSP_CLIENT, 'index.js'));
const protocol = require('vscode-languageserver-protocol/node');

const library = [
    'class Point',
    '    int x = 1',
    '    int y = 2',
    '    int sum()',
    '        return x + y',
    '/class',
    '',
    'class Point3 is Point',
    '    int z = 3',
    '/class',
    '',
    'int twice(int n, int by = 2)',
    '    return n * by',
    '',
].join('\n');
const faulty = [
    'include "shapes.vel"',
    'text title = "points"',
    'Point p = Point()',
    'int total = twice(3)',
    'print title.length(), p.sum(), totl',
    '',
].join('\n');
const fixed = faulty.replace('totl', 'total');

let folder, connection, server;
const diagnostics = new Map();
let diagnosticsSeen = () => {};

function uri(name) {
    return pathToFileURL(path.join(folder, name)).toString();
}

// The diagnostics published for a version of a source, checked as the
// program's main source.
function nextDiagnostics(name, version) {
    return new Promise((resolve) => {
        const wanted = uri(name);
        diagnosticsSeen = (params) => {
            if (params.uri === wanted && params.version === version)
                resolve(params.diagnostics);
        };
    });
}

async function request(method, name, position) {
    return connection.sendRequest(method, { textDocument: { uri: uri(name) }, position, context: { includeDeclaration: true } });
}

before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'velc-lsp-'));
    fs.writeFileSync(path.join(folder, 'shapes.vel'), library);
    fs.writeFileSync(path.join(folder, 'main.vel'), faulty);
    server = spawn(process.execPath, [VELC_LSP_SERVER], {
        env: { ...process.env, VELC, NODE_PATH: VELC_LSP_MODULES },
        stdio: ['pipe', 'pipe', 'inherit'],
    });
    connection = protocol.createProtocolConnection(new protocol.StreamMessageReader(server.stdout),
                                                   new protocol.StreamMessageWriter(server.stdin));
    connection.onNotification(protocol.PublishDiagnosticsNotification.type, (params) => {
        diagnostics.set(params.uri, params.diagnostics);
        diagnosticsSeen(params);
    });
    connection.listen();
    await connection.sendRequest(protocol.InitializeRequest.type, { processId: process.pid, rootUri: pathToFileURL(folder).toString(), capabilities: {} });
    connection.sendNotification(protocol.InitializedNotification.type, {});
});

after(() => {
    connection.dispose();
    server.kill();
    fs.rmSync(folder, { recursive: true, force: true });
});

test('a fault is published with the range of the name, and an edit that fixes it clears it', async () => {
    const published = nextDiagnostics('main.vel', 1);
    connection.sendNotification(protocol.DidOpenTextDocumentNotification.type,
                                { textDocument: { uri: uri('main.vel'), languageId: 'velmora', version: 1, text: faulty } });
    const [fault, ...others] = await published;
    assert.deepEqual(others, []);
    assert.match(fault.message, /"totl" not declared/);
    assert.deepEqual(fault.range, { start: { line: 4, character: 31 }, end: { line: 4, character: 35 } });

    const cleared = nextDiagnostics('main.vel', 2);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('main.vel'), version: 2 },
        contentChanges: [{ range: { start: { line: 4, character: 31 }, end: { line: 4, character: 35 } }, text: 'total' }],
    });
    assert.deepEqual(await cleared, []);
});

test('an unsaved fault in the included source is published for it', async () => {
    const published = nextDiagnostics('shapes.vel', 1);
    connection.sendNotification(protocol.DidOpenTextDocumentNotification.type, {
        textDocument: { uri: uri('shapes.vel'), languageId: 'velmora', version: 1, text: library.replace('x + y', 'x + z') },
    });
    const [fault] = await published;
    assert.match(fault.message, /"z" not declared/);
    assert.deepEqual(fault.range.start, { line: 4, character: 19 });
    const fixedAgain = nextDiagnostics('shapes.vel', 2);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('shapes.vel'), version: 2 }, contentChanges: [{ text: library }],
    });
    assert.deepEqual(await fixedAgain, []);
    const main = nextDiagnostics('main.vel', 3);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('main.vel'), version: 3 }, contentChanges: [{ text: fixed }],
    });
    assert.deepEqual(await main, []);
});

test('hover gives the type of a variable, the signature of a method and function, a built-in with its line of documentation', async () => {
    const text = async (line, character) => (await request('textDocument/hover', 'main.vel', { line, character }))?.contents.value;
    assert.match(await text(4, 8), /text title/);
    assert.match(await text(2, 7), /Point p/);
    assert.match(await text(4, 24), /integer sum\(\)/);
    assert.match(await text(3, 14), /integer twice\(integer n, integer by = 2\)/);
    const builtin = await text(4, 14);
    assert.match(builtin, /text\.length\(\): integer/);
    assert.match(builtin, /number of bytes/);
});

test('go to definition reaches the included source, and references list every use', async () => {
    const method = await request('textDocument/definition', 'main.vel', { line: 4, character: 24 });
    assert.equal(method.uri, uri('shapes.vel'));
    assert.deepEqual(method.range.start, { line: 3, character: 8 });
    // From the name of an include line, the source it names.
    const included = await request('textDocument/definition', 'main.vel', { line: 0, character: 12 });
    assert.deepEqual([included?.uri, included?.range.start], [uri('shapes.vel'), { line: 0, character: 0 }]);
    const attribute = await request('textDocument/definition', 'shapes.vel', { line: 4, character: 19 });
    assert.deepEqual(attribute?.range.start, { line: 2, character: 8 });
    const references = await request('textDocument/references', 'main.vel', { line: 4, character: 8 });
    assert.deepEqual(references.map((r) => r.range.start.line).sort(), [1, 4]);
    // A class is used as a type, as a constructor and as a base.
    const classUses = await request('textDocument/references', 'main.vel', { line: 2, character: 2 });
    assert.deepEqual(classUses.map((r) => `${path.basename(new URL(r.uri).pathname)}:${r.range.start.line}:${r.range.start.character}`).sort(),
                     ['main.vel:2:0', 'main.vel:2:10', 'shapes.vel:0:6', 'shapes.vel:7:16']);
});

test('the outline holds the classes with their members, the functions and the globals', async () => {
    const library = await connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri: uri('shapes.vel') } });
    assert.deepEqual(library.map((s) => s.name), ['Point', 'Point3', 'twice']);
    assert.deepEqual(library[0].children.map((s) => s.name), ['x', 'y', 'sum']);
    // A function or method ends on the line of its closing return.
    assert.deepEqual(library[0].children[2].range.end, { line: 4, character: 20 });
    assert.deepEqual(library[2].range.end, { line: 12, character: 17 });
    // A derived class holds its own members only, each inside its range.
    assert.deepEqual(library[1].children.map((s) => s.name), ['z']);
    for (const symbol of library)
        for (const child of symbol.children)
            assert.ok(child.range.start.line >= symbol.range.start.line && child.range.end.line <= symbol.range.end.line,
                      `${child.name} outside ${symbol.name}`);
    const main = await connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri: uri('main.vel') } });
    assert.deepEqual(main.map((s) => s.name), ['title', 'p', 'total']);
});

test('completion after a text, after objects, and of the names in scope', async () => {
    const edited = nextDiagnostics('main.vel', 4);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('main.vel'), version: 4 }, contentChanges: [{ text: fixed + 'title.\np.\nPoint3 q = Point3()\nq.\ndict d\nd.\nenum RED, GREEN\ndefine Doubler = "twice"\nprint GREEN\n' +
                        'class Box\n    int w = 1\n    void Box(int v)\n        w = v\n    return\n/class\nBox bx = Box(2)\nbx.\n' }],
    });
    await edited;
    const labels = async (line, character) =>
        (await request('textDocument/completion', 'main.vel', { line, character })).map((item) => item.label);
    const textMethods = await labels(5, 6);
    for (const name of ['length', 'upper', 'split', 'find'])
        assert.ok(textMethods.includes(name), name);
    assert.ok(!textMethods.includes('push'));
    assert.deepEqual((await labels(6, 2)).sort(), ['sum', 'x', 'y']);
    // A derived class's own members, then its base's.
    assert.deepEqual((await labels(8, 2)).sort(), ['sum', 'x', 'y', 'z']);
    // A constructor is called by the class's name, not on an object.
    assert.deepEqual(await labels(21, 3), ['w']);
    const names = await labels(13, 0);
    for (const name of ['title', 'p', 'total', 'twice', 'Point', 'print', 'sqrt', 'GREEN', 'Doubler'])
        assert.ok(names.includes(name), name);
    assert.ok(!names.includes('x'), 'an attribute outside its class');
    // An enum item, a define and a global are named only below their line.
    const above = await labels(9, 0);
    for (const name of ['GREEN', 'Doubler', 'bx'])
        assert.ok(!above.includes(name), name);
    assert.ok(above.includes('Box'), 'a class is named anywhere');
    // A dict's own methods and the array methods it answers, each once.
    const dictMethods = await labels(10, 2);
    for (const name of ['hasKey', 'keys', 'length'])
        assert.ok(dictMethods.includes(name), name);
    assert.equal(new Set(dictMethods).size, dictMethods.length, dictMethods.join());
    // Inside a method, the members of its class are names in scope.
    const inMethod = (await request('textDocument/completion', 'shapes.vel', { line: 4, character: 15 })).map((item) => item.label);
    for (const name of ['x', 'y', 'sum', 'twice'])
        assert.ok(inMethod.includes(name), name);
    // The included source does not see the names of the source including it.
    for (const name of ['title', 'p', 'total'])
        assert.ok(!inMethod.includes(name), name);
});

test('hover names an enum item with its type and a define as a type', async () => {
    const text = async (line, character) => (await request('textDocument/hover', 'main.vel', { line, character }))?.contents.value;
    assert.match(await text(13, 8), /integer GREEN[^]*enum item/);
    assert.match(await text(12, 9), /define Doubler[^]*main\.vel line 13/);
});

test('signature help shows the parameters of the call around the cursor', async () => {
    const help = await request('textDocument/signatureHelp', 'main.vel', { line: 3, character: 18 });
    assert.equal(help.signatures[0].label, 'integer twice(integer n, integer by = 2)');
    assert.equal(help.activeParameter, 0);
});

test('an included source is checked as part of the program that includes it, not as a main source', async () => {
    // A statement at the top level is allowed in a main source only.
    const published = nextDiagnostics('shapes.vel', 3);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('shapes.vel'), version: 3 }, contentChanges: [{ text: library + 'print twice(1)\n' }],
    });
    const [fault, ...others] = await published;
    assert.deepEqual(others, []);
    assert.match(fault.message, /statement outside function/);
    assert.equal(fault.range.start.line, 13);
    const restored = nextDiagnostics('shapes.vel', 4);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('shapes.vel'), version: 4 }, contentChanges: [{ text: library }],
    });
    assert.deepEqual(await restored, []);
});

test('a source in a sub-folder, opened alone, is checked with the program of the source above that includes it', async () => {
    // An include names its source from the main source's folder.
    fs.mkdirSync(path.join(folder, 'parts'));
    fs.writeFileSync(path.join(folder, 'parts', 'util.vel'), 'int helper(int x)\nreturn x + 1\n');
    fs.writeFileSync(path.join(folder, 'app.vel'), 'include "parts/util.vel"\nprint helper(1)\n');
    const published = nextDiagnostics('parts/util.vel', 1);
    connection.sendNotification(protocol.DidOpenTextDocumentNotification.type, {
        textDocument: { uri: uri('parts/util.vel'), languageId: 'velmora', version: 1, text: 'int helper(int x)\nreturn x + 1\nprint 2\n' },
    });
    const [fault, ...others] = await published;
    assert.deepEqual(others, []);
    assert.match(fault.message, /statement outside function/);
    assert.equal(fault.range.start.line, 2);
    await connection.sendNotification(protocol.DidCloseTextDocumentNotification.type, { textDocument: { uri: uri('parts/util.vel') } });
});

test('formatting gives the text in velc\'s layout, and nothing for a text velc cannot read', async () => {
    const messy = 'int total=0\nfor int i in 1..3\ntotal=total+i # sum\n/for\n\n\nprint total\n';
    const checked = nextDiagnostics('messy.vel', 1);
    connection.sendNotification(protocol.DidOpenTextDocumentNotification.type,
                                { textDocument: { uri: uri('messy.vel'), languageId: 'velmora', version: 1, text: messy } });
    await checked;
    const format = () => connection.sendRequest('textDocument/formatting',
                                                { textDocument: { uri: uri('messy.vel') }, options: { tabSize: 4, insertSpaces: true } });
    const [edit, ...more] = await format();
    assert.deepEqual(more, []);
    assert.deepEqual(edit.range, { start: { line: 0, character: 0 }, end: { line: 7, character: 0 } });
    assert.equal(edit.newText, 'int total = 0\nfor int i in 1..3\n    total = total + i # sum\n/for\n\nprint total\n');
    const slipped = nextDiagnostics('messy.vel', 2);
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri: uri('messy.vel'), version: 2 }, contentChanges: [{ text: messy + 'total += 1\n' }],
    });
    await slipped;
    assert.deepEqual(await format(), []);
    // Written before the session ends: the writer sends on a later turn.
    await connection.sendNotification(protocol.DidCloseTextDocumentNotification.type, { textDocument: { uri: uri('messy.vel') } });
});

test('nothing was written beside the sources', () => {
    assert.deepEqual(fs.readdirSync(folder, { recursive: true }).sort(), ['app.vel', 'main.vel', 'parts', 'parts/util.vel', 'shapes.vel']);
});
