#!/usr/bin/env node
// Reads databases that the engine has changed with jetdump and with two
// independent readers, mdbtools and mdb-reader, and checks that all three
// read every user table alike: the same number of records, each with the
// same values. Records are matched regardless of order, because the other
// two readers return a row moved to an overflow row where it now lies.
//
//   node oracle-readback.mjs JETDUMP FILE...
//
// Exit status 0 when everything agrees, 1 with the differences otherwise.

import { MdbReaderDatabase } from "../../tools/oracle/mdbreader-dump.mjs";
import { MdbToolsDatabase } from "../../tools/oracle/mdbexport-dump.mjs";
import { Jetdump } from "../compare/jetdump.mjs";
import { matchesMdbExport, matchesMdbReader, valueText } from "../compare/compare-values.mjs";

const problems = [];

function sameRecord(types, engine, other, matches) {
  if (engine.length !== other.length) return false;
  return engine.every(([key, value], i) => other[i][0] === key && matches(types[i], value, other[i][1]));
}

function checkReader(label, who, types, engineRows, otherRows, matches) {
  if (engineRows.length !== otherRows.length)
    problems.push(`${label}: jetdump returns ${engineRows.length} records, ${who} ${otherRows.length}`);
  const unmatched = [...otherRows];
  let reported = 0;
  for (const record of engineRows) {
    const at = unmatched.findIndex((o) => sameRecord(types, record, o, matches));
    if (at >= 0) {
      unmatched.splice(at, 1);
    } else if (reported++ < 5) {
      problems.push(`${label}: ${who} has no record like ${record.map(([k, v]) => `${k}=${valueText(v)}`).join(", ").slice(0, 400)}`);
    }
  }
}

function checkFile(jet, file) {
  const reader = new MdbReaderDatabase(file);
  const tools = new MdbToolsDatabase(file);
  let records = 0;
  for (const t of jet.tables(file)) {
    if (t.kind !== "table") continue;
    const types = reader.fields(t.name).map((f) => f.type);
    const engineRows = jet.rows(file, t.name);
    checkReader(`${file} ${t.name}`, "mdb-reader", types, engineRows, reader.rows(t.name), matchesMdbReader);
    checkReader(`${file} ${t.name}`, "mdb-export", types, engineRows, tools.rows(t.name), matchesMdbExport);
    records += engineRows.length;
  }
  return records;
}

function main() {
  const [program, ...files] = process.argv.slice(2);
  if (!program || files.length === 0) {
    process.stderr.write("usage: oracle-readback.mjs JETDUMP FILE...\n");
    return 2;
  }
  const jet = new Jetdump(program);
  for (const file of files) {
    try {
      const n = checkFile(jet, file);
      console.log(`${file}: ${n} records read alike by jetdump, mdb-export and mdb-reader`);
    } catch (e) {
      problems.push(`${file}: ${e.stack ?? e}`);
    }
  }
  for (const p of problems) console.log(`  - ${p}`);
  return problems.length === 0 ? 0 : 1;
}

process.exitCode = main();
