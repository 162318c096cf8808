// The value forms shared by the dump scripts and the comparison: every reader's
// record is turned into the same JSON Lines shape that `jetdump rows` prints.
//
// In memory a record is an array of [fieldName, value] pairs in field order, and
// a value is one of
//   null | true | false          null, yes/no
//   { num: "text" }              byte, integer, long, single, double (text as printed)
//   "string"                     text, memo, currency, decimal, date
//   { hex: "0a1b..." }           binary, long binary, GUID (stored bytes)

export const DaoType = Object.freeze({
  Boolean: 1, Byte: 2, Integer: 3, Long: 4, Currency: 5, Single: 6, Double: 7,
  Date: 8, Binary: 9, Text: 10, LongBinary: 11, Memo: 12, Guid: 15, Decimal: 20,
});

export function hexOf(bytes) {
  return Buffer.from(bytes).toString("hex");
}

// Shortest decimal text that reads back to the same double.
export function doubleText(x) {
  if (!Number.isFinite(x)) throw new Error(`not a finite number: ${x}`);
  return Object.is(x, -0) ? "-0" : String(x);
}

// Shortest decimal text that reads back, rounded to single precision, to the
// same float. `x` is the float already widened to a double.
export function singleText(x) {
  if (Math.fround(x) !== x) throw new Error(`not a single-precision value: ${x}`);
  if (x === 0 || !Number.isFinite(x)) return doubleText(x);
  for (let digits = 1; digits <= 9; ++digits) {
    const candidate = Number(x.toPrecision(digits));
    if (Math.fround(candidate) === x) return doubleText(candidate);
  }
  throw new Error(`no 9-digit form reads back to ${x}`);
}

const pad = (n, width = 2) => String(n).padStart(width, "0");

// "YYYY-MM-DDTHH:MM:SS" from the wall-clock fields of a Date that holds the
// stored time as UTC, rounded to the nearest second.
export function dateText(date) {
  const d = new Date(Math.round(date.getTime() / 1000) * 1000);
  return `${pad(d.getUTCFullYear(), 4)}-${pad(d.getUTCMonth() + 1)}-${pad(d.getUTCDate())}` +
    `T${pad(d.getUTCHours())}:${pad(d.getUTCMinutes())}:${pad(d.getUTCSeconds())}`;
}

// The 16 stored bytes of a GUID from its text: the first three groups are
// little-endian integers, the last eight bytes are stored as written.
export function guidBytes(groups) {
  const [d1, d2, d3, rest] = groups;
  const out = Buffer.alloc(16);
  out.writeUInt32LE(parseInt(d1, 16), 0);
  out.writeUInt16LE(parseInt(d2, 16), 4);
  out.writeUInt16LE(parseInt(d3, 16), 6);
  Buffer.from(rest, "hex").copy(out, 8);
  return hexOf(out);
}

export function isExactDecimal(text, scale) {
  const fraction = scale > 0 ? `\\.\\d{${scale}}` : "";
  return new RegExp(`^-?\\d+${fraction}$`).test(text);
}
