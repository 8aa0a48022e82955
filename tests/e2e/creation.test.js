// Working in the browser host with the mouse: creating field viewers (the drag sets the
// size, short drags and Escape create nothing, the lattice shows only while dragging),
// selecting, moving a field and changing the frame.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { frameOf, launchBrowser, settled, stateOf, viewBox, withScenePage } from './support.js';

// A scene with a top view 20 units across, so pixels convert to scene units exactly,
// and a field viewer listing a spherical gravity that moves from x = 6 to x = -6 over
// the first 50 frames.
const TOP_WIDTH = 20;
const SCENE = {
  zentrographScene: 1,
  nodes: [
    { name: 'Viewer', class: 'Zentrograph', position: [0, -7, 0],
      params: { sizeX: 8, sizeY: 4, resolutionX: 9, resolutionY: 5, forceNodes: ['Pull'] } },
    { name: 'Pull', class: 'Gravity', params: { spherical: true },
      position: { keys: [[0, [6, 0, 0]], [50, [-6, 0, 0]]] } },
  ],
  viewports: [
    { name: 'Persp', projection: 'perspective', eye: [14, -18, 12], target: [0, 0, 0] },
    { name: 'Top', projection: 'top', center: [0, 0, 0], width: TOP_WIDTH },
  ],
};

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const withPage = (name, body) => withScenePage(browser, name, SCENE, [], body);

async function startCreating(page, className) {
  await page.getByRole('button', { name: className, exact: true }).click();
  await settled(page);
  assert.equal((await stateOf(page)).create, className);
}

// Presses at `from` in view `index` (pixels of its canvas) and moves to `to`.
async function press(page, index, from, to) {
  const box = await viewBox(page, index);
  await page.mouse.move(box.x + from[0], box.y + from[1]);
  await page.mouse.down();
  await page.mouse.move(box.x + to[0], box.y + to[1], { steps: 8 });
  await settled(page);
  return box;
}

async function release(page) {
  await page.mouse.up();
  await settled(page);
}

const nodeNames = async (page) => (await stateOf(page)).nodes.map((n) => n.name);
const polylinesOf = (frame, node) => frame.items.filter((i) => i.node === node && i.kind === 'polyline').length;

test('a 100-pixel drag in the top view makes a helper as wide as the drag in scene units', async () => {
  await withPage('drag creates a helper', async (page, server) => {
    await startCreating(page, 'Zentrograph');
    const box = await press(page, 1, [200, 200], [300, 200]);
    await release(page);
    const state = await stateOf(page);
    const created = state.nodes.find((n) => n.name === 'Zentrograph01');
    assert.ok(created, `nodes: ${state.nodes.map((n) => n.name)}`);
    assert.ok(created.selected);

    await page.getByRole('button', { name: 'Save', exact: true }).click();
    await settled(page);
    const saved = JSON.parse(readFileSync(path.join(server.folder, 'scene.json'), 'utf8'));
    const params = saved.nodes.find((n) => n.name === 'Zentrograph01').params;
    // Half the lattice's width is the drag: 100 pixels of a view TOP_WIDTH units across.
    const expected = 2 * 100 * (TOP_WIDTH / box.width);
    assert.ok(Math.abs(params.sizeX - expected) < 1e-3 * expected, `sizeX ${params.sizeX}, expected ${expected}`);
    assert.equal(params.sizeY, params.sizeX);
    assert.equal(params.displayLattice, false);
  });
});

test('short drags and Escape create nothing, and the lattice shows only during the drag', async () => {
  await withPage('nothing created', async (page) => {
    await startCreating(page, 'Zentrograph');
    const before = await nodeNames(page);

    await press(page, 1, [200, 200], [202, 200]);
    await release(page);
    assert.deepEqual(await nodeNames(page), before, 'a 2-pixel drag');

    await press(page, 1, [150, 150], [260, 190]);
    assert.deepEqual(await nodeNames(page), [...before, 'Zentrograph01']);
    const during = polylinesOf(await frameOf(page, 1), 'Zentrograph01');
    await page.keyboard.press('Escape');
    await settled(page);
    await release(page);
    assert.deepEqual(await nodeNames(page), before, 'Escape during the drag');

    await press(page, 1, [150, 150], [260, 190]);
    await release(page);
    const afterwards = polylinesOf(await frameOf(page, 1), 'Zentrograph01');
    assert.ok(during > afterwards, `lattice lines during the drag ${during}, after it ${afterwards}`);
    assert.ok(afterwards >= 1, 'the box is still drawn');
  });
});

test('a click selects; moving a listed field and changing the frame turn its arrows', async () => {
  await withPage('select, move and time', async (page) => {
    const box = await viewBox(page, 1);
    const scale = box.width / TOP_WIDTH;  // pixels per scene unit
    const pull = [box.width / 2 + 6 * scale, box.height / 2];
    await page.mouse.click(box.x + pull[0], box.y + pull[1]);
    await settled(page);
    const selected = (await stateOf(page)).nodes.filter((n) => n.selected).map((n) => n.name);
    assert.deepEqual(selected, ['Pull']);

    const arrows = async () => JSON.stringify((await frameOf(page, 1)).items.filter(
      (i) => i.node === 'Viewer' && i.kind === 'segments'));
    const before = await arrows();
    await press(page, 1, pull, [pull[0], pull[1] - 3 * scale]);
    await release(page);
    const moved = await arrows();
    assert.notEqual(moved, before, 'moving the field');

    await page.locator('#frame-number').fill('25');
    await page.locator('#frame-number').press('Enter');
    await settled(page);
    assert.equal((await stateOf(page)).frame, 25);
    assert.notEqual(await arrows(), moved, 'changing the frame');
  });
});
