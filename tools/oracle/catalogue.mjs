// Table definitions as the catalogue (MSysObjects) holds them, with the
// attributes DAO reports: the stored flags, plus a bit for linked tables.

const LOCAL_TABLE = 1;
const LINKED_ODBC = 4;
const LINKED_JET = 6;
const SYSTEM_FLAGS = 0x80000002;

export function attributeText(attributes) {
  return "0x" + (attributes >>> 0).toString(16).toUpperCase().padStart(8, "0");
}

// rows: {name, type, flags} in catalogue order, as a reader returns MSysObjects.
export function catalogueEntries(rows) {
  const out = [];
  for (const { name, type, flags } of rows) {
    if (type !== LOCAL_TABLE && type !== LINKED_JET && type !== LINKED_ODBC) continue;
    let attributes = (flags ?? 0) >>> 0;
    if (type === LINKED_JET) attributes |= 0x40000000;
    if (type === LINKED_ODBC) attributes |= 0x20000000;
    const kind = type !== LOCAL_TABLE ? "linked" : (attributes & SYSTEM_FLAGS) !== 0 ? "system" : "table";
    out.push({ name, attributes: attributeText(attributes), kind });
  }
  return out;
}
