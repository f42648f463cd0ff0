// Renaming a declared name everywhere the program uses it, from the index of
// the last check. A rename is made only where the index knows every place:
// it is refused with the reason otherwise, never done in part.
'use strict';

const path = require('node:path');

const keywords = new Set([
    'alias', 'always', 'and', 'array', 'as', 'bool', 'boolean', 'break', 'byte', 'case', 'catch', 'char', 'class',
    'const', 'continue', 'cstring', 'default', 'define', 'dict', 'do', 'echo', 'else', 'enum', 'error', 'extern',
    'false', 'file', 'for', 'forever', 'function', 'global', 'if', 'import', 'in', 'include', 'inline', 'input', 'int',
    'integer', 'is', 'let', 'list', 'mod', 'natural', 'nil', 'not', 'null', 'number', 'object', 'or', 'print',
    'private', 'protected', 'real', 'return', 'static', 'step', 'string', 'super', 'switch', 'text', 'this', 'true',
    'try', 'until', 'var', 'void', 'volatile', 'while', 'zero', 'main',
]);

const lower = (name) => name.toLowerCase();

// The declarations a rename of `index` changes together: a class with its
// constructors, a constructor with its class.
function renamedTogether(view, index) {
    const d = view.declarations[index];
    let owner = d.kind === 'class' ? index : -1;
    if (d.kind === 'method' && d.container !== undefined && lower(view.declarations[d.container].name) === lower(d.name))
        owner = d.container;
    if (owner < 0)
        return [index];
    const constructors = view.declarations
        .map((m, i) => (m.container === owner && m.kind === 'method' && lower(m.name) === lower(view.declarations[owner].name) ? i : -1))
        .filter((i) => i >= 0);
    return [owner, ...constructors];
}

// The classes a class derives from, and those that derive from it.
function relatedClasses(view, owner) {
    const related = new Set();
    const baseOf = (c) => (view.declarations[c].base ? view.classNamed(view.declarations[c].base) : -1);
    for (let c = baseOf(owner); c >= 0 && !related.has(c); c = baseOf(c))
        related.add(c);
    view.declarations.forEach((d, i) => {
        if (d.kind !== 'class' || i === owner)
            return;
        for (let c = baseOf(i), steps = 0; c >= 0 && steps < 100; c = baseOf(c), steps++)
            if (c === owner)
                related.add(i);
    });
    return related;
}

// Why a declaration cannot be renamed safely, or null.
function refusal(view, index) {
    const d = view.declarations[index];
    if (view.hasErrors())
        return 'the program has errors: a rename needs every use of the name, which a program with errors may not show';
    if (d.kind === 'method' || d.kind === 'attribute') {
        // A member of the same name in a base or a derived class is another
        // member, which a rename of one of them would hide or reveal.
        const owner = d.container;
        for (const c of relatedClasses(view, owner))
            if (view.ownMembersOfClass(c).some((m) => lower(m.name) === lower(d.name)))
                return `class ${view.declarations[c].name} has a member "${d.name}" too`;
    }
    if (d.kind === 'function' || d.kind === 'method') {
        // A function is passed by its name in a text ("square"), which is no
        // use of the name the index knows.
        const quoted = new RegExp(`["']${d.name}["']`, 'i');
        for (const source of view.document.sources || [])
            if (quoted.test(view.textOf(path.resolve(path.dirname(view.main || source), source)) || ''))
                return `"${d.name}" is named in a text in ${path.basename(source)}`;
    }
    return null;
}

// Why the new name cannot be taken, or null.
function refusalOfName(view, index, newName) {
    const d = view.declarations[index];
    if (!/^[A-Za-z]\w*$/.test(newName))
        return `"${newName}" is not a name: a letter, then letters, digits and _`;
    if (keywords.has(lower(newName)))
        return `"${newName}" is a word of the language`;
    if (lower(newName) === lower(d.name))
        return null;
    // Names are told apart without their letter case; a name taken anywhere
    // in the program could be hidden by or hide the renamed one.
    const taken = view.declarations.find((o) => lower(o.name) === lower(newName));
    if (taken)
        return `"${newName}" is the name of ${/^[aeiou]/.test(taken.kind) ? 'an' : 'a'} ${taken.kind} (${path.basename(taken.file)} line ${taken.line})`;
    if (view.builtinFunctions().some((b) => lower(b.name) === lower(newName)))
        return `"${newName}" is the name of a built-in function`;
    return null;
}

// Every place to change: the declarations and their uses, each checked to
// hold the old name as the source has it now.
function placesOf(view, index) {
    const places = [];
    for (const together of renamedTogether(view, index))
        places.push(...view.references(together));
    const seen = new Set();
    return places.filter((p) => {
        const key = `${p.file} ${p.line} ${p.column}`;
        if (seen.has(key))
            return false;
        seen.add(key);
        return true;
    });
}

// A source's lines with its texts and comments blanked, columns kept: what
// is left are the words the program is written in.
function codeLines(text) {
    const lines = text.split(/\r?\n/);
    let open = null;   // a block comment or a backquoted text going on
    return lines.map((line) => {
        let out = '';
        for (let i = 0; i < line.length; i++) {
            const c = line[i];
            if (open) {
                if (open === '*/' && c === '*' && line[i + 1] === '/') {
                    out += '  ';
                    i++;
                    open = null;
                } else {
                    if (open === '`' && c === '`')
                        open = null;
                    out += ' ';
                }
            } else if (c === '#' || (c === '/' && line[i + 1] === '/')) {
                break;
            } else if (c === '/' && line[i + 1] === '*') {
                out += '  ';
                i++;
                open = '*/';
            } else if (c === '`') {
                out += ' ';
                open = '`';
            } else if (c === '"' || c === "'") {
                let j = i + 1;
                while (j < line.length && line[j] !== c)
                    j += c === '"' && line[j] === '\\' ? 2 : 1;
                out += ' '.repeat(Math.min(j, line.length - 1) - i + 1);
                i = j;
            } else {
                out += c;
            }
        }
        return out;
    });
}

// The first word of the name in the program's code that the index does not
// know as a declaration or a use of anything: a rename would miss it.
function unknownWord(view, name) {
    const known = new Set([...view.declarations, ...view.uses].map((p) => `${path.resolve(p.file)} ${p.line} ${p.column}`));
    const word = new RegExp(`(?<![\\w$])${name}(?!\\w)`, 'gi');
    for (const source of view.document.sources || []) {
        const file = path.resolve(path.dirname(view.main || source), source);
        const lines = codeLines(view.textOf(file) || '');
        for (let n = 0; n < lines.length; n++)
            for (const m of lines[n].matchAll(word)) {
                const column = Buffer.byteLength(lines[n].slice(0, m.index), 'utf8') + 1;
                if (!known.has(`${file} ${n + 1} ${column}`))
                    return `${path.basename(source)} line ${n + 1}`;
            }
    }
    return null;
}

// { places } to rename, or { refused: reason }.
function planRename(view, index, newName) {
    const d = view.declarations[index];
    const reason = refusal(view, index) || (newName !== undefined ? refusalOfName(view, index, newName) : null);
    if (reason)
        return { refused: `"${d.name}" cannot be renamed: ${reason}` };
    const unknown = unknownWord(view, d.name);
    if (unknown)
        return { refused: `"${d.name}" cannot be renamed: the name on ${unknown} is not one the last check could follow` };
    const places = placesOf(view, index);
    for (const p of places) {
        const range = view.range(p);
        const written = view.lineText(p.file, p.line).slice(range.start.character, range.end.character);
        if (lower(written) !== lower(d.name))
            return { refused: `"${d.name}" cannot be renamed: the source changed since its last check` };
    }
    return { places };
}

module.exports = { planRename };
