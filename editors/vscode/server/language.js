// What the server says of Velmora: hover texts, completions and signature
// help, from an IndexView and the text before the cursor.
'use strict';

const { CompletionItemKind } = require('vscode-languageserver/node');
const { dictKeyType } = require('./dict_keys');

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
    const kind = d.static ? `static ${d.kind}` : d.kind;
    if (d.kind === 'class')
        return code(`class ${d.name}`) + `\n\nclass declared in ${baseName(d.file)} line ${d.line}`;
    if (d.signature)
        return code(d.signature) + `\n\n${kind}${where}`;
    // A define names a type, which has no type of its own; a function type
    // shows the head its functions have.
    if (d.kind === 'define')
        return code(`define ${d.name}`) + (d.like ? `\n\nfunctions like ${code(d.like)}` : '') +
               `\n\ntype declared in ${baseName(d.file)} line ${d.line}`;
    const keyOf = d.type === 'var' && d.kind === 'variable' ? dictKeyType(view, d) : null;
    if (keyOf)
        return code(`${keyOf.type} ${d.name}`) + `\n\nkey of ${keyOf.dict}`;
    return code(`${d.type || 'var'} ${d.name}`) + `\n\n${kind}${where}`;
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
    const detail = d.signature || d.type;
    return { label: d.name, kind: declarationKinds[d.kind], detail: d.static ? `static ${detail}` : detail };
}

function builtinItem(b) {
    return { label: b.name, kind: b.receiver ? CompletionItemKind.Method : CompletionItemKind.Function,
             detail: `${b.signature}: ${b.result}`, documentation: b.doc || undefined };
}

// The parts of the chain of names that ends a text ("a.b[0].c()" gives
// [a, b[0], c()]), each {name, suffixes: "(" or "[" per bracket after it},
// a text literal at its head as {literal: 'text'}; null when the text does
// not end in such a chain.
function chainAtEnd(text) {
    const parts = [];
    let i = text.length;
    for (;;) {
        const suffixes = [];
        while (i > 0 && /[)\]]/.test(text[i - 1])) {
            const close = text[i - 1];
            const open = close === ')' ? '(' : '[';
            let depth = 0;
            let j = i - 1;
            for (; j >= 0; j--) {
                if (text[j] === close) depth++;
                else if (text[j] === open && --depth === 0) break;
            }
            if (j < 0)
                return null;
            suffixes.unshift(open);
            i = j;
        }
        const name = /[A-Za-z_]\w*$/.exec(text.slice(0, i));
        if (!name && /["']/.test(text[i - 1] ?? '')) {
            // A text literal heads the chain: "a,b".split(",").
            const open = text.lastIndexOf(text[i - 1], i - 2);
            if (open < 0)
                return null;
            parts.unshift({ name: null, literal: 'text', suffixes });
            return parts;
        }
        if (!name)
            return null;
        parts.unshift({ name: name[0], suffixes });
        i -= name[0].length;
        if (i === 0 || text[i - 1] !== '.')
            return parts;
        i--;
    }
}

// The type of one element of a value of a type.
function elementType(type) {
    const typed = { 'int array': 'integer', 'text array': 'text', 'real array': 'real', 'number array': 'number',
                    'natural array': 'natural', 'file array': 'file', text: 'text' };
    if (typed[type])
        return typed[type];
    const ofClass = / array$/.exec(type);
    return ofClass ? type.slice(0, ofClass.index) : 'var';
}

function memberNamed(view, type, name) {
    const owner = view.classNamed(type);
    if (owner >= 0)
        return view.membersOfClass(owner).find((m) => m.name.toLowerCase() === name.toLowerCase()) || null;
    return null;
}

// The type of what stands before a ".": a text literal, or a chain of names,
// calls and subscripts whose first name is in scope (inside a class, its
// members come first).
function receiverType(view, file, position, receiver) {
    if (/["']$/.test(receiver))
        return { type: 'text' };
    const chain = chainAtEnd(receiver);
    if (!chain)
        return null;
    let type = null;
    let ofClass = false;
    chain.forEach((part, n) => {
        if (n > 0 && type === null)
            return;
        let found = null;
        if (part.literal) {
            type = part.literal;
        } else if (n === 0 && part.name === 'this') {
            const owner = view.classAround(file, position.line);
            type = owner >= 0 ? view.declarations[owner].name : null;
        } else if (n === 0) {
            const around = view.classAround(file, position.line);
            found = around >= 0 ? memberNamed(view, view.declarations[around].name, part.name) : null;
            if (!found || view.resolveLocal(part.name, file, position) >= 0) {
                const declaration = view.resolve(part.name, file, position);
                found = declaration >= 0 ? view.declarations[declaration] : found;
            }
            type = !found ? null : found.kind === 'class' ? found.name : found.type || null;
            // A class named alone: what follows its "." is a static member.
            ofClass = chain.length === 1 && found && found.kind === 'class' && part.suffixes.length === 0;
        } else {
            found = memberNamed(view, type, part.name);
            if (found) {
                type = found.type || null;
            } else {
                const builtin = view.builtinMethodsOf(type).find((b) => b.name.toLowerCase() === part.name.toLowerCase());
                type = builtin ? builtin.result : null;
            }
        }
        for (const suffix of part.suffixes)
            if (type !== null && suffix === '[')
                type = elementType(type);
    });
    return type ? { type, ofClass } : null;
}

function completions(view, file, position, before) {
    const member = before.match(/(.*?)\.(\w*)$/);
    if (member && !/^\s*\d+$/.test(member[1])) {
        const receiver = receiverType(view, file, position, member[1].trimEnd());
        if (!receiver)
            return [];
        const owner = view.classNamed(receiver.type);
        // After a class's name its static members; after an object all of
        // them, the static ones marked so.
        if (owner >= 0)
            return view.membersOfClass(owner).filter((m) => m.static || !receiver.ofClass).map(declarationItem);
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
function openCall(text) {
    // Brackets and commas inside texts are no part of the calls.
    const before = text.replace(/"(?:[^"\\]|\\.)*"|'[^']*'/g, (literal) => literal[0] + ' '.repeat(literal.length - 2) + literal[0]);
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
        let d = declaration >= 0 ? view.declarations[declaration] : null;
        // In a method, a method of its class or of a base is called by its name.
        const around = view.classAround(file, position.line);
        const method = around >= 0 && view.membersOfClass(around).find((m) => m.kind === 'method' && m.name.toLowerCase() === call.name.toLowerCase());
        if (method)
            d = method;
        // Calling a class calls its constructor, the method of its name; a
        // class without one is made with no arguments.
        if (d && d.kind === 'class') {
            const constructor = view.ownMembersOfClass(declaration).find((m) => m.kind === 'method' && m.name.toLowerCase() === d.name.toLowerCase());
            d = { signature: constructor && constructor.signature ? constructor.signature.replace(/^void /, '') : `${d.name}()` };
        }
        // A name of a function type (a parameter, mostly) is called with the
        // parameters of the function its define names.
        const like = d && !d.signature && d.type ? view.declarations.find((t) => t.kind === 'define' && t.name === d.type && t.like) : null;
        if (like)
            d = { signature: like.like.replace(/^(.*?)\b[A-Za-z_]\w*\(/, `$1${call.name}(`) };
        const builtin = !d && view.builtinFunctions().find((b) => b.name.toLowerCase() === call.name.toLowerCase());
        label = d && d.signature ? d.signature : builtin ? `${builtin.signature}: ${builtin.result}` : null;
        documentation = builtin ? builtin.doc : undefined;
    }
    if (!label)
        return null;
    return { signatures: [{ label, documentation, parameters: parametersOf(label) }], activeSignature: 0, activeParameter: call.argument };
}

module.exports = { wordAt, describeDeclaration, describeBuiltin, keywordItems, completions, signatureHelp };
