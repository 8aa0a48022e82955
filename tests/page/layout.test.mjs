// The pure parts of the views' layouts, the time bar's keys and frame box, the rollouts'
// tooltips, the message box's icons and what a probe of a vanished server means.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { iconSvg } from '../../app/web/page/dialogs.mjs';
import { probeVerdict } from '../../app/web/page/host_link.mjs';
import { gridOf, shownViews, toggledLayout } from '../../app/web/page/layout.mjs';
import { tooltipOf } from '../../app/web/page/rollouts.mjs';
import { keyFrame, typedFrame } from '../../app/web/page/time_bar.mjs';

test('a layout shows the active view among the views it has room for, and maximising gives the layout back', () => {
  const cases = [
    // layout, views, active, shown, grid
    [4, 4, 2, [0, 1, 2, 3], [2, 2]], [2, 4, 0, [0, 1], [2, 1]], [2, 4, 3, [2, 3], [2, 1]],
    [2, 3, 2, [1, 2], [2, 1]], [1, 4, 3, [3], [1, 1]], [4, 2, 1, [0, 1], [2, 1]], [1, 1, 5, [0], [1, 1]],
  ];
  for (const [layout, count, active, shown, grid] of cases) {
    assert.deepEqual(shownViews(layout, count, active), shown, `${layout} of ${count}, view ${active}`);
    assert.deepEqual(gridOf(shown.length), grid);
  }
  assert.deepEqual(toggledLayout(4, 4, 4), { layout: 1, previous: 4 });
  assert.deepEqual(toggledLayout(1, 2, 4), { layout: 2, previous: 1 });
  assert.deepEqual(toggledLayout(1, 1, 4), { layout: 4, previous: 1 });
});

test('the frame box takes whole frames within the range; the keys step and jump within it', () => {
  for (const [text, frame] of [['0', 0], [' 100 ', 100], ['37', 37]]) assert.deepEqual(typedFrame(text, 0, 100), { frame });
  for (const text of ['150', '-5', '2.5', '', 'abc', 'Infinity', '1e400']) {
    assert.match(typedFrame(text, 0, 100).error, /not a whole frame from 0 to 100/, text);
  }
  const keys = [['ArrowLeft', 5, 4], ['ArrowRight', 5, 6], ['ArrowLeft', 0, 0], ['ArrowRight', 100, 100],
    ['Home', 50, 0], ['End', 50, 100], ['a', 5, null]];
  for (const [key, from, to] of keys) assert.equal(keyFrame(key, from, 0, 100), to, `${key} from ${from}`);
});

test('rollout controls say what they are and the range they take', () => {
  const controls = [
    { kind: 'static', text: 'Size X:', x: 4, y: 10, w: 40, h: 10 },
    { kind: 'edit', text: '6', x: 50, y: 8, w: 40, h: 14, range: [0, 1e30] },
    { kind: 'spinner', text: '', x: 92, y: 8, w: 10, h: 14, range: [1, 200], whole: true },
    { kind: 'check', text: 'Display lattice', x: 4, y: 30, w: 100, h: 12 },
    { kind: 'button', text: 'Add', role: 'add', x: 4, y: 50, w: 40, h: 14 },
  ];
  const tips = controls.map((c) => tooltipOf(c, controls));
  assert.match(tips[0], /^Size X: from 0 to 1e\+30/);
  assert.match(tips[1], /^Size X: from 0 to 1e\+30; type a value/);
  assert.match(tips[2], /^Size X: from 1 to 200, whole numbers; click the arrows/);
  assert.match(tips[3], /Display lattice: click to switch/);
  assert.match(tips[4], /^Add: then click a node/);
});

test('the error icon is drawn with shapes, and a server that refuses the token was replaced', () => {
  for (const kind of ['error', 'warning', 'information', 'question']) {
    assert.match(iconSvg(kind), /^<svg[^>]*>.*(circle|path)/);
    assert.doesNotMatch(iconSvg(kind), /<text|[^\x00-\x7f]/);
  }
  assert.equal(iconSvg('none'), '');
  assert.deepEqual([null, 401, 403, 200, 404].map(probeVerdict), ['gone', 'replaced', 'replaced', 'same', 'same']);
});
