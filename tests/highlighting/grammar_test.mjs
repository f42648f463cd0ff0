// Tokenizes Velmora lines with the TextMate engine that VS Code uses and
// checks the scopes of chosen tokens; every program of the user guide is
// tokenized too, and must end with no string, comment or tag left open.
//
//   node grammar_test.mjs GRAMMAR CASES GUIDE NODE_MODULES
// Exits 77 (skipped) when the engine is not installed.
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';

const [grammarPath, casesPath, guidePath, modules] = process.argv.slice(2);
if (!fs.existsSync(path.join(modules, 'vscode-textmate')) || !fs.existsSync(path.join(modules, 'vscode-oniguruma'))) {
    console.log(`the TextMate engine is not installed in ${modules} (setup.sh installs it)`);
    process.exit(77);
}
const require = createRequire(path.resolve(modules, 'index.js'));
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const wasm = fs.readFileSync(path.join(modules, 'vscode-oniguruma', 'release', 'onig.wasm'));
await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
const registry = new textmate.Registry({
    onigLib: Promise.resolve({
        createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
        createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async () => textmate.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath),
});
const grammar = await registry.loadGrammar('source.velmora');

// The tokens of some lines: [{text, scopes}] per line.
function tokenize(lines) {
    let stack = textmate.INITIAL;
    const result = [];
    for (const line of lines) {
        const tokens = grammar.tokenizeLine(line, stack);
        result.push(tokens.tokens.map((t) => ({ text: line.slice(t.startIndex, t.endIndex), scopes: t.scopes })));
        stack = tokens.ruleStack;
    }
    return { lines: result };
}

let failures = 0;
function fail(message) {
    failures++;
    console.log(`FAIL ${message}`);
}

// The cases: "line TEXT" gives a source line (several make one snippet, in
// order); "token WORD SCOPE" wants the first token WORD not yet checked to
// carry SCOPE ("-" for the bare source scope alone). A token is named by
// its first characters: the engine makes one token of a whole comment.
function runCases(text) {
    const cases = [];
    for (const raw of text.split('\n')) {
        if (raw.startsWith('line ')) {
            if (!cases.length || cases[cases.length - 1].checks.length)
                cases.push({ lines: [], checks: [] });
            cases[cases.length - 1].lines.push(raw.slice(5));
        } else if (raw.startsWith('token ')) {
            const [, word, scope] = raw.match(/^token (\S+) (\S+)$/) || [];
            if (!word)
                fail(`bad case line: ${raw}`);
            else
                cases[cases.length - 1].checks.push({ word, scope });
        }
    }
    let checked = 0;
    for (const c of cases) {
        const tokens = tokenize(c.lines).lines.flat();
        let from = 0;
        for (const { word, scope } of c.checks) {
            const at = tokens.findIndex((t, i) => i >= from && t.text.trim().startsWith(word));
            checked++;
            if (at < 0) {
                fail(`${JSON.stringify(c.lines)}: no token ${word}`);
                continue;
            }
            from = at + 1;
            const scopes = tokens[at].scopes;
            const good = scope === '-' ? scopes.length === 1 : scopes.includes(scope);
            if (!good)
                fail(`${JSON.stringify(c.lines)}: ${word} has ${scopes.join(' ')}, not ${scope}`);
        }
    }
    return checked;
}

function guidePrograms(text) {
    return [...text.matchAll(/^```vel[^\n]*\n([\s\S]*?)^```$/gm)].map((m) => m[1].replace(/\n$/, '').split('\n'));
}

const checked = runCases(fs.readFileSync(casesPath, 'utf8'));
const programs = guidePrograms(fs.readFileSync(guidePath, 'utf8'));
for (const program of programs) {
    // A print after the program is a keyword only when nothing was left open.
    const { lines } = tokenize([...program, 'print']);
    const after = lines.pop();
    if (after.length !== 1 || after[0].scopes.join(' ') !== 'source.velmora keyword.other.velmora')
        fail(`a guide program leaves a rule open:\n${program.join('\n')}`);
    lines.forEach((tokens, i) => {
        for (const t of tokens)
            if (/^(print|echo|return|for|if|while)$/.test(t.text) && t.scopes.length === 1)
                fail(`"${t.text}" without a scope in: ${program[i]}`);
    });
}
if (programs.length === 0)
    fail('no guide programs found');

// The folding markers of the language configuration beside the grammar pair
// every block of the guide's programs: each start with the end of its kind,
// none left open (a one-line if has no end and must not start a region).
const configuration = JSON.parse(fs.readFileSync(path.join(path.dirname(grammarPath), '..', 'language-configuration.json'), 'utf8'));
const startMarker = new RegExp(configuration.folding.markers.start);
const endMarker = new RegExp(configuration.folding.markers.end);
let regions = 0;
for (const program of programs) {
    const open = [];
    program.forEach((line, i) => {
        if (endMarker.test(line)) {
            // until ends a do, let a while (the step after its body).
            const ending = line.trim().match(/^\/?(\w+)/)[1];
            const word = { until: 'do', let: 'while' }[ending] || ending;
            const start = open.pop();
            if (!start || start.word !== word)
                fail(`folding: ${ending} on line ${i + 1} closes ${start ? start.word : 'nothing'} in:\n${program.join('\n')}`);
            regions++;
        } else if (startMarker.test(line)) {
            open.push({ word: line.trim().match(/^\w+/)[0] });
        }
    });
    if (open.length)
        fail(`folding: ${open.map((o) => o.word).join(', ')} left open in:\n${program.join('\n')}`);
}
if (regions === 0)
    fail('no folding region found in the guide');
console.log(`${checked} token scopes checked, ${programs.length} guide programs tokenized, ${regions} folding regions, ${failures} failures`);
process.exit(failures ? 1 : 0);
