#!/usr/bin/env node
// Reads every record of the named tables with mdbtools and with mdb-reader
// (every value converted, so an unreadable one fails) and prints how many
// each read, one line a table: "TABLE mdb-export N mdb-reader N".
//
//   node record-counts.mjs FILE TABLE...
//
// Exit status 1, with the reader's error, when a table cannot be read.

import { MdbReaderDatabase } from "../../tools/oracle/mdbreader-dump.mjs";
import { MdbToolsDatabase } from "../../tools/oracle/mdbexport-dump.mjs";

const [file, ...tables] = process.argv.slice(2);
if (!file || tables.length === 0) {
  process.stderr.write("usage: record-counts.mjs FILE TABLE...\n");
  process.exit(2);
}
try {
  const reader = new MdbReaderDatabase(file);
  const tools = new MdbToolsDatabase(file);
  for (const t of tables) console.log(`${t} mdb-export ${tools.rows(t).length} mdb-reader ${reader.rows(t).length}`);
} catch (e) {
  process.stderr.write(`${file}: ${e.message}\n`);
  process.exitCode = 1;
}
