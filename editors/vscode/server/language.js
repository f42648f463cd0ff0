// What the server says of Velmora: hover texts, completions and signature
// help, from an IndexView and the text before the cursor.
'use strict';

const { CompletionItemKind } = require('vscode-languageserver/node');

const keywords = [
    'alias', 'always', 'and', 'array', 'as', 'bool', 'break', 'byte', 'case', 'catch', 'char', 'class', 'const',
    'continue', 'cstring', 'default', 'define', 'dict', 'do', 'echo', 'else', 'enum', 'error', 'extern', 'false',
    'file', 'for', 'forever', 'function', 'global', 'if', 'import', 'in', 'include', 'inline', 'input', 'int',
    'integer', 'is', 'let', 'mod', 'natural', 'nil', 'not', 'null', 'number', 'object', 'or', 'print', 'private',
    'protected', 'real', 'return', 'static', 'step', 'super', 'switch', 'text', 'this', 'true', 'try', 'until',
    'var', 'void', 'volatile', 'while', 'zero',
];
const blockEnds = ['/class', '/do', '/enum', '/error', '/extern', '/for', '/if', '/import', '/switch', '/try', '/while'];

function wordAt(text, position) {
    const line = text.split(/\r?\n/)[position.line] || '';
    let start = position.character, end = position.character;
    while (start > 0 && /\w/.test(line[start - 1]))
        start--;
    while (end < line.length && /\w/.test(line[end]))
        end++;
    return start < end && /^[A-Za-z_]/.test(line.slice(start, end)) ? line.slice(start, end) : null;
}

function code(text) {
    return '```velmora\n' + text + '\n```';
}

function describeDeclaration(view, index) {
    const d = view.declarations[index];
    if (!d)
        return null;
    const owner = d.container !== undefined ? view.declarations[d.container] : null;
    const where = owner ? ` of ${owner.kind} ${owner.name}` : '';
    if (d.kind === 'class')
        return code(`class ${d.name}`) + `\n\nclass declared in ${baseName(d.file)} line ${d.line}`;
    if (d.signature)
        return code(d.signature) + `\n\n${d.kind}${where}`;
    // A define names a type, which has no type of its own.
    if (d.kind === 'define')
        return code(`define ${d.name}`) + `\n\ntype declared in ${baseName(d.file)} line ${d.line}`;
    return code(`${d.type || 'var'} ${d.name}`) + `\n\n${d.kind}${where}`;
}

function describeBuiltin(builtin) {
    if (!builtin)
        return null;
    const head = `${builtin.receiver ? builtin.receiver + '.' : ''}${builtin.signature}: ${builtin.result}`;
    return code(head) + (builtin.doc ? `\n\n${builtin.doc}` : '') + `\n\nbuilt-in ${builtin.receiver ? 'method' : 'function'}`;
}

function baseName(file) {
    return file.split(/[\\/]/).pop();
}

function keywordItems() {
    return [
        ...keywords.map((label) => ({ label, kind: CompletionItemKind.Keyword })),
        ...blockEnds.map((label) => ({ label, kind: CompletionItemKind.Keyword, detail: 'block end' })),
    ];
}

const declarationKinds = {
    class: CompletionItemKind.Class, function: CompletionItemKind.Function, method: CompletionItemKind.Method,
    attribute: CompletionItemKind.Field, variable: CompletionItemKind.Variable, parameter: CompletionItemKind.Variable,
    constant: CompletionItemKind.Constant, 'enum item': CompletionItemKind.EnumMember, define: CompletionItemKind.TypeParameter,
};

function declarationItem(d) {
    return { label: d.name, kind: declarationKinds[d.kind], detail: d.signature || d.type };
}

function builtinItem(b) {
    return { label: b.name, kind: b.receiver ? CompletionItemKind.Method : CompletionItemKind.Function,
             detail: `${b.signature}: ${b.result}`, documentation: b.doc || undefined };
}

// The type of what stands before a ".": a name, a text literal, or a
// chain of known members is beyond it.
function receiverType(view, file, position, receiver) {
    if (/["']$/.test(receiver))
        return { type: 'text' };
    const name = receiver.match(/([A-Za-z_]\w*)$/);
    if (!name)
        return null;
    if (name[1] === 'this') {
        const owner = view.classAround(file, position.line);
        return owner >= 0 ? { type: view.declarations[owner].name } : null;
    }
    const declaration = view.resolve(name[1], file, position);
    if (declaration < 0)
        return null;
    const d = view.declarations[declaration];
    return { type: d.kind === 'class' ? d.name : d.type };
}

function completions(view, file, position, before) {
    const member = before.match(/(.*?)\.(\w*)$/);
    if (member && !/^\s*\d+$/.test(member[1])) {
        const receiver = receiverType(view, file, position, member[1].trimEnd());
        if (!receiver)
            return [];
        const owner = view.classNamed(receiver.type);
        if (owner >= 0)
            return view.membersOfClass(owner).map(declarationItem);
        return view.builtinMethodsOf(receiver.type).map(builtinItem);
    }
    if (/\/\w*$/.test(before))
        return blockEnds.map((label) => ({ label: label.slice(1), kind: CompletionItemKind.Keyword, detail: 'block end' }));
    const seen = new Set();
    const items = [];
    // In a class's methods its attributes and methods, and its bases', are
    // named without "this."; they hide globals of the same name.
    for (const m of view.membersOfClass(view.classAround(file, position.line))) {
        seen.add(m.name);
        items.push(declarationItem(m));
    }
    view.declarations.forEach((d) => {
        if (!view.visible(d, file, position.line) || seen.has(d.name))
            return;
        if (d.kind === 'parameter' && d.scopeEnd === undefined)
            return;
        seen.add(d.name);
        items.push(declarationItem(d));
    });
    return [...items, ...view.builtinFunctions().map(builtinItem), ...keywordItems()];
}

// The call the cursor is in: the name before the innermost open "(" of the
// line, and how many of its arguments are behind the cursor.
function openCall(before) {
    let depth = 0, commas = 0;
    for (let i = before.length - 1; i >= 0; i--) {
        const c = before[i];
        if (c === ')' || c === ']')
            depth++;
        else if ((c === '(' || c === '[') && depth > 0)
            depth--;
        else if (c === ',' && depth === 0)
            commas++;
        else if (c === '(' && depth === 0) {
            const head = before.slice(0, i).match(/(?:(.*?)\.)?([A-Za-z_]\w*)\s*$/);
            return head ? { receiver: head[1], name: head[2], argument: commas } : null;
        }
    }
    return null;
}

function parametersOf(signature) {
    const inside = signature.slice(signature.indexOf('(') + 1, signature.lastIndexOf(')'));
    const parts = [];
    let depth = 0, start = 0;
    for (let i = 0; i < inside.length; i++) {
        if ('([{'.includes(inside[i])) depth++;
        else if (')]}'.includes(inside[i])) depth--;
        else if (inside[i] === ',' && depth === 0) {
            parts.push(inside.slice(start, i).trim());
            start = i + 1;
        }
    }
    if (inside.trim())
        parts.push(inside.slice(start).trim());
    return parts.map((label) => ({ label }));
}

function signatureHelp(view, file, position, before) {
    const call = openCall(before);
    if (!call)
        return null;
    let label = null, documentation;
    if (call.receiver !== undefined) {
        const receiver = receiverType(view, file, position, call.receiver);
        const owner = receiver ? view.classNamed(receiver.type) : -1;
        const method = owner >= 0 ? view.membersOfClass(owner).find((m) => m.name === call.name && m.signature) : null;
        const builtin = !method && receiver &&
            view.builtinMethodsOf(receiver.type).find((b) => b.name.toLowerCase() === call.name.toLowerCase());
        label = method ? method.signature : builtin ? `${builtin.signature}: ${builtin.result}` : null;
        documentation = builtin ? builtin.doc : undefined;
    } else {
        const declaration = view.resolve(call.name, file, position);
        const d = declaration >= 0 ? view.declarations[declaration] : null;
        const builtin = !d && view.builtinFunctions().find((b) => b.name.toLowerCase() === call.name.toLowerCase());
        label = d && d.signature ? d.signature : builtin ? `${builtin.signature}: ${builtin.result}` : null;
        documentation = builtin ? builtin.doc : undefined;
    }
    if (!label)
        return null;
    return { signatures: [{ label, documentation, parameters: parametersOf(label) }], activeSignature: 0, activeParameter: call.argument };
}

module.exports = { wordAt, describeDeclaration, describeBuiltin, keywordItems, completions, signatureHelp };
