// The page draws the views itself: its pictures are render's, on WebGL2 and on a 2D
// canvas; an orbit moves the view in the page, the host picks with the page's camera,
// and only drawing that looks at the view is sent again.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { agreement, readPng } from './pictures.js';
import { frameOf, launchBrowser, program, settled, stateOf, viewBox, withScenePage } from './support.js';

const SCENE = {
  zentrographScene: 1,
  nodes: [
    { name: 'Viewer', class: 'Zentrograph',
      params: { sizeX: 8, sizeY: 6, sizeZ: 2, resolutionX: 9, resolutionY: 7, resolutionZ: 2, vectorScale: 6,
                displayVectorBases: true, displayLattice: true, forceNodes: ['Pull'] } },
    { name: 'Pull', class: 'Gravity', position: [5, 2, 1], params: { spherical: true }, wireColor: '#c792ea' },
  ],
  viewports: [
    { name: 'Persp', projection: 'perspective', eye: [14, -18, 12], target: [0, 0, 0] },
    { name: 'Top', projection: 'top', center: [0, 0, 0], width: 20 },
  ],
};

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

// Logs the id of every drawing part the page receives.
function logParts() {
  window.__parts = [];
  const Native = window.WebSocket;
  window.WebSocket = class extends Native {
    constructor(...args) {
      super(...args);
      this.addEventListener('message', (e) => {
        if (typeof e.data !== 'string') window.__parts.push(new Uint32Array(e.data, 0, 2)[1]);
      });
    }
  };
}

// A browser without WebGL2.
function noWebGl2() {
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
  };
}

const parts = (page) => page.evaluate(() => window.__parts.splice(0));

function render(server, args) {
  const run = spawnSync(program, ['render', 'scene.json', ...args], { cwd: server.folder, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
}

async function pagePicture(page, index) {
  const url = await page.evaluate((i) => window.__zentrograph.picture(i), index);
  return readPng(Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
}

// Render's picture of `view` at the page's size: its label and axes at the top, its
// caption at the bottom and its border are left out of comparisons.
async function renderPicture(page, server, view, box) {
  const out = `${view}.png`;
  render(server, ['--view', view, '--size', `${box.width}x${box.height}`, '-o', out]);
  return readPng(readFileSync(path.join(server.folder, out)));
}

// The share of the pixels around the viewer's markers in `view` on which the page's
// picture and render's agree: the marker shapes, apart from the lines.
function markerAgreement(server, view, box, picture, rendered) {
  render(server, ['--view', view, '--size', `${box.width}x${box.height}`, '-o', `${view}.json`]);
  const markers = JSON.parse(readFileSync(path.join(server.folder, `${view}.json`), 'utf8')).items
    .filter((i) => i.node === 'Viewer' && i.marker).map((i) => i.marker.at);
  assert.ok(markers.length > 20, `${view} shows the viewer's markers`);
  const shares = markers.map(([x, y]) => agreement(picture, rendered, {
    left: Math.round(x) - 5, top: Math.round(y) - 5, right: Math.round(x) + 6, bottom: Math.round(y) + 6 }));
  return shares.reduce((a, b) => a + b, 0) / shares.length;
}

const region = (box) => ({ left: 2, top: 34, right: box.width - 2, bottom: box.height - 26 });
const skip = (box) => [{ left: box.width - 64, top: 0, right: box.width, bottom: 64 }];

for (const kind of ['webgl2', '2d']) {
  test(`on ${kind}, the page's pictures of both views are render's, the selection shown from the page's own records`, async () => {
    await withScenePage(browser, `pictures on ${kind}`, SCENE, [], async (page, server) => {
      assert.equal(await page.evaluate(() => window.__zentrograph.drawingKind(0)), kind);
      await parts(page);
      await page.locator('#node-list li', { hasText: 'Pull' }).click();
      await settled(page);
      assert.deepEqual(await parts(page), [], 'selecting sends no drawing');
      await page.getByRole('button', { name: 'Save', exact: true }).click();
      await settled(page);
      const shown = [];
      for (const [index, view] of [[0, 'Persp'], [1, 'Top']]) {
        const box = await viewBox(page, index);
        const picture = await pagePicture(page, index);
        const rendered = await renderPicture(page, server, view, box);
        const share = agreement(picture, rendered, region(box), skip(box));
        assert.ok(share > 0.99, `${view}: ${(share * 100).toFixed(2)}% of the pixels agree`);
        const markers = markerAgreement(server, view, box, picture, rendered);
        assert.ok(markers > 0.99, `${view}: ${(markers * 100).toFixed(2)}% of the pixels around markers agree`);
        shown.push({ picture, box });
      }
      // A picture of something else does not pass.
      const other = agreement(shown[0].picture, await renderPicture(page, server, 'Top', shown[0].box),
                              region(shown[0].box), skip(shown[0].box));
      assert.ok(other < 0.95, `another view agrees on ${(other * 100).toFixed(2)}%`);
    }, { init: kind === '2d' ? { content: `(${logParts})(); (${noWebGl2})();` } : logParts });
  });
}

test('an orbit moves the view in the page; the host picks with its camera and redraws only what looks at the view', async () => {
  await withScenePage(browser, 'orbit in the page', SCENE, [], async (page, server) => {
    const top = JSON.stringify(await frameOf(page, 1));
    const box = await viewBox(page, 0);
    await parts(page);
    await page.mouse.move(box.x + 300, box.y + 300);
    await page.mouse.down({ button: 'right' });
    await page.mouse.move(box.x + 180, box.y + 380, { steps: 12 });
    await page.mouse.up({ button: 'right' });
    await settled(page);
    const sent = await parts(page);
    assert.equal(new Set(sent).size, 1, `one chunk, the viewer's drawing after it looked at the view: ${sent}`);
    assert.equal(JSON.stringify(await frameOf(page, 1)), top, 'the other view is untouched');

    // The markers the page shows are where, and what, the host draws for its camera.
    await page.keyboard.press('Control+s');
    await settled(page);
    render(server, ['--view', 'Persp', '--size', `${box.width}x${box.height}`, '-o', 'persp.json']);
    const host = JSON.parse(readFileSync(path.join(server.folder, 'persp.json'), 'utf8')).items
      .filter((i) => i.node === 'Viewer' && i.marker).map((i) => [i.marker.code, ...i.marker.at]);
    const shown = (await frameOf(page, 0)).items.filter((i) => i.node === 'Viewer' && i.kind === 'markers')
      .flatMap((i) => Array.from({ length: i.points.length / 2 }, (_, k) => [i.code, i.points[2 * k], i.points[2 * k + 1]]));
    assert.equal(shown.length, host.length);
    const order = (a, b) => a[1] - b[1] || a[2] - b[2];
    host.sort(order);
    shown.sort(order).forEach((m, k) => {
      assert.equal(m[0], host[k][0], `marker ${k}'s code`);
      assert.ok(Math.abs(m[1] - host[k][1]) < 1e-3 && Math.abs(m[2] - host[k][2]) < 1e-3, `marker ${k}: ${m} ${host[k]}`);
    });
    const share = agreement(await pagePicture(page, 0), await renderPicture(page, server, 'Persp', box), region(box),
                            skip(box));
    assert.ok(share > 0.99, `after the orbit, ${(share * 100).toFixed(2)}% of the pixels agree`);

    // A click on the gravity's icon, where the page shows it, picks it.
    const icon = (await frameOf(page, 0)).items.find((i) => i.node === 'Pull' && i.kind === 'polyline');
    await page.mouse.click(box.x + icon.points[0], box.y + icon.points[1]);
    await settled(page);
    assert.deepEqual((await stateOf(page)).nodes.filter((n) => n.selected).map((n) => n.name), ['Pull']);
  }, { init: logParts });
});
