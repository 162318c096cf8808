// Writing and reading the JSON Lines records of `jetdump rows` while keeping
// the key order (JSON.parse would move integer-like keys to the front) and the
// exact text of every number.

function valueText(v) {
  if (v === null || v === true || v === false) return String(v);
  if (typeof v === "string") return JSON.stringify(v);
  if ("num" in v) return v.num;
  if ("hex" in v) return `{"hex":${JSON.stringify(v.hex)}}`;
  throw new Error(`no JSON form for ${JSON.stringify(v)}`);
}

export function formatRecord(record) {
  return "{" + record.map(([k, v]) => `${JSON.stringify(k)}:${valueText(v)}`).join(",") + "}";
}

const STRING = /"(?:[^"\\\u0000-\u001f]|\\["\\/bfnrt]|\\u[0-9a-fA-F]{4})*"/y;
const NUMBER = /-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?/y;
const LITERAL = /true|false|null/y;

export function parseRecord(line) {
  let i = 0;
  const fail = (what) => {
    throw new Error(`${what} at column ${i + 1} of ${JSON.stringify(line.slice(0, 200))}`);
  };
  const skipBlanks = () => { while (i < line.length && " \t\r\n".includes(line[i])) ++i; };
  const token = (re) => {
    re.lastIndex = i;
    const m = re.exec(line);
    if (!m) return null;
    i = re.lastIndex;
    return m[0];
  };
  const expect = (c) => { skipBlanks(); if (line[i] !== c) fail(`expected '${c}'`); ++i; };
  const object = () => {
    expect("{");
    const entries = [];
    skipBlanks();
    if (line[i] === "}") { ++i; return entries; }
    for (;;) {
      skipBlanks();
      const key = token(STRING);
      if (key === null) fail("expected a key");
      expect(":");
      entries.push([JSON.parse(key), value()]);
      skipBlanks();
      if (line[i] === ",") { ++i; continue; }
      expect("}");
      return entries;
    }
  };
  const value = () => {
    skipBlanks();
    if (line[i] === "{") {
      const entries = object();
      if (entries.length !== 1 || entries[0][0] !== "hex" || typeof entries[0][1] !== "string")
        fail("an object value must be {\"hex\": string}");
      return { hex: entries[0][1] };
    }
    let t = token(STRING);
    if (t !== null) return JSON.parse(t);
    t = token(NUMBER);
    if (t !== null) return { num: t };
    t = token(LITERAL);
    if (t !== null) return JSON.parse(t);
    return fail("expected a value");
  };
  const record = object();
  skipBlanks();
  if (i !== line.length) fail("trailing text");
  return record;
}

export function parseRecords(text) {
  return text.split("\n").filter((line) => line.length > 0).map(parseRecord);
}
