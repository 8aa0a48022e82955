// The Zentrograph page: viewports drawn from the host's drawing, navigation, selection
// and creation with the mouse, the time bar and the command panel. The host does all
// the work; the page shows what it sends and tells it what the user did. This module
// starts the page and hands each message of the host to the module that shows it.
import { answered, reportError, save, showMessageBox, wireDialogs } from './dialogs.mjs';
import { pictureOf, projectionOf, showChunks, showSelection } from './drawing.mjs';
import { describeDrawing, store } from './frame_decoding.mjs';
import { connect, outbox, probeServer, probeVerdict } from './host_link.mjs';
import { $, page } from './page_state.mjs';
import { renderClasses, renderModify, renderNodes, renderToolState, wirePanel } from './panel.mjs';
import { goToFrame, keyFrame, shownFrame, togglePlay, updateTime, wireTimeBar } from './time_bar.mjs';
import { takeHostCameras, takeHostViews } from './navigation.mjs';
import { frameView } from './view_menu.mjs';
import { buildViews, setLayout, toggleMaximized, viewSizes } from './views.mjs';

function sendHello() {
  outbox.send({ type: 'hello', views: viewSizes() });
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
    showChunks(store);
    showNodeSelection(true);
    sendHello();
  }
  state.views.forEach((info, i) => {
    page.views[i].label.textContent = info.name;
    page.views[i].root.dataset.projection = info.projection;
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
  takeHostCameras(state);
  showNodeSelection();
}

// The selected nodes of the last state, drawn from the views' own records.
function showNodeSelection(force = false) {
  if (!page.state) return;
  const names = page.state.nodes.filter((n) => n.selected).map((n) => n.name);
  showSelection(store.idsOf(names), page.state.selectionColor || [1, 1, 1], force);
}

function receiveText(message) {
  if (message.type === 'state') {
    applyState(message);
  } else if (message.type === 'openUrl') {
    window.open(message.url, '_blank', 'noopener,noreferrer');
  } else if (message.type === 'messageBox') {
    showMessageBox(message);
  } else if (message.type === 'views') {
    takeHostViews(message);
  } else if (message.type === 'notice') {
    $('loading').hidden = true;
    showNotice(message.text);
  } else if (message.type === 'drawing') {
    $('loading').hidden = true;
    showNotice(null);
    showChunks(store, store.commit(message));
    showNodeSelection();
  } else if (message.type === 'ack') {
    outbox.acknowledged();
    answered(message);
  }
}

// A word from the host over every view (a drawing too large to send), or none.
function showNotice(text) {
  for (const view of page.views) {
    let notice = view.root.querySelector('.view-notice');
    if (!notice && text) {
      notice = document.createElement('div');
      notice.className = 'view-notice';
      view.root.append(notice);
    }
    if (notice) {
      notice.hidden = !text;
      notice.textContent = text || '';
    }
  }
}

function receiveFrame(buffer) {
  try {
    store.receive(buffer);
  } catch (e) {
    reportError(`The host's drawing could not be read: ${e.message}`);
  }
}

const TEXT_INPUTS = ['text', 'number', 'search', 'password', 'email', 'url'];

// Whether keys go to a text field (or a dialog) rather than to the page's shortcuts.
function isTyping(target) {
  if (!(target instanceof Element)) return false;
  return (target instanceof HTMLInputElement && TEXT_INPUTS.includes(target.type)) ||
    target instanceof HTMLTextAreaElement || target instanceof HTMLSelectElement || !!target.closest('dialog');
}

// The page's own keys, outside text fields: playing, stepping and the ends of the frame
// range, framing and maximising the active view.
function viewKey(e) {
  const view = page.views[page.activeView];
  if (e.key === ' ' && !e.ctrlKey && !e.altKey && !e.metaKey) {
    togglePlay();
  } else if (e.altKey && e.code === 'KeyW') {
    toggleMaximized();
  } else if (e.code === 'KeyZ' && !e.ctrlKey && !e.altKey && !e.metaKey && view) {
    frameView(view, e.shiftKey);
  } else if (page.state && !e.ctrlKey && !e.altKey && !e.metaKey && !e.shiftKey &&
             keyFrame(e.key, shownFrame(), page.state.start, page.state.end) !== null) {
    if (page.playing) togglePlay();
    goToFrame(keyFrame(e.key, shownFrame(), page.state.start, page.state.end));
  } else {
    return false;
  }
  return true;
}

function wireKeys() {
  document.addEventListener('keydown', (e) => {
    // Saving works wherever the focus is, and the browser's own Ctrl+S is held back.
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
    if (viewKey(e)) {
      e.preventDefault();
      return;
    }
    if (e.key === 'Escape') outbox.send({ type: 'key', key: 'Escape' });
    else if (e.key === 'Delete' || e.key === 'Backspace') outbox.send({ type: 'key', key: 'Delete' });
  });
}

// Read-only inspection for scripts and tests: whether the page is waiting for the
// host, its last state, what a view shows (in its pixels), its picture, and whether it
// draws with WebGL2 or on a 2D canvas.
window.__zentrograph = {
  idle: () => outbox.idle() && page.views.every((v) => !v.pending),
  state: () => page.state,
  frame: (index) => {
    const view = page.views[index];
    const p = view && projectionOf(view);
    return p ? describeDrawing(store, index, p) : null;
  },
  picture: (index) => page.views[index] && pictureOf(page.views[index]),
  drawingKind: (index) => page.views[index] && page.views[index].drawingKind,
};

// Shows the busy cue while the host has kept the page waiting longer than BUSY_MS.
const BUSY_MS = 200;
function watchBusy() {
  setInterval(() => {
    const busy = outbox.waited() > BUSY_MS;
    $('busy').hidden = !busy;
    document.body.classList.toggle('waiting', busy);
  }, 50);
}

// Closing the tab with changes not saved asks first.
window.addEventListener('beforeunload', (e) => {
  if (!page.state || !page.state.unsaved) return;
  e.preventDefault();
  e.returnValue = '';
});

wireDialogs();
wirePanel();
wireTimeBar();
wireKeys();
watchBusy();
$('grid-snap').addEventListener('change', (e) => outbox.send({ type: 'gridSnap', on: e.target.checked }));
for (const button of document.querySelectorAll('#layouts button')) {
  button.addEventListener('click', () => setLayout(Number(button.dataset.layout)));
}
buildViews(4);
connect({
  onOpen: () => {
    setConnection('online', 'connected');
    store.clear();
    sendHello();
  },
  onText: receiveText,
  onFrame: receiveFrame,
  onClose: (reason) => {
    setConnection('offline', reason ? `disconnected: ${reason}` : 'disconnected: retrying');
    if (reason) reportError(`The host closed this page's connection: ${reason}`);
  },
  // A server that refuses the page's token was started again: its new address (with its
  // new token) is the way back, and trying this one again would never succeed.
  beforeRetry: async () => {
    if (probeVerdict(await probeServer()) !== 'replaced') return true;
    setConnection('offline', 'the server was restarted');
    reportError('The server was restarted and no longer knows this page: open the new address it printed ' +
                '(with its new token) to go on.', { lasting: true });
    return false;
  },
});
