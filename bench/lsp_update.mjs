// How long an editor waits for velc-lsp's diagnostics after an edit of a
// 2,000-line source: the server is started as an editor starts it, the
// source is opened, then each edit changes one line (alternately adding
// and removing a fault) and the time until the diagnostics of that version
// arrive is taken. Prints the median and the slowest of the runs, and the
// median of velc --index alone on the same source.
//
//   node lsp_update.mjs VELC SERVER_JS SERVER_MODULES CLIENT_MODULES SOURCE [edits]
import { createRequire } from 'node:module';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [velc, serverScript, serverModules, clientModules, source, edits = '21'] = process.argv.slice(2);
const protocol = createRequire(path.join(clientModules, 'index.js'))('vscode-languageserver-protocol/node');
const text = fs.readFileSync(source, 'utf8');
const uri = pathToFileURL(path.resolve(source)).toString();
const lines = text.split('\n');
const editedLine = Math.floor(lines.length / 2);

const server = spawn(process.execPath, [serverScript], { env: { ...process.env, VELC: velc, NODE_PATH: serverModules } });
const connection = protocol.createProtocolConnection(new protocol.StreamMessageReader(server.stdout), new protocol.StreamMessageWriter(server.stdin));
let waiting = null;
let wantedVersion = 1;
connection.onNotification(protocol.PublishDiagnosticsNotification.type, (params) => {
    if (params.uri === uri && params.version === wantedVersion && waiting)
        waiting(params.diagnostics);
});
connection.listen();
await connection.sendRequest(protocol.InitializeRequest.type, { processId: process.pid, rootUri: null, capabilities: {} });
connection.sendNotification(protocol.InitializedNotification.type, {});

const published = () => new Promise((resolve) => { waiting = resolve; });
let next = published();
connection.sendNotification(protocol.DidOpenTextDocumentNotification.type, { textDocument: { uri, languageId: 'velmora', version: 1, text } });
await next;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const times = [];
for (let version = 2; version < 2 + Number(edits); version++) {
    const faulty = version % 2 === 0;
    const line = faulty ? lines[editedLine] + ' + undefinedName' : lines[editedLine];
    next = published();
    wantedVersion = version;
    const start = process.hrtime.bigint();
    connection.sendNotification(protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri, version },
        contentChanges: [{ range: { start: { line: editedLine, character: 0 }, end: { line: editedLine + 1, character: 0 } }, text: line + '\n' }],
    });
    const diagnostics = await next;
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
    if ((diagnostics.length > 0) !== faulty)
        throw new Error(`version ${version}: ${diagnostics.length} diagnostics`);
}
connection.dispose();
server.kill();

const alone = [];
for (let i = 0; i < 11; i++) {
    const start = process.hrtime.bigint();
    spawnSync(velc, ['--index', path.resolve(source)], { cwd: path.dirname(path.resolve(source)) });
    alone.push(Number(process.hrtime.bigint() - start) / 1e6);
}
console.log(`${lines.length} lines: diagnostics after an edit in ${median(times).toFixed(1)} ms (median of ${times.length}, ` +
            `slowest ${Math.max(...times).toFixed(1)} ms); velc --index alone ${median(alone).toFixed(1)} ms`);
