#!/usr/bin/env node
// Scan benchmark: reads whole tables with jetdump, with mdb-export and with
// mdb-reader, and prints the median times and how many times faster jetdump is.
//
//   node scan.mjs TIME_RUNS JETDUMP FIXTURES_DIR TMP_DIR [RUNS]
//
// jetdump and mdb-export are timed as whole processes (start, open, scan,
// print to /dev/null, exit), started by TIME_RUNS (time_runs.cpp); mdb-reader in this process (read the file, open,
// read every record) after a few warm-up rounds. The fixtures are copied to
// TMP_DIR first and read there.

import { spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { MDBReader } from "../tools/oracle/mdbreader-dump.mjs";

const CASES = [
  { file: "perf.mdb", table: "Perf20", records: 1000 },
  { file: "perf.mdb", table: "Perf240", records: 1000 },
  { file: "NflSummary.mdb", table: "PlayerStats", records: 1200 },
];
const TARGET = 3;
const WARM_UP = 3;

function median(values) {
  const s = [...values].sort((a, b) => a - b);
  const m = s.length >> 1;
  return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2;
}

function elapsedMs(fn) {
  const start = process.hrtime.bigint();
  fn();
  return Number(process.hrtime.bigint() - start) / 1e6;
}

// Runs the program once with its output kept, to check it works and to count
// the records; then `runs` times through time_runs, output to /dev/null.
function timeProcess(timer, program, args, runs, countRecords) {
  const check = spawnSync(program, args, { encoding: "utf8", maxBuffer: 1 << 28 });
  if (check.error || check.status !== 0)
    throw new Error(`${program} ${args.join(" ")} failed: ${check.error?.message ?? check.stderr.trim()}`);
  const records = countRecords(check.stdout);
  const timed = spawnSync(timer, [String(runs), program, ...args], { encoding: "utf8" });
  if (timed.error || timed.status !== 0)
    throw new Error(`timing ${program} failed: ${timed.error?.message ?? timed.stderr.trim()}`);
  return { ms: median(timed.stdout.trim().split("\n").map(Number)), records };
}

function timeMdbReader(file, table, runs) {
  let records = 0;
  const once = () => { records = new MDBReader(fs.readFileSync(file)).getTable(table).getData().length; };
  for (let i = 0; i < WARM_UP; ++i) once();
  const times = [];
  for (let i = 0; i < runs; ++i) times.push(elapsedMs(once));
  return { ms: median(times), records };
}

const lineCount = (text) => text.split("\n").filter((l) => l.length > 0).length;

function main() {
  const [timer, jetdump, fixturesDir, tmpRoot, runsText] = process.argv.slice(2);
  if (!tmpRoot) {
    process.stderr.write("usage: scan.mjs TIME_RUNS JETDUMP FIXTURES_DIR TMP_DIR [RUNS]\n");
    return 2;
  }
  const runs = Number(runsText ?? 15);
  fs.mkdirSync(tmpRoot, { recursive: true });
  const work = fs.mkdtempSync(path.join(tmpRoot, "scan-"));
  try {
    for (const name of new Set(CASES.map((c) => c.file)))
      fs.copyFileSync(path.join(fixturesDir, name), path.join(work, name));

    const floor = timeProcess(timer, "/bin/true", [], runs, () => 0).ms;
    const rows = [];
    const figures = []; // QM_FIGURES=1: "figure NAME VALUE" lines for bench/all.sh
    let met = true;
    for (const c of CASES) {
      const file = path.join(work, c.file);
      const jet = timeProcess(timer, jetdump, ["rows", file, c.table], runs, lineCount);
      // The CSV header line is not a record.
      const exp = timeProcess(timer, "mdb-export", ["-b", "hex", file, c.table], runs, (t) => lineCount(t) - 1);
      const reader = timeMdbReader(file, c.table, runs);
      for (const [who, r] of [["jetdump", jet], ["mdb-export", exp], ["mdb-reader", reader]]) {
        if (r.records !== c.records) throw new Error(`${who} read ${r.records} records of ${c.table}, not ${c.records}`);
      }
      const ratio = exp.ms / jet.ms;
      if (process.env.QM_FIGURES === "1")
        for (const [who, r] of [["jetdump", jet], ["mdbexport", exp], ["mdbreader", reader]])
          figures.push(`figure scan.${c.table}.${who}_ms ${r.ms.toFixed(3)}`);
      if (ratio < TARGET) met = false;
      rows.push([`${c.file} ${c.table}`, String(c.records), jet.ms.toFixed(1), exp.ms.toFixed(1),
        reader.ms.toFixed(1), `${ratio.toFixed(2)}x`, `${(reader.ms / jet.ms).toFixed(2)}x`]);
    }

    const header = ["table", "records", "jetdump ms", "mdb-export ms", "mdb-reader ms", "export/jetdump", "reader/jetdump"];
    const widths = header.map((h, i) => Math.max(h.length, ...rows.map((r) => r[i].length)));
    const line = (cells) => cells.map((c, i) => (i === 0 ? c.padEnd(widths[i]) : c.padStart(widths[i]))).join("  ");
    console.log(`Scan benchmark, median of ${runs} runs. jetdump and mdb-export: whole process, output to /dev/null;`);
    console.log(`mdb-reader: in process (read file, open, all records) after ${WARM_UP} warm-up rounds.`);
    console.log(`Starting a process (/bin/true) takes ${floor.toFixed(1)} ms here; it is part of both process figures.\n`);
    console.log(line(header));
    for (const r of rows) console.log(line(r));
    for (const f of figures) console.log(f);
    console.log(`\nTarget, jetdump at least ${TARGET}x faster than mdb-export on each table: ${met ? "met" : "NOT met"}`);
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
  return 0;
}

process.exitCode = main();
