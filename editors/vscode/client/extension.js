// The Velmora extension's client: starts the language server bundled in
// the extension (server/server.js) on Node and connects VS Code to it.
'use strict';

const path = require('node:path');
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function activate(context) {
    const server = context.asAbsolutePath(path.join('server', 'server.js'));
    const velc = vscode.workspace.getConfiguration('velmora').get('velcPath') || 'velc';
    const run = { module: server, transport: TransportKind.stdio, options: { env: { ...process.env, VELC: velc } } };
    client = new LanguageClient('velmora', 'Velmora', { run, debug: run }, {
        documentSelector: [{ scheme: 'file', language: 'velmora' }],
    });
    client.start();
}

function deactivate() {
    return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
