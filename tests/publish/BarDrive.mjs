#!/usr/bin/env node
// Opens a published page in the judges' headless Chromium and works the movie's control bar as a
// viewer would, step by step, photographing the player between steps:
//
//   node BarDrive.mjs URL OUT_DIR STEP...
//
// Steps: wait:SECONDS (the page's virtual clock runs on), key:NAME (a key press, as Playwright
// names keys: Space, ArrowLeft, ArrowRight, Delete), click:X,Y (press and release at player
// pixel X,Y), drag:X1,Y1>X2,Y2 (press at the first point, move to the second in small steps
// while the clock runs, release there), shot:NAME (the player's picture to OUT_DIR/NAME.png).
// The clock is stepped until the movie has loaded; steps start at its first frame. Prints one
// JSON line: loaded, focused, shots (names), traces (what the movie traced), errors. Exit 0
// when every step ran.
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { createRequire } from "node:module";

const HARNESS = process.env.SWFCHECK_HARNESS || `${process.env.XDG_CACHE_HOME || (process.env.HOME + "/.cache")}/swfcheck`;
const CHROMIUM = process.env.SWFCHECK_CHROMIUM || "/usr/bin/chromium";
const [url, outDir, ...steps] = process.argv.slice(2);
if (!url || !outDir) {
  console.error("usage: node BarDrive.mjs URL OUT_DIR STEP...");
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });
const require = createRequire(path.join(HARNESS, "package.json"));
const { chromium } = require("playwright-core");
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "quillo-bardrive-"));
const result = { loaded: false, focused: false, shots: [], errors: [] };
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1024, height: 768 },
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--autoplay-policy=no-user-gesture-required"],
  });
  const tab = context.pages()[0] || (await context.newPage());
  tab.on("pageerror", (e) => result.errors.push(`page error: ${e.message}`));
  await tab.clock.install({ time: 1000000 });
  await tab.clock.pauseAt(1001000);
  await tab.goto(url);
  const player = tab.locator("ruffle-player");
  const state = () => tab.evaluate(() => {
    const p = document.querySelector("ruffle-player");
    if (!p) return { ready: 0 };
    const r = p.getBoundingClientRect();
    return { ready: p.readyState, focused: document.activeElement === p, x: r.x, y: r.y };
  });
  const start = Date.now();
  let st = await state();
  while (st.ready !== 2 && Date.now() - start < 60000) {
    await tab.waitForTimeout(10);
    await tab.clock.runFor(4).catch(() => {});
    st = await state();
  }
  result.loaded = st.ready === 2;
  result.focused = !!st.focused;
  if (!result.loaded) throw new Error("the movie never loaded");
  // Hides the notice the web player lays over the movie on the first pointer move.
  await tab.evaluate(() => {
    const p = document.querySelector("ruffle-player");
    const style = document.createElement("style");
    style.textContent = "#hardware-acceleration-modal { display: none !important; }";
    if (p && p.shadowRoot) p.shadowRoot.appendChild(style);
  });
  await tab.evaluate(() => {
    window.barTraces = [];
    const p = document.querySelector("ruffle-player");
    p.ruffle().traceObserver = (m) => window.barTraces.push(String(m));
  });
  // The clock runs in small steps with a little real time between them, so that the player
  // takes in the input and draws each frame as a browser would.
  const run = async (ms) => {
    for (let done = 0; done < ms; done += 20) {
      await tab.clock.runFor(Math.min(20, ms - done)).catch(() => {});
      await tab.waitForTimeout(5);
    }
  };
  const at = (xy) => {
    const [x, y] = xy.split(",").map(Number);
    return [st.x + x + 0.5, st.y + y + 0.5];
  };
  for (const step of steps) {
    const colon = step.indexOf(":");
    const kind = step.slice(0, colon);
    const arg = step.slice(colon + 1);
    if (kind === "wait") {
      await run(Math.round(Number(arg) * 1000));
    } else if (kind === "key") {
      await tab.keyboard.down(arg);
      await run(50);
      await tab.keyboard.up(arg);
      await run(50);
    } else if (kind === "click") {
      const [x, y] = at(arg);
      await tab.mouse.move(x, y);
      await run(50);
      await tab.mouse.down();
      await run(50);
      await tab.mouse.up();
      await run(50);
    } else if (kind === "drag") {
      const [from, to] = arg.split(">");
      const [x1, y1] = at(from);
      const [x2, y2] = at(to);
      await tab.mouse.move(x1, y1);
      await run(100);
      await tab.mouse.down();
      await run(100);
      for (let i = 1; i <= 10; i++) {
        await tab.mouse.move(x1 + (x2 - x1) * i / 10, y1 + (y2 - y1) * i / 10, { steps: 4 });
        await run(100);
      }
      await run(200);
      await tab.mouse.up();
      await run(100);
    } else if (kind === "shot") {
      await player.screenshot({ path: path.join(outDir, `${arg}.png`), animations: "allow" });
      result.shots.push(arg);
    } else {
      throw new Error(`unknown step ${step}`);
    }
  }
  result.traces = await tab.evaluate(() => window.barTraces);
} catch (e) {
  result.errors.push(`harness error: ${e && e.message ? e.message : e}`);
} finally {
  if (context) await context.close().catch(() => {});
  fs.rmSync(profile, { recursive: true, force: true });
}
process.stdout.write(JSON.stringify(result) + "\n");
process.exit(result.loaded && result.errors.length === 0 ? 0 : 1);
