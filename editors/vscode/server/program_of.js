// The main source a document is checked with. A source that another one
// includes is no program of its own: checked alone it would be read as a
// main source, with a main source's rules (statements allowed at its top
// level) and without the names its includer declares. It is checked as part
// of the program of a source that includes it: one the last checks found
// including it, else one whose include lines name it, beside it or in a
// folder above it (an include names its source from the main source's
// folder, so `lib/util.vel` is named so by a source one folder up), and so
// on up to a source that nothing includes.
'use strict';

const path = require('node:path');
const fs = require('node:fs');

// The sources of a folder looked at for includes: enough for a project,
// few enough that a folder of thousands costs nothing.
const FOLDER_LIMIT = 200;
// The folders above a source where its includer may stand.
const FOLDERS_UP = 3;
// An include line names a source by a name ending in ".vel", in either
// quotes or bare; other names are C++ headers.
const includeLine = /^[ \t]*include[ \t]+["']?([^"'\t\r\n]+?\.vel)\b/gim;

// A folder and the FOLDERS_UP folders above it, as far as the root.
function foldersUp(folder) {
    const folders = [folder];
    while (folders.length <= FOLDERS_UP && path.dirname(folders[folders.length - 1]) !== folders[folders.length - 1])
        folders.push(path.dirname(folders[folders.length - 1]));
    return folders;
}

// The source names a text's include lines give, as written.
function includedNames(text) {
    return [...text.matchAll(includeLine)].map((match) => match[1]);
}

class ProgramOf {
    // `textOf(file)` gives the editor's text of a source, or the file's;
    // `isOpen(file)` whether the editor holds the source.
    constructor(textOf, isOpen = () => true) {
        this.textOf = textOf;
        this.isOpen = isOpen;
        this.includers = new Map();   // source -> a main source whose program holds it
        this.namesOnDisk = new Map(); // a file not open -> { stamp, names } of its include lines
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
        // A name read from the wrong folder on the way up would give a
        // program without the source: then it is checked on its own.
        return main === path.resolve(file) || this.programHolds(main, path.resolve(file)) ? main : path.resolve(file);
    }

    includerOf(file) {
        const known = this.includers.get(file);
        if (known && fs.existsSync(known) && this.programHolds(known, file))
            return known;
        for (const folder of foldersUp(path.dirname(file))) {
            let names;
            try {
                names = fs.readdirSync(folder).filter((name) => name.toLowerCase().endsWith('.vel')).slice(0, FOLDER_LIMIT);
            } catch {
                names = [];
            }
            for (const name of names.sort()) {
                const candidate = path.join(folder, name);
                if (candidate !== file && this.names(candidate, file))
                    return candidate;
            }
        }
        return null;
    }

    // The include names of a source: of the editor's text when it is open,
    // else of the file, read again only when it changed.
    includeNamesOf(source) {
        if (this.isOpen(source))
            return includedNames(this.textOf(source) || '');
        let stamp;
        try {
            const stat = fs.statSync(source);
            stamp = `${stat.mtimeMs} ${stat.size}`;
        } catch {
            return [];
        }
        const known = this.namesOnDisk.get(source);
        if (known && known.stamp === stamp)
            return known.names;
        const names = includedNames(this.textOf(source) || '');
        this.namesOnDisk.set(source, { stamp, names });
        return names;
    }

    // Whether a source's include lines may name `file`: as velc resolves
    // them, from the folder of the program's main source, which is the
    // source's own folder or one above it.
    names(source, file) {
        const folders = foldersUp(path.dirname(source));
        return this.includeNamesOf(source).some((name) => folders.some((folder) => path.resolve(folder, name) === file));
    }

    // Whether the program of the main source `main` holds `file`.
    programHolds(main, file) {
        const folder = path.dirname(main);
        const seen = new Set([main]);
        for (const toRead = [main]; toRead.length && seen.size < 1000;)
            for (const name of this.includeNamesOf(toRead.pop())) {
                const source = path.resolve(folder, name);
                if (source === file)
                    return true;
                if (!seen.has(source)) {
                    seen.add(source);
                    toRead.push(source);
                }
            }
        return false;
    }
}

module.exports = { ProgramOf, includedNames };
