#!/usr/bin/env node
// Reads one fixture with jetdump and with two independent readers, mdbtools
// and mdb-reader, and checks that all three agree: the same table definitions
// with the same attributes in catalogue order, the same fields, and in every
// user and linked table the same records in the same order with the same
// values. Where a reader is known to say something other than Jet would, the
// difference is allowed narrowly (see compare-values.mjs and expectations.mjs).
// A password-protected file must be refused.
//
//   node compare-fixture.mjs JETDUMP FIXTURES_DIR FIXTURE TMP_DIR
//
// FIXTURE is relative to FIXTURES_DIR. The file is copied into a new folder
// under TMP_DIR and read there. Exit status 0 when everything agrees, 1 with
// the list of differences otherwise.

import crypto from "node:crypto";
import fs from "node:fs";
import path from "node:path";
import { MdbReaderDatabase } from "../../tools/oracle/mdbreader-dump.mjs";
import { MdbToolsDatabase } from "../../tools/oracle/mdbexport-dump.mjs";
import { Jetdump } from "./jetdump.mjs";
import { matchesMdbExport, matchesMdbReader, valueText } from "./compare-values.mjs";
import { PASSWORD_ERROR, PASSWORD_PROTECTED, READER_ROW_ORDER } from "./expectations.mjs";

const MAX_REPORTS_PER_TABLE = 15;

const problems = [];
const problem = (text) => problems.push(text);

function sha256(file) {
  return crypto.createHash("sha256").update(fs.readFileSync(file)).digest("hex");
}

function copyInto(dir, source) {
  const target = path.join(dir, path.basename(source));
  fs.copyFileSync(source, target);
  return target;
}

function sameList(what, actual, expected, show = (x) => JSON.stringify(x)) {
  const a = actual.map(show);
  const e = expected.map(show);
  if (a.join("\n") === e.join("\n")) return true;
  problem(`${what} differ:\n    got      ${a.join("\n             ")}\n    expected ${e.join("\n             ")}`);
  return false;
}

function checkRefused(jet, file) {
  for (const args of [["tables", file], ["fields", file, "Table1"], ["rows", file, "Table1"]]) {
    const r = jet.run(...args);
    const what = `jetdump ${args[0]} on a password-protected file`;
    if (r.status !== 1) problem(`${what} exited ${r.status}, not 1`);
    if (r.stderr.trim() !== PASSWORD_ERROR) problem(`${what} said ${JSON.stringify(r.stderr.trim())}, not "${PASSWORD_ERROR}"`);
    if (r.stdout !== "") problem(`${what} printed data: ${JSON.stringify(r.stdout.slice(0, 200))}`);
  }
}

function checkCatalogue(jet, file, reader, tools) {
  const show = (t) => `${t.name}\t${t.attributes}\t${t.kind}`;
  const engine = jet.tables(file);
  const fromReader = reader.catalogue();
  sameList("MSysObjects table definitions read by mdb-reader and by mdb-export", tools.catalogue(), fromReader, show);
  sameList("jetdump tables and the table definitions in MSysObjects", engine, fromReader, show);

  const names = (...kinds) => engine.filter((t) => kinds.includes(t.kind)).map((t) => t.name);
  const readerLists = reader.tableLists();
  sameList("user tables of jetdump and of mdb-reader", names("table"), readerLists.user);
  sameList("linked tables of jetdump and of mdb-reader", names("linked"), readerLists.linked);
  sameList("system tables of jetdump and of mdb-reader", names("system"), readerLists.system);
  // mdb-tables lists no linked tables and does not hide hidden ones.
  const toolsLists = tools.tableLists();
  sameList("user tables of jetdump and of mdb-tables", names("table"), toolsLists.user);
  sameList("local tables of jetdump and of mdb-tables -S", names("table", "system"), toolsLists.userAndSystem);
  return engine;
}

function checkFields(label, engine, reader, tools) {
  const show = (f) => `${f.name} type ${f.type}`;
  sameList(`${label}: fields of jetdump and of mdb-reader`, engine, reader, show);
  sameList(`${label}: fields of jetdump and of mdb-schema`, engine, tools, show);
  engine.forEach((f, i) => {
    for (const [who, other] of [["mdb-reader", reader[i]], ["mdb-schema", tools[i]]]) {
      if (other && other.name === f.name && other.size !== null && other.size !== f.size)
        problem(`${label}.${f.name}: jetdump gives size ${f.size}, ${who} ${other.size}`);
    }
  });
}

function inJetOrder(label, records, order) {
  if (!order) return records;
  if (records.length !== order.length) {
    problem(`${label}: expected ${order.length} records from the reader to put in Jet's order, got ${records.length}`);
    return records;
  }
  const out = [];
  order.forEach((position, k) => { out[position - 1] = records[k]; });
  return out;
}

function checkRecords(label, who, engine, oracle, types, matches) {
  if (engine.length !== oracle.length)
    problem(`${label}: jetdump returns ${engine.length} records, ${who} ${oracle.length}`);
  let reported = 0;
  let differing = 0;
  const count = Math.min(engine.length, oracle.length);
  for (let r = 0; r < count; ++r) {
    const e = engine[r];
    const o = oracle[r];
    const where = `${label} record ${r + 1}`;
    if (e.map(([k]) => k).join("\u0000") !== o.map(([k]) => k).join("\u0000")) {
      ++differing;
      if (reported++ < MAX_REPORTS_PER_TABLE)
        problem(`${where}: jetdump keys [${e.map(([k]) => k)}], ${who} [${o.map(([k]) => k)}]`);
      continue;
    }
    for (let i = 0; i < e.length; ++i) {
      if (matches(types[i], e[i][1], o[i][1])) continue;
      ++differing;
      if (reported++ < MAX_REPORTS_PER_TABLE)
        problem(`${where} field ${e[i][0]}: jetdump ${valueText(e[i][1])}, ${who} ${valueText(o[i][1])}`);
    }
  }
  if (reported > MAX_REPORTS_PER_TABLE)
    problem(`${label}: ${differing} differences from ${who} in all (first ${MAX_REPORTS_PER_TABLE} shown)`);
}

function checkTable(jet, label, engineFile, engineTable, reader, tools, oracleTable, order) {
  const fields = jet.fields(engineFile, engineTable);
  const readerFields = reader.fields(oracleTable);
  checkFields(label, fields, readerFields, tools.fields(oracleTable));
  const types = readerFields.map((f) => f.type);
  const engineRows = jet.rows(engineFile, engineTable);
  checkRecords(label, "mdb-reader", engineRows,
    inJetOrder(`${label} (mdb-reader)`, reader.rows(oracleTable), order), types, matchesMdbReader);
  checkRecords(label, "mdb-export", engineRows,
    inJetOrder(`${label} (mdb-export)`, tools.rows(oracleTable), order), types, matchesMdbExport);
  return engineRows.length;
}

function compareFixture(jet, fixturesDir, fixture, work) {
  const original = path.join(fixturesDir, fixture);
  const file = copyInto(work, original);
  const before = sha256(file);
  if (PASSWORD_PROTECTED.has(fixture)) {
    checkRefused(jet, file);
    if (sha256(file) !== before) problem("jetdump changed the file");
    return "refused as password-protected";
  }

  const reader = new MdbReaderDatabase(file);
  const tools = new MdbToolsDatabase(file);
  const tables = checkCatalogue(jet, file, reader, tools);
  const links = reader.links();
  const orders = READER_ROW_ORDER.get(fixture) ?? new Map();
  let rows = 0;
  let checked = 0;
  for (const t of tables) {
    if (t.kind === "table") {
      rows += checkTable(jet, t.name, file, t.name, reader, tools, t.name, orders.get(t.name));
      ++checked;
    } else if (t.kind === "linked") {
      const link = links.get(t.name);
      if (!link || link.connect || !link.database || path.isAbsolute(link.database) || /^[A-Za-z]:|\\/.test(link.database)) {
        problem(`${t.name}: the comparison follows only links to a Jet file beside the fixture (${JSON.stringify(link)})`);
        continue;
      }
      const target = copyInto(work, path.join(path.dirname(original), link.database));
      const label = `${t.name} (-> ${link.database} ${link.foreignName})`;
      rows += checkTable(jet, label, file, t.name, new MdbReaderDatabase(target), new MdbToolsDatabase(target),
        link.foreignName, undefined);
      ++checked;
    }
  }
  if (sha256(file) !== before) problem("jetdump changed the file");
  return `${checked} tables, ${rows} records`;
}

function main() {
  const [program, fixturesDir, fixture, tmpRoot] = process.argv.slice(2);
  if (!tmpRoot) {
    process.stderr.write("usage: compare-fixture.mjs JETDUMP FIXTURES_DIR FIXTURE TMP_DIR\n");
    return 2;
  }
  fs.mkdirSync(tmpRoot, { recursive: true });
  const work = fs.mkdtempSync(path.join(tmpRoot, "compare-"));
  let summary;
  try {
    summary = compareFixture(new Jetdump(program), fixturesDir, fixture, work);
  } catch (e) {
    problem(e.stack ?? String(e));
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
  if (problems.length === 0) {
    console.log(`${fixture}: jetdump, mdb-export and mdb-reader agree (${summary})`);
    return 0;
  }
  console.log(`${fixture}: ${problems.length} differences between jetdump and the other readers`);
  for (const p of problems) console.log(`  - ${p}`);
  return 1;
}

process.exitCode = main();
