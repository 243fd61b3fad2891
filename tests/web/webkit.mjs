// WebKit, Safari's engine, for the browser test: Debian's WebKitWebDriver
// driving MiniBrowser (on the X display the test runs on) through
// selenium-webdriver, behind the few calls of puppeteer's Page that the test
// uses, so that one table of checks runs in every engine.
import { existsSync } from "node:fs";
import { createRequire } from "node:module";
import { createServer } from "node:net";

const require = createRequire(import.meta.url);
const { Builder, By, Capabilities, Key, Origin } = require("selenium-webdriver");
const { DriverService } = require("selenium-webdriver/remote");

export const DRIVER = "/usr/bin/WebKitWebDriver";
export const MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
export const available = () => existsSync(DRIVER) && existsSync(MINIBROWSER) && !!process.env.DISPLAY;

const KEYS = { Tab: Key.TAB, End: Key.END, Home: Key.HOME, Enter: Key.ENTER, Escape: Key.ESCAPE,
               Control: Key.CONTROL, Shift: Key.SHIFT, Meta: Key.META };
const key = (name) => KEYS[name] ?? name;

const freePort = () =>
  new Promise((resolve) => {
    const server = createServer().listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });

const until = async (check, what, ms = 10000) => {
  const end = Date.now() + ms;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > end) throw new Error(`webkit: timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 25));
  }
};

// One session is one window: a new page navigates it afresh.
class Page {
  constructor(driver) {
    this.driver = driver;
    this.keyboard = {
      press: (name) => driver.actions().sendKeys(key(name)).perform(),
      type: (text) => driver.actions().sendKeys(text).perform(),
      down: (name) => driver.actions().keyDown(key(name)).perform(),
      up: (name) => driver.actions().keyUp(key(name)).perform(),
    };
    this.mouse = {
      click: (x, y) =>
        driver.actions().move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT }).click().perform(),
    };
  }
  async setViewport({ width, height }) {
    // The window's size beyond its page, measured once.
    const outer = await this.driver.executeScript("return [outerWidth - innerWidth, outerHeight - innerHeight]");
    await this.driver.manage().window().setRect({ width: width + outer[0], height: height + outer[1] });
  }
  async goto(url) {
    await this.driver.get("about:blank");
    await this.driver.get(url);
  }
  url() {
    return this.driver.getCurrentUrl();
  }
  evaluate(fn, ...args) {
    return this.driver.executeScript(fn, ...args);
  }
  async $(selector) {
    const found = await this.driver.findElements(By.css(selector));
    return found[0] ?? null;
  }
  async $eval(selector, fn, ...args) {
    return this.driver.executeScript(fn, await this.driver.findElement(By.css(selector)), ...args);
  }
  waitForSelector(selector) {
    return until(() => this.$(selector), selector);
  }
  waitForFunction(fn, options, ...args) {
    return until(() => this.driver.executeScript(fn, ...args), String(fn));
  }
  async click(selector) {
    await (await this.driver.findElement(By.css(selector))).click();
  }
  async focus(selector) {
    await this.$eval(selector, (e) => e.focus());
  }
  async close() {}
}

export async function launchWebKit() {
  const port = await freePort();
  const service = new DriverService(DRIVER, { port, loopback: true, args: [`--port=${port}`] });
  const url = await service.start();
  const capabilities = new Capabilities({
    browserName: "MiniBrowser",
    "webkitgtk:browserOptions": { binary: MINIBROWSER, args: ["--automation"] },
  });
  let driver;
  try {
    driver = await new Builder().usingServer(url).withCapabilities(capabilities).build();
  } catch (error) {
    await service.kill();
    throw error;
  }
  return {
    newPage: async () => new Page(driver),
    close: async () => {
      await driver.quit().catch(() => {});
      await service.kill();
    },
  };
}
