#!/usr/bin/env node
// Opens a published page as a viewer would, in the judges' headless Chromium, and reports what
// the web player on it did:
//
//   node PageCheck.mjs URL OUT.png [--frame] [--at SECONDS] [--viewport WxH] [--page PAGE.png]
//
// With --frame the player is looked for in the page's first inner frame (a package inside a
// learning system's page). The page's clock is virtual, as in the judges' render script: it
// steps while the player loads, then runs SECONDS (default 1) past the movie's load before the
// player element is photographed to OUT.png (and, with --page, the whole window to PAGE.png). Prints one JSON line: loaded, focused (the player
// has the keyboard focus of its document), box (its size in CSS pixels), api (the type of
// parent.API.LMSInitialize as the player's document sees it), errors.
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { createRequire } from "node:module";

const HARNESS = process.env.SWFCHECK_HARNESS || `${process.env.XDG_CACHE_HOME || (process.env.HOME + "/.cache")}/swfcheck`;
const CHROMIUM = process.env.SWFCHECK_CHROMIUM || "/usr/bin/chromium";
const argv = process.argv.slice(2);
const pos = [];
const opt = { frame: false, at: 1, viewport: { width: 800, height: 600 } };
for (let i = 0; i < argv.length; i++) {
  if (argv[i] === "--frame") opt.frame = true;
  else if (argv[i] === "--at") opt.at = Number(argv[++i]);
  else if (argv[i] === "--page") opt.page = argv[++i];
  else if (argv[i] === "--viewport") {
    const [w, h] = argv[++i].split("x").map(Number);
    opt.viewport = { width: w, height: h };
  } else pos.push(argv[i]);
}
if (pos.length !== 2) {
  console.error("usage: node PageCheck.mjs URL OUT.png [--frame] [--at SECONDS] [--viewport WxH] [--page PAGE.png]");
  process.exit(2);
}
const [url, shot] = pos;
const require = createRequire(path.join(HARNESS, "package.json"));
const { chromium } = require("playwright-core");
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "quillo-pagecheck-"));
const result = { loaded: false, focused: false, box: null, api: null, errors: [] };
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: opt.viewport,
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--autoplay-policy=no-user-gesture-required"],
  });
  const tab = context.pages()[0] || (await context.newPage());
  tab.on("pageerror", (e) => result.errors.push(`page error: ${e.message}`));
  tab.on("requestfailed", (r) => result.errors.push(`request failed: ${r.url()}`));
  tab.on("response", (r) => { if (r.status() >= 400 && !r.url().endsWith("favicon.ico")) result.errors.push(`HTTP ${r.status()}: ${r.url()}`); });
  await tab.clock.install({ time: 1000000 });
  await tab.clock.pauseAt(1001000);
  await tab.goto(url);
  const scope = () => (opt.frame ? tab.frames().find((f) => f !== tab.mainFrame()) : tab.mainFrame());
  const state = async () => {
    const f = scope();
    if (!f) return { ready: 0 };
    return f.evaluate(() => {
      const p = document.querySelector("ruffle-player");
      if (!p) return { ready: 0 };
      const r = p.getBoundingClientRect();
      let api = null;
      try { api = window.parent !== window && window.parent.API ? typeof window.parent.API.LMSInitialize : null; } catch (e) { api = `blocked: ${e.message}`; }
      return { ready: p.readyState, focused: document.activeElement === p, box: { width: r.width, height: r.height }, api };
    });
  };
  const start = Date.now();
  let st = await state();
  while (st.ready !== 2 && Date.now() - start < 60000) {
    await tab.waitForTimeout(10);
    await tab.clock.runFor(4).catch(() => {});
    st = await state();
  }
  result.loaded = st.ready === 2;
  if (result.loaded) {
    await tab.clock.runFor(Math.round(opt.at * 1000)).catch(() => {});
    st = await state();
    await scope().locator("ruffle-player").screenshot({ path: shot, animations: "allow" });
    if (opt.page) await tab.screenshot({ path: opt.page, animations: "allow" });
  } else {
    result.errors.push("the movie never loaded");
    await tab.screenshot({ path: shot });
  }
  Object.assign(result, { focused: st.focused, box: st.box, api: st.api });
} catch (e) {
  result.errors.push(`harness error: ${e && e.message ? e.message : e}`);
} finally {
  if (context) await context.close().catch(() => {});
  fs.rmSync(profile, { recursive: true, force: true });
}
process.stdout.write(JSON.stringify(result) + "\n");
process.exit(result.loaded && result.errors.length === 0 ? 0 : 1);
