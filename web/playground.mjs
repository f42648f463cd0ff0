// The playground's page (velmora_playground.js, bundled from this file):
// a CodeMirror 6 editor coloured by the Velmora grammar of the editors'
// extension, a Run button that has the server build the source with velc,
// the diagnostics on their lines, and the module run on a worker (this same
// script) with a time limit.
import { EditorView, basicSetup } from 'codemirror';
import { StreamLanguage } from '@codemirror/language';
import { setDiagnostics } from '@codemirror/lint';
import grammar from '../editors/vscode/syntaxes/velmora.tmLanguage.json';
import { consoleWriter, decodeBase64, inWorker, runSomewhere, serveAsWorker } from './worker_run.mjs';
import { examples } from './playground_examples.mjs';

const scriptUrl = inWorker ? '' : document.currentScript?.src ?? '';
// A program that runs longer in the page is stopped.
const RUN_SECONDS = 20;

if (inWorker) serveAsWorker();

// ---------------------------------------------------------------------------
// Colours from the TextMate grammar: its one-line rules (match) and its
// rules that span lines (begin, end), tried in the grammar's order.

const STYLES = [
  ['comment', 'comment'], ['string', 'string'], ['constant.numeric', 'number'], ['constant.character', 'string'],
  ['constant.language', 'atom'], ['keyword.operator', 'operator'], ['keyword', 'keyword'],
  ['storage.type', 'typeName'], ['meta.embedded', 'meta'], ['variable', 'variableName'],
];

function styleOf(scope) {
  const found = STYLES.find(([prefix]) => scope?.startsWith(prefix));
  return found ? found[1] : null;
}

function grammarRules() {
  const rules = [];
  const add = (rule) => {
    if (rule.include?.startsWith('#')) {
      const included = grammar.repository[rule.include.slice(1)];
      if (included) add(included);
    } else if (rule.patterns && !rule.begin) {
      rule.patterns.forEach(add);
    } else if (rule.match && rule.name) {
      rules.push({ match: new RegExp(rule.match, 'y'), style: styleOf(rule.name) });
    } else if (rule.begin && rule.end) {
      rules.push({ begin: new RegExp(rule.begin, 'y'), end: new RegExp(rule.end, 'g'), style: styleOf(rule.name) });
    }
  };
  grammar.patterns.forEach(add);
  return rules;
}

function velmoraLanguage() {
  const rules = grammarRules();
  return StreamLanguage.define({
    startState: () => ({ open: null }),
    token(stream, state) {
      if (state.open) {
        const rest = stream.string.slice(stream.pos);
        state.open.end.lastIndex = 0;
        const end = state.open.end.exec(rest);
        const style = state.open.style;
        if (end) {
          stream.pos += end.index + end[0].length;
          state.open = null;
        } else {
          stream.skipToEnd();
        }
        return style;
      }
      for (const rule of rules) {
        const regex = rule.match ?? rule.begin;
        regex.lastIndex = stream.pos;
        const found = regex.exec(stream.string);
        if (!found || found[0].length === 0) continue;
        stream.pos += found[0].length;
        if (rule.begin) state.open = rule;
        return rule.style;
      }
      stream.next();
      return null;
    },
  });
}

// ---------------------------------------------------------------------------
// Diagnostics on their lines

function editorDiagnostics(view, diagnostics) {
  const document_ = view.state.doc;
  return diagnostics.filter((d) => d.line >= 1 && d.line <= document_.lines).map((d) => {
    const line = document_.line(d.line);
    const from = d.column ? Math.min(line.from + d.column - 1, line.to) : line.from;
    const to = d.endColumn ? Math.min(line.from + d.endColumn - 1, line.to) : line.to;
    const code = d.code !== undefined ? `[${d.code}] ` : '';
    const hint = d.hint ? ` (${d.hint})` : '';
    return { from, to: Math.max(to, from), severity: 'error', message: `${code}${d.message}${hint}` };
  });
}

function showDiagnosticList(list, diagnostics) {
  list.replaceChildren();
  for (const d of diagnostics) {
    const item = document.createElement('li');
    item.textContent = `L${d.line}: ${d.message}`;
    item.dataset.line = String(d.line);
    list.append(item);
  }
}

// ---------------------------------------------------------------------------
// Building and running

async function buildAndRun(view, elements) {
  const { run, status, console, diagnostics: list, stdin } = elements;
  run.disabled = true;
  console.replaceChildren();
  status.textContent = 'Building...';
  status.dataset.state = 'building';
  try {
    const response = await fetch('build', { method: 'POST', body: view.state.doc.toString() });
    if (!response.ok) throw new Error(await response.text());
    const result = await response.json();
    view.dispatch(setDiagnostics(view.state, editorDiagnostics(view, result.diagnostics)));
    showDiagnosticList(list, result.diagnostics);
    if (!result.module) {
      const messages = result.diagnostics.length > 0 ? '' : result.output;
      consoleWriter(console)(2, messages);
      status.textContent = `Not built: ${result.diagnostics.length} message(s)`;
      status.dataset.state = 'errors';
      return;
    }
    status.textContent = 'Running...';
    status.dataset.state = 'running';
    const request = { bytes: decodeBase64(result.module), debugBase64: result.debug ?? undefined, name: 'prog.wasm', stdin: stdin.value };
    const ended = await runSomewhere(scriptUrl, request, consoleWriter(console), RUN_SECONDS);
    status.textContent = `Exit status: ${ended.status}`;
    status.dataset.state = 'ended';
  } catch (error) {
    status.textContent = `The playground's server did not answer: ${error.message}`;
    status.dataset.state = 'failed';
  } finally {
    run.disabled = false;
  }
}

function startPlayground() {
  const elements = {
    run: document.getElementById('run'),
    status: document.getElementById('status'),
    console: document.getElementById('console'),
    diagnostics: document.getElementById('diagnostics'),
    stdin: document.getElementById('stdin'),
  };
  const view = new EditorView({
    doc: examples[0].source,
    extensions: [basicSetup, velmoraLanguage()],
    parent: document.getElementById('editor'),
  });
  const chooser = document.getElementById('examples');
  for (const [index, example] of examples.entries()) {
    const option = document.createElement('option');
    option.value = String(index);
    option.textContent = example.title;
    chooser.append(option);
  }
  chooser.addEventListener('change', () => {
    const example = examples[Number(chooser.value)];
    view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: example.source } });
    elements.stdin.value = example.input ?? '';
  });
  elements.run.addEventListener('click', () => buildAndRun(view, elements));
  // For scripts that drive the page (the browser tests).
  globalThis.velmoraPlayground = { view, run: () => buildAndRun(view, elements) };
}

if (!inWorker) {
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', startPlayground);
  else startPlayground();
}
