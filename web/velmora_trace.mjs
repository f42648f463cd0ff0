// Where a velc module failed, in Velmora terms: the functions and source
// lines of the frames of a trap, or of the exit of a run-time error, read
// from the module's line tables (DWARF). velc keeps them in a file beside
// the module, which an "external_debug_info" section names; a module may
// also carry them itself. They are read only when something failed; a
// module without them gives no places. Runs in Node and in a browser alike
// (no imports); failure_report.mjs loads it after a failure.
//
//   const tables = new ModuleTrace(moduleBytes, debugFileBytes);
//   trapLines(tables, frames, { message, exhausted })  -> ["prog.vel L3: ...", "  called from ..."]
//   runTimeErrorCallers(tables, frames)              -> ["  called from outer, main.vel L3", ...]
//   placedRunTimeError(tables, frames, "Run-time error: out of memory")
//                                                    -> ["prog.vel L4: Run-time error: out of memory (in f)", ...]

// ---------------------------------------------------------------------------
// The module's sections

class Reader {
  constructor(bytes, at = 0, end = bytes.length) {
    this.bytes = bytes;
    this.view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    this.at = at;
    this.end = end;
  }
  u8() {
    if (this.at >= this.end) throw new RangeError('past the end of a section');
    return this.bytes[this.at++];
  }
  u16() { const v = this.view.getUint16(this.at, true); this.at += 2; return v; }
  u32() { const v = this.view.getUint32(this.at, true); this.at += 4; return v; }
  u64() { const v = Number(this.view.getBigUint64(this.at, true)); this.at += 8; return v; }
  uleb() {
    let value = 0;
    let scale = 1;
    for (;;) {
      const b = this.u8();
      value += (b & 0x7f) * scale;
      scale *= 128;
      if ((b & 0x80) === 0) return value;
    }
  }
  sleb() {
    let value = 0;
    let scale = 1;
    let b;
    do {
      b = this.u8();
      value += (b & 0x7f) * scale;
      scale *= 128;
    } while (b & 0x80);
    return (b & 0x40) ? value - scale : value;
  }
  cstring() {
    const start = this.at;
    while (this.at < this.end && this.bytes[this.at] !== 0) this.at++;
    const text = utf8(this.bytes.subarray(start, this.at));
    this.at++;
    return text;
  }
  skip(count) { this.at += count; }
}

const decoder = new TextDecoder();
function utf8(bytes) { return decoder.decode(bytes); }

const CODE_SECTION = 10;
const CUSTOM_SECTION = 0;

// The custom sections by name, and where the code section's contents start
// (DWARF addresses of a module count from there).
function moduleSections(bytes) {
  const reader = new Reader(bytes, 8);
  const custom = new Map();
  let codeStart = 0;
  while (reader.at < reader.end) {
    const id = reader.u8();
    const size = reader.uleb();
    const contents = reader.at;
    if (id === CODE_SECTION) codeStart = contents;
    if (id === CUSTOM_SECTION) {
      const name = readName(reader);
      custom.set(name, { start: reader.at, end: contents + size });
    }
    reader.at = contents + size;
  }
  return { custom, codeStart };
}

const EXTERNAL_DEBUG_INFO = 'external_debug_info';

// The name of the file that holds the module's line tables, as its
// "external_debug_info" section gives it, or null.
export function externalDebugFile(moduleBytes) {
  try {
    const bytes = moduleBytes instanceof Uint8Array ? moduleBytes : new Uint8Array(moduleBytes);
    const section = moduleSections(bytes).custom.get(EXTERNAL_DEBUG_INFO);
    return section ? readName(new Reader(bytes, section.start, section.end)) : null;
  } catch (error) {
    if (error instanceof RangeError) return null;
    throw error;
  }
}

// The CRC-32 of the debug file that the module records: the file's tables
// describe the module only when its bytes give the same (a module and a
// debug file of two builds may hold the same code and different lines).
const DEBUG_CHECKSUM = 'velmora_debug_crc32';

let crcTable = null;
function crc32(bytes) {
  if (!crcTable) {
    crcTable = new Int32Array(256);
    for (let i = 0; i < 256; i++) {
      let c = i;
      for (let bit = 0; bit < 8; bit++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
      crcTable[i] = c;
    }
  }
  let crc = -1;
  for (let i = 0; i < bytes.length; i++) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return (crc ^ -1) >>> 0;
}

function readName(reader) {
  const length = reader.uleb();
  const text = utf8(reader.bytes.subarray(reader.at, reader.at + length));
  reader.at += length;
  return text;
}

function isDebugFileOf(bytes, sections, debugBytes) {
  const section = sections.custom.get(DEBUG_CHECKSUM);
  if (!section || section.end - section.start !== 4) return false;
  return new DataView(bytes.buffer, bytes.byteOffset + section.start, 4).getUint32(0, true) === crc32(debugBytes);
}

// ---------------------------------------------------------------------------
// Line tables (.debug_line): rows of address, file and line, in sequences.

const LNS = { copy: 1, advancePc: 2, advanceLine: 3, setFile: 4, setColumn: 5, negateStmt: 6,
  setBasicBlock: 7, constAddPc: 8, fixedAdvancePc: 9, setPrologueEnd: 10, setEpilogueBegin: 11, setIsa: 12 };
const LNE = { endSequence: 1, setAddress: 2, defineFile: 3 };

// The line program at offset: its file names and its rows.
function readLineProgram(bytes, section, offset, wanted = () => true) {
  const r = new Reader(bytes, section.start + offset, section.end);
  const length = r.u32();
  const end = r.at + length;
  const version = r.u16();
  if (version < 2 || version > 4) return { files: [], sequences: [] };
  const headerLength = r.u32();
  const programStart = r.at + headerLength;
  const minimumInstructionLength = r.u8();
  if (version >= 4) r.u8();  // operations per instruction
  const defaultIsStmt = r.u8();
  void defaultIsStmt;
  const lineBase = (r.u8() << 24) >> 24;
  const lineRange = r.u8();
  const opcodeBase = r.u8();
  const opcodeLengths = [0];
  for (let i = 1; i < opcodeBase; i++) opcodeLengths.push(r.u8());
  const directories = [''];
  for (let name = r.cstring(); name !== ''; name = r.cstring()) directories.push(name);
  const files = [''];
  for (let name = r.cstring(); name !== ''; name = r.cstring()) {
    r.uleb(); r.uleb(); r.uleb();
    files.push(name);
  }
  r.at = programStart;
  const sequences = [];
  if (!wanted(files)) return { files, sequences };
  let rows = [];
  let address = 0;
  let file = 1;
  let line = 1;
  const emit = () => rows.push({ address, file, line });
  while (r.at < end) {
    const opcode = r.u8();
    if (opcode >= opcodeBase) {
      const adjusted = opcode - opcodeBase;
      address += Math.floor(adjusted / lineRange) * minimumInstructionLength;
      line += lineBase + (adjusted % lineRange);
      emit();
    } else if (opcode === 0) {
      const size = r.uleb();
      const next = r.at + size;
      const extended = r.u8();
      if (extended === LNE.endSequence) {
        emit();
        sequences.push(rows);
        rows = [];
        address = 0; file = 1; line = 1;
      } else if (extended === LNE.setAddress) {
        address = size - 1 === 8 ? r.u64() : r.u32();
      } else if (extended === LNE.defineFile) {
        files.push(r.cstring());
      }
      r.at = next;
    } else if (opcode === LNS.copy) {
      emit();
    } else if (opcode === LNS.advancePc) {
      address += r.uleb() * minimumInstructionLength;
    } else if (opcode === LNS.advanceLine) {
      line += r.sleb();
    } else if (opcode === LNS.setFile) {
      file = r.uleb();
    } else if (opcode === LNS.constAddPc) {
      address += Math.floor((255 - opcodeBase) / lineRange) * minimumInstructionLength;
    } else if (opcode === LNS.fixedAdvancePc) {
      address += r.u16();
    } else {
      for (let i = 0; i < opcodeLengths[opcode]; i++) r.uleb();
    }
  }
  return { files, sequences };
}

// ---------------------------------------------------------------------------
// Functions and inlined calls (.debug_info with .debug_abbrev)

const TAG = { compileUnit: 0x11, subprogram: 0x2e, inlinedSubroutine: 0x1d };
const AT = { name: 0x03, stmtList: 0x10, lowPc: 0x11, highPc: 0x12, abstractOrigin: 0x31,
  outOfLineDeclaration: 0x47, ranges: 0x55, callFile: 0x58, callLine: 0x59 };
const FORM = { addr: 0x01, block2: 0x03, block4: 0x04, data2: 0x05, data4: 0x06, data8: 0x07, string: 0x08,
  block: 0x09, block1: 0x0a, data1: 0x0b, flag: 0x0c, sdata: 0x0d, strp: 0x0e, udata: 0x0f, refAddr: 0x10,
  ref1: 0x11, ref2: 0x12, ref4: 0x13, ref8: 0x14, refUdata: 0x15, indirect: 0x16, secOffset: 0x17,
  exprloc: 0x18, flagPresent: 0x19, refSig8: 0x20 };

function readAbbreviations(bytes, section, offset) {
  const r = new Reader(bytes, section.start + offset, section.end);
  const table = new Map();
  for (let code = r.uleb(); code !== 0; code = r.uleb()) {
    const tag = r.uleb();
    const children = r.u8() !== 0;
    const attributes = [];
    for (;;) {
      const name = r.uleb();
      const form = r.uleb();
      if (name === 0 && form === 0) break;
      attributes.push({ name, form });
    }
    table.set(code, { tag, children, attributes });
  }
  return table;
}

// One attribute's value: a number, a text, or null for blocks.
function readForm(r, form, unit, strings) {
  switch (form) {
    case FORM.addr: return unit.addressSize === 8 ? r.u64() : r.u32();
    case FORM.data1: case FORM.ref1: case FORM.flag: return r.u8();
    case FORM.data2: case FORM.ref2: return r.u16();
    case FORM.data4: case FORM.ref4: case FORM.refAddr: case FORM.secOffset: return r.u32();
    case FORM.data8: case FORM.ref8: case FORM.refSig8: return r.u64();
    case FORM.sdata: return r.sleb();
    case FORM.udata: case FORM.refUdata: return r.uleb();
    case FORM.string: return r.cstring();
    case FORM.strp: {
      const offset = r.u32();
      return strings ? new Reader(strings.bytes, strings.start + offset, strings.end).cstring() : '';
    }
    case FORM.block1: r.skip(r.u8()); return null;
    case FORM.block2: r.skip(r.u16()); return null;
    case FORM.block4: r.skip(r.u32()); return null;
    case FORM.block: case FORM.exprloc: r.skip(r.uleb()); return null;
    case FORM.flagPresent: return 1;
    case FORM.indirect: return readForm(r, r.uleb(), unit, strings);
    default: throw new RangeError(`DWARF form ${form} not read`);
  }
}

const isReference = (form) => form >= FORM.ref1 && form <= FORM.refUdata;

// Address ranges of a DIE: low and high pc, or a list in .debug_ranges.
function rangesOf(die, unit, rangesSection, bytes) {
  if (die.lowPc !== undefined && die.highPc !== undefined) {
    const high = die.highPcIsOffset ? die.lowPc + die.highPc : die.highPc;
    return high > die.lowPc ? [[die.lowPc, high]] : [];
  }
  if (die.ranges === undefined || !rangesSection) return [];
  const r = new Reader(bytes, rangesSection.start + die.ranges, rangesSection.end);
  const ranges = [];
  let base = unit.lowPc ?? 0;
  for (;;) {
    const start = r.u32();
    const end = r.u32();
    if (start === 0 && end === 0) break;
    if (start === 0xffffffff) { base = end; continue; }
    if (end > start) ranges.push([base + start, base + end]);
  }
  return ranges;
}

// Every subprogram and inlined call with its ranges, its name and (for an
// inlined call) the file and line of the call.
function readFunctions(bytes, sections) {
  const info = sections.custom.get('.debug_info');
  const abbrev = sections.custom.get('.debug_abbrev');
  if (!info || !abbrev) return [];
  const strings = sections.custom.get('.debug_str');
  const stringTable = strings ? { bytes, ...strings } : null;
  const lineSection = sections.custom.get('.debug_line');
  const rangesSection = sections.custom.get('.debug_ranges');
  const dies = new Map();
  const scopes = [];
  const r = new Reader(bytes, info.start, info.end);
  while (r.at < r.end) {
    const unitStart = r.at;
    const length = r.u32();
    const unitEnd = r.at + length;
    const version = r.u16();
    if (version < 2 || version > 4) { r.at = unitEnd; continue; }
    const abbrevOffset = r.u32();
    const unit = { addressSize: r.u8(), files: [], lowPc: 0 };
    const abbreviations = readAbbreviations(bytes, abbrev, abbrevOffset);
    const parents = [];
    while (r.at < unitEnd) {
      const offset = r.at - info.start;
      const code = r.uleb();
      if (code === 0) { parents.pop(); continue; }
      const abbreviation = abbreviations.get(code);
      if (!abbreviation) break;
      const parent = parents[parents.length - 1];
      const die = { tag: abbreviation.tag, parent, dropped: parent?.dropped, subprogram: parent?.subprogram };
      for (const { name, form } of abbreviation.attributes) {
        const value = readForm(r, form, unit, stringTable);
        const reference = isReference(form) && form !== FORM.refAddr ? unitStart - info.start + value : value;
        switch (name) {
          case AT.name: die.name = value; break;
          case AT.lowPc: die.lowPc = value; break;
          case AT.highPc: die.highPc = value; die.highPcIsOffset = form !== FORM.addr; break;
          case AT.ranges: die.ranges = value; break;
          case AT.abstractOrigin: die.origin = reference; break;
          case AT.outOfLineDeclaration: die.origin = reference; break;
          case AT.callFile: die.callFile = value; break;
          case AT.callLine: die.callLine = value; break;
          case AT.stmtList: die.stmtList = value; break;
          default: break;
        }
      }
      dies.set(offset, die);
      if (die.tag === TAG.compileUnit) {
        unit.lowPc = die.lowPc ?? 0;
        if (die.stmtList !== undefined && lineSection) unit.files = readLineProgram(bytes, lineSection, die.stmtList, () => false).files;
        // Only a unit of the program's own code has Velmora frames: the C
        // and C++ libraries' (most of the tables) are passed over unread.
        if (!unit.files.some(isVelmoraFile)) break;
      }
      if (die.tag === TAG.subprogram || die.tag === TAG.inlinedSubroutine) {
        const ranges = rangesOf(die, unit, rangesSection, bytes);
        // The linker leaves the code it dropped at address 0, where no
        // function of a module starts (the code section begins with the
        // count of its functions): such a function and what it inlined
        // are not in the module.
        if (die.tag === TAG.subprogram) {
          die.dropped = ranges.length === 0 || ranges[0][0] === 0;
          die.subprogram = die;
        }
        if (!die.dropped && ranges.length > 0) {
          die.unitFiles = unit.files;
          scopes.push({ die, ranges });
        }
      }
      if (abbreviation.children) parents.push(die);
    }
    r.at = unitEnd;
  }
  const nameOf = (die) => {
    for (let at = die, hops = 0; at && hops < 8; at = dies.get(at.origin), hops++) {
      if (at.name) return at.name;
    }
    return '';
  };
  for (const scope of scopes) {
    scope.name = nameOf(scope.die);
    scope.depth = 0;
    for (let at = scope.die.parent; at; at = at.parent) scope.depth++;
  }
  return scopes;
}

// ---------------------------------------------------------------------------
// Velmora frames

// Top-level code: main and the parts and loops it goes on in, and the
// initialisers of file-level variables, which run before main.
const TOP_LEVEL =
  /^(?:main|__original_main|__main_argc_argv|_vel_main_|_vel_loop_|_vel_init_|__cxx_global_var_init|_GLOBAL__sub_I_|__static_initialization_and_destruction)/;
// libvel's function that reports a run-time error: the program's frames
// are the ones that called it.
const REPORTER = /^vel_fatal\(/;

function isVelmoraFile(file) {
  return file.endsWith('.vel') || file.endsWith('.vel+');
}

function baseName(file) {
  return file.slice(file.lastIndexOf('/') + 1);
}

// The function's name as the source spells it: velc adds a "_" to a name
// C++ reserves, and a method is named without its class.
function velmoraName(name) {
  const plain = name.replace(/\(.*$/, '').replace(/^.*::/, '');
  return plain.length > 1 && plain.endsWith('_') ? plain.slice(0, -1) : plain;
}

class LineTables {
  constructor(bytes, sections) {
    this.programs = [];
    const section = sections.custom.get('.debug_line');
    if (!section) return;
    for (let at = section.start; at + 4 <= section.end;) {
      const length = new DataView(bytes.buffer, bytes.byteOffset + at, 4).getUint32(0, true);
      const program = readLineProgram(bytes, section, at - section.start, (files) => files.some(isVelmoraFile));
      if (program.sequences.length > 0) this.programs.push(program);
      at += 4 + length;
    }
  }
  // The file and line of the code at address.
  placeOf(address) {
    for (const program of this.programs) {
      for (const rows of program.sequences) {
        if (rows.length === 0 || rows[0].address === 0 || address < rows[0].address
            || address >= rows[rows.length - 1].address) continue;
        let found = rows[0];
        for (const row of rows) {
          if (row.address > address) break;
          found = row;
        }
        return { file: program.files[found.file] ?? '', line: found.line };
      }
    }
    return null;
  }
}

const asBytes = (bytes) => (bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes));

// The line tables of a module: `bytes` are the module as it ran (the frames'
// offsets count in them), `debugBytes` the file that holds its tables, when
// it has one. A debug file of another build is not read.
export class ModuleTrace {
  constructor(bytes, debugBytes = null) {
    this.sections = moduleSections(asBytes(bytes));
    this.tableBytes = asBytes(bytes);
    this.tableSections = this.sections;
    if (debugBytes) {
      const debug = asBytes(debugBytes);
      if (isDebugFileOf(this.tableBytes, this.sections, debug)) {
        this.tableBytes = debug;
        this.tableSections = moduleSections(debug);
      }
    }
    this.hasLines = this.tableSections.custom.has('.debug_line');
    this.lineTables = null;
    this.scopes = null;
  }

  load() {
    if (this.scopes) return;
    this.lineTables = new LineTables(this.tableBytes, this.tableSections);
    try {
      this.scopes = readFunctions(this.tableBytes, this.tableSections);
    } catch (error) {
      if (!(error instanceof RangeError)) throw error;
      this.scopes = [];
    }
  }

  // The logical frames at one module offset, innermost first: the inlined
  // calls it stands in, then the function itself.
  framesAt(offset, physicalName) {
    this.load();
    const address = offset - this.sections.codeStart;
    const contains = (scope) => scope.ranges.some(([low, high]) => address >= low && address < high);
    // The function the address is in, and the calls inlined into it there.
    const function_ = this.scopes.find((scope) => scope.die.tag === TAG.subprogram && contains(scope));
    const containing = function_ ? this.scopes
      .filter((scope) => scope.die.subprogram === function_.die && contains(scope))
      .sort((a, b) => b.depth - a.depth) : [];
    const place = this.lineTables.placeOf(address);
    const frames = [];
    let current = place;
    for (const scope of containing) {
      const name = scope.die.tag === TAG.subprogram && !scope.name ? physicalName : scope.name;
      frames.push({ name, file: current?.file ?? '', line: current?.line ?? 0 });
      if (scope.die.tag !== TAG.inlinedSubroutine) break;
      current = { file: scope.die.unitFiles[scope.die.callFile] ?? '', line: scope.die.callLine ?? 0 };
    }
    if (frames.length === 0 && place) frames.push({ name: physicalName, ...place });
    return frames;
  }

  // The Velmora frames of a stack (frames of framesOfError), innermost
  // first, from the frames a run-time error's report was called by when it
  // is among them.
  // A piece of a long main ("prog.vel+") counts its lines from
  // pieceFirstLine, the first line of the piece that ran.
  velmoraFrames(stack, pieceFirstLine = 1) {
    const reporter = stack.findLastIndex((frame) => REPORTER.test(frame.name));
    const frames = [];
    for (const frame of stack.slice(reporter + 1)) {
      for (const logical of this.framesAt(frame.offset, frame.name)) {
        if (!isVelmoraFile(logical.file)) continue;
        // A lambda velc writes to keep the order of a call's arguments runs
        // inside the Velmora function at the same line: it is no caller.
        if (/^operator\W/.test(logical.name)) continue;
        const topLevel = TOP_LEVEL.test(logical.name);
        const inPiece = logical.file.endsWith('+');
        frames.push({
          name: topLevel ? '' : velmoraName(logical.name),
          file: baseName(inPiece ? logical.file.slice(0, -1) : logical.file),
          line: inPiece ? logical.line + pieceFirstLine - 1 : logical.line,
          topLevel,
        });
      }
    }
    // The top level's first frame is where the program stood; the parts of
    // main that called it say nothing more.
    const firstTop = frames.findIndex((frame) => frame.topLevel);
    return firstTop < 0 ? frames : frames.slice(0, firstTop + 1);
  }
}

function frameText(frame) {
  const place = `${frame.file} L${frame.line}`;
  return frame.name ? `${frame.name}, ${place}` : place;
}

// "called from" lines for the callers of frames[0], a run of the same call
// (a recursion) as one line with its count.
export function callerLines(frames) {
  const lines = [];
  let previous = '';
  let repeated = 0;
  const flush = () => {
    if (repeated > 1) lines[lines.length - 1] += ` (${repeated} times)`;
  };
  for (const frame of frames.slice(1)) {
    const text = `  called from ${frameText(frame)}`;
    if (text === previous) { repeated++; continue; }
    flush();
    lines.push(text);
    previous = text;
    repeated = 1;
  }
  flush();
  return lines;
}

function placeText(frame) {
  return `${frame.file} L${frame.line}`;
}

// The lines a host writes after a run-time error's own message (which
// names its place): where it was called from. Empty for a module without
// line tables.
export function runTimeErrorCallers(trace, stack, firstLine = 1) {
  if (!stack.some((frame) => REPORTER.test(frame.name))) return [];
  return trace.hasLines ? callerLines(trace.velmoraFrames(stack, firstLine)) : [];
}

// A run-time error's report that names its place but no function, made
// in a lambda velc writes to keep an operation's operands in order (C++
// names the lambda, not the function it is written in): with the function
// of the program's innermost frame when that frame is at the same place.
export function withItsFunction(trace, stack, report, firstLine = 1) {
  const place = /^(\S+) L(\d+): Run-time error: .*[^)]$/.exec(report);
  if (!place || !stack.some((frame) => REPORTER.test(frame.name)) || !trace.hasLines) return report;
  const [innermost] = trace.velmoraFrames(stack, firstLine);
  if (!innermost?.name || innermost.file !== place[1] || innermost.line !== Number(place[2])) return report;
  return `${report} (in ${innermost.name})`;
}

// A run-time error whose message names no place (the module cannot see
// where an allocation that failed was made) told at the place of the
// program's innermost frame, with its function, then its callers; null
// when the module cannot tell it.
export function placedRunTimeError(trace, stack, message, firstLine = 1) {
  if (!stack.some((frame) => REPORTER.test(frame.name)) || !trace.hasLines) return null;
  const frames = trace.velmoraFrames(stack, firstLine);
  if (frames.length === 0) return null;
  const inFunction = frames[0].name ? ` (in ${frames[0].name})` : '';
  return [`${placeText(frames[0])}: ${message}${inFunction}`, ...callerLines(frames)];
}

// A trap told as a run-time error is: its place and function, then its
// callers; null when the module cannot tell its Velmora place. A stack that
// ran out names the line where the function calls itself, and its callers
// are the recursion, which is not listed.
export function trapLines(trace, stack, { message, exhausted, firstLine = 1 }) {
  if (!trace.hasLines) return null;
  const frames = trace.velmoraFrames(stack, firstLine);
  if (frames.length === 0) return null;
  let failing = frames[0];
  if (exhausted && frames.length > 1 && frames[1].name === failing.name) failing = frames[1];
  const inFunction = failing.name ? ` (in ${failing.name})` : '';
  if (exhausted) return [`${placeText(failing)}: Run-time error: recursion too deep, the stack is exhausted${inFunction}`];
  return [`${placeText(failing)}: ${message}${inFunction}`, ...callerLines(frames)];
}
