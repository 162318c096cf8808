// When a value jetdump printed counts as the value a reader returned. Both
// sides are in the forms of tools/oracle/values.mjs.

import { DaoType } from "../../tools/oracle/values.mjs";

const FLOATS = new Set([DaoType.Single, DaoType.Double]);

function sameForm(a, b) {
  if (a === null || b === null || typeof a !== "object" || typeof b !== "object") return a === b;
  if ("num" in a && "num" in b) return a.num === b.num;
  if ("hex" in a && "hex" in b) return a.hex === b.hex;
  return false;
}

function isNum(v) {
  return v !== null && typeof v === "object" && "num" in v;
}

// mdb-reader returns full values: everything must match exactly, floats as
// the numbers their texts read back to (so a single must be printed with the
// digits that read back to the same float, not with the double's digits).
export function matchesMdbReader(type, engine, reader) {
  if (FLOATS.has(type) && isNum(engine) && isNum(reader))
    return Object.is(Number(engine.num), Number(reader.num));
  return sameForm(engine, reader);
}

// mdb-export prints doubles with 16 and singles with 8 significant digits, so
// the engine's value rounded the same way must give the number it printed.
function roundedLikeMdbExport(type, text) {
  const x = Number(text);
  return type === DaoType.Single ? Number(Math.fround(x).toPrecision(8)) : Number(x.toPrecision(16));
}

// mdb-export cannot show some values; it prints them as NULL:
//   an empty text or memo (it writes "" and NULL the same way),
//   an empty binary or long binary value,
//   a binary value whose first byte is 0x00 (mdbtools 1.0.0 prints it as empty).
function hiddenAsNull(type, engine) {
  if (type === DaoType.Text || type === DaoType.Memo) return engine === "";
  if (engine === null || typeof engine !== "object" || !("hex" in engine)) return false;
  if (type === DaoType.LongBinary) return engine.hex === "";
  if (type === DaoType.Binary) return engine.hex === "" || engine.hex.startsWith("00");
  return false;
}

export function matchesMdbExport(type, engine, exported) {
  if (exported === null) return engine === null || hiddenAsNull(type, engine);
  if (FLOATS.has(type) && isNum(engine) && isNum(exported))
    return Object.is(roundedLikeMdbExport(type, engine.num), Number(exported.num));
  return sameForm(engine, exported);
}

export function valueText(v) {
  if (v === null || typeof v !== "object") {
    const s = JSON.stringify(v);
    return s.length > 120 ? `${s.slice(0, 100)}…" (${v.length} chars)` : s;
  }
  if ("num" in v) return v.num;
  return v.hex.length > 100 ? `{hex: ${v.hex.slice(0, 80)}… (${v.hex.length / 2} bytes)}` : `{hex: ${v.hex}}`;
}
