// Shared pieces of the browser tests: a `zentrograph serve` of its own for each test,
// Debian's chromium driven by playwright-core, and what the page shows.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const buildDir = process.env.ZENTROGRAPH_BUILD_DIR || path.resolve(here, '../../build');
export const program = path.join(buildDir, 'bin', 'zentrograph');
const failureDir = path.join(buildDir, 'e2e-failures');

// Starts `zentrograph serve` with `args` in a fresh folder, on `port` (0: a free one);
// resolves once it prints its address.
export async function startServer(args = [], { cwd, port = 0 } = {}) {
  const folder = cwd || mkdtempSync(path.join(tmpdir(), 'zentrograph-e2e-'));
  const child = spawn(program, ['serve', '--port', String(port), ...args], { cwd: folder, stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  let errors = '';
  child.stderr.on('data', (d) => { errors += d; });
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`serve printed no address: ${output}${errors}`)), 15000);
    child.stdout.on('data', (d) => {
      output += d;
      const match = output.match(/http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]+/);
      if (match) { clearTimeout(timer); resolve(match[0]); }
    });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(`serve exited with ${code}: ${errors}`)); });
  });
  const origin = new URL(url).origin;
  return {
    url, origin, folder, child,
    token: new URL(url).searchParams.get('token'),
    output: () => output,
    errors: () => errors,
    async stop() {
      if (child.exitCode !== null) return child.exitCode;
      const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
      child.kill('SIGINT');
      const code = await exited;
      if (!cwd) rmSync(folder, { recursive: true, force: true });
      return code;
    },
  };
}

export async function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
}

// A page of its own open on the server, once it has drawn both views; `init`, if
// given, runs in the page before the page's own script.
export async function openPage(browser, server, { width = 1400, height = 860, init } = {}) {
  const context = await browser.newContext({ viewport: { width, height } });
  if (init) await context.addInitScript(init);
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  await page.goto(server.url);
  await page.waitForFunction(() => document.querySelector('#connection')?.textContent === 'connected');
  await settled(page);
  page.problems = problems;
  return page;
}

// Waits until the page has nothing in flight and has drawn what it last heard.
export async function settled(page) {
  await page.waitForTimeout(50);
  await page.waitForFunction(() => window.__zentrograph && window.__zentrograph.idle());
}

// What view `index` last drew, for tests: items with their node names and points.
export async function frameOf(page, index) {
  return page.evaluate((i) => window.__zentrograph.frame(i), index);
}

export async function stateOf(page) {
  return page.evaluate(() => window.__zentrograph.state());
}

// The box of view `index`'s canvas in page pixels.
export async function viewBox(page, index) {
  return page.locator(`.viewport[data-view="${index}"] canvas`).boundingBox();
}

// Keeps a screenshot of a failed test under the build folder.
export async function keepFailure(page, name) {
  if (!page) return;
  mkdirSync(failureDir, { recursive: true });
  const file = path.join(failureDir, `${name.replace(/[^A-Za-z0-9]+/g, '-')}.png`);
  await page.screenshot({ path: file }).catch(() => {});
  return file;
}

// Runs `body(page, server)` against a server of its own started on `scene` (written
// to scene.json in a fresh folder) with `args`; fails on any error in the page, keeps
// a screenshot when the test fails, and expects the server to stop cleanly.
export async function withScenePage(browser, name, scene, args, body, pageOptions = {}) {
  const folder = mkdtempSync(path.join(tmpdir(), 'zentrograph-e2e-'));
  writeFileSync(path.join(folder, 'scene.json'), JSON.stringify(scene));
  const server = await startServer(['scene.json', ...args], { cwd: folder });
  let page;
  try {
    page = await openPage(browser, server, pageOptions);
    await body(page, server);
    assert.deepEqual(page.problems, []);
  } catch (e) {
    await keepFailure(page, name);
    throw e;
  } finally {
    await page?.context().close();
    assert.equal(await server.stop(), 0);
    rmSync(folder, { recursive: true, force: true });
  }
}
