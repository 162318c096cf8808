#!/usr/bin/env node
// mdbtools as a reader for the comparison tests: runs mdb-tables, mdb-schema and
// mdb-export on a file and prints what `jetdump` prints.
//
//   node mdbexport-dump.mjs tables FILE          name TAB attributes TAB kind
//   node mdbexport-dump.mjs fields FILE TABLE    name TAB DAO type TAB size
//   node mdbexport-dump.mjs rows FILE TABLE      JSON Lines, one record a line
//
// What mdb-export cannot say is left as it says it, for the comparison to
// judge: singles carry the 8 and doubles the 16 significant digits it prints,
// an empty text or binary comes out as null, and a binary value starting with
// a zero byte comes out as null too.

import { execFileSync } from "node:child_process";
import fs from "node:fs";
import { pathToFileURL } from "node:url";
import { DaoType, guidBytes, isExactDecimal } from "./values.mjs";
import { formatRecord } from "./jsonl.mjs";
import { parseCsv } from "./csv.mjs";
import { catalogueEntries } from "./catalogue.mjs";

const DATE_FORMAT = "%Y-%m-%dT%H:%M:%S";

function run(program, args) {
  return execFileSync(program, args, { encoding: "utf8", maxBuffer: 1 << 28, stdio: ["ignore", "pipe", "pipe"] });
}

// mdb-schema's type names (its default, Access-like dialect) as DAO types.
function schemaType(text) {
  const simple = {
    "Boolean": DaoType.Boolean, "Byte": DaoType.Byte, "Integer": DaoType.Integer,
    "Long Integer": DaoType.Long, "Currency": DaoType.Currency, "Single": DaoType.Single,
    "Double": DaoType.Double, "DateTime": DaoType.Date, "Binary": DaoType.Binary,
    "Replication ID": DaoType.Guid,
  };
  if (text in simple) return { type: simple[text], size: null };
  let m = /^Text \((\d+)\)$/.exec(text);
  if (m) return { type: DaoType.Text, size: Number(m[1]) };
  if (/^Memo\/Hyperlink \(\d+\)$/.test(text)) return { type: DaoType.Memo, size: 0 };
  if (/^OLE \(\d+\)$/.test(text)) return { type: DaoType.LongBinary, size: 0 };
  m = /^Numeric \((\d+), (\d+)\)$/.exec(text);
  if (m) return { type: DaoType.Decimal, size: null, precision: Number(m[1]), scale: Number(m[2]) };
  throw new Error(`unknown mdb-schema type "${text}"`);
}

// Every table's fields from one run of mdb-schema.
function parseSchema(text) {
  const tables = new Map();
  let current = null;
  for (const line of text.split("\n")) {
    let m = /^CREATE TABLE \[(.*)\]$/.exec(line);
    if (m) { current = []; tables.set(m[1], current); continue; }
    if (current === null) continue;
    if (line.startsWith(");")) { current = null; continue; }
    m = /^\s*\[(.*)\]\s+(.*?)(?: NOT NULL)?,?\s*$/.exec(line);
    if (m) current.push({ name: m[1], ...schemaType(m[2]) });
  }
  return tables;
}

// mdbtools 1.0.0 writes a GUID as "{8-4-4-16}" (the last hyphen missing), and
// with -b hex that text itself comes out hex-encoded.
function guidFromExport(hexText, where) {
  const text = Buffer.from(hexText, "hex").toString("latin1");
  const m = /^\{([0-9A-F]{8})-([0-9A-F]{4})-([0-9A-F]{4})-([0-9A-F]{16})\}$/.exec(text);
  if (!m) throw new Error(`${where}: unexpected GUID text ${JSON.stringify(text)}`);
  return { hex: guidBytes(m.slice(1)) };
}

function convert(field, cell, where) {
  if (!cell.quoted && cell.text === "") return null;
  const t = cell.text;
  const check = (ok, what) => { if (!ok) throw new Error(`${where}: ${what} ${JSON.stringify(t)}`); };
  switch (field.type) {
    case DaoType.Boolean:
      check(t === "0" || t === "1", "not a yes/no value:");
      return t === "1";
    case DaoType.Byte: case DaoType.Integer: case DaoType.Long:
      check(/^-?\d+$/.test(t), "not an integer:");
      return { num: t };
    case DaoType.Single: case DaoType.Double:
      check(/^-?\d+(\.\d+)?(e[+-]\d+)?$/.test(t), "not a number:");
      return { num: t };
    case DaoType.Currency:
      check(isExactDecimal(t, 4), "currency not exact to 4 places:");
      return t;
    case DaoType.Decimal:
      check(isExactDecimal(t, field.scale), `decimal without ${field.scale} places:`);
      return t;
    case DaoType.Date:
      check(/^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$/.test(t), "unexpected date:");
      return t;
    case DaoType.Text: case DaoType.Memo:
      return t;
    case DaoType.Binary: case DaoType.LongBinary:
      check(/^([0-9A-F]{2})*$/.test(t), "not hex:");
      return { hex: t.toLowerCase() };
    case DaoType.Guid:
      return guidFromExport(t, where);
    default:
      throw new Error(`${where}: no conversion for type ${field.type}`);
  }
}

export class MdbToolsDatabase {
  constructor(file) {
    this.file = file;
    this.schema = null;
  }

  catalogue() {
    const [header, ...records] = parseCsv(run("mdb-export", ["-b", "hex", this.file, "MSysObjects"]));
    const column = (name) => {
      const i = header.findIndex((f) => f.text === name);
      if (i < 0) throw new Error(`MSysObjects has no ${name} column`);
      return i;
    };
    const [name, type, flags] = ["Name", "Type", "Flags"].map(column);
    return catalogueEntries(records.map((r) => ({
      name: r[name].text,
      type: Number(r[type].text),
      flags: r[flags].text === "" ? 0 : Number(r[flags].text),
    })));
  }

  // mdb-tables' own lists: user tables, and user plus system tables.
  tableLists() {
    const lines = (text) => text.split("\n").filter((l) => l.length > 0);
    return {
      user: lines(run("mdb-tables", ["-1", this.file])),
      userAndSystem: lines(run("mdb-tables", ["-1", "-S", this.file])),
    };
  }

  fields(table) {
    this.schema ??= parseSchema(run("mdb-schema", [this.file]));
    const fields = this.schema.get(table);
    if (!fields) throw new Error(`mdb-schema printed no table ${table}`);
    return fields;
  }

  rows(table) {
    const fields = this.fields(table);
    const text = run("mdb-export", ["-b", "hex", "-T", DATE_FORMAT, "-D", DATE_FORMAT, this.file, table]);
    const [header, ...records] = parseCsv(text);
    const names = header.map((f) => f.text);
    if (names.join("\u0000") !== fields.map((f) => f.name).join("\u0000"))
      throw new Error(`${table}: mdb-export header ${names} differs from mdb-schema's fields`);
    return records.map((record, r) => {
      if (record.length !== fields.length)
        throw new Error(`${table}: record ${r + 1} has ${record.length} fields, not ${fields.length}`);
      return fields.map((f, i) => [f.name, convert(f, record[i], `${table} record ${r + 1} ${f.name}`)]);
    });
  }
}

function main(argv) {
  const [command, file, table] = argv;
  const db = new MdbToolsDatabase(file);
  const out = [];
  if (command === "tables" && file) {
    for (const t of db.catalogue()) out.push(`${t.name}\t${t.attributes}\t${t.kind}`);
  } else if (command === "fields" && table) {
    for (const f of db.fields(table)) out.push(`${f.name}\t${f.type}\t${f.size ?? ""}`);
  } else if (command === "rows" && table) {
    for (const r of db.rows(table)) out.push(formatRecord(r));
  } else {
    process.stderr.write("usage: mdbexport-dump.mjs tables FILE | fields FILE TABLE | rows FILE TABLE\n");
    return 2;
  }
  process.stdout.on("error", () => {});
  process.stdout.write(out.map((line) => line + "\n").join(""));
  return 0;
}

if (process.argv[1] && import.meta.url === pathToFileURL(fs.realpathSync(process.argv[1])).href) {
  try {
    process.exitCode = main(process.argv.slice(2));
  } catch (e) {
    process.stderr.write(`${e.message}\n`);
    process.exitCode = 1;
  }
}
