// The command panel in the browser host: a field viewer's Parameters and About rollouts,
// edits through them, picking force fields, and the About button online and offline.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { frameOf, launchBrowser, settled, stateOf, viewBox, withScenePage } from './support.js';

const TOP_WIDTH = 20;
const SCENE = {
  zentrographScene: 1,
  nodes: [
    { name: 'Viewer', class: 'Zentrograph', params: { sizeX: 6, sizeY: 6, resolutionX: 7, resolutionY: 7 } },
    { name: 'Pull', class: 'Gravity', position: [5, 0, 0], params: { spherical: true } },
    { name: 'Mark', class: 'Point', position: [-5, 5, 0] },
  ],
  viewports: [
    { name: 'Persp', projection: 'perspective', eye: [14, -18, 12], target: [0, 0, 0] },
    { name: 'Top', projection: 'top', center: [0, 0, 0], width: TOP_WIDTH },
  ],
};

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const withPage = (name, args, body) => withScenePage(browser, name, SCENE, args, body);

const rollout = (page, title) => page.locator(`.rollout[data-title="${title}"]`);
const control = (page, id) => page.locator(`#rollouts [data-id="${id}"]`);
const status = (page) => page.locator('#status').textContent();
const viewerItems = async (page, kind) => (await frameOf(page, 1)).items.filter((i) => i.node === 'Viewer' && i.kind === kind);

async function selectViewer(page) {
  await page.locator('#node-list li', { hasText: 'Viewer' }).click();
  await settled(page);
}

// Clicks a scene point (x, y) of the top view.
async function clickTop(page, x, y) {
  const box = await viewBox(page, 1);
  const scale = box.width / TOP_WIDTH;
  await page.mouse.click(box.x + box.width / 2 + x * scale, box.y + box.height / 2 - y * scale);
  await settled(page);
}

async function typeInto(page, id, text) {
  await control(page, id).fill(text);
  await control(page, id).press('Enter');
  await settled(page);
}

test('a selected field viewer shows both rollouts, and edits go through its parameter rules', async () => {
  await withPage('rollouts and edits', [], async (page) => {
    await selectViewer(page);
    await assert.doesNotReject(rollout(page, 'Parameters').waitFor());
    assert.equal(await rollout(page, 'About').count(), 1);
    assert.equal(await control(page, 1490).inputValue(), '6.0');    // X size
    assert.equal(await control(page, 1491).inputValue(), '7');      // X resolution
    assert.equal(await control(page, 1502).inputValue(), '10.0');   // vector scale

    await typeInto(page, 1491, '1000');
    assert.equal(await control(page, 1491).inputValue(), '999');
    await typeInto(page, 1491, '7');
    await typeInto(page, 1490, '-4');
    assert.equal(await control(page, 1490).inputValue(), '0.0');
    await typeInto(page, 1490, 'wide');
    assert.match(await page.locator('#banner-text').textContent(), /is not a number/);
    assert.equal(await control(page, 1490).inputValue(), '0.0');
    await typeInto(page, 1490, '6');

    // A spinner arrow steps an integer by one.
    await page.locator('#rollouts [data-id="1497"] span').first().click();
    await settled(page);
    assert.equal(await control(page, 1491).inputValue(), '8');
    // Dragging it up steps by one a pixel, every step counted while the drag lasts.
    const spinner = await control(page, 1497).boundingBox();
    await page.mouse.move(spinner.x + spinner.width / 2, spinner.y + spinner.height / 2);
    await page.mouse.down();
    for (let i = 1; i <= 10; i++) await page.mouse.move(spinner.x + spinner.width / 2, spinner.y + spinner.height / 2 - 2 * i);
    await page.mouse.up();
    await settled(page);
    assert.equal(await control(page, 1491).inputValue(), '28');

    assert.equal((await viewerItems(page, 'markers')).length, 0);
    await control(page, 1001).locator('input').click();
    await settled(page);
    assert.ok((await viewerItems(page, 'markers')).length > 0, 'markers on');
    const boxOnly = (await viewerItems(page, 'polyline')).length;
    await control(page, 1002).locator('input').click();
    await settled(page);
    assert.ok((await viewerItems(page, 'polyline')).length > boxOnly, 'lattice on');

    await clickTop(page, 9, -9);  // nothing there: the selection ends
    assert.equal(await page.locator('#rollouts .rollout').count(), 0);
  });
});

test('Add picks force fields, refuses other nodes, and Remove removes the selected entry', async () => {
  await withPage('add and remove', [], async (page) => {
    await selectViewer(page);
    const arrows = async () => JSON.stringify(await viewerItems(page, 'segments'));
    const still = await arrows();

    await control(page, 1010).click();  // Add
    await settled(page);
    assert.equal((await stateOf(page)).panel.picking, 'Force Nodes');
    assert.deepEqual(await page.locator('#picking-list li').allTextContents(), ['Pull'], 'only what the list takes');
    await clickTop(page, -5, 5);  // the Point
    assert.match(await status(page), /Mark cannot be added/);
    assert.deepEqual(await control(page, 1009).locator('div').allTextContents(), []);

    await clickTop(page, 5, 0);  // the gravity
    assert.match(await status(page), /Added Pull/);
    assert.deepEqual(await control(page, 1009).locator('div').allTextContents(), ['Pull']);
    assert.notEqual(await arrows(), still, 'the arrows follow the gravity');
    assert.equal((await stateOf(page)).panel.picking, null);

    await control(page, 1009).locator('div', { hasText: 'Pull' }).click();
    await settled(page);
    await control(page, 1011).click();  // Remove
    await settled(page);
    assert.deepEqual(await control(page, 1009).locator('div').allTextContents(), []);
    assert.equal(await arrows(), still);
  });
});

test('the About rollout shows the logo and date, and its button opens the about page', async () => {
  await withPage('about online', [], async (page) => {
    await selectViewer(page);
    const about = rollout(page, 'About');
    assert.equal(await about.locator('[data-id="1026"]').textContent(), '2007.02.20');
    const logo = about.locator('img');
    await logo.waitFor();
    assert.deepEqual(await logo.evaluate((img) => [img.naturalWidth, img.naturalHeight]), [84, 25]);
    // This machine has no internet: the maker's page is answered here.
    const opened = [];
    await page.context().route('http://www.tarnwick.example/**', (route) => {
      opened.push(route.request().url());
      return route.fulfill({ status: 200, contentType: 'text/html', body: '<title>About</title>' });
    });
    const [tab] = await Promise.all([page.context().waitForEvent('page'), about.locator('[data-id="1022"]').click()]);
    await tab.waitForLoadState();
    assert.deepEqual(opened, ['http://www.tarnwick.example/aboutplugin/zentrograph.html']);
  });
});

test('offline, the About button says the internet cannot be reached', async () => {
  await withPage('about offline', ['--offline'], async (page) => {
    await selectViewer(page);
    await rollout(page, 'About').locator('[data-id="1022"]').click();
    const box = page.locator('#message-box');
    await box.waitFor();
    assert.equal(await page.locator('#message-caption').textContent(), 'Error');
    assert.equal(await page.locator('#message-text').textContent(), 'Internet access not available.');
    assert.equal(await page.locator('#message-icon').getAttribute('class'), 'message-icon error');
    await page.locator('#message-buttons button').click();
    await settled(page);
    assert.equal(await box.isVisible(), false);
  });
});
