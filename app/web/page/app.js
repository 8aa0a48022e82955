// The Zentrograph page: viewports drawn from the host's display lists, navigation,
// selection and creation with the mouse, the time bar and the command panel. The host
// does all the work; the page shows what it sends and tells it what the user did.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const FRAME_MAGIC = 0x3146475a;
  const AXIS_COLORS = ['#e06666', '#6ccf7f', '#6f9bf0'];
  const NAV_ORBIT = 'orbit';
  const NAV_PAN = 'pan';

  const page = {
    state: null,        // the host's last state message
    classes: [],        // categories of creatable classes, from the first state
    views: [],          // {root, canvas, ctx, label, w, h, dpr, frame}
    activeView: 0,
    drag: null,         // the pointer drag under way in a view
    playing: false,
    scrubbing: false,
  };

  // ---- Talking to the host --------------------------------------------------------

  // Messages wait here until the host has answered the one before: at most one is in
  // flight, and moves that pile up meanwhile merge, so the page never gets ahead of the
  // host and every drag stays responsive.
  const outbox = {
    ws: null,
    queue: [],
    inFlight: 0,
    seq: 0,

    send(message, mergeKey) {
      const last = this.queue[this.queue.length - 1];
      if (mergeKey && last && last.key === mergeKey) {
        last.message = merge(last.message, message);
      } else {
        this.queue.push({ message, key: mergeKey });
      }
      this.pump();
    },

    pump() {
      while (this.inFlight < 1 && this.queue.length && this.ws && this.ws.readyState === WebSocket.OPEN) {
        const { message } = this.queue.shift();
        message.seq = ++this.seq;
        this.inFlight++;
        this.ws.send(JSON.stringify(message));
      }
    },

    acknowledged() {
      this.inFlight = Math.max(0, this.inFlight - 1);
      this.pump();
    },
  };

  function merge(older, newer) {
    if (newer.type === 'orbit' || newer.type === 'pan') {
      return { ...newer, dx: older.dx + newer.dx, dy: older.dy + newer.dy };
    }
    if (newer.type === 'zoom') {
      return { ...newer, factor: Math.min(1000, Math.max(0.001, older.factor * newer.factor)) };
    }
    if (newer.type === 'control' && newer.action === 'spin') return { ...newer, steps: older.steps + newer.steps };
    return newer;  // pointer moves, frames and sizes: the latest wins
  }

  function connect() {
    const ws = new WebSocket(`ws://${location.host}/ws`);
    ws.binaryType = 'arraybuffer';
    outbox.ws = ws;
    ws.onopen = () => {
      outbox.inFlight = 0;
      outbox.queue = [];
      setConnection('online', 'connected');
      sendHello();
    };
    ws.onmessage = (event) => {
      if (typeof event.data === 'string') receiveText(JSON.parse(event.data));
      else receiveFrame(event.data);
    };
    ws.onclose = () => {
      setConnection('offline', 'disconnected: retrying');
      setTimeout(connect, 1000);
    };
  }

  function sendHello() {
    outbox.send({ type: 'hello', views: page.views.map((v) => ({ width: v.w, height: v.h })) });
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
      const savingAs = page.savingAs;
      page.savingAs = false;
      if (message.needFile) openSaveDialog();
      else if (message.error) reportError(message.error);
      else if (savingAs) $('save-dialog').close();
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

  // ---- Frames ---------------------------------------------------------------------

  // The binary frame of one view (app/web/frame_encoding.h).
  function decodeFrame(buffer) {
    const dv = new DataView(buffer);
    let at = 0;
    const word = () => { const v = dv.getUint32(at, true); at += 4; return v; };
    if (word() !== FRAME_MAGIC) throw new Error('not a frame');
    const view = word();
    const width = word();
    const height = word();
    const revision = word();
    const nameBytes = word();
    const names = JSON.parse(new TextDecoder().decode(new Uint8Array(buffer, at, nameBytes)));
    at = (at + nameBytes + 3) & ~3;
    const count = word();
    const items = new Array(count);
    for (let i = 0; i < count; i++) {
      const head = word();
      const node = dv.getInt32(at, true); at += 4;
      const color = word();
      const points = word();
      items[i] = { kind: head & 0xff, closed: (head >> 8) & 1, code: head >>> 16, node, color, points };
    }
    const total = word();
    const xy = new Float32Array(buffer, at, total * 2);
    return { view, width, height, revision, names, items, xy };
  }

  function cssColor(bgr) {
    return `rgb(${bgr & 0xff},${(bgr >> 8) & 0xff},${(bgr >> 16) & 0xff})`;
  }

  function drawMarker(ctx, code, x, y) {
    switch (code) {
      case 1: ctx.strokeRect(x - 3.5, y - 3.5, 7, 7); break;
      case 2: ctx.beginPath(); ctx.moveTo(x - 3.5, y); ctx.lineTo(x + 3.5, y); ctx.moveTo(x, y - 3.5); ctx.lineTo(x, y + 3.5); ctx.stroke(); break;
      case 4: ctx.beginPath(); ctx.moveTo(x - 3, y - 3); ctx.lineTo(x + 3, y + 3); ctx.moveTo(x - 3, y + 3); ctx.lineTo(x + 3, y - 3); ctx.stroke(); break;
      case 10: ctx.beginPath(); ctx.arc(x, y, 2.5, 0, 2 * Math.PI); ctx.stroke(); break;
      case 14: ctx.beginPath(); ctx.arc(x, y, 2.5, 0, 2 * Math.PI); ctx.fill(); break;
      default: ctx.fillRect(x - 0.5, y - 0.5, 1, 1);
    }
  }

  function scheduleDraw(view) {
    if (view.pending) return;
    view.pending = true;
    requestAnimationFrame(() => { view.pending = false; drawView(view); });
  }

  function drawView(view) {
    const { ctx, dpr } = view;
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.fillStyle = '#1c1f26';
    ctx.fillRect(0, 0, view.w, view.h);
    const frame = view.frame;
    if (frame) {
      // A frame drawn for another size (while the window is resized) is stretched.
      ctx.scale(view.w / frame.width, view.h / frame.height);
      ctx.lineWidth = 1;
      ctx.lineJoin = 'round';
      const xy = frame.xy;
      let p = 0;
      for (const item of frame.items) {
        ctx.strokeStyle = ctx.fillStyle = cssColor(item.color);
        if (item.kind === 0) {
          ctx.beginPath();
          ctx.moveTo(xy[p], xy[p + 1]);
          for (let i = 1; i < item.points; i++) ctx.lineTo(xy[p + 2 * i], xy[p + 2 * i + 1]);
          if (item.closed) ctx.closePath();
          ctx.stroke();
        } else if (item.kind === 1) {
          ctx.beginPath();
          for (let i = 0; i + 1 < item.points; i += 2) {
            const q = p + 2 * i;
            ctx.moveTo(xy[q], xy[q + 1]);
            ctx.lineTo(xy[q + 2], xy[q + 3]);
          }
          ctx.stroke();
        } else {
          for (let i = 0; i < item.points; i++) drawMarker(ctx, item.code, xy[p + 2 * i], xy[p + 2 * i + 1]);
        }
        p += 2 * item.points;
      }
      ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    }
    drawTripod(view);
    drawRubberBand(view);
  }

  // The world axes as the view shows them, bottom left.
  function drawTripod(view) {
    const info = page.state && page.state.views[view.index];
    if (!info) return;
    const { ctx } = view;
    const ox = 28;
    const oy = view.h - 28;
    ctx.lineWidth = 2;
    ctx.font = '11px "DejaVu Sans", sans-serif';
    info.axes.forEach(([x, y], i) => {
      if (Math.hypot(x, y) < 0.05) return;
      ctx.strokeStyle = ctx.fillStyle = AXIS_COLORS[i];
      ctx.beginPath();
      ctx.moveTo(ox, oy);
      ctx.lineTo(ox + 18 * x, oy + 18 * y);
      ctx.stroke();
      ctx.fillText('XYZ'[i], ox + 23 * x - 3, oy + 23 * y + 4);
    });
    ctx.lineWidth = 1;
  }

  function drawRubberBand(view) {
    const drag = page.drag;
    if (!drag || drag.view !== view.index || !drag.rubber || !page.state || page.state.drag !== 'rectangle') return;
    const { ctx } = view;
    ctx.save();
    ctx.strokeStyle = '#e8c34a';
    ctx.setLineDash([4, 3]);
    ctx.strokeRect(Math.min(drag.x0, drag.x) + 0.5, Math.min(drag.y0, drag.y) + 0.5,
                   Math.abs(drag.x - drag.x0), Math.abs(drag.y - drag.y0));
    ctx.restore();
  }

  // ---- Viewports ------------------------------------------------------------------

  function buildViews(count) {
    const host = $('viewports');
    host.replaceChildren();
    page.views = [];
    host.style.gridTemplateColumns = count === 1 ? '1fr' : '1fr 1fr';
    host.style.gridTemplateRows = count > 2 ? '1fr 1fr' : '1fr';
    for (let i = 0; i < count; i++) {
      const root = document.createElement('div');
      root.className = 'viewport';
      root.dataset.view = String(i);
      const canvas = document.createElement('canvas');
      const label = document.createElement('div');
      label.className = 'label';
      root.append(canvas, label);
      host.append(root);
      const view = { index: i, root, canvas, label, ctx: canvas.getContext('2d'), w: 1, h: 1, dpr: 1, frame: null };
      page.views.push(view);
      measure(view);
      attachInput(view);
      new ResizeObserver(() => {
        if (measure(view)) {
          outbox.send({ type: 'resize', view: i, width: view.w, height: view.h }, `resize${i}`);
          scheduleDraw(view);
        }
      }).observe(root);
    }
    setActiveView(Math.min(page.activeView, count - 1));
  }

  // Sizes the canvas to whole pixels of its box, so that the host draws on exactly the
  // pixels the pointer reports; true when the size changed.
  function measure(view) {
    const w = Math.max(1, view.root.clientWidth);
    const h = Math.max(1, view.root.clientHeight);
    const dpr = window.devicePixelRatio || 1;
    if (w === view.w && h === view.h && dpr === view.dpr) return false;
    view.w = w;
    view.h = h;
    view.dpr = dpr;
    view.canvas.style.width = `${w}px`;
    view.canvas.style.height = `${h}px`;
    view.canvas.width = Math.round(w * dpr);
    view.canvas.height = Math.round(h * dpr);
    return true;
  }

  function setActiveView(index) {
    page.activeView = index;
    page.views.forEach((v) => v.root.classList.toggle('active', v.index === index));
  }

  function isPerspective(view) {
    const info = page.state && page.state.views[view.index];
    return !!info && info.projection === 'perspective';
  }

  // Which navigation a button press starts, if any: the middle button pans; the right
  // button, or the left one with Alt, orbits a perspective view and pans the others.
  function navigationFor(view, e) {
    if (e.button === 1) return NAV_PAN;
    const creating = page.state && page.state.create;
    if (e.button === 2 && creating) return null;  // a right click cancels a creation
    if (e.button === 2 || (e.button === 0 && e.altKey)) {
      if (e.shiftKey) return NAV_PAN;
      return isPerspective(view) ? NAV_ORBIT : NAV_PAN;
    }
    return null;
  }

  function pointerMessage(view, e, phase) {
    return {
      type: 'pointer', view: view.index, phase, x: Math.round(e.offsetX), y: Math.round(e.offsetY),
      button: e.button === 2 ? 2 : 0, additive: e.shiftKey || e.ctrlKey,
    };
  }

  function attachInput(view) {
    const { canvas } = view;
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('pointerdown', (e) => {
      setActiveView(view.index);
      canvas.setPointerCapture(e.pointerId);
      const nav = navigationFor(view, e);
      if (nav) {
        page.drag = { view: view.index, nav, x: e.offsetX, y: e.offsetY };
        return;
      }
      if (e.button === 0) {
        page.drag = { view: view.index, x0: e.offsetX, y0: e.offsetY, x: e.offsetX, y: e.offsetY, rubber: true };
        outbox.send(pointerMessage(view, e, 'down'));
      } else if (e.button === 2) {
        outbox.send(pointerMessage(view, e, 'down'));
      }
    });
    canvas.addEventListener('pointermove', (e) => {
      const drag = page.drag;
      if (drag && drag.view === view.index && drag.nav) {
        const dx = e.offsetX - drag.x;
        const dy = e.offsetY - drag.y;
        drag.x = e.offsetX;
        drag.y = e.offsetY;
        if (dx || dy) outbox.send({ type: drag.nav, view: view.index, dx, dy }, `${drag.nav}${view.index}`);
        return;
      }
      if (drag && drag.view === view.index) {
        drag.x = e.offsetX;
        drag.y = e.offsetY;
        outbox.send(pointerMessage(view, e, 'move'), 'move');
        scheduleDraw(view);
      } else if (page.state && page.state.create) {
        outbox.send(pointerMessage(view, e, 'move'), 'move');  // free moves show the snap
      }
    });
    const finish = (e) => {
      const drag = page.drag;
      if (!drag || drag.view !== view.index) return;
      page.drag = null;
      if (!drag.nav && e.button === 0) outbox.send(pointerMessage(view, e, 'up'));
      scheduleDraw(view);
    };
    canvas.addEventListener('pointerup', finish);
    canvas.addEventListener('pointercancel', finish);
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      const factor = Math.exp(-e.deltaY * (e.deltaMode === 1 ? 0.05 : 0.0015));
      outbox.send({ type: 'zoom', view: view.index, factor, x: e.offsetX, y: e.offsetY }, `zoom${view.index}`);
    }, { passive: false });
  }

  // ---- State ----------------------------------------------------------------------

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

  function renderClasses() {
    const list = $('class-list');
    list.replaceChildren();
    for (const group of page.classes) {
      const title = document.createElement('div');
      title.className = 'category';
      title.textContent = group.category;
      const grid = document.createElement('div');
      grid.className = 'class-grid';
      for (const cls of group.classes) {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = cls.name;
        button.dataset.classId = cls.id;
        button.title = `Create a ${cls.name}: drag in a viewport`;
        button.addEventListener('click', () => {
          if (page.state && page.state.create === cls.id) outbox.send({ type: 'selectMode' });
          else outbox.send({ type: 'create', class: cls.id });
        });
        grid.append(button);
      }
      list.append(title, grid);
    }
  }

  function renderToolState() {
    const creating = page.state.create;
    $('select-tool').classList.toggle('active', !creating);
    for (const button of $('class-list').querySelectorAll('button')) {
      button.classList.toggle('active', button.dataset.classId === creating);
    }
  }

  function selectedNames() {
    return page.state ? page.state.nodes.filter((n) => n.selected).map((n) => n.name) : [];
  }

  function renderNodes() {
    const list = $('node-list');
    list.replaceChildren();
    for (const node of page.state.nodes) {
      const item = document.createElement('li');
      item.classList.toggle('selected', node.selected);
      item.dataset.node = node.name;
      const swatch = document.createElement('span');
      swatch.className = 'swatch';
      swatch.style.background = node.color;
      const name = document.createElement('span');
      name.textContent = node.name;
      const cls = document.createElement('span');
      cls.className = 'class';
      cls.textContent = node.class;
      item.append(swatch, name, cls);
      item.addEventListener('click', (e) => {
        const names = e.shiftKey || e.ctrlKey ? [...new Set([...selectedNames(), node.name])] : [node.name];
        outbox.send({ type: 'select', names });
      });
      list.append(item);
    }
    if (!page.state.nodes.length) {
      const empty = document.createElement('li');
      empty.className = 'muted';
      empty.textContent = 'No objects yet: pick a class above and drag in a viewport.';
      list.append(empty);
    }
  }

  function renderModify(panel) {
    const names = selectedNames();
    $('modify-header').textContent = names.length === 0 ? 'Nothing selected'
      : names.length === 1 ? names[0] : `${names.length} objects selected \u2014 select one to edit it`;
    if (panel.rollouts) renderRollouts(panel.rollouts);
    renderPicking(panel.picking);
    // While creating, the new object's rollouts stand under the classes to create.
    const editHost = page.state.create && panel.edited ? $('create-edit-host') : $('modify-edit-host');
    if ($('edit-area').parentElement !== editHost) editHost.append($('edit-area'));
    // Selecting an object brings its rollouts to the front, except while creating.
    if (panel.edited && panel.edited !== page.edited && !page.state.create) showTab('modify');
    page.edited = panel.edited;
  }

  // ---- Rollouts -------------------------------------------------------------------

  function sendControl(handle, action, extra = {}, mergeKey = undefined) {
    outbox.send({ type: 'control', control: handle, action, ...extra }, mergeKey);
  }

  function place(element, c) {
    element.style.left = `${c.x}px`;
    element.style.top = `${c.y}px`;
    element.style.width = `${c.w}px`;
    element.style.height = `${c.h}px`;
    element.dataset.id = String(c.id);
    element.dataset.handle = String(c.handle);
    return element;
  }

  function makeControl(c) {
    switch (c.kind) {
      case 'static': {
        const label = place(document.createElement('div'), c);
        label.className = 'rc-static';
        label.textContent = c.text;
        label.style.textAlign = c.align || 'left';
        return label;
      }
      case 'group': {
        const group = place(document.createElement('div'), c);
        group.className = 'rc-group';
        if (c.text) {
          const title = document.createElement('span');
          title.textContent = c.text;
          group.append(title);
        }
        return group;
      }
      case 'edit': {
        const input = place(document.createElement('input'), c);
        input.className = 'rc-edit';
        input.type = 'text';
        input.value = c.text;
        input.spellcheck = false;
        input.addEventListener('keydown', (e) => {
          if (e.key === 'Enter') { e.preventDefault(); input.blur(); }
          if (e.key === 'Escape') { input.value = input.dataset.shown; input.blur(); }
          e.stopPropagation();
        });
        input.dataset.shown = c.text;
        input.addEventListener('change', () => sendControl(c.handle, 'text', { text: input.value }));
        return input;
      }
      case 'spinner': return makeSpinner(c);
      case 'button': {
        const button = place(document.createElement('button'), c);
        button.type = 'button';
        button.className = `rc-button${c.sunken ? ' sunken' : ''}`;
        button.textContent = c.text;
        button.dataset.role = c.role;
        button.addEventListener('click', () => sendControl(c.handle, 'click'));
        return button;
      }
      case 'check': {
        const label = place(document.createElement('label'), c);
        label.className = `rc-check${c.textOnLeft ? ' left' : ''}`;
        const box = document.createElement('input');
        box.type = 'checkbox';
        box.checked = c.checked;
        box.addEventListener('change', () => sendControl(c.handle, 'click'));
        const text = document.createElement('span');
        text.textContent = c.text;
        label.append(box, text);
        return label;
      }
      case 'list': {
        const list = place(document.createElement('div'), c);
        list.className = 'rc-list';
        list.setAttribute('role', 'listbox');
        c.items.forEach((item, i) => {
          const row = document.createElement('div');
          row.textContent = item;
          row.setAttribute('role', 'option');
          row.classList.toggle('selected', i === c.selected);
          row.addEventListener('click', () => sendControl(c.handle, 'select', { index: i === c.selected ? -1 : i }));
          list.append(row);
        });
        return list;
      }
      case 'picture': {
        const image = place(document.createElement('img'), c);
        image.className = `rc-picture${c.sunken ? ' sunken' : ''}`;
        image.alt = '';
        if (c.image) image.src = c.image;
        // A picture shows its bitmap at the bitmap's own size, centred in its box.
        image.style.width = image.style.height = '';
        image.addEventListener('load', () => {
          image.style.left = `${c.x + (c.w - image.naturalWidth) / 2}px`;
          image.style.top = `${c.y + (c.h - image.naturalHeight) / 2}px`;
        });
        return image;
      }
      default: return null;
    }
  }

  // Arrows that step the value by one per click, and by one per pixel when dragged.
  function makeSpinner(c) {
    const spinner = place(document.createElement('div'), c);
    spinner.className = 'rc-spinner';
    spinner.title = 'Click the arrows or drag up and down';
    const up = document.createElement('span');
    up.textContent = '\u25b2';
    const down = document.createElement('span');
    down.textContent = '\u25bc';
    spinner.append(up, down);
    spinner.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      spinner.setPointerCapture(e.pointerId);
      const drag = { y: e.clientY, moved: false, step: e.target === down ? -1 : 1 };
      const move = (ev) => {
        const dy = drag.y - ev.clientY;
        if (!dy) return;
        drag.moved = true;
        drag.y = ev.clientY;
        sendControl(c.handle, 'spin', { steps: dy }, `spin${c.handle}`);
      };
      const up2 = () => {
        spinner.removeEventListener('pointermove', move);
        spinner.removeEventListener('pointerup', up2);
        if (!drag.moved) sendControl(c.handle, 'spin', { steps: drag.step });
      };
      spinner.addEventListener('pointermove', move);
      spinner.addEventListener('pointerup', up2);
    });
    return spinner;
  }

  // Rollouts are built anew when their layout changes; otherwise only the controls whose
  // description changed are, so that a spinner being dragged keeps its pointer.
  function renderRollouts(rollouts) {
    const host = $('rollouts');
    const focused = document.activeElement && host.contains(document.activeElement)
      ? document.activeElement.dataset.handle : null;
    const layout = JSON.stringify(rollouts.map((r) => [r.handle, r.title, r.open, r.width, r.height,
      r.controls.map((c) => c.handle)]));
    if (layout === page.rolloutLayout) {
      const shown = new Map(page.rollouts.flatMap((r) => r.controls).map((c) => [c.handle, JSON.stringify(c)]));
      for (const c of rollouts.flatMap((r) => r.controls)) {
        const element = host.querySelector(`[data-handle="${c.handle}"]`);
        // A field or check box left as the user set it, when the parameter refused the
        // edit, shows the parameter again.
        const box = element && c.kind === 'check' ? element.querySelector('input') : null;
        const stale = element && ((element.tagName === 'INPUT' && element.value !== c.text) ||
          (box !== null && box.checked !== c.checked));
        if (shown.get(c.handle) === JSON.stringify(c) && !stale) continue;
        const fresh = makeControl(c);
        if (element && fresh) element.replaceWith(fresh);
      }
    } else {
      host.replaceChildren(...rollouts.map(makeRollout));
    }
    if (focused) {
      const again = host.querySelector(`[data-handle="${focused}"]`);
      if (again && again.tagName === 'INPUT' && again.type === 'text') again.focus();
    }
    page.rollouts = rollouts;
    page.rolloutLayout = layout;
  }

  function makeRollout(r) {
    const rollout = document.createElement('section');
    rollout.className = `rollout${r.open ? '' : ' closed'}`;
    rollout.dataset.title = r.title;
    const title = document.createElement('button');
    title.type = 'button';
    title.className = 'rollout-title';
    title.textContent = r.title;
    title.addEventListener('click', () => outbox.send({ type: 'rollout', rollout: r.handle, open: !r.open }));
    const body = document.createElement('div');
    body.className = 'rollout-body';
    body.style.width = `${r.width}px`;
    body.style.height = `${r.height}px`;
    for (const c of r.controls) {
      const element = makeControl(c);
      if (element) body.append(element);
    }
    rollout.append(title, body);
    return rollout;
  }

  function renderPicking(listName) {
    $('picking').hidden = !listName;
    for (const button of $('rollouts').querySelectorAll('button[data-role="add"]')) {
      button.classList.toggle('picking', !!listName);
    }
    if (!listName) return;
    $('picking-text').textContent = `Pick a node for ${listName}: click it in a viewport, or choose it here.`;
    const list = $('picking-list');
    list.replaceChildren();
    for (const node of page.state.nodes) {
      const item = document.createElement('li');
      item.textContent = node.name;
      item.addEventListener('click', () => outbox.send({ type: 'pick', node: node.name }));
      list.append(item);
    }
  }

  // ---- Message boxes --------------------------------------------------------------

  const BUTTONS = {
    ok: [['OK', 1]], okcancel: [['OK', 1], ['Cancel', 2]], yesno: [['Yes', 6], ['No', 7]],
    yesnocancel: [['Yes', 6], ['No', 7], ['Cancel', 2]], retrycancel: [['Retry', 4], ['Cancel', 2]],
    abortretryignore: [['Abort', 3], ['Retry', 4], ['Ignore', 5]],
  };
  const ICONS = { error: '\u26d4', warning: '\u26a0', information: '\u2139', question: '?' };

  // Shows the host's message box; the host's UI waits until the user answers.
  function showMessageBox(box) {
    const dialog = $('message-box');
    $('message-caption').textContent = box.caption;
    $('message-text').textContent = box.text;
    const icon = $('message-icon');
    icon.className = `message-icon ${box.icon}`;
    icon.textContent = ICONS[box.icon] || '';
    const buttons = $('message-buttons');
    buttons.replaceChildren();
    const choices = BUTTONS[box.buttons] || BUTTONS.ok;
    let answer = choices.length === 1 ? choices[0][1] : 2;
    for (const [label, code] of choices) {
      const button = document.createElement('button');
      button.type = 'submit';
      button.textContent = label;
      button.addEventListener('click', () => { answer = code; });
      buttons.append(button);
    }
    dialog.addEventListener('close', () => {
      outbox.ws.send(JSON.stringify({ type: 'dialogReply', id: box.id, button: answer }));
    }, { once: true });
    dialog.showModal();
  }

  // ---- Time -----------------------------------------------------------------------

  function updateTime(state, first) {
    const slider = $('time-slider');
    slider.min = String(state.start);
    slider.max = String(state.end);
    if (!page.scrubbing && !page.playing) slider.value = String(state.frame);
    const number = $('frame-number');
    if (document.activeElement !== number || first) number.value = String(state.frame);
    $('frame-range').textContent = `${state.start}\u2013${state.end} at ${state.fps} fps`;
  }

  function setFrame(frame) {
    outbox.send({ type: 'frame', frame }, 'frame');
  }

  function togglePlay() {
    page.playing = !page.playing;
    $('play').textContent = page.playing ? '\u25a0' : '\u25b6';
    if (!page.playing || !page.state) return;
    const { start, end, fps } = page.state;
    let frame = Number($('time-slider').value);
    let last = performance.now();
    const step = (now) => {
      if (!page.playing) return;
      frame += ((now - last) / 1000) * fps;
      last = now;
      if (frame > end) frame = start + ((frame - start) % Math.max(1, end - start + 1));
      const whole = Math.floor(frame);
      if (String(whole) !== $('time-slider').value) {
        $('time-slider').value = String(whole);
        $('frame-number').value = String(whole);
        setFrame(whole);
      }
      requestAnimationFrame(step);
    };
    requestAnimationFrame(step);
  }

  // ---- Saving, errors, status ----------------------------------------------------

  function save() {
    outbox.send({ type: 'save' });
  }

  function openSaveDialog() {
    const dialog = $('save-dialog');
    $('save-error').hidden = true;
    if (!dialog.open) dialog.showModal();
    $('save-name').select();
  }

  let bannerTimer = 0;
  function reportError(text) {
    const dialog = $('save-dialog');
    if (dialog.open) {
      $('save-error').textContent = text;
      $('save-error').hidden = false;
      return;
    }
    $('banner-text').textContent = text;
    $('banner').hidden = false;
    clearTimeout(bannerTimer);
    bannerTimer = setTimeout(() => { $('banner').hidden = true; }, 10000);
  }

  function setConnection(kind, text) {
    const c = $('connection');
    c.className = `connection ${kind}`;
    c.textContent = text;
  }

  // ---- Wiring ---------------------------------------------------------------------

  function isTyping(target) {
    return target instanceof HTMLInputElement || target instanceof HTMLTextAreaElement || target.closest('dialog');
  }

  function wire() {
    $('save').addEventListener('click', save);
    $('grid-snap').addEventListener('change', (e) => outbox.send({ type: 'gridSnap', on: e.target.checked }));
    $('select-tool').addEventListener('click', () => outbox.send({ type: 'selectMode' }));
    $('banner-close').addEventListener('click', () => { $('banner').hidden = true; });
    $('picking-cancel').addEventListener('click', () => outbox.send({ type: 'key', key: 'Escape' }));
    $('play').addEventListener('click', togglePlay);
    const slider = $('time-slider');
    slider.addEventListener('pointerdown', () => { page.scrubbing = true; });
    slider.addEventListener('pointerup', () => { page.scrubbing = false; });
    slider.addEventListener('input', () => {
      $('frame-number').value = slider.value;
      setFrame(Number(slider.value));
    });
    $('frame-number').addEventListener('change', (e) => {
      const frame = Number(e.target.value);
      if (Number.isFinite(frame)) setFrame(frame);
    });
    // The dialog stays open until the host has saved, so a refused name can be changed.
    $('save-dialog').querySelector('form').addEventListener('submit', (e) => {
      if (e.submitter !== $('save-confirm')) return;
      e.preventDefault();
      const name = $('save-name').value.trim();
      if (!name) return;
      page.savingAs = true;
      outbox.send({ type: 'save', file: name.endsWith('.json') ? name : `${name}.json` });
    });
    for (const tab of document.querySelectorAll('.tabs button')) {
      tab.addEventListener('click', () => showTab(tab.dataset.tab));
    }
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

  function showTab(name) {
    for (const tab of document.querySelectorAll('.tabs button')) tab.classList.toggle('active', tab.dataset.tab === name);
    for (const tabPage of document.querySelectorAll('.tab-page')) tabPage.hidden = tabPage.dataset.page !== name;
  }

  // Read-only inspection for scripts and tests: whether the page is waiting for the
  // host, its last state, and what a view last drew.
  window.__zentrograph = {
    idle: () => outbox.inFlight === 0 && outbox.queue.length === 0 && page.views.every((v) => !v.pending),
    state: () => page.state,
    frame: (index) => {
      const frame = page.views[index] && page.views[index].frame;
      if (!frame) return null;
      let p = 0;
      const items = frame.items.map((item) => {
        const points = Array.from(frame.xy.subarray(p, p + 2 * item.points));
        p += 2 * item.points;
        return {
          kind: ['polyline', 'segments', 'markers'][item.kind], node: item.node >= 0 ? frame.names[item.node] : null,
          code: item.code, color: item.color, closed: !!item.closed, points,
        };
      });
      return { width: frame.width, height: frame.height, items };
    },
  };

  wire();
  buildViews(2);
  connect();
})();
