// The page's keys and cues: playing and stepping from the keyboard outside text fields,
// Ctrl+S from anywhere, the frame box and rollout fields showing what the host keeps,
// the busy and loading cues, leaving with unsaved changes, a server started again, and
// the rollouts' tooltips.
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { keepFailure, launchBrowser, openPage, settled, startServer, stateOf, withScenePage } from './support.js';

const SCENE = {
  zentrographScene: 1,
  frames: [0, 100],
  nodes: [{ name: 'Viewer', class: 'Zentrograph', params: { sizeX: 6, sizeY: 6, resolutionX: 7, resolutionY: 7 } }],
};

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const frame = async (page) => (await stateOf(page)).frame;
const field = (page, id) => page.locator(`#rollouts [data-id="${id}"]`);

async function selectViewer(page) {
  await page.locator('#node-list li', { hasText: 'Viewer' }).click();
  await page.locator('.tabs button[data-tab="modify"]').click();
  await settled(page);
}

// Holds every message of the host back by `ms` while window.__slow is set.
function slowHost(ms) {
  return `window.__slow = true; (() => {
    const Native = window.WebSocket;
    window.WebSocket = class extends Native {
      set onmessage(handler) {
        super.onmessage = (e) => (window.__slow ? setTimeout(() => handler(e), ${ms}) : handler(e));
      }
    };
  })();`;
}

test('keys play, step and jump outside text fields; Ctrl+S saves from a field and holds the browser back', async () => {
  await withScenePage(browser, 'page keys', SCENE, [], async (page, server) => {
    await page.locator('#status').click();
    const steps = [
      // key, the frame after it
      ['End', 100], ['ArrowLeft', 99], ['Home', 0], ['ArrowRight', 1], ['ArrowRight', 2], ['ArrowLeft', 1],
    ];
    for (const [key, expected] of steps) {
      await page.keyboard.press(key);
      await settled(page);
      assert.equal(await frame(page), expected, key);
    }
    await page.keyboard.press(' ');
    await page.waitForFunction(() => window.__zentrograph.state().frame > 3);
    await page.keyboard.press(' ');
    await settled(page);
    const stopped = await frame(page);
    await page.waitForTimeout(300);
    await settled(page);
    assert.equal(await frame(page), stopped, 'Space stops playing');

    await page.keyboard.press('Home');
    await selectViewer(page);
    for (const key of ['End', 'ArrowRight', ' ']) {
      await field(page, 1490).focus();
      await page.keyboard.press(key);
      await page.locator('#frame-number').focus();
      await page.keyboard.press(key);
    }
    await settled(page);
    assert.equal(await frame(page), 0, 'keys in text fields are typing');

    await field(page, 1490).fill('5');
    await field(page, 1490).press('Enter');
    await settled(page);
    assert.equal((await stateOf(page)).unsaved, true);
    await field(page, 1491).focus();
    await page.evaluate(() => {
      window.__saveKey = null;
      window.addEventListener('keydown', (e) => { if (e.key === 's') window.__saveKey = e.defaultPrevented; }, true);
    });
    await page.keyboard.press('Control+s');
    assert.equal(await page.evaluate(() => window.__saveKey), true, "the browser's own Ctrl+S is held back");
    await settled(page);
    assert.equal((await stateOf(page)).unsaved, false);
    assert.ok(existsSync(path.join(server.folder, 'scene.json.bak')), 'saved over the scene');
  });
});

test('the frame box and a clamped field show what the host keeps; controls show their ranges', async () => {
  await withScenePage(browser, 'fields show the stored value', SCENE, [], async (page) => {
    const box = page.locator('#frame-number');
    await box.fill('40');
    await box.press('Enter');
    await settled(page);
    for (const text of ['150', '-5', '2.5']) {
      await box.fill(text);
      await box.press('Enter');
      await settled(page);
      assert.equal(await frame(page), 40, text);
      assert.equal(await box.inputValue(), '40', `the box goes back after ${text}`);
      assert.match(await page.locator('#banner-text').textContent(), new RegExp(`"${text.replace('.', '\\.')}" is not a whole frame from 0 to 100`));
    }
    await selectViewer(page);
    for (const text of ['-4', '-5']) {
      await field(page, 1490).fill(text);
      await field(page, 1490).press('Enter');
      await settled(page);
      assert.equal(await field(page, 1490).inputValue(), '0.0', `${text} is clamped`);
    }
    const titles = await page.locator('#rollouts .rollout-body > *').evaluateAll((all) => all.map((e) => e.title));
    assert.ok(titles.every(Boolean), 'every control has a tooltip');
    assert.match(await field(page, 1490).getAttribute('title'), /from 0 to /);
    assert.match(await field(page, 1491).getAttribute('title'), /from \d+ to \d+, whole numbers/);
  });
});

test('a slow host shows the busy cue, the first load its loading cue; unsaved changes ask before leaving', async () => {
  await withScenePage(browser, 'busy and loading', SCENE, [], async (page) => {
    await page.evaluate(() => { window.__slow = true; });
    await page.locator('#node-list li', { hasText: 'Viewer' }).click();
    await page.waitForSelector('#busy:not([hidden])', { timeout: 2000 });
    await settled(page);
    assert.equal(await page.locator('#busy').isHidden(), true);
    await page.evaluate(() => { window.__slow = false; });
    const again = await page.context().newPage();
    await again.addInitScript({ content: slowHost(800) });
    await again.goto(page.url());
    await again.waitForSelector('#loading:not([hidden])', { timeout: 2000 });
    await again.waitForSelector('#loading[hidden]', { state: 'attached' });
    await again.close();

    await page.keyboard.press('Delete');
    await settled(page);
    assert.equal((await stateOf(page)).unsaved, true);
    const asks = () => page.evaluate(() => {
      const leaving = new Event('beforeunload', { cancelable: true });
      window.dispatchEvent(leaving);
      return leaving.defaultPrevented;
    });
    assert.equal(await asks(), true, 'unsaved changes ask before the tab closes');
    await page.keyboard.press('Control+s');
    await settled(page);
    assert.equal(await asks(), false, 'a saved scene lets the tab close');
  }, { init: { content: slowHost(400) } });
});

test('a page whose server was started again says so instead of retrying for good', async () => {
  let server = await startServer([]);
  let page;
  try {
    page = await openPage(browser, server);
    const port = Number(new URL(server.origin).port);
    await server.stop();
    server = await startServer([], { port });
    await page.waitForFunction(() => document.querySelector('#connection').textContent === 'the server was restarted');
    assert.match(await page.locator('#banner-text').textContent(), /open the new address/);
  } catch (e) {
    await keepFailure(page, 'server started again');
    throw e;
  } finally {
    await page?.context().close();
    await server.stop();
  }
});
