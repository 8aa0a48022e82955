// The page's outbox: one message in flight, waiting ones merged by key.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { merge, Outbox, POLICY_CLOSE, retries } from '../../app/web/page/host_link.mjs';

function openSocket() {
  return { readyState: 1, sent: [], send(text) { this.sent.push(JSON.parse(text)); } };
}

test('waiting messages of one key merge the way each kind adds up', () => {
  const cases = [
    [{ type: 'orbit', dx: 2, dy: 1 }, { type: 'orbit', dx: 3, dy: -4 }, { type: 'orbit', dx: 5, dy: -3 }],
    [{ type: 'zoom', factor: 2 }, { type: 'zoom', factor: 3 }, { type: 'zoom', factor: 6 }],
    [{ type: 'zoom', factor: 900 }, { type: 'zoom', factor: 900 }, { type: 'zoom', factor: 1000 }],
    [{ type: 'control', action: 'spin', steps: 2 }, { type: 'control', action: 'spin', steps: -5 },
      { type: 'control', action: 'spin', steps: -3 }],
    [{ type: 'pointer', x: 1 }, { type: 'pointer', x: 9 }, { type: 'pointer', x: 9 }],
  ];
  for (const [older, newer, merged] of cases) assert.deepEqual(merge(older, newer), merged, JSON.stringify(newer));
});

test('the outbox sends one message at a time, numbered, and merges what waits behind it', () => {
  const outbox = new Outbox();
  const ws = openSocket();
  outbox.attach(ws);
  outbox.send({ type: 'pointer', phase: 'down' });
  outbox.send({ type: 'pan', dx: 1, dy: 0 }, 'pan0');
  outbox.send({ type: 'pan', dx: 2, dy: 1 }, 'pan0');
  outbox.send({ type: 'frame', frame: 3 }, 'frame');
  assert.deepEqual(ws.sent, [{ type: 'pointer', phase: 'down', seq: 1 }]);
  assert.equal(outbox.idle(), false);
  outbox.acknowledged();
  outbox.acknowledged();
  assert.deepEqual(ws.sent.slice(1), [{ type: 'pan', dx: 3, dy: 1, seq: 2 }, { type: 'frame', frame: 3, seq: 3 }]);
  outbox.acknowledged();
  assert.equal(outbox.idle(), true);

  outbox.send({ type: 'undo' });
  outbox.attach(openSocket());  // a new connection forgets what the old one owed
  assert.equal(outbox.idle(), true);
});

test('a sender hears when its message, or the one it merged into, is answered or dropped', () => {
  const outbox = new Outbox();
  outbox.attach(openSocket());
  const heard = [];
  outbox.send({ type: 'camera', view: 0 }, 'camera0', () => heard.push('first'));
  outbox.send({ type: 'camera', view: 0 }, 'camera0', () => heard.push('second'));
  outbox.send({ type: 'camera', view: 0 }, 'camera0', () => heard.push('third'));
  outbox.acknowledged();
  assert.deepEqual(heard, ['first']);
  outbox.attach(openSocket());
  assert.deepEqual(heard, ['first', 'second', 'third']);
});

test('the page connects again after a close unless the host said why it closed', () => {
  const cases = [[1006, true], [1001, true], [1000, true], [POLICY_CLOSE, false]];
  for (const [code, again] of cases) assert.equal(retries({ code, reason: '' }), again, String(code));
});
