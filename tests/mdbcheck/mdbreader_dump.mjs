// Prints what mdb-reader sees in an .mdb file as JSON, for the C++ tests.
//   node mdbreader_dump.mjs tables FILE
//   node mdbreader_dump.mjs table FILE NAME
import { readFileSync } from "node:fs";

let MDBReader;
try {
    ({ default: MDBReader } = await import("mdb-reader"));
} catch (e) {
    console.error("mdb-reader is not installed beside this script " +
        "(npm install --prefix <its folder> mdb-reader@3): " + e.message);
    process.exit(3);
}

function text(v) {
    if (v === null || v === undefined) return null;
    if (v instanceof Date) return v.toISOString();
    if (Buffer.isBuffer(v) || v instanceof Uint8Array) return Buffer.from(v).toString("hex");
    return String(v);
}

const [mode, file, name] = process.argv.slice(2);
try {
    const reader = new MDBReader(readFileSync(file));
    if (mode === "tables") {
        const tables = reader.getTableNames({ normalTables: true, systemTables: true, linkedTables: true });
        process.stdout.write(JSON.stringify({ tables }));
    } else if (mode === "table") {
        const table = reader.getTable(name);
        const columns = table.getColumnNames();
        const rows = table.getData().map((r) => columns.map((c) => text(r[c])));
        process.stdout.write(JSON.stringify({ columns, rowCount: table.rowCount, rows }));
    } else {
        console.error("usage: mdbreader_dump.mjs tables FILE | table FILE NAME");
        process.exit(2);
    }
} catch (e) {
    console.error("mdb-reader failed: " + (e && e.message ? e.message : e));
    process.exit(1);
}
