// What the page shows over its work: the host's message boxes, the dialog that names a
// new scene's file, and the banner that reports errors.
import { outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';

const BUTTONS = {
  ok: [['OK', 1]], okcancel: [['OK', 1], ['Cancel', 2]], yesno: [['Yes', 6], ['No', 7]],
  yesnocancel: [['Yes', 6], ['No', 7], ['Cancel', 2]], retrycancel: [['Retry', 4], ['Cancel', 2]],
  abortretryignore: [['Abort', 3], ['Retry', 4], ['Ignore', 5]],
};
// The message box's icons, drawn with shapes in the icon's colour (currentColor).
const ICONS = {
  error: '<circle cx="16" cy="16" r="14" fill="currentColor"/>' +
    '<path d="M10.5 10.5l11 11M21.5 10.5l-11 11" stroke="#fff" stroke-width="3.2" stroke-linecap="round"/>',
  warning: '<path d="M16 3L30 28H2z" fill="currentColor" stroke="currentColor" stroke-width="2" stroke-linejoin="round"/>' +
    '<path d="M16 11v8" stroke="#1b1d22" stroke-width="3" stroke-linecap="round"/><circle cx="16" cy="23.5" r="1.8" fill="#1b1d22"/>',
  information: '<circle cx="16" cy="16" r="14" fill="currentColor"/>' +
    '<path d="M16 14v9" stroke="#fff" stroke-width="3" stroke-linecap="round"/><circle cx="16" cy="9.5" r="1.9" fill="#fff"/>',
  question: '<circle cx="16" cy="16" r="14" fill="currentColor"/>' +
    '<path d="M11.8 12.5a4.2 4.2 0 1 1 6 3.8c-1.2.6-1.8 1.4-1.8 2.7v.5" fill="none" stroke="#fff" stroke-width="3" stroke-linecap="round"/>' +
    '<circle cx="16" cy="23.6" r="1.9" fill="#fff"/>',
};

// The icon of a message box as an SVG element; none for a box without one.
export function iconSvg(kind) {
  return ICONS[kind] ? `<svg viewBox="0 0 32 32" aria-hidden="true">${ICONS[kind]}</svg>` : '';
}

// The buttons of a message box as [label, answer] pairs, and the answer given when it
// is dismissed without a button (Escape): the only button, or Cancel.
export function messageBoxChoices(buttons) {
  const choices = BUTTONS[buttons] || BUTTONS.ok;
  return { choices, dismissed: choices.length === 1 ? choices[0][1] : 2 };
}

// Shows the host's message box; the host's UI waits until the user answers.
export function showMessageBox(box) {
  const dialog = $('message-box');
  $('message-caption').textContent = box.caption;
  $('message-text').textContent = box.text;
  const icon = $('message-icon');
  icon.className = `message-icon ${box.icon}`;
  icon.innerHTML = iconSvg(box.icon);
  const buttons = $('message-buttons');
  buttons.replaceChildren();
  const { choices, dismissed } = messageBoxChoices(box.buttons);
  let answer = dismissed;
  for (const [label, code] of choices) {
    const button = document.createElement('button');
    button.type = 'submit';
    button.textContent = label;
    button.addEventListener('click', () => { answer = code; });
    buttons.append(button);
  }
  dialog.addEventListener('close', () => {
    outbox.sendNow({ type: 'dialogReply', id: box.id, button: answer });
  }, { once: true });
  dialog.showModal();
}

export function save() {
  outbox.send({ type: 'save' });
}

export function openSaveDialog() {
  const dialog = $('save-dialog');
  $('save-error').hidden = true;
  if (!dialog.open) dialog.showModal();
  $('save-name').select();
}

// The host's answer to a message: asks for a file name, reports the error, or closes
// the save dialog after a first save went through.
export function answered(ack) {
  const savingAs = page.savingAs;
  page.savingAs = false;
  if (ack.needFile) openSaveDialog();
  else if (ack.error) reportError(ack.error);
  else if (savingAs) $('save-dialog').close();
}

let bannerTimer = 0;
// Shows an error in the save dialog when it is open, else in the banner for ten
// seconds (until dismissed, with `lasting`).
export function reportError(text, { lasting = false } = {}) {
  const dialog = $('save-dialog');
  if (dialog.open) {
    $('save-error').textContent = text;
    $('save-error').hidden = false;
    return;
  }
  $('banner-text').textContent = text;
  $('banner').hidden = false;
  clearTimeout(bannerTimer);
  if (!lasting) bannerTimer = setTimeout(() => { $('banner').hidden = true; }, 10000);
}

export function wireDialogs() {
  $('save').addEventListener('click', save);
  $('banner-close').addEventListener('click', () => { $('banner').hidden = true; });
  // The dialog stays open until the host has saved, so a refused name can be changed.
  $('save-dialog').querySelector('form').addEventListener('submit', (e) => {
    if (e.submitter !== $('save-confirm')) return;
    e.preventDefault();
    const name = $('save-name').value.trim();
    if (!name) return;
    page.savingAs = true;
    outbox.send({ type: 'save', file: name.endsWith('.json') ? name : `${name}.json` });
  });
}
