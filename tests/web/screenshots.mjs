// Remakes the README's pictures of the page: docs/screenshot-web.png at a
// desktop width and docs/screenshot-web-phone.png at a phone's, in Debian's
// Chromium. Run by tools/screenshot-web.sh after tools/web.sh.
import { join, resolve } from "node:path";
import puppeteer from "puppeteer-core";

const root = resolve(import.meta.dirname, "../..");
const page_ = "file://" + join(root, "build-web/zolm-converter.html") +
  "#from=ascii&text=Zolm%20Converter!&radix=8";
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--hide-scrollbars"],
});
for (const [file, width, scheme] of [
  ["screenshot-web.png", 1060, "light"],
  ["screenshot-web-phone.png", 360, "dark"],
]) {
  const page = await browser.newPage();
  await page.setViewport({ width, height: 400 });
  await page.emulateMediaFeatures([{ name: "prefers-color-scheme", value: scheme }]);
  await page.goto(page_);
  await page.waitForSelector("body.ready");
  await page.focus('[aria-label="Convert Ascii text"]');
  const height = await page.evaluate(() => Math.ceil(document.querySelector("main").getBoundingClientRect().bottom));
  await page.setViewport({ width, height });
  await page.screenshot({ path: join(root, "docs", file) });
  console.log(`wrote docs/${file}`);
  await page.close();
}
await browser.close();
