// The type of the keys of a dict, read from the program's text: a dict
// takes texts and integers as keys alike, and its type does not say which.
// The keys are known when every key the program can put into the dict is
// one type: those of the literal it is declared with, those written by
// subscript (d[k] = v), and those methods add (push and insert an integer,
// unshift a text). Anything else that may add keys (a whole new value, a
// load, a concat) leaves them unknown.
'use strict';

// The text between an opening bracket at `open` and its closing one, and
// where that one stands; null when it is not on the line.
function bracketed(text, open) {
    const pairs = { '[': ']', '{': '}', '(': ')' };
    const stack = [];
    let quote = null;
    for (let i = open; i < text.length; i++) {
        const c = text[i];
        if (quote) {
            if (c === '\\' && quote === '"')
                i++;
            else if (c === quote)
                quote = null;
        } else if (c === '"' || c === "'") {
            quote = c;
        } else if (pairs[c]) {
            stack.push(pairs[c]);
        } else if (c === stack[stack.length - 1]) {
            stack.pop();
            if (stack.length === 0)
                return { inside: text.slice(open + 1, i), close: i };
        }
    }
    return null;
}

// The parts of a text split at its top-level `separator`s.
function splitTopLevel(text, separator) {
    const parts = [];
    let depth = 0, quote = null, start = 0;
    for (let i = 0; i < text.length; i++) {
        const c = text[i];
        if (quote) {
            if (c === '\\' && quote === '"')
                i++;
            else if (c === quote)
                quote = null;
        } else if (c === '"' || c === "'") {
            quote = c;
        } else if ('([{'.includes(c)) {
            depth++;
        } else if (')]}'.includes(c)) {
            depth--;
        } else if (c === separator && depth === 0) {
            parts.push(text.slice(start, i));
            start = i + 1;
        }
    }
    parts.push(text.slice(start));
    return parts;
}

// 'text', 'integer', or null (unknown) for a key written as an expression.
function keyTypeOf(view, file, line, expression) {
    const key = expression.trim();
    if (/^"(?:[^"\\]|\\.)*"$|^'[^']*'$/.test(key))
        return 'text';
    if (/^-?\d+$/.test(key))
        return 'integer';
    if (/^[A-Za-z_]\w*$/.test(key)) {
        const declaration = view.resolve(key, file, { line: line - 1 });
        const type = declaration >= 0 ? view.declarations[declaration].type : null;
        return type === 'text' || type === 'integer' ? type : null;
    }
    return null;
}

// The key types a dict literal at the start of a text gives, or null.
function literalKeys(view, file, line, text) {
    const open = text.indexOf('{');
    const literal = open >= 0 && /^\s*$/.test(text.slice(0, open)) ? bracketed(text, open) : null;
    if (!literal || literal.inside.trim() === '')
        return literal ? [] : null;
    const types = [];
    for (const entry of splitTopLevel(literal.inside, ',')) {
        const parts = splitTopLevel(entry, ':');
        const type = parts.length >= 2 ? keyTypeOf(view, file, line, parts[0]) : null;
        if (!type)
            return null;
        types.push(type);
    }
    return types;
}

// The key types a use of the dict adds: [] when it adds none, null when
// it may add keys of any type.
function keysAddedBy(view, use) {
    const text = view.lineText(use.file, use.line);
    // Columns count bytes; the names are ASCII, the text before them may not be.
    const bytes = Buffer.from(text, 'utf8');
    const after = bytes.subarray(use.endColumn - 1).toString('utf8');
    const before = bytes.subarray(0, use.column - 1).toString('utf8');
    if (/^\s*=(?!=)/.test(after))
        return literalKeys(view, use.file, use.line, after.replace(/^\s*=/, ''));
    // One of several targets of an assignment (a, d = f()).
    if (/^\s*,[^=]*=(?!=)/.test(after) || /^\s*(?:[\w.[\]"]+\s*,\s*)+$/.test(before))
        return null;
    const subscript = /^\s*\[/.exec(after);
    if (subscript) {
        const key = bracketed(after, subscript[0].length - 1);
        if (!key)
            return null;
        return /^\s*=(?!=)/.test(after.slice(key.close + 1)) ? [keyTypeOf(view, use.file, use.line, key.inside)] : [];
    }
    const method = /^\s*\.\s*(\w+)\s*\(/.exec(after);
    if (method) {
        const name = method[1].toLowerCase();
        if (name === 'push' || name === 'insert')
            return ['integer'];
        if (name === 'unshift')
            return ['text'];
        if (name === 'load' || name === 'concat')
            return null;
    }
    return [];
}

// For a variable of a `for key, value in d` loop (or its one-line form)
// over a dict declared with `dict` or as an XML element, the keys' type when it is known:
// { type, dict: 'dict d' }.
function dictKeyType(view, d) {
    const line = view.lineText(d.file, d.line);
    const loop = /^\s*for\s+([A-Za-z_]\w*)\s*,\s*[A-Za-z_]\w*\s+in\s+([A-Za-z_]\w*)\s*(?:\?.*)?$/.exec(line);
    if (!loop || loop[1] !== d.name)
        return null;
    const index = view.resolve(loop[2], d.file, { line: d.line - 1 });
    const dict = index >= 0 ? view.declarations[index] : null;
    if (!dict || dict.type !== 'dict' || (dict.kind !== 'variable' && dict.kind !== 'constant'))
        return null;
    // Declared empty, or with a literal on its line.
    const declared = view.lineText(dict.file, dict.line);
    const rest = Buffer.from(declared, 'utf8').subarray(dict.endColumn - 1).toString('utf8');
    // An XML element written as a statement is a dict keyed by texts.
    let types = /^\s*$/.test(rest) ? [] : /^\s*=/.test(rest) ? literalKeys(view, dict.file, dict.line, rest.replace(/^\s*=/, ''))
        : /^\s*</.test(declared) ? ['text'] : null;
    for (const use of view.references(index).slice(1)) {
        if (!types)
            break;
        const added = keysAddedBy(view, use);
        types = added && !added.includes(null) ? [...types, ...added] : null;
    }
    const kinds = new Set(types || []);
    return kinds.size === 1 ? { type: [...kinds][0], dict: `dict ${dict.name}` } : null;
}

module.exports = { dictKeyType };
