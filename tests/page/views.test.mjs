// What a press in a view starts, and the wheel's zoom.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { NAV_ORBIT, NAV_PAN, navigationFor, wheelFactor } from '../../app/web/page/views.mjs';

test('the buttons and keys of a press choose the navigation', () => {
  const cases = [
    // button, alt, shift, perspective, creating, navigation
    [1, false, false, true, false, NAV_PAN],
    [2, false, false, true, false, NAV_ORBIT],
    [2, false, false, false, false, NAV_PAN],
    [2, false, true, true, false, NAV_PAN],
    [2, false, false, true, true, null],
    [0, true, false, true, false, NAV_ORBIT],
    [0, true, false, true, true, NAV_ORBIT],
    [0, false, false, true, false, null],
  ];
  for (const [button, altKey, shiftKey, perspective, creating, nav] of cases) {
    assert.equal(navigationFor({ button, altKey, shiftKey }, { perspective, creating }), nav,
                 JSON.stringify({ button, altKey, shiftKey, perspective, creating }));
  }
});

test('the wheel zooms in when turned away from the user, by lines or by pixels', () => {
  assert.ok(wheelFactor({ deltaY: -100, deltaMode: 0 }) > 1);
  assert.ok(wheelFactor({ deltaY: 100, deltaMode: 0 }) < 1);
  assert.equal(wheelFactor({ deltaY: 3, deltaMode: 1 }).toFixed(6), wheelFactor({ deltaY: 100, deltaMode: 0 }).toFixed(6));
});
