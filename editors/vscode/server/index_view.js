// What velc --index printed for one program, read for an editor: names at
// positions, what is visible where, and the members of a type. Positions
// here are LSP positions (lines from 0, UTF-16 columns); velc counts lines
// from 1 and columns in bytes from 1.
'use strict';

const path = require('node:path');
const { includedNames } = require('./program_of');

// The UTF-16 column of a byte column (from 1) in a line.
function characterOf(lineText, byteColumn) {
    const bytes = Buffer.from(lineText, 'utf8');
    return bytes.subarray(0, Math.max(0, Math.min(bytes.length, byteColumn - 1))).toString('utf8').length;
}

// The "$name"s of the double-quoted texts of a line: the byte column (from 1)
// of each name and the name. Comments, single-quoted texts and "\$" hold none.
function interpolationsOf(line) {
    const found = [];
    if (!line.includes('$'))
        return found;
    let quote = null;
    for (let i = 0; i < line.length; i++) {
        const c = line[i];
        if (quote === '"') {
            if (c === '\\')
                i++;
            else if (c === '"')
                quote = null;
            else if (c === '$') {
                const name = /^[A-Za-z_]\w*/.exec(line.slice(i + 1));
                if (name)
                    found.push({ column: Buffer.byteLength(line.slice(0, i + 1), 'utf8') + 1, name: name[0] });
            }
        } else if (quote) {
            if (c === quote)
                quote = null;
        } else if (c === '#' || (c === '/' && (line[i + 1] === '/' || line[i + 1] === '*'))) {
            break;
        } else if (c === '"' || c === "'" || c === '`') {
            quote = c;
        }
    }
    return found;
}

class IndexView {
    // document: velc's JSON of the program of the source `main`; textOf(file)
    // gives a source's current text.
    constructor(document, textOf, main) {
        this.document = document;
        this.textOf = textOf;
        this.main = main;
        this.seenFrom = new Map();
        this.lines = new Map();
        this.declarations = document.declarations || [];
        // A use comes as [source, line, column, endColumn, target].
        const sources = document.sources || [];
        const useOf = (key) => ([source, line, column, endColumn, target]) =>
            ({ file: sources[source] || '', line, column, endColumn, [key]: target });
        this.uses = [...(document.uses || []).map(useOf('declaration')), ...(document.builtinUses || []).map(useOf('builtin'))];
        this.builtins = document.builtins || [];
        this.uses.push(...this.interpolatedUses());
    }

    // The names a double-quoted text holds after "$" ("in $year"), which
    // velc reads inside the text, as uses of what they name there.
    interpolatedUses() {
        const uses = [];
        for (const file of this.document.sources || []) {
            const lines = (this.textOf(file) || '').split(/\r?\n/);
            lines.forEach((text, n) => {
                for (const { column, name } of interpolationsOf(text)) {
                    const position = { line: n, character: 0 };
                    let declaration = this.resolveLocal(name, file, position);
                    const around = declaration < 0 ? this.classAround(file, n) : -1;
                    if (around >= 0) {
                        const member = this.membersOfClass(around).find((m) => m.kind === 'attribute' && m.name === name);
                        declaration = member ? this.declarations.indexOf(member) : -1;
                    }
                    if (declaration < 0)
                        declaration = this.resolve(name, file, position);
                    if (declaration >= 0)
                        uses.push({ file, line: n + 1, column, endColumn: column + name.length, declaration });
                }
            });
        }
        return uses;
    }

    lineText(file, line) {
        if (!this.lines.has(file))
            this.lines.set(file, (this.textOf(file) || '').split(/\r?\n/));
        return this.lines.get(file)[line - 1] || '';
    }

    // The LSP range of a velc place.
    range(place) {
        const text = this.lineText(place.file, place.line);
        return {
            start: { line: place.line - 1, character: characterOf(text, place.column) },
            end: { line: place.line - 1, character: characterOf(text, place.endColumn) },
        };
    }

    contains(place, file, position) {
        if (place.file !== file || place.line - 1 !== position.line)
            return false;
        const r = this.range(place);
        return position.character >= r.start.character && position.character <= r.end.character;
    }

    // The use or declaration under a position: {declaration} or {builtin}.
    at(file, position) {
        for (const use of this.uses)
            if (this.contains(use, file, position))
                return use.declaration !== undefined ? { declaration: use.declaration } : { builtin: use.builtin };
        const declared = this.declarations.findIndex((d) => this.contains(d, file, position));
        return declared >= 0 ? { declaration: declared } : null;
    }

    // The sources whose top-level names a source sees: itself and what it
    // includes, directly or not. An included source does not see the names
    // of the sources that include it. Included names are found in the main
    // source's folder, as velc finds them.
    sourcesSeenFrom(file) {
        const from = path.resolve(file);
        if (!this.seenFrom.has(from)) {
            const folder = path.dirname(path.resolve(this.main || file));
            const seen = new Set([from]);
            for (const toRead = [from]; toRead.length;)
                for (const name of includedNames(this.textOf(toRead.pop()) || '')) {
                    const included = path.resolve(folder, name);
                    if (!seen.has(included)) {
                        seen.add(included);
                        toRead.push(included);
                    }
                }
            this.seenFrom.set(from, seen);
        }
        return this.seenFrom.get(from);
    }

    // Whether a declaration can be named at a position of a file.
    visible(declaration, file, line) {
        const d = declaration;
        if (d.kind === 'attribute' || d.kind === 'method')
            return false;
        const local = d.scopeEnd !== undefined && (d.kind === 'variable' || d.kind === 'parameter' || d.kind === 'constant');
        if (!local) {
            const source = path.resolve(path.dirname(path.resolve(this.main || file)), d.file);
            if (!this.sourcesSeenFrom(file).has(source))
                return false;
            // Functions and classes may be used before their definition; a
            // global, an enum item or a define only below it in its source
            // (its includers see it whole).
            const anywhere = d.kind === 'function' || d.kind === 'class';
            return anywhere || source !== path.resolve(file) || line + 1 >= d.line;
        }
        return d.file === file && line + 1 >= d.line && line + 1 <= d.scopeEnd;
    }

    // The declaration a name stands for at a position: the nearest visible one.
    resolve(name, file, position) {
        let best = -1;
        this.declarations.forEach((d, i) => {
            if (d.name !== name || !this.visible(d, file, position.line))
                return;
            if (best < 0 || (d.file === file && (this.declarations[best].file !== file || d.line >= this.declarations[best].line)))
                best = i;
        });
        return best;
    }

    // A local (variable, parameter or constant of a block or function) of
    // the name visible at a position, or -1: it hides a class's member.
    resolveLocal(name, file, position) {
        return this.declarations.findIndex((d) => d.name === name && d.scopeEnd !== undefined &&
            (d.kind === 'variable' || d.kind === 'parameter' || d.kind === 'constant') && this.visible(d, file, position.line));
    }

    classNamed(name) {
        return this.declarations.findIndex((d) => d.kind === 'class' && d.name === name);
    }

    // The attributes and methods a class declares itself.
    ownMembersOfClass(classDeclaration) {
        return this.declarations.filter((d) => d.container === classDeclaration && (d.kind === 'attribute' || d.kind === 'method'));
    }

    // The attributes and methods of a class, then those of its bases that
    // it does not declare again; not the constructors, which are called by
    // the class's name.
    membersOfClass(classDeclaration, seen = new Set()) {
        if (classDeclaration < 0 || seen.has(classDeclaration))
            return [];
        seen.add(classDeclaration);
        const className = this.declarations[classDeclaration].name.toLowerCase();
        const own = this.ownMembersOfClass(classDeclaration).filter((m) => m.kind !== 'method' || m.name.toLowerCase() !== className);
        const base = this.declarations[classDeclaration].base;
        const inherited = base ? this.membersOfClass(this.classNamed(base), seen) : [];
        return [...own, ...inherited.filter((m) => !own.some((o) => o.name === m.name))];
    }

    // The class whose body holds a line of a file, -1 outside every class.
    classAround(file, line) {
        return this.declarations.findIndex((d) => d.kind === 'class' && d.file === file &&
            line + 1 >= d.line && line + 1 <= (d.scopeEnd || Infinity));
    }

    // The built-in methods a value of a type answers, each name once: a
    // dict answers the array methods it does not have itself, a var those
    // of every type.
    builtinMethodsOf(type) {
        let receivers = [type];
        if (/ array$/.test(type) || type === 'list')
            receivers = ['array'];
        if (type === 'dict')
            receivers = ['dict', 'array'];
        if (type === 'var')
            receivers = [...new Set(this.builtins.map((b) => b.receiver).filter((r) => r !== ''))];
        const seen = new Set();
        const methods = [];
        for (const receiver of receivers)
            for (const b of this.builtins)
                if (b.receiver === receiver && !seen.has(b.name.toLowerCase())) {
                    seen.add(b.name.toLowerCase());
                    methods.push(b);
                }
        return methods;
    }

    builtinFunctions() {
        return this.builtins.filter((b) => b.receiver === '');
    }

    // Whether the check found errors (warnings aside).
    hasErrors() {
        return (this.document.diagnostics || []).some((d) => d.severity !== 'warning');
    }

    references(declaration) {
        const places = [this.declarations[declaration]];
        for (const use of this.uses)
            if (use.declaration === declaration)
                places.push(use);
        return places;
    }
}

module.exports = { IndexView, characterOf };
