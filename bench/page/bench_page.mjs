// The page benchmark: `zentrograph serve` on generated scenes, driven by headless
// Chromium through playwright-core, as a person would use it. Per scene it prints how
// smoothly a perspective view orbits, how quickly a creation drag shows, how many
// bytes each step costs and how long the page takes to show its views; with
// --targets=FILE it appends the target rows that `make bench` prints.
//
// What is measured comes from the page's own clock, through a script put in before the
// page's own: every animation-frame callback (a paint), every WebSocket message in and
// out, every pointer move. That needs nothing of the page but its WebSocket, its
// animation frames and window.__zentrograph.idle(), so the same harness times any
// version of the page.
//   orbit fps          paints per second from the first move of a 2.5 s right-drag at
//                      about 120 moves a second until the view has shown the last
//   orbit catch-up     how long after the last move the view showed it
//   orbit bytes        bytes the page received per answer of the host during the drag
//   creation latency   median (and 90th percentile) from a pointer move of a creation
//                      drag to the paint after the host's answer to it
//   creation bytes     bytes received per move of that drag
//   load               from navigation to the paint after the page's first answers
// Figures are medians over --runs runs (3 by default) and each row carries the load
// average of the machine when it was taken: these machines are shared.
import { spawn } from 'node:child_process';
import { appendFileSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const { chromium } = createRequire(path.join(root, 'tests/e2e/package.json'))('playwright-core');

const options = { build: path.join(root, 'build'), runs: 3, targets: '', scenes: '' };
for (const arg of process.argv.slice(2)) {
  const [key, value] = arg.replace(/^--/, '').split('=');
  if (!(key in options)) {
    console.error(`bench_page: unknown option ${arg} (--build=DIR --runs=N --targets=FILE --scenes=a,b)`);
    process.exit(2);
  }
  options[key] = key === 'runs' ? Math.max(1, Number(value) || 1) : value;
}
const program = path.join(options.build, 'bin', 'zentrograph');

// A field viewer of nx x ny x nz samples over a vortex and a gravity, with or without
// its markers.
function latticeScene(nx, ny, nz, markers = true) {
  return {
    zentrographScene: 1,
    nodes: [
      { name: 'Swirl', class: 'Vortex', position: [1.5, 1, 0], params: { orbital: 1.0, radialPull: 0.25 } },
      { name: 'Pull', class: 'Gravity', position: [-3, -2, 1], params: { spherical: true } },
      { name: 'Viewer', class: 'Zentrograph',
        params: { sizeX: 10, sizeY: 10, sizeZ: nz > 1 ? 4 : 0, resolutionX: nx, resolutionY: ny, resolutionZ: nz,
                  vectorScale: 2, displayVectorBases: markers, forceNodes: ['Swirl', 'Pull'] } },
    ],
    viewports: [
      { name: 'Persp', projection: 'perspective', eye: [14, -18, 12], target: [0, 0, 0] },
      { name: 'Top', projection: 'top', center: [0, 0, 0], width: 14 },
    ],
  };
}

const SCENES = [
  { name: 'demo', args: ['--demo'], target: { fps: 55 } },
  { name: 'empty', args: [] },
  { name: 'viewer 201x201x1', scene: latticeScene(201, 201, 1, false), target: { stepBytes: 1024 } },
  { name: 'viewer 201x201x1 + markers', scene: latticeScene(201, 201, 1), target: { fps: 30 } },
  { name: 'viewer 101x101x10 + markers', scene: latticeScene(101, 101, 10), target: { fps: 15, loadMs: 500 } },
  { name: 'creation drag', args: [], creation: true, target: { latencyMs: 20 } },
];

// Goes before the page's own script: logs paints, messages and pointer moves.
function instrument() {
  const log = { paints: [], paintMs: [], frames: new Set(), inbound: [], outbound: [], moves: [] };
  window.__bench = log;
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((stamp) => {
    const start = performance.now();
    try {
      callback(stamp);
    } finally {
      const end = performance.now();
      log.paints.push({ stamp, end, ms: end - start });
    }
  });
  const Native = window.WebSocket;
  window.WebSocket = class extends Native {
    constructor(...args) {
      super(...args);
      this.addEventListener('message', (e) => {
        const text = typeof e.data === 'string';
        let ack = null;
        if (text && e.data.length < 400 && e.data.includes('"ack"')) {
          try { const m = JSON.parse(e.data); if (m.type === 'ack') ack = m.seq; } catch { /* not ours */ }
        }
        log.inbound.push({ t: performance.now(), bytes: text ? e.data.length : e.data.byteLength, ack });
      });
    }
    send(data) {
      let type = null;
      let seq = null;
      try { const m = JSON.parse(data); type = m.type; seq = m.seq ?? null; } catch { /* binary */ }
      log.outbound.push({ t: performance.now(), type, seq });
      super.send(data);
    }
  };
  window.addEventListener('pointermove', () => log.moves.push(performance.now()), true);
}

async function startServer(args, cwd) {
  const child = spawn(program, ['serve', '--port', '0', ...args], { cwd, stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`serve printed no address: ${output}`)), 30000);
    child.stdout.on('data', (d) => {
      output += d;
      const match = output.match(/http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]+/);
      if (match) { clearTimeout(timer); resolve(match[0]); }
    });
    child.stderr.on('data', (d) => { output += d; });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(`serve exited with ${code}: ${output}`)); });
  });
  return {
    url,
    async stop() {
      if (child.exitCode !== null) return;
      const exited = new Promise((resolve) => child.on('exit', resolve));
      child.kill('SIGINT');
      await exited;
    },
  };
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => {
  if (!values.length) return NaN;
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const percentile = (values, p) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
};

// Waits until the page has nothing in flight and has been quiet for a moment.
async function settle(page, timeout = 120000) {
  await page.waitForFunction(() => {
    const log = window.__bench;
    const idle = window.__zentrograph && window.__zentrograph.idle();
    const last = Math.max(log.inbound.at(-1)?.t ?? 0, log.paints.at(-1)?.end ?? 0);
    return idle && performance.now() - last > 250;
  }, null, { timeout, polling: 50 });
}

const takeLog = (page) => page.evaluate(() => {
  const log = window.__bench;
  const copy = { paints: log.paints, inbound: log.inbound, outbound: log.outbound, moves: log.moves };
  window.__bench.paints = [];
  window.__bench.inbound = [];
  window.__bench.outbound = [];
  window.__bench.moves = [];
  return copy;
});

// The first paint that ended at or after `t`.
const paintAfter = (log, t) => log.paints.find((p) => p.end >= t)?.end ?? NaN;

async function loadTime(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => document.querySelector('#connection')?.textContent === 'connected');
  await settle(page);
  const log = await takeLog(page);
  // The views show the last message that is not an acknowledgement.
  const shown = log.inbound.filter((m) => m.ack === null).at(-1)?.t ?? 0;
  return paintAfter(log, shown);
}

async function viewOf(page, projection) {
  const views = await page.evaluate(() => window.__zentrograph.state().views.map((v) => v.projection));
  const index = views.indexOf(projection);
  const box = await page.locator(`.viewport[data-view="${index}"] canvas`).boundingBox();
  return { index, box };
}

async function orbit(page) {
  const { box } = await viewOf(page, 'perspective');
  const cx = box.x + box.width / 2;
  const cy = box.y + box.height / 2;
  await page.mouse.move(cx, cy);
  await page.mouse.down({ button: 'right' });
  await takeLog(page);
  const start = Date.now();
  for (let i = 0; Date.now() - start < 2500; i++) {
    const phase = i * 0.05;
    await page.mouse.move(cx + 160 * Math.sin(phase), cy + 40 * Math.sin(phase * 0.37));
    await sleep(8);
  }
  await page.mouse.up({ button: 'right' });
  await settle(page);
  const log = await takeLog(page);
  const first = log.moves[0];
  const lastMove = log.moves.at(-1);
  // The view shows the drag's end at the paint after the last move and the host's last
  // answer; an answer that changes nothing paints nothing, and then the last move's
  // paint shows it.
  const shown = log.inbound.filter((m) => m.ack === null).at(-1)?.t ?? 0;
  const shownAt = paintAfter(log, Math.max(lastMove, shown));
  const end = Number.isFinite(shownAt) ? shownAt : paintAfter(log, lastMove);
  const frames = new Set(log.paints.filter((p) => p.end >= first && p.end <= end).map((p) => p.stamp)).size;
  const answers = log.inbound.filter((m) => m.ack !== null).length;
  const bytes = log.inbound.reduce((sum, m) => sum + m.bytes, 0);
  return {
    fps: frames / ((end - first) / 1000),
    catchUpMs: end - lastMove,
    bytesPerStep: answers ? bytes / answers : 0,
    paintMs: median(log.paints.map((p) => p.ms)),
  };
}

async function creationDrag(page) {
  await page.getByRole('button', { name: 'Zentrograph', exact: true }).click();
  await settle(page);
  const { box } = await viewOf(page, 'top');
  const x0 = box.x + box.width / 2;
  const y0 = box.y + box.height / 2;
  await page.mouse.move(x0, y0);
  await page.mouse.down();
  await settle(page);
  await takeLog(page);
  for (let i = 1; i <= 30; i++) {
    await page.mouse.move(x0 + 4 * i, y0 + 2 * i);
    await settle(page, 30000);
  }
  const log = await takeLog(page);
  await page.mouse.up();
  await settle(page);
  const latencies = [];
  const bytes = [];
  for (const move of log.moves) {
    const sent = log.outbound.find((m) => m.t >= move && m.type === 'pointer');
    if (!sent) continue;
    const ackAt = log.inbound.findIndex((m) => m.t >= sent.t && m.ack === sent.seq);
    if (ackAt < 0) continue;
    const answer = log.inbound.filter((m, i) => i <= ackAt && m.t >= sent.t);
    const shown = answer.length > 1 ? answer.at(-2).t : answer.at(-1).t;
    latencies.push(paintAfter(log, shown) - move);
    bytes.push(answer.reduce((sum, m) => sum + m.bytes, 0));
  }
  return { latencyMs: median(latencies), latencyP90: percentile(latencies, 0.9), bytesPerStep: median(bytes) };
}

async function measure(browser, scene) {
  const folder = mkdtempSync(path.join(os.tmpdir(), 'zentrograph-bench-'));
  const args = [...(scene.args || [])];
  if (scene.scene) {
    writeFileSync(path.join(folder, 'scene.json'), JSON.stringify(scene.scene));
    args.push('scene.json');
  }
  const server = await startServer(args, folder);
  const context = await browser.newContext({ viewport: { width: 1400, height: 860 } });
  await context.addInitScript(instrument);
  const page = await context.newPage();
  try {
    const load = { loadavg: os.loadavg()[0], loadMs: await loadTime(page, server.url) };
    if (scene.creation) return { ...load, ...(await creationDrag(page)) };
    return { ...load, ...(await orbit(page)) };
  } finally {
    await context.close();
    await server.stop();
    rmSync(folder, { recursive: true, force: true });
  }
}

const fmt = (v, digits = 1) => (Number.isFinite(v) ? v.toFixed(digits) : '-');
const kb = (v) => (Number.isFinite(v) ? (v < 1024 ? `${v.toFixed(0)} B` : `${(v / 1024).toFixed(1)} KB`) : '-');

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--disable-quic'],
});
const wanted = options.scenes ? options.scenes.split(',') : null;
const rows = [];
try {
  for (const scene of SCENES) {
    if (wanted && !wanted.some((w) => scene.name.startsWith(w))) continue;
    const runs = [];
    for (let i = 0; i < options.runs; i++) runs.push(await measure(browser, scene));
    const m = (key) => median(runs.map((r) => r[key]));
    const row = { scene, loadavg: m('loadavg'), loadMs: m('loadMs') };
    for (const key of ['fps', 'catchUpMs', 'bytesPerStep', 'paintMs', 'latencyMs', 'latencyP90']) row[key] = m(key);
    rows.push(row);
    const what = scene.creation
      ? `latency ${fmt(row.latencyMs)} ms (p90 ${fmt(row.latencyP90)})  bytes/step ${kb(row.bytesPerStep)}`
      : `orbit ${fmt(row.fps)} fps  catch-up ${fmt(row.catchUpMs, 0)} ms  bytes/step ${kb(row.bytesPerStep)}  paint ${fmt(row.paintMs)} ms`;
    console.log(`${scene.name.padEnd(32)} load ${fmt(row.loadMs, 0).padStart(5)} ms  ${what}  (load average ${fmt(row.loadavg, 2)})`);
  }
} finally {
  await browser.close();
}

// Target rows for `make bench`: section 4 (the browser), measured against its target.
if (options.targets) {
  const lines = [];
  const add = (benchmark, baseline, ratio, limit, atLeast) => {
    const holds = atLeast ? ratio >= limit : ratio <= limit;
    lines.push([4, benchmark, baseline, ratio.toFixed(3), `${atLeast ? '>=' : '<='} ${limit}`, holds ? 'holds' : 'FAILS'].join('\t'));
  };
  for (const row of rows) {
    const { target = {}, name } = row.scene;
    const at = `load ${fmt(row.loadavg, 2)}`;
    if (target.fps) add(`page orbit, ${name}`, `${target.fps} fps (${at})`, row.fps / target.fps, 1, true);
    if (target.latencyMs) add(`page ${name}: input to paint`, `${target.latencyMs} ms (${at})`, row.latencyMs / target.latencyMs, 1, false);
    if (target.loadMs) add(`page load to painted views, ${name}`, `${target.loadMs} ms (${at})`, row.loadMs / target.loadMs, 1, false);
    if (target.stepBytes) add(`page orbit step bytes, ${name}`, `${target.stepBytes} B (${at})`, row.bytesPerStep / target.stepBytes, 1, false);
  }
  appendFileSync(options.targets, `${lines.join('\n')}\n`);
}
