// Saving from the browser host, and what its server lets in.
import assert from 'node:assert/strict';
import { existsSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import http from 'node:http';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import {
  keepFailure, launchBrowser, openPage, settled, startServer, stateOf, viewBox,
} from './support.js';

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const names = async (page) => (await stateOf(page)).nodes.map((n) => n.name);

// One raw HTTP request to the server; resolves with the status and headers.
function request(server, { method = 'GET', target = '/', headers = {}, body } = {}) {
  const { hostname, port } = new URL(server.origin);
  return new Promise((resolve, reject) => {
    const req = http.request({ hostname, port, method, path: target, headers }, (res) => {
      res.resume();
      resolve({ status: res.statusCode, headers: res.headers });
    });
    req.on('error', reject);
    // An upgrade the server accepts switches protocols: that counts as let in.
    req.on('upgrade', (res, socket) => { socket.destroy(); resolve({ status: res.statusCode, headers: res.headers }); });
    if (body) req.write(body);
    req.end();
  });
}

test('a new scene is saved under the name chosen at first save, and comes back on reload and restart', async () => {
  const folder = mkdtempSync(path.join(tmpdir(), 'zentrograph-e2e-'));
  let server = await startServer([], { cwd: folder });
  let page;
  try {
    page = await openPage(browser, server);
    await page.getByRole('button', { name: 'Zentrograph', exact: true }).click();
    const box = await viewBox(page, 1);
    await page.mouse.move(box.x + 200, box.y + 200);
    await page.mouse.down();
    await page.mouse.move(box.x + 280, box.y + 240, { steps: 5 });
    await page.mouse.up();
    await settled(page);
    assert.deepEqual(await names(page), ['Zentrograph01']);
    assert.equal((await stateOf(page)).unsaved, true);

    writeFileSync(path.join(server.folder, 'taken.json'), '{}');
    await page.keyboard.press('Control+s');
    await page.locator('#save-name').fill('taken.json');
    await page.locator('#save-confirm').click();
    await page.waitForSelector('#save-error:not([hidden])');
    assert.match(await page.locator('#save-error').textContent(), /already exists/);
    assert.equal(readFileSync(path.join(server.folder, 'taken.json'), 'utf8'), '{}');

    await page.locator('#save-name').fill('mine');
    await page.locator('#save-confirm').click();
    await settled(page);
    const file = path.join(server.folder, 'mine.json');
    assert.ok(existsSync(file));
    assert.equal((await stateOf(page)).file, 'mine.json');
    assert.equal((await stateOf(page)).unsaved, false);

    await page.reload();
    await settled(page);
    assert.deepEqual(await names(page), ['Zentrograph01']);

    await page.context().close();
    assert.equal(await server.stop(), 0);
    server = await startServer([file], { cwd: folder });
    page = await openPage(browser, server);
    assert.deepEqual(await names(page), ['Zentrograph01']);
    assert.equal((await stateOf(page)).unsaved, false);
  } catch (e) {
    await keepFailure(page, 'save and reload');
    throw e;
  } finally {
    await page?.context().close();
    await server.stop();
  }
});

// Resolves once `check()` holds; fails after ten seconds.
async function until(check, what) {
  for (let i = 0; i < 100 && !check(); i += 1) await new Promise((r) => { setTimeout(r, 100); });
  assert.ok(check(), what);
}

test('unsaved changes are kept in a recovery copy that the next serve offers and --recover opens', async () => {
  const folder = mkdtempSync(path.join(tmpdir(), 'zentrograph-e2e-'));
  const file = path.join(folder, 'kept.json');
  writeFileSync(file, '{"zentrographScene": 1}');
  const copy = path.join(folder, '.kept.json.recovery');
  let server = await startServer([file], { cwd: folder });
  let page;
  try {
    page = await openPage(browser, server);
    await page.getByRole('button', { name: 'Zentrograph', exact: true }).click();
    const box = await viewBox(page, 1);
    await page.mouse.move(box.x + 200, box.y + 200);
    await page.mouse.down();
    await page.mouse.move(box.x + 280, box.y + 240, { steps: 5 });
    await page.mouse.up();
    await settled(page);
    await until(() => existsSync(copy), 'the recovery copy is written while the changes are unsaved');
    assert.match(readFileSync(copy, 'utf8'), /Zentrograph01/);
    await page.context().close();
    const exited = new Promise((resolve) => { server.child.on('exit', resolve); });
    server.child.kill('SIGTERM');
    assert.equal(await exited, 0);
    assert.ok(server.errors().includes(`serve: stopped with unsaved changes: they are kept in ${copy}`), server.errors());
    assert.equal(readFileSync(file, 'utf8'), '{"zentrographScene": 1}');

    server = await startServer([file], { cwd: folder });
    await until(() => server.errors().includes(`are kept in ${copy}: serve --recover opens them`), server.errors());
    assert.equal(await server.stop(), 0);
    assert.ok(existsSync(copy), 'a copy this run did not write stays');

    server = await startServer([file, '--recover'], { cwd: folder });
    page = await openPage(browser, server);
    assert.deepEqual(await names(page), ['Zentrograph01']);
    assert.equal((await stateOf(page)).unsaved, true);
    assert.equal((await stateOf(page)).file, 'kept.json');
    await page.keyboard.press('Control+s');
    await settled(page);
    assert.match(readFileSync(file, 'utf8'), /Zentrograph01/);
    await until(() => !existsSync(copy), 'the copy goes once the scene is saved');
  } catch (e) {
    await keepFailure(page, 'recovery copy');
    throw e;
  } finally {
    await page?.context().close();
    await server.stop();
  }
});

test('the server lets in only its own pages with its token, within its limits', async () => {
  const server = await startServer(['--demo']);
  let page;
  try {
    const { port } = new URL(server.origin);
    const cookie = `zentrograph_${port}=${server.token}`;
    const own = `http://127.0.0.1:${port}`;
    const upgrade = { Connection: 'Upgrade', Upgrade: 'websocket', 'Sec-WebSocket-Version': '13',
                      'Sec-WebSocket-Key': 'dGhlIHNhbXBsZSBub25jZQ==' };
    const cases = [
      ['no token', {}, 401],
      ['a wrong token', { target: `/?token=${'0'.repeat(64)}` }, 401],
      ['the token, first visit', { target: `/?token=${server.token}` }, 303],
      ['the cookie', { headers: { Cookie: cookie } }, 200],
      ['another host name', { headers: { Cookie: cookie, Host: `attacker.example:${port}` } }, 403],
      ['a file outside the page', { target: '/../../etc/passwd', headers: { Cookie: cookie } }, 404],
      ['a post from another origin', { method: 'POST', headers: { Cookie: cookie, Origin: 'http://attacker.example' } }, 403],
      ['a body over the limit', { method: 'POST', headers: { Cookie: cookie, Origin: own, 'Content-Length': '10000000' } }, 413],
      ['a socket without the token', { target: '/ws', headers: { ...upgrade, Origin: own } }, 401],
      ['a socket from another origin', { target: '/ws', headers: { ...upgrade, Cookie: cookie, Origin: 'http://attacker.example' } }, 403],
      ['a socket of the page', { target: '/ws', headers: { ...upgrade, Cookie: cookie, Origin: own } }, 101],
    ];
    for (const [what, options, status] of cases) {
      const answer = await request(server, options);
      assert.equal(answer.status, status, what);
    }
    const first = await request(server, { target: `/?token=${server.token}` });
    assert.match(first.headers['set-cookie'][0], /HttpOnly; SameSite=Strict/);

    // A message over the limit closes the socket that sent it, unread: with "message too
    // big" when the browser still hears the close frame over the unread rest, abruptly
    // otherwise. Malformed messages are answered, and the page goes on.
    page = await openPage(browser, server);
    const closeCode = await page.evaluate(() => new Promise((resolve) => {
      const ws = new WebSocket(`ws://${location.host}/ws`);
      ws.onopen = () => ws.send('x'.repeat(200000));
      ws.onclose = (e) => resolve(e.code);
    }));
    assert.ok([1006, 1009].includes(closeCode), `closed with ${closeCode}`);
    const answers = await page.evaluate(() => new Promise((resolve) => {
      const ws = new WebSocket(`ws://${location.host}/ws`);
      const got = [];
      ws.onopen = () => ['{"type": "fly", "seq": 5}', '[[[', '{"type": "frame", "frame": "x", "seq": 6}']
        .forEach((m) => ws.send(m));
      ws.onmessage = (e) => { got.push(JSON.parse(e.data)); if (got.length === 3) resolve(got); };
    }));
    assert.deepEqual(answers.map((a) => [a.type, a.seq]), [['ack', 5], ['ack', null], ['ack', 6]]);
    assert.ok(answers.every((a) => a.error));
    assert.equal(await page.locator('#connection').textContent(), 'connected');
  } finally {
    await page?.context().close();
    assert.equal(await server.stop(), 0);
  }
});
