// Editing in the browser host as an artist works: every step undoes and redoes from the
// keyboard and the top bar, Delete acts only where it should, picking reaches a field
// inside a viewer, and the Modify tab types names, colours and transforms.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launchBrowser, settled, stateOf, viewBox, withScenePage } from './support.js';

const TOP_WIDTH = 20;
const SCENE = {
  zentrographScene: 1,
  nodes: [
    { name: 'Viewer', class: 'Zentrograph', params: { sizeX: 10, sizeY: 10, displayLattice: true, forceNodes: ['Pull'] } },
    { name: 'Pull', class: 'Gravity' },
  ],
  viewports: [{ name: 'Top', projection: 'top', center: [0, 0, 0], width: TOP_WIDTH }],
};

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const withPage = (name, body) => withScenePage(browser, name, SCENE, [], body);
const status = (page) => page.locator('#status').textContent();
const nodes = async (page) => (await stateOf(page)).nodes.map((n) => n.name);
const selected = async (page) => (await stateOf(page)).nodes.filter((n) => n.selected).map((n) => n.name);

// A scene point (x, y) of the top view in page pixels.
async function topPoint(page, x, y) {
  const box = await viewBox(page, 0);
  const scale = box.width / TOP_WIDTH;
  return [box.x + box.width / 2 + x * scale, box.y + box.height / 2 - y * scale];
}

async function drag(page, from, to) {
  await page.mouse.move(...await topPoint(page, ...from));
  await page.mouse.down();
  await page.mouse.move(...await topPoint(page, ...to), { steps: 4 });
  await page.mouse.up();
  await settled(page);
}

async function click(page, x, y) {
  await page.mouse.click(...await topPoint(page, x, y));
  await settled(page);
}

// Selects a node from the scene list of the Create tab.
async function choose(page, name) {
  await page.locator('.tabs button[data-tab="create"]').click();
  await page.locator('#node-list li', { hasText: name }).click();
  await settled(page);
}

async function key(page, combo) {
  await page.keyboard.press(combo);
  await settled(page);
}

test('creation, moves, renames and deletions undo and redo step by step', async () => {
  await withPage('undo everything', async (page) => {
    const position = async (name) => (await stateOf(page)).panel.node?.name === name && (await stateOf(page)).panel.node.position;
    const point = page.locator('#class-list button', { hasText: 'Point' });
    await point.click();
    await point.click();   // a second click stays in create mode
    await settled(page);
    assert.equal((await stateOf(page)).create, 'Point');
    await drag(page, [-6, -6], [-5, -6]);
    await page.locator('#select-tool').click();
    await settled(page);
    await drag(page, [-6, -6], [-6, -3]);   // Point01 three units up
    await page.locator('.tabs button[data-tab="modify"]').click();
    await page.locator('#node-name').fill('Marker');
    await page.locator('#node-name').press('Enter');
    await settled(page);
    await choose(page, 'Pull');
    await key(page, 'Delete');
    assert.deepEqual(await nodes(page), ['Viewer', 'Marker']);
    assert.equal(await page.locator('#undo').getAttribute('title'), 'Undo Delete Pull (Ctrl+Z)');

    const expected = [
      ['Viewer', 'Pull', 'Marker'], ['Viewer', 'Pull', 'Point01'], ['Viewer', 'Pull', 'Point01'], ['Viewer', 'Pull'],
    ];
    for (const names of expected) {
      await key(page, 'Control+z');
      assert.deepEqual(await nodes(page), names, await status(page));
    }
    await key(page, 'Control+z');
    assert.equal(await status(page), 'Nothing to undo');
    assert.equal(await page.locator('#undo').isDisabled(), true);
    await key(page, 'Control+y');
    await key(page, 'Control+Shift+z');
    await choose(page, 'Point01');
    assert.deepEqual((await position('Point01')).map((v) => Math.round(v)), [-6, -3, 0]);
    await page.locator('#redo').click();
    await page.locator('#redo').click();
    await settled(page);
    assert.deepEqual(await nodes(page), ['Viewer', 'Marker']);
    // The deleted field came back into the viewer's list on undo and left it again.
    assert.match(await status(page), /Redo Delete Pull/);
  });
});

test('Delete in a node list removes its entry, never the viewer, and picking reaches the field inside it', async () => {
  await withPage('delete and pick', async (page) => {
    await page.mouse.move(...await topPoint(page, 0, 0));
    await page.waitForFunction(() => window.__zentrograph.state().hover === 'Pull');  // the node a click would take is lit
    await settled(page);
    for (const expected of ['Pull', 'Viewer', 'Pull']) {
      await click(page, 0, 0);
      assert.deepEqual(await selected(page), [expected]);
    }
    await drag(page, [0, 0], [2, 0]);   // the selected field moves, not the viewer
    assert.match(await status(page), /Moved Pull/);
    await choose(page, 'Viewer');
    await page.locator('.tabs button[data-tab="modify"]').click();
    const list = page.locator('#rollouts [data-id="1009"]');
    await list.locator('div', { hasText: 'Pull' }).click();
    await settled(page);
    await key(page, 'Delete');
    assert.deepEqual(await list.locator('div').allTextContents(), []);
    assert.deepEqual(await nodes(page), ['Viewer', 'Pull']);
    await choose(page, 'Viewer');
    await key(page, 'Backspace');        // focus on the scene list: nothing is deleted
    assert.deepEqual(await nodes(page), ['Viewer', 'Pull']);
  });
});

test('the rotate and scale tools turn and size the selection, constrained by key, and undo', async () => {
  await withPage('tools', async (page) => {
    await choose(page, 'Pull');
    await key(page, 'e');
    await drag(page, [0, 0], [2, 0]);   // a top view turns about Z
    const turned = (await stateOf(page)).panel.node.rotation;
    assert.equal(turned[0], 0);
    assert.ok(turned[2] > 10, `turned by ${turned[2]}`);
    await key(page, 'r');
    await key(page, 'F5');
    assert.equal((await stateOf(page)).axes, 'x');
    assert.equal(await page.locator('[data-axes="x"]').getAttribute('class'), 'active');
    await drag(page, [0, 0], [3, 0]);
    const scale = (await stateOf(page)).panel.node.scale;
    assert.ok(scale[0] > 1.5 && scale[1] === 1 && scale[2] === 1, `scaled to ${scale}`);
    await key(page, 'Control+z');
    await key(page, 'Control+z');
    assert.deepEqual((await stateOf(page)).panel.node.rotation, [0, 0, 0]);
    assert.deepEqual((await stateOf(page)).panel.node.scale, [1, 1, 1]);
  });
});

test('the Modify tab types a transform and a wire colour and refuses a taken name', async () => {
  await withPage('typed transforms', async (page) => {
    await choose(page, 'Pull');
    await page.locator('.tabs button[data-tab="modify"]').click();
    const color = (await stateOf(page)).panel.node.color;
    const rotation = page.locator('#node-edit [data-channel="rotation"] input');
    await rotation.nth(2).fill('45');
    await rotation.nth(2).press('Enter');
    await settled(page);
    assert.deepEqual((await stateOf(page)).panel.node.rotation, [0, 0, 45]);
    await page.locator('#node-color').evaluate((input) => {
      input.value = '#ff8000';
      input.dispatchEvent(new Event('change'));
    });
    await settled(page);
    assert.equal((await stateOf(page)).panel.node.color, '#ff8000');
    await page.locator('#node-name').fill('Viewer');
    await page.locator('#node-name').press('Enter');
    await settled(page);
    assert.match(await page.locator('#banner-text').textContent(), /another node is named "Viewer" already/);
    assert.equal(await page.locator('#node-name').inputValue(), 'Pull');
    await key(page, 'Control+z');
    assert.equal((await stateOf(page)).panel.node.color, color);
    assert.match(await status(page), /Undo Wire Colour of Pull/);
  });
});

test('a rectangle drag shows its band over the view while held and selects what it encloses', async () => {
  await withPage('rectangle selection', async (page) => {
    const band = () => page.evaluate(() => {
      const rect = document.querySelector('.viewport[data-view="0"] .overlay rect');
      return [rect.getAttribute('visibility'), Math.round(Number(rect.getAttribute('width')))];
    });
    const box = await viewBox(page, 0);
    const top = (box.height / box.width) * (TOP_WIDTH / 2) - 0.3;  // the view's top edge, just inside
    const [x0, y0] = await topPoint(page, -8, top);
    const [x1, y1] = await topPoint(page, 8, -top);
    await page.mouse.move(x0, y0);
    await page.mouse.down();
    await page.mouse.move(x1, y1, { steps: 4 });
    await settled(page);
    await page.mouse.move(x1 + 1, y1 + 1);  // a move after the host has said it is a rectangle
    await settled(page);
    assert.deepEqual(await band(), ['visible', Math.round(x1 + 1 - x0)]);
    await page.mouse.up();
    await settled(page);
    assert.equal((await band())[0], 'hidden');
    assert.deepEqual((await selected(page)).sort(), ['Pull', 'Viewer']);
  });
});
