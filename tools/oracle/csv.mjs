// The CSV that mdb-export writes: comma-separated, text-like values in double
// quotes with embedded quotes doubled, line breaks inside quotes kept as they
// are, records ended by "\n". Each field keeps whether it was quoted, since an
// unquoted empty field is mdb-export's NULL.

export function parseCsv(text) {
  const records = [];
  let record = [];
  let i = 0;
  const n = text.length;
  if (n === 0) return records;
  for (;;) {
    let field;
    if (text[i] === '"') {
      let value = "";
      ++i;
      for (;;) {
        const q = text.indexOf('"', i);
        if (q < 0) throw new Error("unterminated quoted field in mdb-export output");
        value += text.slice(i, q);
        i = q + 1;
        if (text[i] === '"') { value += '"'; ++i; continue; }
        break;
      }
      field = { text: value, quoted: true };
    } else {
      let end = i;
      while (end < n && text[end] !== "," && text[end] !== "\n") ++end;
      field = { text: text.slice(i, end), quoted: false };
      i = end;
    }
    record.push(field);
    if (i >= n) { records.push(record); break; }
    if (text[i] === ",") { ++i; continue; }
    if (text[i] !== "\n") throw new Error(`unexpected character after a field at offset ${i}`);
    records.push(record);
    record = [];
    ++i;
    if (i >= n) break;
  }
  return records;
}
