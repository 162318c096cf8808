#!/usr/bin/env node
// Turns the "figure NAME VALUE" lines the benchmarks print (QM_FIGURES=1)
// into one table: every figure beside what it is measured against, its
// target and whether the target is met. Reads the lines on standard input,
// prints a Markdown table.
//
//   node table.mjs "MACHINE DESCRIPTION" < figures

import fs from "node:fs";

const figures = new Map();
for (const line of fs.readFileSync(0, "utf8").split("\n")) {
  const m = /^figure (\S+) (\S+)$/.exec(line.trim());
  if (m) figures.set(m[1], Number(m[2]));
}
const get = (name) => figures.get(name);

const ms = (v) => (v >= 100 ? v.toFixed(0) : v >= 10 ? v.toFixed(1) : v.toFixed(2)) + " ms";
const perSecond = (v) => Math.round(v).toLocaleString("en-US").replace(/,/g, " ") + "/s";
const times = (v) => v.toFixed(2) + "×";
// A figure against a limit it keeps well under reads better as a fraction.
const ofLimit = (v, limit) => (v / limit >= 0.1 ? `${times(v / limit)} the target` : `1/${Math.round(limit / v)} of the target`);

// Each row: what is measured, our figure, what it is set against, the
// ratio, the target, and whether it is met (null: reported, no target).
const rows = [];
function row(what, ours, against, ratio, target, met) {
  rows.push([what, ours, against, ratio, target, met === null ? "reported" : met ? "met" : "not met"]);
}

for (const table of ["Perf20", "Perf240", "PlayerStats"]) {
  const jet = get(`scan.${table}.jetdump_ms`);
  const exp = get(`scan.${table}.mdbexport_ms`);
  const reader = get(`scan.${table}.mdbreader_ms`);
  if (jet === undefined || exp === undefined) continue;
  row(`Scan of ${table}, every record (process, natively)`, ms(jet),
    `mdb-export ${ms(exp)}; mdb-reader ${reader === undefined ? "–" : ms(reader)}`,
    `${times(exp / jet)} faster`, "≥ 3× faster than mdb-export", exp / jet >= 3);
}

for (const [table, limit, liveLimit] of [["Perf20", 6, 12], ["Perf240", 50, null]]) {
  const tick = get(`viewer.${table}.tick_ms`);
  if (tick === undefined) continue;
  const live = get(`viewer.${table}.live_tick_ms`);
  const db = get(`viewer.${table}.db_ms`);
  row(`Reading tick of ${table} in the viewer, under Wine (grid drawn)`, ms(tick),
    `50 values changed: ${ms(live)}${liveLimit ? ` (≤ ${liveLimit} ms)` : ""}; database part: ${ms(db)}`,
    ofLimit(tick, limit), `≤ ${limit} ms`, tick <= limit && (!liveLimit || live <= liveLimit));
}
for (const [table, limit] of [["Perf20", 60], ["Perf240", 500]]) {
  // The median of the repeated first reads; the very first alone where that is missing.
  const first = get(`viewer.${table}.first_read_median_ms`) ?? get(`viewer.${table}.first_read_ms`);
  if (first !== undefined)
    row(`First "Read Once" of ${table} (1000 rows put in the grid), under Wine`, ms(first), "–", ofLimit(first, limit),
      `≤ ${limit} ms`, first <= limit);
}

// The engine's update pass and reading tick, with the traffic a pass makes.
for (const [table, suffix, cycles, nativeLimit, wineLimit] of [["Perf20", "", "20 000", 400000, 150000],
  ["Perf240", "_240", "240 000", null, 100000]]) {
  const traffic = (where) => `${get(`${where}.pages_written_per_pass${suffix}`)} pages written, ` +
    `${get(`${where}.lock_calls_per_pass${suffix}`)} lock calls a pass`;
  const native = get(`native.updates_per_s${suffix}`);
  if (native !== undefined)
    row(`Update pass of ${table}, ${cycles} field updates (engine, natively)`, perSecond(native),
      `${ms(get(`native.pass_ms${suffix}`))} a pass; ${traffic("native")}`,
      nativeLimit ? `${times(native / nativeLimit)} the target` : "–",
      nativeLimit ? `≥ ${perSecond(nativeLimit)}` : "reported", nativeLimit ? native >= nativeLimit : null);
  const wine = get(`wine.updates_per_s${suffix}`);
  if (wine !== undefined)
    row(`Update pass of ${table} (engine, under Wine)`, perSecond(wine),
      `${ms(get(`wine.pass_ms${suffix}`))} a pass; ${traffic("wine")}`, `${times(wine / wineLimit)} the target`,
      `≥ ${perSecond(wineLimit)}`, wine >= wineLimit);
  const nativeTick = get(`native.read_tick_ms${suffix}`);
  const wineTick = get(`wine.read_tick_ms${suffix}`);
  if (nativeTick !== undefined && wineTick !== undefined)
    row(`Reading tick of ${table} (engine, under Wine)`, ms(wineTick), `natively ${ms(nativeTick)}`,
      `${times(wineTick / nativeTick)} the native figure`, "≤ 2× natively", wineTick <= 2 * nativeTick);
}
// An update of one field should cost the same whatever the row's width.
for (const where of ["native", "wine"]) {
  const narrow = get(`${where}.updates_per_s`);
  const wide = get(`${where}.updates_per_s_240`);
  if (narrow !== undefined && wide !== undefined)
    row(`Update rate of Perf240 against Perf20's (engine, ${where === "native" ? "natively" : "under Wine"})`,
      times(wide / narrow), `${perSecond(wide)} against ${perSecond(narrow)}`, times(wide / narrow), "≥ 0.80×",
      wide / narrow >= 0.8);
}
// A pass's lock calls at what one costs: under Wine each is a request to its
// server, a floor of the pass beside the engine's own work.
for (const where of ["native", "wine"]) {
  const us = get(`${where}.lock_call_us`);
  const calls = get(`${where}.lock_calls_per_pass_240`);
  if (us === undefined || us === 0 || calls === undefined) continue;
  row(`A lock call on the lock file (${where === "native" ? "natively" : "under Wine"})`,
    `${us >= 10 ? us.toFixed(0) : us.toFixed(1)} µs`, `${calls} a Perf240 update pass: ${ms(calls * us / 1000)}`, "–",
    "reported", null);
}
for (const [table, limit] of [["Perf20", null], ["Perf240", 100]]) {
  const v = get(`viewer.${table}.updates_per_s`);
  const pass = get(`viewer.${table}.pass_ms`);
  if (v !== undefined)
    row(`Update pass of ${table} through the viewer, under Wine`, ms(pass), perSecond(v),
      limit ? ofLimit(pass, limit) : "–", limit ? `≤ ${limit} ms` : "reported", limit ? pass <= limit : null);
}
{
  const peak = get("viewer.Perf240.peak_working_set_mb");
  if (peak !== undefined)
    row("Peak working set after a Perf240 read, under Wine", `${peak.toFixed(1)} MB`, "85 MB before the wide-table work",
      times(peak / 85), "≤ 85 MB", peak <= 85);
}

for (const name of ["perf", "NflSummary"]) {
  const c = get(`compact.${name}.ms`);
  const copy = get(`compact.${name}.copy_flush_ms`);
  if (c === undefined || copy === undefined) continue;
  row(`Compaction of ${name}.mdb (natively)`, ms(c), `copy + flush ${ms(copy)}`, times(c / copy), "≤ 3× the copy",
    c <= 3 * copy);
}

const open = [["native.open_ms", "engine, natively"], ["wine.open_ms", "engine, under Wine"],
  ["viewer.open_ms", "the viewer, tables listed, under Wine"]];
for (const [key, how] of open) {
  const v = get(key);
  if (v !== undefined)
    row(`Open + catalogue of NflSummary.mdb (${how})`, ms(v), "–", ofLimit(v, 100), "≤ 100 ms", v <= 100);
}

const header = ["Measurement", "Quillmere", "Against", "Ratio", "Target", ""];
const line = (cells) => `| ${cells.join(" | ")} |`;
console.log(`Measured ${new Date().toISOString().slice(0, 10)} on ${process.argv[2] ?? "this machine"}.\n`);
console.log(line(header));
console.log(line(header.map(() => "---")));
for (const r of rows) console.log(line(r));
const missing = rows.length === 0;
if (missing) console.log("\n(no figures were printed)");
process.exitCode = missing ? 1 : 0;
