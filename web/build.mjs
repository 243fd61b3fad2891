// Makes the web release from the WebAssembly build: the single page, the
// installable site, the ES module, the node driver, the npm package's folder
// and the zip of the page, the module and the site. Usage: node web/build.mjs BUILD OUT VERSION EPOCH
// The same inputs give the same bytes.
import { createHash } from "node:crypto";
import { copyFileSync, mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { deflateRawSync } from "node:zlib";

const [build, out, version, epoch] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), "utf8");
const icons = join(here, "..", "resources");
const sha256 = (data, encoding) => createHash("sha256").update(data).digest(encoding);

const engine = readFileSync(join(build, "zolm-engine.js"), "utf8");
// The notices of what the engine's WebAssembly and loader carry, shown by
// the page and heading the module.
const notices = readFileSync(join(here, "..", "THIRD-PARTY-NOTICES.txt"), "utf8");
const escaped = notices.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
// Zolm Sans's control pictures, which the text boxes fall back on where the
// system's fonts have none (the Ascii row shows codes 0, 10 and 13 as them).
const pictures = readFileSync(join(icons, "web", "zolm-sans-pictures.ttf")).toString("base64");
const style =
  '@font-face {\n  font-family: "Zolm Sans";\n' +
  `  src: url(data:font/ttf;base64,${pictures}) format("truetype");\n` +
  "  unicode-range: U+2400-2421;\n}\n" +
  source("style.css");

// One page, everything inline; the site's copy also links its manifest and
// starts its service worker. The policy lets in exactly the inline script
// and style (by hash) and the engine's compilation, nothing from elsewhere.
function page({ site }) {
  let script = [engine, source("converter.js"), source("undo.js"), source("page.js")].join("\n");
  if (site) {
    script +=
      '\nif ("serviceWorker" in navigator && location.protocol !== "file:") {\n' +
      '  navigator.serviceWorker.register("sw.js").catch(() => {});\n}\n';
  }
  if (/<\/script|<!--/i.test(script)) throw new Error("the script would end the page's script element");
  const policy = [
    "default-src 'none'",
    `script-src 'sha256-${sha256(script, "base64")}' 'wasm-unsafe-eval'`,
    `style-src 'sha256-${sha256(style, "base64")}'`,
    site ? "img-src 'self'" : "img-src data:",
    "font-src data:",
    "connect-src data:",
    ...(site ? ["manifest-src 'self'", "worker-src 'self'"] : []),
    "base-uri 'none'",
    "form-action 'none'",
  ].join("; ");
  const icon = site
    ? "icon-192.png"
    : "data:image/png;base64," + readFileSync(join(icons, "zolm-32.png")).toString("base64");
  const head = site
    ? '<link rel="manifest" href="manifest.webmanifest">\n<meta name="theme-color" content="#1f4ea0">\n'
    : "";
  return source("page.html")
    .replace("@CSP@", policy)
    .replace("@ICON@", icon)
    .replace("@HEAD@", head)
    .replace("@NOTICES@", () => escaped)
    .replace("@STYLE@", () => style)
    .replace("@SCRIPT@", () => script);
}

rmSync(join(out, "site"), { recursive: true, force: true });
mkdirSync(join(out, "site"), { recursive: true });
const single = page({ site: false });
writeFileSync(join(out, "zolm-converter.html"), single);

const siteFiles = {
  "index.html": page({ site: true }),
  "manifest.webmanifest":
    JSON.stringify(
      {
        name: "Zolm Converter",
        short_name: "Zolm",
        description: "A text as its characters, decimal, hexadecimal and custom-radix codes.",
        start_url: "./",
        scope: "./",
        display: "standalone",
        background_color: "#f0f0f0",
        theme_color: "#1f4ea0",
        icons: [
          ...[192, 512].map((size) => ({
            src: `icon-${size}.png`,
            sizes: `${size}x${size}`,
            type: "image/png",
            purpose: "any",
          })),
          { src: "icon-maskable-512.png", sizes: "512x512", type: "image/png", purpose: "maskable" },
        ],
      },
      null,
      2,
    ) + "\n",
  "icon-192.png": readFileSync(join(icons, "web", "icon-192.png")),
  "icon-512.png": readFileSync(join(icons, "web", "icon-512.png")),
  "icon-maskable-512.png": readFileSync(join(icons, "web", "icon-maskable-512.png")),
};
const kept = ["./", ...Object.keys(siteFiles)];
const contents = createHash("sha256");
for (const name of Object.keys(siteFiles)) contents.update(name).update(siteFiles[name]);
siteFiles["sw.js"] = source("sw.js")
  .replace("@CACHE@", `zolm-${version}-${contents.digest("hex").slice(0, 12)}`)
  .replace("@FILES@", JSON.stringify(kept));
for (const [name, data] of Object.entries(siteFiles)) writeFileSync(join(out, "site", name), data);

// The module for browsers and node: under node the engine's loader asks for
// require and __dirname, which an ES module lacks.
const moduleHead =
  "const require = globalThis.process?.versions?.node\n" +
  '  ? (await import("node:module")).createRequire(import.meta.url)\n' +
  "  : undefined;\n" +
  'const __dirname = ".";\n';
if (notices.includes("*/")) throw new Error("the notices would end the module's comment");
const module = [`/*\n${notices}*/`, moduleHead, engine, source("converter.js"), source("module.js")].join("\n");
writeFileSync(join(out, "zolm.mjs"), module);
copyFileSync(join(build, "zolm-driver.js"), join(out, "zolm-driver.js"));

// The npm package's folder: the module, its types, the zolm command (the
// native program compiled for node), a README and the licences; tools/web.sh
// packs it with npm pack.
const npm = join(out, "npm");
rmSync(npm, { recursive: true, force: true });
mkdirSync(join(npm, "bin"), { recursive: true });
const packageJson = {
  name: "zolm-converter",
  version,
  description:
    "A text as its characters, decimal, hexadecimal and custom-radix codes: Zolm Converter's engine in WebAssembly, with its zolm command.",
  keywords: ["ascii", "decimal", "hexadecimal", "radix", "character codes", "converter", "webassembly"],
  license: "MIT",
  type: "module",
  exports: { ".": { types: "./index.d.ts", import: "./zolm.mjs" }, "./package.json": "./package.json" },
  types: "./index.d.ts",
  bin: { zolm: "bin/zolm.cjs", "zolm-converter": "bin/zolm.cjs" },
  engines: { node: ">=20" },
  files: ["zolm.mjs", "index.d.ts", "bin/zolm.cjs", "README.md", "LICENSE", "THIRD-PARTY-NOTICES.txt"],
  sideEffects: false,
};
writeFileSync(join(npm, "package.json"), JSON.stringify(packageJson, null, 2) + "\n");
writeFileSync(join(npm, "zolm.mjs"), module);
copyFileSync(join(here, "npm", "index.d.ts"), join(npm, "index.d.ts"));
copyFileSync(join(here, "npm", "README.md"), join(npm, "README.md"));
copyFileSync(join(here, "..", "LICENSE"), join(npm, "LICENSE"));
writeFileSync(join(npm, "THIRD-PARTY-NOTICES.txt"), notices);
writeFileSync(
  join(npm, "bin", "zolm.cjs"),
  "#!/usr/bin/env node\n" + readFileSync(join(build, "zolm.js"), "utf8"),
  { mode: 0o755 },
);

// The zip: the single page, the module and the site folder, in a fixed
// order with the source's time, so that the same sources give the same bytes.
const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
const crc32 = (data) => {
  let c = 0xffffffff;
  for (const byte of data) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
};
const when = new Date(Number(epoch) * 1000);
const dosTime = (when.getUTCHours() << 11) | (when.getUTCMinutes() << 5) | (when.getUTCSeconds() >> 1);
const dosDate =
  (Math.max(0, when.getUTCFullYear() - 1980) << 9) | ((when.getUTCMonth() + 1) << 5) | when.getUTCDate();
const folder = `zolm-converter-${version}-web`;
const entries = [
  [`${folder}/zolm-converter.html`, Buffer.from(single)],
  [`${folder}/zolm.mjs`, Buffer.from(module)],
  [`${folder}/THIRD-PARTY-NOTICES.txt`, Buffer.from(notices)],
  ...Object.keys(siteFiles)
    .sort()
    .map((name) => [`${folder}/site/${name}`, Buffer.from(siteFiles[name])]),
];
const parts = [];
const central = [];
let offset = 0;
for (const [name, data] of entries) {
  const packed = deflateRawSync(data, { level: 9 });
  const nameBytes = Buffer.from(name);
  const header = Buffer.alloc(30);
  header.writeUInt32LE(0x04034b50, 0);
  header.writeUInt16LE(20, 4);
  header.writeUInt16LE(0x0800, 6); // names in UTF-8
  header.writeUInt16LE(8, 8);
  header.writeUInt16LE(dosTime, 10);
  header.writeUInt16LE(dosDate, 12);
  header.writeUInt32LE(crc32(data), 14);
  header.writeUInt32LE(packed.length, 18);
  header.writeUInt32LE(data.length, 22);
  header.writeUInt16LE(nameBytes.length, 26);
  const entry = Buffer.alloc(46);
  entry.writeUInt32LE(0x02014b50, 0);
  entry.writeUInt16LE(0x0314, 4); // made on Unix
  header.copy(entry, 6, 4, 30);
  entry.writeUInt32LE((0o100644 << 16) >>> 0, 38);
  entry.writeUInt32LE(offset, 42);
  central.push(entry, nameBytes);
  parts.push(header, nameBytes, packed);
  offset += header.length + nameBytes.length + packed.length;
}
const directory = Buffer.concat(central);
const end = Buffer.alloc(22);
end.writeUInt32LE(0x06054b50, 0);
end.writeUInt16LE(entries.length, 8);
end.writeUInt16LE(entries.length, 10);
end.writeUInt32LE(directory.length, 12);
end.writeUInt32LE(offset, 16);
writeFileSync(join(out, `${folder}.zip`), Buffer.concat([...parts, directory, end]));
console.log(`web: zolm-converter.html ${single.length} bytes, site/, zolm.mjs, zolm-driver.js, ${folder}.zip`);
