// Runs jetdump and reads its three listings.

import { spawnSync } from "node:child_process";
import { parseRecords } from "../../tools/oracle/jsonl.mjs";

export class Jetdump {
  constructor(program) {
    this.program = program;
  }

  // Runs one command; returns {status, stdout, stderr}.
  run(...args) {
    const r = spawnSync(this.program, args, { encoding: "utf8", maxBuffer: 1 << 28 });
    if (r.error) throw new Error(`cannot run ${this.program}: ${r.error.message}`);
    if (r.signal) throw new Error(`jetdump ${args.join(" ")} died of ${r.signal}\n${r.stderr}`);
    return { status: r.status, stdout: r.stdout, stderr: r.stderr };
  }

  ok(...args) {
    const r = this.run(...args);
    if (r.status !== 0)
      throw new Error(`jetdump ${args.join(" ")} exited ${r.status}: ${r.stderr.trim()}`);
    return r.stdout;
  }

  tables(file) {
    return lines(this.ok("tables", file)).map((line) => {
      const [name, attributes, kind, ...rest] = line.split("\t");
      if (rest.length || !/^0x[0-9A-F]{8}$/.test(attributes ?? "") || !["table", "linked", "system"].includes(kind))
        throw new Error(`jetdump tables: malformed line ${JSON.stringify(line)}`);
      return { name, attributes, kind };
    });
  }

  fields(file, table) {
    return lines(this.ok("fields", file, table)).map((line) => {
      const [name, type, size, ...rest] = line.split("\t");
      if (rest.length || !/^\d+$/.test(type ?? "") || !/^\d+$/.test(size ?? ""))
        throw new Error(`jetdump fields: malformed line ${JSON.stringify(line)}`);
      return { name, type: Number(type), size: Number(size) };
    });
  }

  rows(file, table) {
    return parseRecords(this.ok("rows", file, table));
  }
}

function lines(text) {
  return text.split("\n").filter((l) => l.length > 0);
}
