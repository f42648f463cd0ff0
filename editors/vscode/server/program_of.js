// The main source a document is checked with. A source that another one
// includes is no program of its own: checked alone it would be read as a
// main source, with a main source's rules (statements allowed at its top
// level) and without the names its includer declares. It is checked as part
// of the program of a source that includes it: one the last checks found
// including it, else one beside it whose include lines name it.
'use strict';

const path = require('node:path');
const fs = require('node:fs');

// The sources of a folder looked at for includes: enough for a project,
// few enough that a folder of thousands costs nothing.
const FOLDER_LIMIT = 200;
// An include line names a source by a name ending in ".vel", quoted or bare;
// other names are C++ headers.
const includeLine = /^[ \t]*include[ \t]+"?([^"\s]+\.vel)\b/gim;

// The source names a text's include lines give, as written.
function includedNames(text) {
    return [...text.matchAll(includeLine)].map((match) => match[1]);
}

class ProgramOf {
    // `textOf(file)` gives the editor's text of a source, or the file's.
    constructor(textOf) {
        this.textOf = textOf;
        this.includers = new Map();   // source -> a main source whose program holds it
    }

    // A check of `main` found these sources in its program.
    programChecked(main, sources) {
        for (const source of sources || [])
            if (path.resolve(source) !== path.resolve(main))
                this.includers.set(path.resolve(source), path.resolve(main));
    }

    // The main source to check `file` with: itself when nothing includes it.
    mainOf(file) {
        let main = path.resolve(file);
        const seen = new Set([main]);
        for (let includer = this.includerOf(main); includer && !seen.has(includer); includer = this.includerOf(main)) {
            seen.add(includer);
            main = includer;
        }
        return main;
    }

    includerOf(file) {
        const known = this.includers.get(file);
        if (known && fs.existsSync(known) && this.includes(known, file))
            return known;
        const folder = path.dirname(file);
        let names;
        try {
            names = fs.readdirSync(folder).filter((name) => name.toLowerCase().endsWith('.vel')).slice(0, FOLDER_LIMIT);
        } catch {
            return null;
        }
        for (const name of names.sort()) {
            const candidate = path.join(folder, name);
            if (candidate !== file && this.includes(candidate, file))
                return candidate;
        }
        return null;
    }

    // Whether a source's include lines name `file`, as velc resolves them:
    // beside the including source.
    includes(source, file) {
        for (const name of includedNames(this.textOf(source)))
            if (path.resolve(path.dirname(source), name) === file)
                return true;
        return false;
    }
}

module.exports = { ProgramOf, includedNames };
