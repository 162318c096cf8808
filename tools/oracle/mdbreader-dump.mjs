#!/usr/bin/env node
// A second reader of Jet databases for the comparison tests: reads a file with
// the mdb-reader package and prints what `jetdump` prints.
//
//   node mdbreader-dump.mjs tables FILE          name TAB attributes TAB kind
//   node mdbreader-dump.mjs fields FILE TABLE    name TAB DAO type TAB size
//   node mdbreader-dump.mjs rows FILE TABLE      JSON Lines, one record a line
//
// Dates come out of mdb-reader as Date objects whose UTC fields hold the stored
// wall-clock time, whatever the process's time zone.

import fs from "node:fs";
import { pathToFileURL } from "node:url";
import MDBReader from "mdb-reader";
import { DaoType, dateText, doubleText, guidBytes, hexOf, isExactDecimal, singleText } from "./values.mjs";
import { formatRecord } from "./jsonl.mjs";
import { catalogueEntries } from "./catalogue.mjs";

export { MDBReader };

const TYPES = {
  boolean: DaoType.Boolean, byte: DaoType.Byte, integer: DaoType.Integer, long: DaoType.Long,
  currency: DaoType.Currency, float: DaoType.Single, double: DaoType.Double,
  datetime: DaoType.Date, binary: DaoType.Binary, text: DaoType.Text, ole: DaoType.LongBinary,
  memo: DaoType.Memo, repid: DaoType.Guid, numeric: DaoType.Decimal,
};

// Byte sizes of the fixed types as DAO reports them; memo and long binary report 0.
const FIXED_SIZES = {
  [DaoType.Boolean]: 1, [DaoType.Byte]: 1, [DaoType.Integer]: 2, [DaoType.Long]: 4,
  [DaoType.Currency]: 8, [DaoType.Single]: 4, [DaoType.Double]: 8, [DaoType.Date]: 8,
  [DaoType.Guid]: 16, [DaoType.LongBinary]: 0, [DaoType.Memo]: 0,
};

export class MdbReaderDatabase {
  constructor(file) {
    const bytes = fs.readFileSync(file);
    this.jet3 = bytes.length > 0x14 && bytes[0x14] === 0;
    this.reader = new MDBReader(bytes);
  }

  // Table definitions in catalogue order, from the reader's MSysObjects.
  catalogue() {
    return catalogueEntries(this.reader.getTable("MSysObjects").getData()
      .map((row) => ({ name: row.Name, type: row.Type, flags: row.Flags })));
  }

  // Where each linked table points: {database, foreignName, connect} by name.
  links() {
    const out = new Map();
    for (const row of this.reader.getTable("MSysObjects").getData()) {
      if (row.Type === 4 || row.Type === 6)
        out.set(row.Name, { database: row.Database, foreignName: row.ForeignName, connect: row.Connect });
    }
    return out;
  }

  // The reader's own idea of which tables are user, linked and system tables.
  tableLists() {
    const names = (normalTables, linkedTables, systemTables) =>
      this.reader.getTableNames({ normalTables, linkedTables, systemTables });
    return {
      user: names(true, false, false),
      linked: names(false, true, false),
      system: names(false, false, true),
    };
  }

  fields(table) {
    return this.reader.getTable(table).getColumns().map((column) => {
      const type = TYPES[column.type];
      if (type === undefined) throw new Error(`${table}.${column.name}: unexpected type ${column.type}`);
      let size = FIXED_SIZES[type];
      if (type === DaoType.Text) size = this.jet3 ? column.size : column.size / 2;
      else if (type === DaoType.Binary) size = column.size;
      else if (type === DaoType.Decimal) size = null; // not compared
      return { name: column.name, type, size };
    });
  }

  rows(table) {
    const t = this.reader.getTable(table);
    const columns = t.getColumns();
    return t.getData().map((row) => columns.map((column) => {
      const where = `${table}.${column.name}`;
      return [column.name, convert(TYPES[column.type], row[column.name], column, where)];
    }));
  }
}

function convert(type, v, column, where) {
  if (v === null || v === undefined) return null;
  switch (type) {
    case DaoType.Boolean:
      return v === true;
    case DaoType.Byte: case DaoType.Integer: case DaoType.Long:
      return { num: String(v) };
    case DaoType.Single:
      return { num: singleText(v) };
    case DaoType.Double:
      return { num: doubleText(v) };
    case DaoType.Currency:
      if (!isExactDecimal(v, 4)) throw new Error(`${where}: currency ${v} is not exact to 4 places`);
      return v;
    case DaoType.Decimal:
      if (!isExactDecimal(v, column.scale)) throw new Error(`${where}: decimal ${v} has not ${column.scale} places`);
      return v;
    case DaoType.Date:
      return dateText(v);
    case DaoType.Text: case DaoType.Memo:
      return v;
    case DaoType.Binary: case DaoType.LongBinary:
      return { hex: hexOf(v) };
    case DaoType.Guid: {
      const m = /^([0-9a-f]{8})-([0-9a-f]{4})-([0-9a-f]{4})-([0-9a-f]{4})-([0-9a-f]{12})$/i.exec(v);
      if (!m) throw new Error(`${where}: unexpected GUID text ${v}`);
      return { hex: guidBytes([m[1], m[2], m[3], m[4] + m[5]]) };
    }
    default:
      throw new Error(`${where}: no conversion for type ${type}`);
  }
}

function main(argv) {
  const [command, file, table] = argv;
  const db = new MdbReaderDatabase(file);
  const out = [];
  if (command === "tables" && file) {
    for (const t of db.catalogue()) out.push(`${t.name}\t${t.attributes}\t${t.kind}`);
  } else if (command === "fields" && table) {
    for (const f of db.fields(table)) out.push(`${f.name}\t${f.type}\t${f.size ?? ""}`);
  } else if (command === "rows" && table) {
    for (const r of db.rows(table)) out.push(formatRecord(r));
  } else {
    process.stderr.write("usage: mdbreader-dump.mjs tables FILE | fields FILE TABLE | rows FILE TABLE\n");
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
