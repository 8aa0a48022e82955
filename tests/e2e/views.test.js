// The browser host's views as a 3D package has them: laid out at their real size, four
// for a new scene, layouts of one, two and four views, the label menu's projections and
// framing, and the page's keys and cues.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { readPng } from './pictures.js';
import { keepFailure, launchBrowser, openPage, settled, startServer, stateOf, withScenePage } from './support.js';

const QUAD = {
  zentrographScene: 1,
  frames: [0, 100],
  nodes: [
    { name: 'Viewer', class: 'Zentrograph', params: { sizeX: 6, sizeY: 6, resolutionX: 5, resolutionY: 5, forceNodes: ['Pull'] } },
    { name: 'Pull', class: 'Gravity', position: [5, 0, 0], params: { spherical: true } },
  ],
  viewports: [
    { name: 'Top', projection: 'top', center: [0, 0, 0], width: 20 },
    { name: 'Front', projection: 'front', center: [0, 0, 0], width: 20 },
    { name: 'Left', projection: 'left', center: [0, 0, 0], width: 20 },
    { name: 'Persp', projection: 'perspective', eye: [14, -18, 12], target: [0, 0, 0] },
  ],
};

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

// Each shown view: its box, its canvas's pixel size and how many colours its picture has.
async function shownViews(page) {
  const views = await page.evaluate(() => [...document.querySelectorAll('.viewport')].map((root) => ({
    view: Number(root.dataset.view), hidden: root.hidden, label: root.querySelector('.label').textContent,
    box: [root.clientWidth, root.clientHeight], canvas: [root.querySelector('canvas').width, root.querySelector('canvas').height],
  })));
  const shown = views.filter((v) => !v.hidden);
  for (const v of shown) {
    const url = await page.evaluate((i) => window.__zentrograph.picture(i), v.view);
    const png = readPng(Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
    const colours = new Set();
    for (let i = 0; i < png.rgba.length; i += 4 * 7) colours.add(png.rgba.readUInt32BE(i));
    v.colours = colours.size;
  }
  return shown;
}

const projections = async (page) => (await stateOf(page)).views.map((v) => [v.name, v.projection]);

// Keeps the view sizes the page last told the host: its hello's, then each resize.
function logSizes() {
  window.__sizes = [];
  const Native = window.WebSocket;
  window.WebSocket = class extends Native {
    send(data) {
      const m = JSON.parse(data);
      if (m.type === 'hello') window.__sizes = m.views.map((v) => [v.width, v.height]);
      if (m.type === 'resize') window.__sizes[m.view] = [m.width, m.height];
      return super.send(data);
    }
  };
}

test('a four-view scene opens with every view drawn, and told to the host, at its laid-out size', async () => {
  await withScenePage(browser, 'four views at their size', QUAD, [], async (page) => {
    const views = await shownViews(page);
    const told = await page.evaluate(() => window.__sizes);
    assert.deepEqual(views.map((v) => v.label), ['Top', 'Front', 'Left', 'Persp']);
    for (const v of views) {
      assert.ok(v.box[0] > 200 && v.box[1] > 150, `${v.label} is laid out: ${v.box}`);
      assert.deepEqual(v.canvas, v.box, `${v.label}'s canvas has its box's pixels`);
      assert.deepEqual(told[v.view], v.box, `the host draws ${v.label} for its size`);
      assert.ok(v.colours > 8, `${v.label} shows a picture, not a fill (${v.colours} colours)`);
    }
  }, { init: logSizes });
});

test('a new scene shows Top, Front, Left and Perspective', async () => {
  const server = await startServer([]);
  let page;
  try {
    page = await openPage(browser, server);
    assert.deepEqual(await projections(page),
      [['Top', 'top'], ['Front', 'front'], ['Left', 'left'], ['Perspective', 'perspective']]);
    assert.equal((await shownViews(page)).length, 4);
  } catch (e) {
    await keepFailure(page, 'new scene four views');
    throw e;
  } finally {
    await page?.context().close();
    await server.stop();
  }
});

test('layouts show one, two or four views; Alt+W and a double click maximise and give the layout back', async () => {
  await withScenePage(browser, 'layouts', QUAD, [], async (page) => {
    const labels = async () => (await shownViews(page)).map((v) => v.label);
    const layout = (n) => () => page.locator(`#layouts [data-layout="${n}"]`).click();
    const label = (v) => () => page.locator(`.viewport[data-view="${v}"] .label`).dblclick();
    const all = ['Top', 'Front', 'Left', 'Persp'];
    const steps = [
      // what is done, the views shown after it
      [layout(2), ['Top', 'Front']],
      [layout(4), all],
      [() => page.locator('.viewport[data-view="3"] canvas').click({ position: { x: 5, y: 60 } }), all],
      [layout(2), ['Left', 'Persp']],
      [layout(4), all],
      [() => page.keyboard.press('Alt+w'), ['Persp']],
      [() => page.keyboard.press('Alt+w'), all],
      [label(1), ['Front']],
      [label(1), all],
      [layout(1), ['Front']],
    ];
    for (const [act, shown] of steps) {
      await act();
      await settled(page);
      const views = await shownViews(page);
      assert.deepEqual(views.map((v) => v.label), shown);
      for (const v of views) assert.deepEqual(v.canvas, v.box, `${v.label} is drawn at its size`);
    }
  });
});

test('the label menu switches projections and frames; Z and Shift+Z frame the active view', async () => {
  await withScenePage(browser, 'label menu', QUAD, [], async (page) => {
    const choose = async (view, entry) => {
      await page.locator(`.viewport[data-view="${view}"] .label`).click();
      await page.locator('.view-menu button', { hasText: entry }).first().click();
      await settled(page);
    };
    const cases = [
      // view, menu entry, its name and projection after it
      [0, 'Bottom', ['Bottom', 'bottom']],
      [1, 'Back', ['Back', 'back']],
      [2, 'Right', ['Right', 'right']],
      [0, 'Perspective', ['Perspective', 'perspective']],
      [3, 'Top', ['Top', 'top']],
      [3, 'Back', ['Top', 'back']],  // the name "Back" is view 1's
    ];
    for (const [view, entry, expected] of cases) {
      await choose(view, entry);
      assert.deepEqual((await projections(page))[view], expected, `${entry} in view ${view}`);
    }
    const width = async (view) => (await stateOf(page)).views[view].camera.width;
    // Zoom extents frames the whole scene; frame selected the gravity's icon alone.
    await choose(1, 'Zoom Extents');
    const extents = await width(1);
    await page.locator('#node-list li', { hasText: 'Pull' }).click();
    await settled(page);
    await page.keyboard.press('z');
    await settled(page);
    assert.ok(await width(1) < extents / 2, `frame selected: ${await width(1)} of ${extents}`);
    await page.keyboard.press('Shift+Z');
    await settled(page);
    assert.equal(await width(1), extents);
    // The wheel keeps the view within the scene's zoom range.
    const [least, most] = (await stateOf(page)).zoomRange;
    const box = await page.locator('.viewport[data-view="1"] canvas').boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    for (const [dy, bound] of [[-20000, least], [40000, most]]) {
      for (let i = 0; i < 12; i++) await page.mouse.wheel(0, dy / 12);
      await settled(page);
      assert.ok(Math.abs(await width(1) - bound) < bound * 1e-6, `zoomed to ${await width(1)}, bound ${bound}`);
    }
    assert.ok(least > 0.01 && most < 1e5, `a range for this scene: ${least} to ${most}`);
  });
});
