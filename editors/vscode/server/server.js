#!/usr/bin/env node
// velc-lsp: the Velmora language server. It speaks the Language Server
// Protocol on standard input and output (vscode-languageserver) and asks
// velc for everything it knows: on every change, `velc --index --stdin`
// translates the program with the editor's unsaved texts, writes nothing
// beside the sources, and prints the diagnostics and the index of names.
'use strict';

const path = require('node:path');
const { spawn } = require('node:child_process');
const { fileURLToPath, pathToFileURL } = require('node:url');
const fs = require('node:fs');
const os = require('node:os');
const {
    createConnection, TextDocuments, ProposedFeatures, TextDocumentSyncKind, DiagnosticSeverity,
    CompletionItemKind, SymbolKind, MarkupKind, ShowMessageNotification, MessageType, ResponseError, ErrorCodes,
} = require('vscode-languageserver/node');
const { TextDocument } = require('vscode-languageserver-textdocument');
const { IndexView } = require('./index_view');
const { ProgramOf } = require('./program_of');
const language = require('./language');
const { planRename } = require('./rename');

const connection = createConnection(ProposedFeatures.all, process.stdin, process.stdout);
const documents = new TextDocuments(TextDocument);

// velc: the one beside this server's launcher, else the settings' or PATH's.
let velcPath = process.env.VELC || 'velc';
const besideLauncher = process.env.VELC_LSP_HOME ? path.join(process.env.VELC_LSP_HOME, 'velc') : null;
if (!process.env.VELC && besideLauncher && fs.existsSync(besideLauncher))
    velcPath = besideLauncher;

// The longest a check may take.
const CHECK_TIME_LIMIT_MS = 30000;

const views = new Map();          // document uri -> IndexView of its last check
const published = new Map();      // uri -> uris it published diagnostics for
const running = new Map();        // uri -> { again }: a check is running
const programs = new ProgramOf(textOf, (file) => documents.get(uriOf(file)) !== undefined);

function fileOf(uri) {
    return uri.startsWith('file:') ? fileURLToPath(uri) : uri;
}

function uriOf(file) {
    return pathToFileURL(path.resolve(file)).toString();
}

function textOf(file) {
    const open = documents.get(uriOf(file));
    if (open)
        return open.getText();
    try {
        return fs.readFileSync(file, 'utf8');
    } catch {
        return '';
    }
}

// Runs velc on the program of a main source; resolves to its JSON, or null
// when velc could not be run.
function runIndex(main) {
    const unsaved = {};
    for (const open of documents.all())
        if (open.uri.startsWith('file:'))
            unsaved[fileOf(open.uri)] = open.getText();
    return new Promise((resolve) => {
        let output = '';
        let child;
        try {
            child = spawn(velcPath, ['--index', '--stdin', main], { cwd: path.dirname(main), stdio: ['pipe', 'pipe', 'ignore'] });
        } catch {
            resolve(null);
            return;
        }
        child.on('error', (error) => {
            connection.console.error(`velc could not be run (${velcPath}): ${error.message}`);
            resolve(null);
        });
        // A velc that does not end is stopped: the document's later checks
        // wait for this one.
        const timer = setTimeout(() => child.kill('SIGKILL'), CHECK_TIME_LIMIT_MS);
        child.stdout.setEncoding('utf8');
        child.stdout.on('data', (chunk) => { output += chunk; });
        child.on('close', () => {
            clearTimeout(timer);
            try {
                resolve(JSON.parse(output));
            } catch {
                resolve(null);
            }
        });
        child.stdin.on('error', () => {});
        child.stdin.end(JSON.stringify(unsaved));
    });
}

async function check(document) {
    // The document changes in place: a run for an older text is dropped.
    const version = document.version;
    const file = fileOf(document.uri);
    const main = document.uri.startsWith('file:') ? programs.mainOf(file) : file;
    const result = await runIndex(main);
    if (!result || documents.get(document.uri)?.version !== version)
        return;
    programs.programChecked(main, result.sources);
    const view = new IndexView(result, textOf, main);
    views.set(document.uri, view);
    // Every source of the program gets what this run says of it.
    const byUri = new Map((result.sources || []).map((file) => [uriOf(file), []]));
    byUri.set(document.uri, byUri.get(document.uri) || []);
    for (const d of result.diagnostics || []) {
        const uri = uriOf(d.file);
        if (!byUri.has(uri))
            byUri.set(uri, []);
        byUri.get(uri).push({
            range: view.range(d),
            severity: d.severity === 'warning' ? DiagnosticSeverity.Warning : DiagnosticSeverity.Error,
            source: 'velc',
            code: d.code || undefined,
            message: d.hint ? `${d.message}\nhint: ${d.hint}` : d.message,
        });
    }
    for (const [uri, diagnostics] of byUri)
        if (uri === document.uri)
            connection.sendDiagnostics({ uri, version, diagnostics });
        else if (documents.get(uri) || diagnostics.length)
            connection.sendDiagnostics({ uri, diagnostics });
    published.set(document.uri, [...byUri.keys()]);
}

// One velc at a time per document, at once: edits made while it runs are
// checked together when it ends, so a burst of keys costs one more run.
async function scheduleCheck(document) {
    const state = running.get(document.uri);
    if (state) {
        state.again = true;
        return;
    }
    let finish;
    running.set(document.uri, { again: false, finished: new Promise((resolve) => { finish = resolve; }) });
    try {
        do {
            running.get(document.uri).again = false;
            await check(document);
        } while (running.get(document.uri).again && documents.get(document.uri));
    } finally {
        running.delete(document.uri);
        finish();
    }
}

// A question asked just after an edit is answered from the check of the
// edited text: places in an older index would miss the text by the lines
// the edit added or removed.
async function checksDone() {
    await Promise.all([...running.values()].map((state) => state.finished));
}

// Opening a document changes its content too.
documents.onDidChangeContent((event) => scheduleCheck(event.document));
documents.onDidClose((event) => {
    views.delete(event.document.uri);
    connection.sendDiagnostics({ uri: event.document.uri, diagnostics: [] });
});

connection.onInitialize(() => ({
    capabilities: {
        textDocumentSync: TextDocumentSyncKind.Incremental,
        hoverProvider: true,
        definitionProvider: true,
        referencesProvider: true,
        documentSymbolProvider: true,
        completionProvider: { triggerCharacters: ['.', '/'] },
        signatureHelpProvider: { triggerCharacters: ['(', ','] },
        documentFormattingProvider: true,
        renameProvider: { prepareProvider: true },
    },
    serverInfo: { name: 'velc-lsp' },
}));

// The last check of the document, or of a program that holds it: a client
// may ask about an included source it has not opened.
function viewAt(params) {
    const uri = params.textDocument.uri;
    const file = fileOf(uri);
    let view = views.get(uri);
    if (!view)
        for (const other of views.values())
            if ((other.document.sources || []).some((source) => path.resolve(source) === path.resolve(file)))
                view = other;
    return view ? { view, file } : null;
}

// The declaration or built-in under the cursor: from the index, else by
// the name written there.
function targetAt(view, file, position) {
    const found = view.at(file, position);
    if (found)
        return found;
    const word = language.wordAt(textOf(file), position);
    if (!word)
        return null;
    const declaration = view.resolve(word, file, position);
    if (declaration >= 0)
        return { declaration };
    // A built-in function called where the index has no use of it (swap
    // is a statement of its own).
    const line = textOf(file).split(/\r?\n/)[position.line] || '';
    const after = line.slice(line.indexOf(word, Math.max(0, position.character - word.length)) + word.length);
    const builtin = /^\s*\(/.test(after) && view.builtinFunctions().find((b) => b.name.toLowerCase() === word.toLowerCase());
    return builtin ? { builtin: builtin.index } : null;
}

connection.onHover(async (params) => {
    await checksDone();
    const at = viewAt(params);
    const target = at && targetAt(at.view, at.file, params.position);
    if (!target)
        return null;
    const text = target.declaration !== undefined
        ? language.describeDeclaration(at.view, target.declaration)
        : language.describeBuiltin(at.view.builtins.find((b) => b.index === target.builtin));
    return text ? { contents: { kind: MarkupKind.Markdown, value: text } } : null;
});

// The source an include line names, when the cursor is on its name: found
// in the main source's folder, as velc finds it.
function includedSourceAt(view, file, position) {
    const line = textOf(file).split(/\r?\n/)[position.line] || '';
    const match = /^([ \t]*include[ \t]+["']?)([^"'\t\r]+?\.vel)\b/i.exec(line);
    if (!match || position.character < match[1].length || position.character > match[1].length + match[2].length)
        return null;
    const source = path.resolve(path.dirname(view.main || file), match[2]);
    return fs.existsSync(source) ? source : null;
}

connection.onDefinition(async (params) => {
    await checksDone();
    const at = viewAt(params);
    const included = at && includedSourceAt(at.view, at.file, params.position);
    if (included)
        return { uri: uriOf(included), range: { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } } };
    const target = at && targetAt(at.view, at.file, params.position);
    if (!target || target.declaration === undefined)
        return null;
    const d = at.view.declarations[target.declaration];
    return { uri: uriOf(d.file), range: at.view.range(d) };
});

connection.onReferences(async (params) => {
    await checksDone();
    const at = viewAt(params);
    const target = at && targetAt(at.view, at.file, params.position);
    if (!target || target.declaration === undefined)
        return [];
    // The declaration counts among the places unless the client says not.
    const places = at.view.references(target.declaration);
    if (params.context && params.context.includeDeclaration === false)
        places.shift();
    return places.map((p) => ({ uri: uriOf(p.file), range: at.view.range(p) }));
});

// A rename is planned on the last check; what it cannot do safely it refuses
// with the reason, which the editor shows.
async function renamePlan(params, newName) {
    await checksDone();
    const at = viewAt(params);
    const target = at && targetAt(at.view, at.file, params.position);
    if (!target)
        return { refused: 'no declared name here' };
    if (target.declaration === undefined)
        return { refused: 'a built-in name cannot be renamed' };
    return { ...planRename(at.view, target.declaration, newName), view: at.view, declaration: target.declaration };
}

connection.onPrepareRename(async (params) => {
    const plan = await renamePlan(params);
    if (plan.refused)
        return new ResponseError(ErrorCodes.InvalidRequest, plan.refused);
    // The range of the name under the cursor, among the places to change.
    const file = fileOf(params.textDocument.uri);
    const here = plan.places.find((p) => plan.view.contains(p, file, params.position));
    return here ? { range: plan.view.range(here), placeholder: plan.view.declarations[plan.declaration].name } : null;
});

connection.onRenameRequest(async (params) => {
    const plan = await renamePlan(params, params.newName);
    if (plan.refused)
        return new ResponseError(ErrorCodes.InvalidRequest, plan.refused);
    const changes = {};
    for (const p of plan.places)
        (changes[uriOf(p.file)] ||= []).push({ range: plan.view.range(p), newText: params.newName });
    return { changes };
});

const symbolKinds = {
    class: SymbolKind.Class, function: SymbolKind.Function, method: SymbolKind.Method,
    attribute: SymbolKind.Field, variable: SymbolKind.Variable, constant: SymbolKind.Constant,
    'enum item': SymbolKind.EnumMember, define: SymbolKind.TypeParameter,
};

connection.onDocumentSymbol(async (params) => {
    await checksDone();
    const at = viewAt(params);
    if (!at)
        return [];
    const { view, file } = at;
    const symbolOf = (d, children) => {
        const range = view.range(d);
        // A block's range runs to the end of its last line.
        const end = d.scopeEnd ? { line: d.scopeEnd - 1, character: view.lineText(d.file, d.scopeEnd).length } : range.end;
        return {
            name: d.name, detail: d.signature || d.type || '', kind: symbolKinds[d.kind] || SymbolKind.Variable,
            range: { start: range.start, end: end.line > range.start.line ? end : range.end }, selectionRange: range, children,
        };
    };
    const symbols = [];
    view.declarations.forEach((d, i) => {
        if (d.file !== file || d.container !== undefined || d.kind === 'parameter')
            return;
        if ((d.kind === 'variable' || d.kind === 'constant') && d.scopeEnd !== undefined)
            return;
        // A class's own members: those of its bases stand in the bases' outline
        // (a child's range lies inside its parent's).
        const children = d.kind === 'class' ? view.ownMembersOfClass(i).map((m) => symbolOf(m, [])) : [];
        symbols.push(symbolOf(d, children));
    });
    return symbols;
});

connection.onCompletion(async (params) => {
    await checksDone();
    const at = viewAt(params);
    if (!at)
        return language.keywordItems();
    const line = textOf(at.file).split(/\r?\n/)[params.position.line] || '';
    return language.completions(at.view, at.file, params.position, line.slice(0, params.position.character));
});

connection.onSignatureHelp(async (params) => {
    await checksDone();
    const at = viewAt(params);
    if (!at)
        return null;
    const line = textOf(at.file).split(/\r?\n/)[params.position.line] || '';
    return language.signatureHelp(at.view, at.file, params.position, line.slice(0, params.position.character));
});

// velc --format on a copy of the editor's text, in a scratch folder of its
// own: the layout velc writes, as one edit of the whole text. A source velc
// cannot read is left as it is, and velc's reason is shown.
connection.onDocumentFormatting(async (params) => {
    const document = documents.get(params.textDocument.uri);
    if (!document)
        return [];
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'velc-format-'));
    const copy = path.join(folder, path.basename(fileOf(document.uri)).replace(/(\.vel)?$/i, '.vel'));
    try {
        const text = document.getText();
        fs.writeFileSync(copy, text);
        const said = await new Promise((resolve) => {
            let output = '';
            const child = spawn(velcPath, ['--format', copy], { cwd: folder, stdio: ['ignore', 'pipe', 'ignore'] });
            child.on('error', () => resolve(null));
            child.stdout.setEncoding('utf8');
            child.stdout.on('data', (chunk) => { output += chunk; });
            child.on('close', (status) => resolve({ status, output }));
        });
        if (!said || said.status !== 0) {
            // A notification, not the request with buttons: a client that
            // answers that request with an error would end the server.
            if (said && said.output.trim())
                connection.sendNotification(ShowMessageNotification.type, {
                    type: MessageType.Warning,
                    message: said.output.trim().split(copy).join(path.basename(fileOf(document.uri))),
                });
            return [];
        }
        const formatted = fs.readFileSync(copy, 'utf8');
        if (formatted === text)
            return [];
        return [{ range: { start: { line: 0, character: 0 }, end: document.positionAt(text.length) }, newText: formatted }];
    } finally {
        fs.rmSync(folder, { recursive: true, force: true });
    }
});

// A failed answer is told in the log; it must not end the server.
process.on('unhandledRejection', (error) => connection.console.error(`velc-lsp: ${error && error.stack || error}`));

documents.listen(connection);
connection.listen();
