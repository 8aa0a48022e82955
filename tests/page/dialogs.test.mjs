// The buttons of the host's message boxes.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { messageBoxChoices } from '../../app/web/page/dialogs.mjs';

test('a message box offers its buttons, and dismissing it answers its only button or Cancel', () => {
  const cases = [
    ['ok', ['OK'], 1],
    ['yesno', ['Yes', 'No'], 2],
    ['yesnocancel', ['Yes', 'No', 'Cancel'], 2],
    ['abortretryignore', ['Abort', 'Retry', 'Ignore'], 2],
    ['unknown', ['OK'], 1],
  ];
  for (const [buttons, labels, dismissed] of cases) {
    const got = messageBoxChoices(buttons);
    assert.deepEqual(got.choices.map(([label]) => label), labels, buttons);
    assert.equal(got.dismissed, dismissed, buttons);
  }
});
