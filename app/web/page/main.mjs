// The Zentrograph page: viewports drawn from the host's frames, navigation, selection
// and creation with the mouse, the time bar and the command panel. The host does all
// the work; the page shows what it sends and tells it what the user did. This module
// starts the page and hands each message of the host to the module that shows it.
import { answered, reportError, save, showMessageBox, wireDialogs } from './dialogs.mjs';
import { scheduleDraw } from './drawing.mjs';
import { decodeFrame, describeFrame } from './frame_decoding.mjs';
import { connect, outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';
import { renderClasses, renderModify, renderNodes, renderToolState, wirePanel } from './panel.mjs';
import { updateTime, wireTimeBar } from './time_bar.mjs';
import { buildViews } from './views.mjs';

function sendHello() {
  outbox.send({ type: 'hello', views: page.views.map((v) => ({ width: v.w, height: v.h })) });
}

function setConnection(kind, text) {
  const c = $('connection');
  c.className = `connection ${kind}`;
  c.textContent = text;
}

function applyState(state) {
  const first = !page.state;
  page.state = state;
  if (state.classes) {
    page.classes = state.classes;
    renderClasses();
  }
  if (state.views.length !== page.views.length) {
    buildViews(state.views.length);
    sendHello();
  }
  state.views.forEach((info, i) => {
    page.views[i].label.textContent = info.name;
    page.views[i].root.classList.toggle('create', !!state.create);
  });
  $('file-name').textContent = state.file || 'new scene (not saved yet)';
  $('unsaved').hidden = !state.unsaved;
  document.title = `${state.unsaved ? '\u25cf ' : ''}${state.file || 'new scene'} \u2014 Zentrograph`;
  $('grid-snap').checked = state.gridSnap;
  $('status').textContent = state.status;
  $('hint').textContent = state.create
    ? `Drag in a viewport to create a ${state.create}; right-click or Esc cancels`
    : 'Click or drag a box to select \u00b7 drag a selected object to move it \u00b7 Alt- or right-drag orbits \u00b7 middle-drag pans \u00b7 wheel zooms';
  updateTime(state, first);
  renderToolState();
  renderNodes();
  renderModify(state.panel);
  page.views.forEach(scheduleDraw);
}

function receiveText(message) {
  if (message.type === 'state') {
    applyState(message);
  } else if (message.type === 'openUrl') {
    window.open(message.url, '_blank', 'noopener,noreferrer');
  } else if (message.type === 'messageBox') {
    showMessageBox(message);
  } else if (message.type === 'ack') {
    outbox.acknowledged();
    answered(message);
  }
}

function receiveFrame(buffer) {
  let frame;
  try {
    frame = decodeFrame(buffer);
  } catch (e) {
    reportError(`A frame from the host could not be read: ${e.message}`);
    return;
  }
  const view = page.views[frame.view];
  if (!view) return;
  view.frame = frame;
  scheduleDraw(view);
}

function isTyping(target) {
  return target instanceof HTMLInputElement || target instanceof HTMLTextAreaElement || target.closest('dialog');
}

function wireKeys() {
  document.addEventListener('keydown', (e) => {
    if ((e.ctrlKey || e.metaKey) && e.key.toLowerCase() === 's') {
      e.preventDefault();
      save();
      return;
    }
    if ((e.ctrlKey || e.metaKey) && !isTyping(e.target) && ['z', 'y'].includes(e.key.toLowerCase())) {
      e.preventDefault();
      outbox.send({ type: e.key.toLowerCase() === 'y' || e.shiftKey ? 'redo' : 'undo' });
      return;
    }
    if (isTyping(e.target)) return;
    if (e.key === 'Escape') outbox.send({ type: 'key', key: 'Escape' });
    else if (e.key === 'Delete' || e.key === 'Backspace') outbox.send({ type: 'key', key: 'Delete' });
  });
}

// Read-only inspection for scripts and tests: whether the page is waiting for the
// host, its last state, and what a view last drew.
window.__zentrograph = {
  idle: () => outbox.idle() && page.views.every((v) => !v.pending),
  state: () => page.state,
  frame: (index) => {
    const frame = page.views[index] && page.views[index].frame;
    return frame ? describeFrame(frame) : null;
  },
};

wireDialogs();
wirePanel();
wireTimeBar();
wireKeys();
$('grid-snap').addEventListener('change', (e) => outbox.send({ type: 'gridSnap', on: e.target.checked }));
buildViews(2);
connect({
  onOpen: () => {
    setConnection('online', 'connected');
    sendHello();
  },
  onText: receiveText,
  onFrame: receiveFrame,
  onClose: () => setConnection('offline', 'disconnected: retrying'),
});
