#!/usr/bin/env node
// Reads a database the live feed wrote with mdbtools and with mdb-reader and
// checks that both hold, in every record the feed changed, exactly the values
// of the feed's last completed update (its --record file; see tools/feed.cpp
// for the form).
//
//   node soak-readback.mjs RECORD FILE
//
// Prints one line with what was checked; exit status 1 with the differences.

import fs from "node:fs";
import { MdbReaderDatabase } from "../../tools/oracle/mdbreader-dump.mjs";
import { MdbToolsDatabase } from "../../tools/oracle/mdbexport-dump.mjs";
import { DaoType } from "../../tools/oracle/values.mjs";
import { matchesMdbExport, matchesMdbReader, valueText } from "../compare/compare-values.mjs";

// The record's lines: their table, key field and fields with their types.
const KINDS = {
  game: {
    table: "Games",
    fields: [["GameId", DaoType.Long], ["HomeScore", DaoType.Integer], ["AwayScore", DaoType.Integer],
      ["Final", DaoType.Boolean], ["Notes", DaoType.Memo]],
  },
  player: {
    table: "PlayerStats",
    fields: [["PlayerId", DaoType.Long], ["PassYards", DaoType.Long], ["RushYards", DaoType.Long],
      ["Rating", DaoType.Double], ["CompletionPct", DaoType.Single], ["LastUpdated", DaoType.Date]],
  },
};

function unescape(text) {
  return text.replace(/\\(.)/g, (_, c) => ({ t: "\t", n: "\n", r: "\r", "\\": "\\" })[c] ?? `\\${c}`);
}

// A record field in the value forms of tools/oracle/values.mjs.
function recorded(type, text) {
  if (text === "NULL") return null;
  switch (type) {
    case DaoType.Boolean: return text === "1";
    case DaoType.Integer: case DaoType.Long: case DaoType.Single: case DaoType.Double: return { num: text };
    case DaoType.Memo: return unescape(text);
    default: return text;
  }
}

function parseRecordFile(text) {
  const expected = [];
  for (const [n, line] of text.split("\n").entries()) {
    if (line === "") continue;
    const [kind, ...values] = line.split("\t");
    const k = KINDS[kind];
    if (!k || values.length !== k.fields.length) throw new Error(`record line ${n + 1} is malformed: ${line.slice(0, 120)}`);
    expected.push({
      table: k.table,
      fields: k.fields.map(([name, type], i) => ({ name, type, value: recorded(type, values[i]) })),
    });
  }
  return expected;
}

function check(who, readRows, expected, matches, problems) {
  const tables = new Map();
  for (const record of expected) {
    if (!tables.has(record.table)) tables.set(record.table, readRows(record.table));
    const rows = tables.get(record.table);
    const [key, ...rest] = record.fields;
    const found = rows.filter((r) => r.some(([name, v]) => name === key.name && matches(key.type, key.value, v)));
    const where = `${who}: ${record.table} ${key.name} ${valueText(key.value)}`;
    if (found.length !== 1) {
      problems.push(`${where}: ${found.length} records`);
      continue;
    }
    const row = new Map(found[0]);
    for (const f of rest) {
      if (!matches(f.type, f.value, row.get(f.name)))
        problems.push(`${where}: ${f.name} is ${valueText(row.get(f.name) ?? null)}, the feed wrote ${valueText(f.value)}`);
    }
  }
}

function main(argv) {
  const [recordFile, file] = argv;
  if (!recordFile || !file) {
    process.stderr.write("usage: soak-readback.mjs RECORD FILE\n");
    return 2;
  }
  const expected = parseRecordFile(fs.readFileSync(recordFile, "utf8"));
  if (expected.length === 0) {
    console.log(`${recordFile}: the feed recorded no change`);
    return 1;
  }
  const problems = [];
  const reader = new MdbReaderDatabase(file);
  check("mdb-reader", (t) => reader.rows(t), expected, matchesMdbReader, problems);
  const tools = new MdbToolsDatabase(file);
  check("mdb-export", (t) => tools.rows(t), expected, matchesMdbExport, problems);
  const games = expected.filter((r) => r.table === "Games").length;
  console.log(`readback: ${games} games and ${expected.length - games} players as the feed last wrote them, ` +
    `by mdb-export and mdb-reader: ${problems.length === 0 ? "alike" : `${problems.length} differences`}`);
  for (const p of problems.slice(0, 20)) console.log(`  - ${p}`);
  return problems.length === 0 ? 0 : 1;
}

process.exitCode = main(process.argv.slice(2));
