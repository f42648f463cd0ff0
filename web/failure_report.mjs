// What every host of a velc module (wasmer, the second WASI runtime, the
// page and the playground) tells when the module fails, in Velmora terms:
// a trap as "prog.vel L3: <message> (in f)" with the callers, a stack that
// ran out as a run-time error of recursion, and after a run-time error's own
// report (which names its place) the lines of its callers. Nothing is read
// on the way to a normal end: the frames of a failure are kept as it
// happens, and the line tables (velmora_trace.mjs, with the debug file the
// module names) are loaded only afterwards. Runs in Node and in a browser.
//
//   const report = new FailureReport(bytes, (name) => bytesOfFileOrNull);
//   const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: report.withExitFrames(wasiImport) });
//   report.ran(instance);
//   ... on a trap:       await report.trapLines(error, `prog.wasm: trap: ${error.message}`)
//   ... after the end:   await report.exitLines()

// ---------------------------------------------------------------------------
// Frames of a JavaScript stack: the function name (from the module's name
// section) and the byte offset in the module of each WebAssembly frame,
// innermost first.

// Enough frames for the callers of a failure; a recursion that exhausted
// the stack shows its deepest part.
export const TRACE_FRAMES = 4000;

function wasmFrames(sites) {
  const frames = [];
  for (const site of sites) {
    const url = site.getScriptNameOrSourceURL?.() ?? site.getFileName?.() ?? '';
    if (!String(url).startsWith('wasm')) continue;
    const position = site.getPosition?.() ?? (site.getColumnNumber() - 1);
    frames.push({ name: site.getFunctionName() ?? '', offset: position });
  }
  return frames;
}

// V8 hands the call sites of an error to Error.prepareStackTrace when its
// stack is first read; they are kept on the error for framesOfError. Set
// once, however many runs a page or worker makes.
let framesKept = false;
export function keepFramesOfErrors(limit = TRACE_FRAMES) {
  Error.stackTraceLimit = limit;
  if (framesKept) return;
  framesKept = true;
  const previous = Error.prepareStackTrace;
  Error.prepareStackTrace = (error, sites) => {
    if (error && typeof error === 'object') error.velmoraFrames = wasmFrames(sites);
    return previous ? previous(error, sites) : `${error}\n${sites.map((site) => `    at ${site}`).join('\n')}`;
  };
}

export function framesOfError(error) {
  if (!error || typeof error !== 'object') return [];
  void error.stack;  // V8 makes the frames when the stack is first read
  return error.velmoraFrames ?? [];
}

// The frames of the current stack (a host function called by the module).
export function framesHere() {
  const holder = {};
  Error.captureStackTrace?.(holder, framesHere);
  return framesOfError(holder);
}

// The first line of the piece of a long main that ran, which the module
// tells (1 for a module without pieces or that cannot tell).
export function pieceFirstLine(instance) {
  try {
    return instance?.exports?.vel_piece_first_line?.() ?? 1;
  } catch {
    return 1;
  }
}

// ---------------------------------------------------------------------------
// The program's functions by their names, for a module without line tables

// The C library's and the allocator's own functions, which a trap often
// ends in, with plain names like a program's.
const RUNTIME_FUNCTIONS = new Set([
  'abort', 'calloc', 'dlcalloc', 'dlfree', 'dlmalloc', 'dlrealloc', 'free', 'malloc', 'memcmp', 'memcpy',
  'memmove', 'memset', 'realloc', 'sbrk', 'strcmp', 'strlen',
]);

// libvel's classes whose names do not begin with "vel" or "_".
const RUNTIME_CLASSES = new Set(['dict', 'dyn', 'text']);

// The Velmora name of a function of the module's name section, or null for
// functions of libvel, the C++ library and the C library. velc writes the
// program's functions under their own names ("f(int, text)" in the name
// section), methods as "Class::f(int)", a name C++ reserves with a "_"
// more, and its top-level code into main and "_vel_main_..." functions;
// libvel's begin with "vel" or "_", or are operators or members of its own
// classes and of std. A method is named without its class, as run-time
// errors name it.
export function velmoraFunctionOf(frameName) {
  const call = /^(?:([A-Za-z][A-Za-z0-9_]*)::)?([A-Za-z][A-Za-z0-9_]*)\(/.exec(lambdaOwner(frameName ?? ''));
  if (!call) return null;
  const owner = call[1];
  const name = call[2];
  if (owner && (owner.startsWith('vel') || RUNTIME_CLASSES.has(owner) || name === 'operator')) return null;
  if (RUNTIME_FUNCTIONS.has(name) || name.startsWith('vel') || name.startsWith('emscripten')) return null;
  const symbol = owner ? `${owner}::${name}` : name;
  if (name === 'main') return { name: 'main', symbol };
  return { name: name.endsWith('_') ? name.slice(0, -1) : name, symbol };
}

// A lambda velc writes to keep the order of an operation's operands, and
// the C++ library's functions that call it, are named after the function
// the lambda is written in ("Box::deeper(vel_ref<Box>, int)::'lambda'(auto&)
// ::operator()...", or inside "std::__invoke...<...>"): that function from
// its name on, any other name as it is.
function lambdaOwner(frameName) {
  const lambda = frameName.indexOf("::'lambda'");
  if (lambda < 0 || frameName[lambda - 1] !== ')') return frameName;
  let depth = 0;
  let at = lambda - 1;
  for (; at >= 0; at--) {
    if (frameName[at] === ')') depth++;
    else if (frameName[at] === '(' && --depth === 0) break;
  }
  const owner = /(?:[A-Za-z][A-Za-z0-9_]*::)?[A-Za-z][A-Za-z0-9_]*$/.exec(frameName.slice(0, Math.max(at, 0)));
  return owner ? frameName.slice(owner.index) : frameName;
}

// The program's function a trap happened in: one of a deep recursion, else
// the innermost; null when none is the program's.
function trapFunction(frames) {
  const counts = new Map();
  const functions = new Map();
  let innermost = null;
  for (const frame of frames) {
    const found = velmoraFunctionOf(frame.name);
    if (!found) continue;
    innermost ??= found;
    functions.set(found.symbol, found);
    counts.set(found.symbol, (counts.get(found.symbol) ?? 0) + 1);
  }
  // Of the functions met more than once (the recursion: one function, or
  // several calling each other in turn) the first by name, whichever of
  // them the stack happened to run out in, as a native program tells it.
  let chosen = innermost;
  let repeated = false;
  for (const [symbol, count] of counts) {
    const found = functions.get(symbol);
    if (count > 1 && (!repeated || found.name < chosen.name)) {
      chosen = found;
      repeated = true;
    }
  }
  const onlyMain = chosen && chosen.name === 'main' && [...counts.keys()].every((symbol) => symbol === 'main');
  return onlyMain ? null : chosen;
}

// The Velmora places of the program's functions: velc writes into each
// translation, after a marker, a string of entries "symbol, source, line of
// the head, line of the first call to itself (0 if none), the symbols of
// the program's other functions it calls" separated by tabs, which lands in
// the module's data. Overloads share a symbol: their entries are one
// function here, at the first one's place.
const PLACES_MARKER = new TextEncoder().encode('\x7fvelmora functions\x01');

function indexOf(bytes, pattern, from) {
  const first = pattern[0];
  for (let at = bytes.indexOf(first, from); at >= 0 && at + pattern.length <= bytes.length; at = bytes.indexOf(first, at + 1)) {
    let i = 1;
    while (i < pattern.length && bytes[at + i] === pattern[i]) i++;
    if (i === pattern.length) return at;
  }
  return -1;
}

function functionPlaces(bytes) {
  const places = new Map();
  const decoder = new TextDecoder();
  for (let at = indexOf(bytes, PLACES_MARKER, 0); at >= 0; at = indexOf(bytes, PLACES_MARKER, at + 1)) {
    const start = at + PLACES_MARKER.length;
    const end = bytes.indexOf(0, start);
    const table = decoder.decode(bytes.subarray(start, end < 0 ? bytes.length : end));
    for (const entry of table.split('\n')) {
      const [symbol, file, head, recursion, callees] = entry.split('\t');
      if (recursion === undefined) continue;
      const calls = new Set((callees ?? '').split(' ').filter((callee) => callee !== ''));
      if (Number(recursion) > 0) calls.add(symbol);
      const known = places.get(symbol);
      if (known) {
        for (const callee of calls) known.calls.add(callee);
        continue;
      }
      places.set(symbol, { symbol, file, head: Number(head), recursion: Number(recursion), calls });
    }
  }
  return places;
}

// The Velmora name of a symbol: "Cell::part" is "part", a name C++
// reserves loses the "_" velc gave it.
function nameOfSymbol(symbol) {
  const name = symbol.slice(symbol.lastIndexOf(':') + 1);
  return name.length > 1 && name.endsWith('_') ? name.slice(0, -1) : name;
}

// The function that names the cycle of calls `symbol` is in (the first of
// the cycle by name, as a native program names it: the functions of a
// cycle are told alike whichever the compiler inlined into the others), or
// null when it calls itself through no other function and not directly.
function cycleRepresentative(places, symbol) {
  if (!places.has(symbol)) return null;
  const reached = new Set();
  const waiting = [...places.get(symbol).calls];
  while (waiting.length > 0) {
    const next = waiting.pop();
    if (reached.has(next) || !places.has(next)) continue;
    reached.add(next);
    waiting.push(...places.get(next).calls);
  }
  if (!reached.has(symbol)) return null;
  // Those it reaches that reach it back.
  const cycle = new Set([symbol]);
  for (let grew = true; grew;) {
    grew = false;
    for (const member of reached) {
      if (cycle.has(member) || ![...places.get(member).calls].some((callee) => cycle.has(callee))) continue;
      cycle.add(member);
      grew = true;
    }
  }
  let chosen = null;
  for (const member of cycle) {
    const name = nameOfSymbol(member);
    if (!chosen || name < chosen.name || (name === chosen.name && member < chosen.symbol)) chosen = { name, symbol: member };
  }
  return chosen;
}

// The function a stack that ran out is told by: of the innermost frame
// that is in a cycle of calls, the cycle's first by name; else as any trap.
function exhaustedFunction(places, frames) {
  const seen = new Set();
  for (const frame of frames) {
    const found = velmoraFunctionOf(frame.name);
    if (!found || seen.has(found.symbol)) continue;
    seen.add(found.symbol);
    const chosen = cycleRepresentative(places, found.symbol);
    if (chosen) return chosen;
  }
  return trapFunction(frames);
}

// A trap told from the names of its frames and the table of places: the
// head of the function it happened in.
function linesByNames(bytes, frames, message, exhausted) {
  const places = functionPlaces(bytes);
  const chosen = exhausted ? exhaustedFunction(places, frames) : trapFunction(frames);
  const inFunction = chosen ? ` (in ${chosen.name})` : '';
  const place = chosen ? places.get(chosen.symbol) : undefined;
  // A table written without line directives names no source.
  if (!place?.file) return [`${message}${inFunction}`];
  if (exhausted) {
    const line = place.recursion > 0 ? place.recursion : place.head;
    return [`${place.file} L${line}: Run-time error: recursion too deep, the stack is exhausted${inFunction}`];
  }
  return [`${place.file} L${place.head}: ${message}${inFunction}`];
}

// ---------------------------------------------------------------------------
// The report of one run

// Whether an error thrown by a run is the stack running out.
export function isStackExhausted(error) {
  return error instanceof RangeError && /call stack/i.test(error.message);
}

// How libvel begins a run-time error's report that names no place, and
// one that does.
const UNPLACED_REPORT = new TextEncoder().encode('Run-time error: ');
const PLACED_REPORT = /^[^\n]*\.vel L\d+: Run-time error: /;

export class FailureReport {
  // bytes: the module as it was compiled (the frames' offsets count in
  // them); debugFile(name): the bytes of a file beside the module, or null
  // (or a promise of either), asked for only after a failure.
  constructor(bytes, debugFile = () => null) {
    this.bytes = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
    this.debugFile = debugFile;
    this.instance = null;
    this.exitFrames = null;
    this.heldError = null;  // the bytes of a run-time error's report, written after its place is known
    keepFramesOfErrors();
  }

  // The module's WASI imports, whose proc_exit keeps the frames a failing
  // status is given from: a run-time error's report names its own place,
  // and its callers are told from these afterwards. The report is held
  // back from standard error, to be written with what those frames add: the
  // place of one that names none (an allocation that failed where the
  // module cannot tell), the function of one made inside a lambda of
  // velc's, which the module cannot name.
  withExitFrames(wasiImport) {
    const exit = wasiImport.proc_exit;
    const write = wasiImport.fd_write;
    return {
      ...wasiImport,
      fd_write: (fd, iovs, iovsLength, writtenAddress) => {
        if (fd === 2 && this.heldError === null && this.instance) {
          const bytes = this.runTimeErrorReport(iovs, iovsLength);
          if (bytes) {
            this.heldError = bytes;
            new DataView(this.instance.exports.memory.buffer).setUint32(writtenAddress, bytes.length, true);
            return 0;
          }
        }
        return write(fd, iovs, iovsLength, writtenAddress);
      },
      proc_exit: (status) => {
        if (status !== 0) this.exitFrames = framesHere();
        return exit(status);
      },
    };
  }

  // The bytes of a write of the module when they are a run-time error's
  // report (libvel writes a report in one write), else null.
  runTimeErrorReport(iovs, iovsLength) {
    const memory = this.instance.exports.memory.buffer;
    const view = new DataView(memory);
    const parts = [];
    let length = 0;
    for (let i = 0; i < iovsLength; i++) {
      const base = view.getUint32(iovs + i * 8, true);
      const size = view.getUint32(iovs + i * 8 + 4, true);
      parts.push(new Uint8Array(memory, base, size));
      length += size;
    }
    if (length < UNPLACED_REPORT.length) return null;
    const bytes = new Uint8Array(length);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    if (UNPLACED_REPORT.every((byte, i) => bytes[i] === byte)) return bytes;
    return PLACED_REPORT.test(new TextDecoder().decode(bytes.subarray(0, 4096))) ? bytes : null;
  }

  // The held report as it was written.
  heldText() {
    return new TextDecoder().decode(this.heldError).replace(/\n$/, '');
  }

  ran(instance) {
    this.instance = instance;
  }

  // The module's line tables, from the debug file it names or from itself.
  async tables() {
    const trace = await import('./velmora_trace.mjs');
    const name = trace.externalDebugFile(this.bytes);
    let debugBytes = null;
    if (name) {
      try {
        debugBytes = await this.debugFile(name);
      } catch {
        debugBytes = null;
      }
    }
    return { trace, tables: new trace.ModuleTrace(this.bytes, debugBytes) };
  }

  // The lines that tell a trap (an error the run threw), `message` naming
  // it as the host does.
  async trapLines(error, message) {
    const held = this.heldError === null ? [] : [this.heldText()];
    return [...held, ...await this.trapOnlyLines(error, message)];
  }

  async trapOnlyLines(error, message) {
    const frames = framesOfError(error);
    const exhausted = isStackExhausted(error);
    // A stack that ran out is told as a native program tells it: the
    // function most of the frames are in, at the line where it calls
    // itself (its head in a recursion through other functions).
    if (exhausted) {
      const placed = linesByNames(this.bytes, frames, message, true);
      if (/ L\d+: /.test(placed[0])) return placed;
    }
    try {
      const { trace, tables } = await this.tables();
      const lines = trace.trapLines(tables, frames, { message, exhausted, firstLine: pieceFirstLine(this.instance) });
      if (lines) return lines;
    } catch (failure) {
      if (!(failure instanceof RangeError)) throw failure;
    }
    return linesByNames(this.bytes, frames, message, exhausted);
  }

  // The callers of the run-time error the module reported as it ended, or
  // the whole report of one that named no place; none after a normal end.
  async exitLines() {
    const held = this.heldError === null ? [] : [this.heldText()];
    if (!this.exitFrames) return held;
    try {
      const { trace, tables } = await this.tables();
      const firstLine = pieceFirstLine(this.instance);
      if (held.length === 0) return trace.runTimeErrorCallers(tables, this.exitFrames, firstLine);
      if (PLACED_REPORT.test(held[0])) {
        return [trace.withItsFunction(tables, this.exitFrames, held[0], firstLine),
          ...trace.runTimeErrorCallers(tables, this.exitFrames, firstLine)];
      }
      return trace.placedRunTimeError(tables, this.exitFrames, held[0], firstLine) ?? held;
    } catch (failure) {
      if (!(failure instanceof RangeError)) throw failure;
      return held;
    }
  }
}
