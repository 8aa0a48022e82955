// The Zentrograph page: viewports drawn from the host's drawing, navigation, selection
// and creation with the mouse, the time bar and the command panel. The host does all
// the work; the page shows what it sends and tells it what the user did. This module
// starts the page and hands each message of the host to the module that shows it.
import { answered, reportError, save, showMessageBox, wireDialogs } from './dialogs.mjs';
import { pictureOf, projectionOf, scheduleDraw, showChunks, showSelection } from './drawing.mjs';
import { describeDrawing, store } from './frame_decoding.mjs';
import { setMarkerShapes } from './marker_shapes.mjs';
import { connect, outbox, probeServer, probeVerdict } from './host_link.mjs';
import { $, page } from './page_state.mjs';
import { renderClasses, renderModify, renderNodes, renderToolState, wirePanel } from './panel.mjs';
import { goToFrame, keyFrame, shownFrame, togglePlay, updateTime, wireTimeBar } from './time_bar.mjs';
import { takeHostCameras, takeHostViews } from './navigation.mjs';
import { frameView } from './view_menu.mjs';
import { buildViews, setLayout, toggleMaximized, viewSizes } from './views.mjs';

// The hello of a page that does not know the scene's views yet carries no sizes: the
// host answers with the state alone, and the hello after the views are built for it
// brings the drawing. Views laid out on a guess would be drawn for nothing.
function sendHello(sized) {
  page.sized = sized;
  outbox.send({ type: 'hello', views: sized ? viewSizes() : [] });
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
  if (state.markerShapes && setMarkerShapes(state.markerShapes)) {
    for (const view of page.views) scheduleDraw(view);
  }
  if (state.views.length !== page.views.length) {
    buildViews(state.views.length);
    showChunks(store);
    showNodeSelection(true);
    sendHello(true);
  } else if (!page.sized) {
    sendHello(true);
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
  if (document.activeElement !== $('grid-spacing')) $('grid-spacing').value = state.gridSpacing ? String(state.gridSpacing) : '';
  for (const b of document.querySelectorAll('[data-tool]')) b.classList.toggle('active', b.dataset.tool === state.tool);
  for (const b of document.querySelectorAll('[data-axes]')) b.classList.toggle('active', b.dataset.axes === state.axes);
  $('status').textContent = state.status;
  const warnings = state.warnings || [];
  $('warnings').hidden = !warnings.length;
  $('warnings').textContent = warnings.join(' \u00b7 ');
  showHistory('undo', 'Undo', state.undo, 'Ctrl+Z');
  showHistory('redo', 'Redo', state.redo, 'Ctrl+Y');
  $('hint').textContent = state.create
    ? `Drag in a viewport to create a ${state.create}; right-click or Esc cancels`
    : `Click or drag a box to select \u00b7 drag a selected object to ${state.tool || 'move'} it \u00b7 Alt- or right-drag orbits \u00b7 middle-drag pans \u00b7 wheel zooms`;
  updateTime(state, first);
  renderToolState();
  renderNodes();
  renderModify(state.panel);
  takeHostCameras(state);
  showNodeSelection();
  // The gizmo is drawn over the views: they draw again when it moved or changed shape.
  const gizmo = JSON.stringify([state.gizmo, state.tool, state.axes]);
  if (gizmo !== page.shownGizmo) {
    page.shownGizmo = gizmo;
    for (const view of page.views) scheduleDraw(view);
  }
}

// The selected nodes of the last state, drawn from the views' own records.
function showNodeSelection(force = false) {
  if (!page.state) return;
  const names = page.state.nodes.filter((n) => n.selected).map((n) => n.name);
  const hovered = page.state.hover ? store.idsOf([page.state.hover]) : [];
  showSelection(store.idsOf(names), page.state.selectionColor || [1, 1, 1], force, hovered);
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
    showNodeSelection();
  } else if (message.type === 'notice') {
    $('loading').hidden = true;
    showNotice(message.text);
  } else if (message.type === 'drawing') {
    $('loading').hidden = true;
    showNotice(null);
    showChunks(store, store.commit(message));
    for (const fault of store.faults.splice(0)) reportError(`The host's drawing could not be read: ${fault}`);
    showNodeSelection();
  } else if (message.type === 'ack') {
    outbox.acknowledged();
    showBusy();
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

// An undo or redo button shows the step it would take.
function showHistory(id, verb, step, keys) {
  const button = $(id);
  button.disabled = !step;
  button.title = step ? `${verb} ${step} (${keys})` : `Nothing to ${verb.toLowerCase()}`;
}

// Delete in a node list removes its highlighted entry, as the list's Remove button does.
function removeListEntry(list) {
  const shown = page.rollouts.flatMap((r) => r.controls);
  const listed = shown.find((c) => String(c.handle) === list.dataset.handle);
  const remove = listed && shown.find((c) => c.role === 'remove' && c.param === listed.param);
  if (remove && listed.selected >= 0) outbox.send({ type: 'control', control: remove.handle, action: 'click' });
}

const TOOL_KEYS = { w: 'move', e: 'rotate', r: 'scale' };
const AXIS_KEYS = { F5: 'x', F6: 'y', F7: 'z' };
const PLANES = ['xy', 'yz', 'zx'];

// The tool and constraint keys; true when `e` was one.
function transformKey(e) {
  if (e.ctrlKey || e.metaKey || e.altKey) return false;
  const tool = TOOL_KEYS[e.key.toLowerCase()];
  if (tool) {
    outbox.send({ type: 'tool', tool });
    return true;
  }
  const current = page.state ? page.state.axes : '';
  let axes = AXIS_KEYS[e.key];
  if (e.key === 'F8') axes = PLANES[(PLANES.indexOf(current) + 1) % PLANES.length];
  if (axes === undefined) return false;
  e.preventDefault();
  setAxes(axes);
  return true;
}

// A constraint chosen again is let go.
function setAxes(axes) {
  const current = page.state ? page.state.axes : '';
  outbox.send({ type: 'constraint', axes: axes === current ? '' : axes });
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
  // Saving works wherever the focus is (caught before any field sees the key), and the
  // browser's own Ctrl+S is held back.
  window.addEventListener('keydown', (e) => {
    if (!(e.ctrlKey || e.metaKey) || e.key.toLowerCase() !== 's') return;
    e.preventDefault();
    e.stopPropagation();
    save();
  }, true);
  document.addEventListener('keydown', (e) => {
    if ((e.ctrlKey || e.metaKey) && !isTyping(e.target) && ['z', 'y'].includes(e.key.toLowerCase())) {
      e.preventDefault();
      outbox.send({ type: e.key.toLowerCase() === 'y' || e.shiftKey ? 'redo' : 'undo' });
      return;
    }
    const list = e.target instanceof Element ? e.target.closest('.rc-list') : null;
    if ((e.key === 'Delete' || e.key === 'Backspace') && list) {
      e.preventDefault();
      removeListEntry(list);
      return;
    }
    if (isTyping(e.target)) return;
    if (viewKey(e)) {
      e.preventDefault();
      return;
    }
    if (transformKey(e)) return;
    if (e.key === 'Escape') outbox.send({ type: 'key', key: 'Escape' });
    // Delete acts on the viewport selection, never on what a list or button has in focus.
    else if (e.key === 'Delete' && (e.target === document.body || e.target.closest('#viewports')))
      outbox.send({ type: 'key', key: 'Delete' });
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

// Shows the busy cue while the host has kept the page waiting longer than BUSY_MS:
// looked at every 50 ms, and at once when an answer comes.
const BUSY_MS = 200;
function showBusy() {
  const busy = outbox.waited() > BUSY_MS;
  $('busy').hidden = !busy;
  document.body.classList.toggle('waiting', busy);
}

function watchBusy() {
  setInterval(showBusy, 50);
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
$('undo').addEventListener('click', () => outbox.send({ type: 'undo' }));
for (const b of document.querySelectorAll('[data-tool]')) b.addEventListener('click', () => outbox.send({ type: 'tool', tool: b.dataset.tool }));
for (const b of document.querySelectorAll('[data-axes]')) b.addEventListener('click', () => setAxes(b.dataset.axes));
$('grid-spacing').addEventListener('change', (e) => {
  const spacing = e.target.value.trim() === '' ? 0 : Number(e.target.value);
  if (Number.isFinite(spacing) && spacing >= 0) outbox.send({ type: 'gridSpacing', spacing });
  else e.target.value = page.state && page.state.gridSpacing ? String(page.state.gridSpacing) : '';
});
$('redo').addEventListener('click', () => outbox.send({ type: 'redo' }));
$('grid-snap').addEventListener('change', (e) => outbox.send({ type: 'gridSnap', on: e.target.checked }));
for (const button of document.querySelectorAll('#layouts button')) {
  button.addEventListener('click', () => setLayout(Number(button.dataset.layout)));
}
buildViews(4);
connect({
  onOpen: () => {
    setConnection('online', 'connected');
    store.clear();
    sendHello(!!page.state);
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
