// The web page in Debian's Chromium, Firefox and WebKit (MiniBrowser through
// WebKitWebDriver, on the X display the test runs on), as a person uses it:
// controls found by their accessible names, keys and clicks, the report
// dialog, the address, a phone's width and text size, offline use and
// updates, and axe-core's WCAG 2.2 A and AA rules. ZOLM_WEB names the folder
// tools/web.sh built.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { cpSync, createReadStream, existsSync, mkdtempSync, readFileSync, rmSync, statSync,
         writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { extname, join, resolve } from "node:path";
import puppeteer from "puppeteer-core";
import { available as webkitAvailable, launchWebKit } from "./webkit.mjs";

const require = createRequire(import.meta.url);
const axeSource = readFileSync(require.resolve("axe-core/axe.min.js"), "utf8");
const web = resolve(process.env.ZOLM_WEB ?? "../../build-web");
const single = "file://" + join(web, "zolm-converter.html");

const puppeteerBrowsers = [
  {
    name: "chromium",
    options: {
      browser: "chrome",
      executablePath: "/usr/bin/chromium",
      args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync"],
    },
  },
  {
    name: "firefox",
    options: { browser: "firefox", executablePath: "/usr/bin/firefox-esr", protocol: "webDriverBiDi" },
  },
].filter((b) => existsSync(b.options.executablePath))
  .map((b) => ({ ...b, launch: () => puppeteer.launch({ headless: true, ...b.options }) }));
const browsers = [...puppeteerBrowsers, ...(webkitAvailable() ? [{ name: "webkit", launch: launchWebKit }] : [])];
if (process.env.CI === "true" && browsers.length < 3) {
  throw new Error(`the browser test needs Chromium, Firefox and WebKit; found ${browsers.map((b) => b.name)}`);
}

const by = (name) => `[aria-label="${name}"]`;
const NAMES = ["Custom codes", "Radix", "Hex codes", "Ascii text", "Decimal codes",
               "Convert hex codes", "Convert Ascii text", "Convert decimal codes", "Convert custom codes"];
const ROWS = { custom: "Custom codes", radix: "Radix", hex: "Hex codes", ascii: "Ascii text", decimal: "Decimal codes" };

async function open(browser, url, viewport = { width: 1100, height: 600 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.goto(url);
  await page.waitForSelector("body.ready");
  return page;
}
const rows = (page) =>
  page.evaluate((names) => {
    const out = {};
    for (const [row, name] of Object.entries(names)) out[row] = document.querySelector(`[aria-label="${name}"]`).value;
    return out;
  }, ROWS);
const setRows = (page, texts) =>
  page.evaluate((names, texts) => {
    for (const [row, text] of Object.entries(texts)) document.querySelector(`[aria-label="${names[row]}"]`).value = text;
  }, ROWS, texts);
const focused = (page) =>
  page.evaluate(() => {
    const e = document.activeElement;
    const selected = "selectionStart" in e && e.selectionStart !== null;
    return { name: e.getAttribute("aria-label"), start: selected ? e.selectionStart : null,
             end: selected ? e.selectionEnd : null, length: e.value?.length ?? null };
  });
const dialogOpen = (page) => page.$eval("dialog", (d) => d.open);

// A key pressed with a modifier: Control, or Meta on a Mac's keys.
async function chord(page, modifiers, key) {
  for (const m of modifiers) await page.keyboard.down(m);
  await page.keyboard.press(key);
  for (const m of [...modifiers].reverse()) await page.keyboard.up(m);
}

for (const { name: browserName, options, launch } of browsers) {
  describe(browserName, () => {
    let browser;
    before(async () => {
      browser = await launch();
    });
    after(async () => browser?.close());

    test("each row's Convert rewrites the other rows", async () => {
      const page = await open(browser, single);
      const table = [
        { button: "Convert decimal codes", given: { decimal: "72 105", radix: "2" },
          want: { ascii: "Hi", decimal: "72 105", hex: "48 69", custom: "1001000 1101001" } },
        { button: "Convert hex codes", given: { hex: "41 42", radix: "8" },
          want: { ascii: "AB", decimal: "65 66", hex: "41 42", custom: "101 102" } },
        { button: "Convert custom codes", given: { custom: "  101 102", radix: "8" },
          want: { ascii: "AB", decimal: "65 66", hex: "41 42", custom: "101 102" } },
        // Codes 0, 13 and 10 show in the Ascii row's one line as their
        // pictures, and convert back.
        { button: "Convert decimal codes", given: { decimal: "65 0 9 13 10 66", radix: "16" },
          want: { ascii: "A\u2400\t\u240D\u240AB", decimal: "65 0 9 13 10 66", hex: "41 00 09 0D 0A 42",
                  custom: "41 00 09 0D 0A 42" } },
        { button: "Convert Ascii text", given: { decimal: "", hex: "" },
          want: { ascii: "A\u2400\t\u240D\u240AB", decimal: "65 0 9 13 10 66", hex: "41 00 09 0D 0A 42",
                  custom: "41 00 09 0D 0A 42" } },
      ];
      for (const row of table) {
        await setRows(page, row.given);
        await page.click(by(row.button));
        const got = await rows(page);
        delete got.radix;
        assert.deepEqual(got, row.want, JSON.stringify(row));
        assert.equal(await dialogOpen(page), false, row.button);
      }
      // A row written by Convert shows its start, however long.
      await page.focus(by("Decimal codes"));
      await page.keyboard.press("End");
      await setRows(page, { decimal: Array(300).fill("65").join(" "), hex: "", custom: "" });
      await page.click(by("Convert decimal codes"));
      const starts = await page.evaluate(() =>
        [...document.querySelectorAll('[aria-label="Hex codes"], [aria-label="Custom codes"], [aria-label="Ascii text"]')]
          .map((box) => [box.scrollLeft, box.selectionStart, box.selectionEnd]));
      assert.deepEqual(starts, [[0, 0, 0], [0, 0, 0], [0, 0, 0]]);
      // Typed by keys: the focus rule selected the row, so typing replaces it.
      await page.click(by("Decimal codes"));
      await page.waitForFunction(() => {
        const box = document.activeElement;
        return box.selectionStart === 0 && box.selectionEnd === box.value.length;
      });
      await page.keyboard.type("79 75");
      await page.keyboard.press("Tab"); // to the next control, not a Convert
      await page.click(by("Convert decimal codes"));
      assert.equal((await rows(page)).ascii, "OK");
      // An Ascii row with line breaks is one line: its end is in reach, an
      // edit keeps every code, and it converts back.
      await setRows(page, { decimal: "72 13 10 105" });
      await page.click(by("Convert decimal codes"));
      await page.click(by("Ascii text"));
      await page.keyboard.press("End");
      await page.keyboard.type("!");
      await page.click(by("Convert Ascii text"));
      assert.equal((await rows(page)).decimal, "72 13 10 105 33");
      assert.equal(await page.$eval(by("Ascii text"), (e) => e.tagName + " " + e.type), "INPUT text");
      await page.close();
    });

    test("the control pictures are drawn as three glyphs, none a missing one's box", async () => {
      const page = await open(browser, single);
      const drawn = await page.$eval(by("Ascii text"), async (box) => {
        const font = `40px ${getComputedStyle(box).fontFamily}`;
        await document.fonts.load(font, "\u2400\u240A\u240D");
        const canvas = document.createElement("canvas");
        canvas.width = canvas.height = 64;
        const context = canvas.getContext("2d");
        return ["\u2400", "\u240A", "\u240D", "\u0378"].map((c) => {
          context.clearRect(0, 0, 64, 64);
          context.font = font;
          context.fillText(c, 4, 48);
          return context.getImageData(0, 0, 64, 64).data.join("");
        });
      });
      assert.equal(new Set(drawn).size, 4);
      await page.close();
    });

    test("the code line names the code at the caret until an edit, and is heard once it rests", async () => {
      const page = await open(browser, single);
      await setRows(page, { decimal: "72 105" });
      await page.click(by("Convert decimal codes"));
      await page.click(by("Hex codes"));
      await page.keyboard.press("End");
      const line = () => page.evaluate(() => [document.getElementById("CodeLine").textContent,
                                              document.querySelector('[role="status"]').textContent]);
      await page.waitForFunction(() => document.getElementById("CodeLine").textContent.startsWith("Code 2"));
      const want = "Code 2 of 2: i 105 69 69 (radix 16) U+0069";
      assert.equal((await line())[0], want);
      await page.waitForFunction((w) => document.querySelector('[role="status"]').textContent === w, {}, want);
      await page.keyboard.type("4");
      await page.waitForFunction(() => document.getElementById("CodeLine").textContent === "");
      await page.close();
    });

    test("the caret's codes are marked in the other rows, scrolled to, until an edit", async () => {
      const page = await open(browser, single);
      // MiniBrowser's screenshots come out black under Xvfb: in WebKit only
      // the scroll is read.
      const drawn = browserName !== "webkit";
      const scrolled = () => page.$eval(by("Decimal codes"), (box) => box.scrollLeft);
      // A box as drawn: the columns of its marks' fill and of their bars,
      // each [first, last] in 100ths of its width, or null for none.
      const marked = async (name) => {
        const png = await (await page.$(by(name))).screenshot({ encoding: "base64" });
        return page.evaluate(async (png) => {
          const image = new Image();
          image.src = `data:image/png;base64,${png}`;
          await image.decode();
          const canvas = document.createElement("canvas");
          [canvas.width, canvas.height] = [image.width, image.height];
          const context = canvas.getContext("2d");
          context.drawImage(image, 0, 0);
          const pixels = context.getImageData(0, 0, image.width, image.height).data;
          const style = getComputedStyle(document.getElementById("form"));
          const columns = (name) => {
            const [r, g, b] = style.getPropertyValue(name).trim().match(/\w\w/g).map((h) => parseInt(h, 16));
            let found = null;
            for (let at = 0; at < pixels.length; at += 4) {
              if (Math.abs(pixels[at] - r) + Math.abs(pixels[at + 1] - g) + Math.abs(pixels[at + 2] - b) > 6) continue;
              const x = Math.round((100 * ((at / 4) % image.width)) / image.width);
              found = found ? [Math.min(found[0], x), Math.max(found[1], x)] : [x, x];
            }
            return found;
          };
          return { fill: columns("--mark-fill"), bar: columns("--mark-line") };
        }, png);
      };
      // A character without a code second, in sight at the row's start.
      await setRows(page, { ascii: `x\u0101${"x".repeat(80)}` });
      await page.click(by("Convert Ascii text"));
      await page.click(by("Hex codes"));
      await page.keyboard.press("End");
      await page.waitForFunction(() => document.getElementById("CodeLine").textContent.startsWith("Code 82"));
      assert.ok((await scrolled()) > 0, "the Decimal row scrolled to its last code");
      for (const name of drawn ? ["Decimal codes", "Ascii text"] : []) {
        const { fill } = await marked(name);
        assert.ok(fill?.[0] >= 50, `${name}: the last code marked at ${fill}`);
      }
      await page.keyboard.press("Home");
      await page.waitForFunction(() => document.getElementById("CodeLine").textContent.startsWith("Code 1 "));
      assert.equal(await scrolled(), 0, "the Decimal row scrolled back to its first code");
      if (drawn) {
        assert.ok((await marked("Decimal codes")).fill?.[1] <= 25, "the first code marked at the left");
        // The first character filled, the second underlined past it.
        const { fill, bar } = await marked("Ascii text");
        assert.ok(fill && bar?.[1] > fill[1], `Ascii text: fill ${fill}, bar ${bar}`);
      }
      await page.keyboard.type("4");
      await page.waitForFunction(() => document.getElementById("CodeLine").textContent === "");
      for (const name of drawn ? ["Decimal codes", "Ascii text"] : []) {
        assert.deepEqual(await marked(name), { fill: null, bar: null }, name);
      }
      await page.close();
    });

    test("a click anywhere on a box goes to the box", async () => {
      for (const width of [1100, 1600]) {
        const page = await open(browser, single, { width, height: 600 });
        for (const name of Object.values(ROWS)) {
          const [x, y] = await page.$eval(by(name), (e) => {
            const r = e.getBoundingClientRect();
            return [r.left + 3, r.top + r.height / 2];
          });
          await page.mouse.click(x, y);
          await page.waitForFunction((n) => document.activeElement.getAttribute("aria-label") === n, {}, name);
        }
        await page.close();
      }
    });

    test("undo in a box undoes that box's typing, then the Convert", async () => {
      const page = await open(browser, single);
      const control = browserName === "webkit" && process.platform === "darwin" ? "Meta" : "Control";
      await page.click(by("Decimal codes"));
      await page.keyboard.type("65");
      await page.click(by("Convert decimal codes"));
      // With none of the box's own typing left, the Convert is undone and
      // redone.
      await page.click(by("Ascii text"));
      await chord(page, [control], "z");
      assert.deepEqual([(await rows(page)).decimal, (await rows(page)).ascii], ["65", "Hello!"]);
      assert.equal((await focused(page)).name, "Ascii text");
      await chord(page, [control], "y");
      assert.equal((await rows(page)).ascii, "A");
      await chord(page, [control], "z");
      // In the box typed in, undo and redo step through its own typing.
      await page.click(by("Decimal codes"));
      await page.keyboard.press("End");
      await page.keyboard.type(" 66");
      await chord(page, [control], "z");
      assert.equal((await rows(page)).decimal, "65");
      await chord(page, [control, "Shift"], "z");
      assert.equal((await rows(page)).decimal, "65 66");
      // Undo gives back the rows as the Convert found them, and starts the
      // boxes' histories afresh: the typing before it does not come back.
      await page.click(by("Ascii text"));
      await page.keyboard.type("Hi");
      await page.click(by("Decimal codes"));
      await page.keyboard.type("66");
      await page.click(by("Convert decimal codes"));
      await page.click(by("Ascii text"));
      await chord(page, [control], "z");
      assert.equal((await rows(page)).ascii, "Hi");
      await chord(page, [control], "z");
      assert.equal((await rows(page)).ascii, "Hi");
      await page.close();
    });

    test("a link converts as its Convert button does", async () => {
      const long = "%41".repeat(40000);
      const table = [
        { hash: "#from=decimal&text=72%20105%20300&radix=16", box: "Decimal codes", start: 7, end: 10,
          report: "Run-time error '5':\n\nInvalid procedure call or argument\nDecimal row, code 3: \"300\"" },
        { hash: "#from=hex&text=48%2069&radix=abc", box: "Radix", start: 0, end: 3,
          report: "Run-time error '13':\n\nType mismatch\nRadix field: \"abc\"" },
        { hash: `#from=ascii&text=${long}&radix=16`, box: "Ascii text", start: 0, end: 40000,
          report: "Run-time error '6':\n\nOverflow\nAscii row: longer than 32,766 characters" },
      ];
      // A link followed in a page already open converts too.
      const open_ = await open(browser, single);
      await open_.evaluate(() => (location.hash = "#from=decimal&text=72%20105&radix=2"));
      await open_.waitForFunction((n) => document.querySelector(`[aria-label="${n}"]`).value === "Hi", {}, "Ascii text");
      assert.equal((await rows(open_)).custom, "1001000 1101001");
      await open_.close();
      for (const row of table) {
        const page = await open(browser, single + row.hash);
        await page.waitForFunction(() => document.querySelector("dialog").open);
        assert.equal(await page.$eval("#report-text", (e) => e.textContent), row.report);
        await page.keyboard.press("Escape");
        await page.waitForFunction((n) => document.activeElement.getAttribute("aria-label") === n, {}, row.box);
        const now = await focused(page);
        assert.deepEqual([now.start, now.end], [row.start, row.end], row.hash.slice(0, 40));
        await page.close();
      }
    });

    test("an error is reported, then its code is selected", async () => {
      const table = [
        { close: "Escape", given: { decimal: "72 4A 105" }, button: "Convert decimal codes",
          report: "Run-time error '13':\n\nType mismatch\nDecimal row, code 2: \"4A\"",
          box: "Decimal codes", start: 3, end: 5 },
        { close: "Enter", given: { hex: "48 FFFF" }, button: "Convert hex codes",
          report: "Run-time error '6':\n\nOverflow\nHex row, code 2: \"FFFF\"",
          box: "Hex codes", start: 3, end: 7 },
        { close: "click", given: { custom: "1 2", radix: "x" }, button: "Convert custom codes",
          report: "Run-time error '13':\n\nType mismatch\nRadix field: \"x\"",
          box: "Radix", start: 0, end: 1 },
      ];
      for (const row of table) {
        const page = await open(browser, single);
        await setRows(page, row.given);
        await page.click(by(row.button));
        assert.equal(await dialogOpen(page), true, row.close);
        const dialog = await page.$eval("dialog", (d) => ({
          title: document.getElementById(d.getAttribute("aria-labelledby")).textContent,
          text: document.getElementById(d.getAttribute("aria-describedby")).textContent,
          modal: d.matches(":modal"),
          focusInside: d.contains(document.activeElement),
        }));
        assert.deepEqual(dialog, { title: "Zolm Converter", text: row.report, modal: true, focusInside: true });
        if (row.close === "click") await page.click("dialog button");
        else await page.keyboard.press(row.close);
        await page.waitForFunction(() => !document.querySelector("dialog").open);
        await page.waitForFunction((n) => document.activeElement.getAttribute("aria-label") === n, {}, row.box);
        const now = await focused(page);
        assert.deepEqual([now.start, now.end], [row.start, row.end], row.close);
        await page.close();
      }
    });

    test("Tab walks the form's order, selecting each box whole", async () => {
      const page = await open(browser, single);
      const walk = [await focused(page)];
      for (let i = 1; i < NAMES.length; ++i) {
        await page.keyboard.press("Tab");
        await new Promise((r) => setTimeout(r, 20));
        walk.push(await focused(page));
      }
      assert.deepEqual(walk.map((f) => f.name), NAMES);
      for (const f of walk.filter((f) => f.start !== null)) {
        assert.deepEqual([f.start, f.end], [0, f.length], f.name);
      }
      // Returning to the page keeps the caret where it was.
      await page.click(by("Decimal codes"));
      await page.evaluate(() => document.activeElement.setSelectionRange(2, 2));
      await page.evaluate(() => {
        document.activeElement.dispatchEvent(new FocusEvent("blur"));
        document.activeElement.dispatchEvent(new FocusEvent("focus"));
      });
      await new Promise((r) => setTimeout(r, 20));
      assert.deepEqual([(await focused(page)).start, (await focused(page)).end], [2, 2]);
      await page.close();
    });

    test("Return does nothing in a box and presses a focused button", async () => {
      const page = await open(browser, single);
      const url = await page.url();
      await setRows(page, { decimal: "72 105" });
      for (const name of ["Decimal codes", "Ascii text", "Radix"]) {
        await page.focus(by(name));
        const before = await rows(page);
        await page.keyboard.press("Enter");
        assert.deepEqual(await rows(page), before, name);
      }
      assert.equal(await page.url(), url);
      await page.focus(by("Convert decimal codes"));
      await page.keyboard.press("Enter");
      assert.equal((await rows(page)).ascii, "Hi");
      await page.close();
    });

    test("a paste with line breaks goes in with spaces", async () => {
      const page = await open(browser, single);
      const control = browserName === "webkit" && process.platform === "darwin" ? "Meta" : "Control";
      const table = [
        { box: "Decimal codes", pasted: "72\r\n105\n33\r", want: "72 105 33 " },
        { box: "Ascii text", pasted: "a\nb\tc", want: "a b\tc" },
      ];
      for (const row of table) {
        await page.focus(by(row.box));
        await page.$eval(by(row.box), (box, text) => {
          box.value = "";
          const data = new DataTransfer();
          data.setData("text/plain", text);
          // Firefox hides a script's data from a script-made paste event:
          // the event carries it as its own property instead.
          const paste = new ClipboardEvent("paste", { bubbles: true, cancelable: true });
          Object.defineProperty(paste, "clipboardData", { value: data });
          box.dispatchEvent(paste);
        }, row.pasted);
        assert.equal(await page.$eval(by(row.box), (b) => b.value), row.want, row.box);
        // One step to undo.
        await chord(page, [control], "z");
        assert.equal(await page.$eval(by(row.box), (b) => b.value), "", row.box);
      }
      await page.close();
    });

    test("the address holds the rows", async () => {
      const page = await open(browser, single);
      await setRows(page, { ascii: "Zolm & co", radix: "3" });
      await page.click(by("Convert Ascii text"));
      const want = await rows(page);
      const url = await page.url();
      assert.match(url, /#from=ascii&text=Zolm%20%26%20co&radix=3$/);
      await page.close();
      const again = await open(browser, url);
      assert.deepEqual(await rows(again), want);
      await again.close();
    });

    // MiniBrowser's window is at least 447 pixels wide.
    test("narrow screens and large text: the rows stack, nothing scrolls sideways",
         { skip: browserName === "webkit" && "MiniBrowser has no narrower window" }, async () => {
      for (const { width, text } of [{ width: 360, text: 1 }, { width: 320, text: 2 }, { width: 412, text: 2 }]) {
        const page = await open(browser, single, { width, height: 740 });
        // The user's text size: the page's font follows the browser's.
        await page.evaluate((text) => (document.documentElement.style.fontSize = `${100 * text}%`), text);
        // The width inside a vertical scroll bar, where the page is taller.
        const layout = await page.evaluate(() => {
          const width = document.documentElement.clientWidth;
          return {
            sideways: document.documentElement.scrollWidth - width,
            out: [...document.querySelectorAll("input, button")]
              .filter((e) => e.getClientRects().length > 0)
              .map((e) => [e.getAttribute("aria-label") ?? e.textContent, e.getBoundingClientRect()])
              .filter(([, r]) => r.width < 24 || r.height < 24 || r.right > width)
              .map(([n]) => n),
          };
        });
        assert.deepEqual(layout, { sideways: 0, out: [] }, `${width} px, text ${text * 100}%`);
        await page.close();
      }
    });

    test("a drop goes in as a paste, the caret after it", async () => {
      const page = await open(browser, single);
      await setRows(page, { ascii: "xy" });
      const got = await page.$eval(by("Ascii text"), (box) => {
        const data = new DataTransfer();
        data.setData("text/plain", "A\nB");
        const r = box.getBoundingClientRect();
        const drop = new DragEvent("drop", { bubbles: true, cancelable: true, dataTransfer: data,
                                            clientX: r.right - 4, clientY: r.top + r.height / 2 });
        if (!drop.dataTransfer) Object.defineProperty(drop, "dataTransfer", { value: data });
        box.dispatchEvent(drop);
        return [box.value, box.selectionStart, box.selectionEnd, document.activeElement === box];
      });
      assert.deepEqual(got, ["xyA B", 5, 5, true]);
      // One step to undo.
      await chord(page, ["Control"], "z");
      assert.equal((await rows(page)).ascii, "xy");
      await page.close();
    });

    test("captions stand before their boxes; phones get capitals for digits", async () => {
      const page = await open(browser, single);
      const read = () => page.evaluate((names) => names.map((name) => {
        const box = document.querySelector(`[aria-label="${name}"]`);
        return [box.previousElementSibling.textContent, box.tagName, box.getAttribute("autocapitalize")];
      }), ["Custom codes", "Hex codes", "Ascii text", "Decimal codes"]);
      assert.deepEqual(await read(), [["Custom", "INPUT", "characters"], ["Hex", "INPUT", "characters"],
                                      ["Ascii", "INPUT", "off"], ["Decimal", "INPUT", "off"]]);
      // A radix above 36 has lower-case digits of its own.
      await page.click(by("Radix"));
      await page.keyboard.type("62");
      assert.equal((await read())[0][2], "off");
      await page.close();
    });

    if (browserName !== "webkit") {
      test("without WebAssembly the page says what it needs", async () => {
        const page = await browser.newPage();
        await page.evaluateOnNewDocument(() => delete globalThis.WebAssembly);
        await page.goto(single);
        await page.waitForFunction(() => !document.getElementById("no-engine").hidden);
        assert.match(await page.$eval("#no-engine", (e) => e.textContent), /needs WebAssembly/);
        await page.close();
      });
    }

    test("axe finds no WCAG 2.2 A or AA violation, light and dark", async () => {
      for (const scheme of browserName === "webkit" ? ["light"] : ["light", "dark"]) {
        let page = await browser.newPage();
        let own = null;
        if (scheme === "dark") {
          try {
            await page.emulateMediaFeatures([{ name: "prefers-color-scheme", value: "dark" }]);
          } catch {
            // Firefox over BiDi can't emulate the scheme: a Firefox of its
            // own that prefers dark.
            await page.close();
            own = await puppeteer.launch({
              headless: true,
              ...options,
              extraPrefsFirefox: { "layout.css.prefers-color-scheme.content-override": 0 },
            });
            page = await own.newPage();
          }
        }
        await page.goto(single);
        await page.waitForSelector("body.ready");
        for (const state of ["form", "report"]) {
          if (state === "report") {
            await setRows(page, { decimal: "300" });
            await page.click(by("Convert decimal codes"));
          }
          await page.evaluate(axeSource);
          const violations = await page.evaluate(async () => {
            const result = await axe.run(document, {
              runOnly: { type: "tag", values: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa", "wcag22aa"] },
            });
            return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(", ")}`);
          });
          assert.deepEqual(violations, [], `${scheme} ${state}`);
        }
        const background = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
        assert.equal(background, scheme === "dark" ? "rgb(30, 30, 30)" : "rgb(240, 240, 240)");
        await page.close();
        await own?.close();
      }
    });

    if (browserName === "chromium") {
      test("accessible names and the single page's requests", async () => {
        const page = await browser.newPage();
        const requests = [];
        page.on("request", (r) => requests.push(r.url()));
        await page.goto(single);
        await page.waitForSelector("body.ready");
        for (const name of NAMES) assert.ok(await page.$(`::-p-aria(${name})`), name);
        assert.ok(await page.$("::-p-aria(Zolm Converter)"));
        assert.deepEqual(requests.filter((u) => !u.startsWith("file:") && !u.startsWith("data:")), []);
        await page.close();
      });

      // The site over loopback as a plain static server sends it: an hour's
      // max-age and a Last-Modified, from `server.root`, with `server.headers`.
      const serve = async (root) => {
        const server = createServer((request, response) => {
          const path = new URL(request.url, "http://x").pathname;
          const file = join(server.root, path.endsWith("/") ? path + "index.html" : path);
          if (!file.startsWith(server.root) || !existsSync(file)) {
            response.writeHead(404).end();
            return;
          }
          response.writeHead(200, {
            "content-type": types[extname(file)] ?? "application/octet-stream",
            "cache-control": "max-age=3600",
            "last-modified": statSync(file).mtime.toUTCString(),
            ...server.headers,
          });
          createReadStream(file).pipe(response);
        });
        server.root = root;
        server.headers = {};
        await new Promise((r) => server.listen(0, "127.0.0.1", r));
        server.url = `http://127.0.0.1:${server.address().port}/`;
        return server;
      };
      const types = { ".html": "text/html", ".js": "text/javascript", ".png": "image/png",
                      ".webmanifest": "application/manifest+json" };
      const site = join(web, "site");

      test("the site works offline after one visit", async () => {
        const server = await serve(site);
        try {
          const page = await open(browser, server.url);
          await page.evaluate(() => navigator.serviceWorker.ready);
          assert.equal(await page.$eval("link[rel=manifest]", (l) => l.getAttribute("href")),
                       "manifest.webmanifest");
          const manifest = JSON.parse(readFileSync(join(site, "manifest.webmanifest"), "utf8"));
          assert.equal(manifest.display, "standalone");
          assert.deepEqual(manifest.icons.map((i) => `${i.sizes} ${i.purpose}`),
                           ["192x192 any", "512x512 any", "512x512 maskable"]);
          await page.setOfflineMode(true);
          server.close();
          await page.reload();
          await page.waitForSelector("body.ready");
          await setRows(page, { decimal: "79 102 102" });
          await page.click(by("Convert decimal codes"));
          assert.equal((await rows(page)).ascii, "Off");
          await page.close();
        } finally {
          server.close();
        }
      });

      test("a new release reaches an installed site within two loads", async () => {
        // Release B: another page and another cache name, as a new version has.
        const next = mkdtempSync(join(tmpdir(), "zolm-site-"));
        cpSync(site, next, { recursive: true });
        const page0 = readFileSync(join(site, "index.html"), "utf8");
        writeFileSync(join(next, "index.html"), page0.replace("<h1>Zolm Converter</h1>", "<h1>Zolm Converter B</h1>"));
        const worker = readFileSync(join(site, "sw.js"), "utf8");
        writeFileSync(join(next, "sw.js"), worker.replace(/const CACHE = "([^"]*)"/, 'const CACHE = "$1-b"'));
        const server = await serve(site);
        try {
          const page = await open(browser, server.url);
          await page.evaluate(() => navigator.serviceWorker.ready);
          await page.evaluate(() => caches.open("another-app").then((c) => c.put("/x", new Response("x"))));
          server.root = next;
          const heading = async () => {
            await page.reload();
            await page.waitForSelector("body.ready");
            return page.$eval("h1", (h) => h.textContent);
          };
          const seen = [await heading(), await heading()];
          assert.equal(seen[1], "Zolm Converter B", seen.join(", "));
          // Only this site's old caches go; another app's on the same host stay.
          const names = await page.evaluate(() => caches.keys());
          assert.ok(names.includes("another-app"), names.join(", "));
          assert.equal(names.filter((n) => n !== "another-app").length, 1, names.join(", "));
          await page.close();
        } finally {
          server.close();
          rmSync(next, { recursive: true, force: true });
        }
      });

      test("a site that does not allow WebAssembly gets the page's own words", async () => {
        const server = await serve(site);
        server.headers = { "content-security-policy": "script-src 'unsafe-inline'" };
        try {
          const page = await browser.newPage();
          await page.goto(server.url);
          await page.waitForFunction(() => !document.getElementById("no-engine").hidden);
          await page.close();
        } finally {
          server.close();
        }
      });
    }
  });
}
