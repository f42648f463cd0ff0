// Tiers of V8 for the program's own code: wasmer adds a compilationHints
// section to the module before it compiles it.
//
// V8 compiles a function with its baseline compiler at its first call and
// with its optimising compiler only when the function is called again after
// it has run for a while: the loops of main, of the parts main goes on in
// and of a function called once would run as baseline code to their end.
// So the module gets a compilationHints section (an experimental V8 feature
// that the wasmer script enables) asking for the optimising compiler at the
// first call of the program's own code; libvel and the C++ and C libraries
// keep V8's own tiering. A function past OPTIMISED_BODY_BYTES (long
// straight-line top-level code) would cost more to optimise than it saves,
// and so would many (see OPTIMISED_FUNCTIONS): those stay with V8's choice.

import { velmoraFunctionOf } from '../web/failure_report.mjs';

const SECTION = { custom: 0, import: 2, code: 10 };
const IMPORT_KIND = { function: 0, table: 1, memory: 2, global: 3, tag: 4 };
const NAME_SUBSECTION_FUNCTIONS = 1;
const HINTS_SECTION_NAME = 'compilationHints';
// One byte per function: strategy (bits 0-1, 0 as V8 chooses), baseline
// tier (bits 2-3) and top tier (bits 4-5), 2 for the optimising compiler.
const HINT_AS_V8_CHOOSES = 0x00;
const HINT_OPTIMISED = 0x28;
const OPTIMISED_BODY_BYTES = 8 * 1024;

// The program's top-level code: main, under the names em++ gives it, and
// the parts main goes on in.
const MAIN_PARTS = /^(?:__original_main|main|__main_argc_argv|_vel_main_)/;
// The top-level loops of a long program's pieces are functions too
// ("_vel_loop_..."), and so are its functions and methods; each takes the
// optimising compiler a tenth of a millisecond or more even when small. A
// module with more of them than this (a 5,000-line program has hundreds,
// each of which runs briefly) leaves them to V8's tiering: optimising them
// all cost more than they gained.
const OPTIMISED_FUNCTIONS = 64;
const LOOP_FUNCTION = /^_vel_loop_/;

class ModuleReader {
  constructor(bytes, at = 0, end = bytes.length) {
    this.bytes = bytes;
    this.at = at;
    this.end = end;
  }
  byte() {
    if (this.at >= this.end) throw new RangeError('past the end of a section');
    return this.bytes[this.at++];
  }
  // An unsigned LEB128 number of up to 32 bits.
  u32() {
    let value = 0;
    for (let shift = 0; shift < 35; shift += 7) {
      const b = this.byte();
      value |= (b & 0x7f) << shift;
      if ((b & 0x80) === 0) return value >>> 0;
    }
    throw new RangeError('number too long');
  }
  skip(count) {
    if (count > this.end - this.at) throw new RangeError('past the end of a section');
    this.at += count;
  }
  name() {
    const length = this.u32();
    const start = this.at;
    this.skip(length);
    return this.bytes.toString('utf8', start, this.at);
  }
}

// Each section: its id, where it starts (its id byte) and where its
// contents start and end.
function moduleSections(bytes) {
  const sections = [];
  const reader = new ModuleReader(bytes, 8);
  while (reader.at < bytes.length) {
    const start = reader.at;
    const id = reader.byte();
    const size = reader.u32();
    const contents = reader.at;
    reader.skip(size);
    sections.push({ id, start, contents, end: reader.at });
  }
  return sections;
}

function readerOf(bytes, section) {
  return new ModuleReader(bytes, section.contents, section.end);
}

function skipLimits(reader) {
  const flags = reader.byte();
  reader.u32();
  if (flags & 1) reader.u32();
}

function importedFunctionCount(reader) {
  let functions = 0;
  for (let count = reader.u32(); count > 0; count--) {
    reader.name();
    reader.name();
    const kind = reader.byte();
    if (kind === IMPORT_KIND.function) {
      functions++;
      reader.u32();
    } else if (kind === IMPORT_KIND.table) {
      reader.byte();
      skipLimits(reader);
    } else if (kind === IMPORT_KIND.memory) {
      skipLimits(reader);
    } else if (kind === IMPORT_KIND.global) {
      reader.skip(2);
    } else if (kind === IMPORT_KIND.tag) {
      reader.byte();
      reader.u32();
    } else {
      throw new RangeError(`import of unknown kind ${kind}`);
    }
  }
  return functions;
}

const UNDERSCORE = 0x5f;
const COLON = 0x3a;
const OPENING_PARENTHESIS = 0x28;
const LETTER_M = 0x6d;
const STD_PREFIX = Buffer.from('std::', 'latin1');

function isLetter(b) {
  return (b >= 0x41 && b <= 0x5a) || (b >= 0x61 && b <= 0x7a);
}

function isNameCharacter(b) {
  return isLetter(b) || (b >= 0x30 && b <= 0x39) || b === UNDERSCORE;
}

// Whether the name from start to end can be the program's (see
// programFunctions): top-level code begins with "_" or is "main" (a C name,
// without its parameters), and a program's function is a name followed by
// "(" or "::" (a template's name has its return type and a blank first,
// never a program's).
function mayBeProgramCode(bytes, start, end) {
  if (start >= end) return false;
  if (bytes[start] === UNDERSCORE) return true;
  if (!isLetter(bytes[start])) return false;
  let at = start + 1;
  while (at < end && isNameCharacter(bytes[at])) at++;
  if (at === end) return bytes[start] === LETTER_M;
  return bytes[at] === OPENING_PARENTHESIS || bytes[at] === COLON;
}

// The indices of the program's functions, from the function names of the
// name section: its main parts, and the others (its loop functions,
// functions and methods, named as wasmer tells a trap's function). This
// runs before every program, over some thousand names, in code V8 has not
// optimised yet: it walks the bytes with plain locals (a ModuleReader costs
// several times as much here), skips the names of std (most of them) by
// their first bytes and reads a name as text only when mayBeProgramCode
// lets it through.
function programFunctions(bytes, section) {
  const found = { mainParts: new Set(), others: new Set() };
  const reader = readerOf(bytes, section);
  if (reader.name() !== 'name') return found;
  let at = reader.at;
  const end = reader.end;
  const u32 = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      if (at >= end || shift > 28) throw new RangeError('bad number in the name section');
      const b = bytes[at++];
      value |= (b & 0x7f) << shift;
      if ((b & 0x80) === 0) return value >>> 0;
    }
  };
  while (at < end) {
    const id = bytes[at++];
    const next = u32() + at;
    if (id === NAME_SUBSECTION_FUNCTIONS) {
      for (let count = u32(); count > 0; count--) {
        const index = u32();
        const length = u32();
        const first = at;
        at += length;
        if (at > end) throw new RangeError('name past the end of the name section');
        if (length > STD_PREFIX.length && bytes[first] === STD_PREFIX[0] && bytes[first + 1] === STD_PREFIX[1]
            && bytes[first + 2] === STD_PREFIX[2] && bytes[first + 3] === COLON) continue;
        if (!mayBeProgramCode(bytes, first, at)) continue;
        const name = bytes.toString('utf8', first, at);
        if (MAIN_PARTS.test(name)) found.mainParts.add(index);
        else if (LOOP_FUNCTION.test(name) || velmoraFunctionOf(name) !== null) found.others.add(index);
      }
    }
    at = next;
  }
  return found;
}

// One hint per function of the code section: the optimising compiler for
// the program's functions up to OPTIMISED_BODY_BYTES, V8's choice for the
// others.
function functionHints(bytes, code, program, imported) {
  let at = code.contents;
  const end = code.end;
  const u32 = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      if (at >= end || shift > 28) throw new RangeError('bad number in the code section');
      const b = bytes[at++];
      value |= (b & 0x7f) << shift;
      if ((b & 0x80) === 0) return value >>> 0;
    }
  };
  const count = u32();
  const hints = Buffer.alloc(count, HINT_AS_V8_CHOOSES);
  for (let i = 0; i < count; i++) {
    const size = u32();
    if (size <= OPTIMISED_BODY_BYTES && program.has(imported + i)) hints[i] = HINT_OPTIMISED;
    at += size;
  }
  if (at > end) throw new RangeError('function past the end of the code section');
  return hints;
}

// The module with a compilationHints section before its code, or null when
// it has no name section to tell the program's functions by, already has
// hints, or cannot be read (V8 then reports what is wrong with it).
export function withCompilationHints(bytes) {
  try {
    const sections = moduleSections(bytes);
    const find = (id, name) => sections.find((section) => section.id === id
      && (name === undefined || readerOf(bytes, section).name() === name));
    const code = find(SECTION.code);
    const nameSection = find(SECTION.custom, 'name');
    if (!code || !nameSection || find(SECTION.custom, HINTS_SECTION_NAME)) return null;
    const importSection = find(SECTION.import);
    const imported = importSection ? importedFunctionCount(readerOf(bytes, importSection)) : 0;
    const found = programFunctions(bytes, nameSection);
    const program = found.others.size > OPTIMISED_FUNCTIONS ? found.mainParts
      : new Set([...found.mainParts, ...found.others]);
    const hints = functionHints(bytes, code, program, imported);
    return Buffer.concat([bytes.subarray(0, code.start), hintsSection(hints), bytes.subarray(code.start)]);
  } catch (error) {
    if (error instanceof RangeError) return null;
    throw error;
  }
}

function unsignedLeb(value) {
  const out = [];
  do {
    let b = value % 128;
    value = Math.floor(value / 128);
    if (value > 0) b |= 0x80;
    out.push(b);
  } while (value > 0);
  return out;
}

function hintsSection(hints) {
  const name = Buffer.from(HINTS_SECTION_NAME, 'utf8');
  const contents = Buffer.concat([
    Buffer.from(unsignedLeb(name.length)), name, Buffer.from(unsignedLeb(hints.length)), hints,
  ]);
  return Buffer.concat([Buffer.from([SECTION.custom, ...unsignedLeb(contents.length)]), contents]);
}
