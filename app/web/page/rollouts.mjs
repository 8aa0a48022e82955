// The rollouts of the command panel: each control stands where the host laid it out,
// in pixels, and reports the user's edits to the host, which answers with the values
// the parameters took.
import { outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';

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
      list.tabIndex = 0;
      c.items.forEach((item, i) => {
        const row = document.createElement('div');
        row.textContent = item;
        row.setAttribute('role', 'option');
        row.classList.toggle('selected', i === c.selected);
        row.addEventListener('click', () => {
          list.focus();
          sendControl(c.handle, 'select', { index: i === c.selected ? -1 : i });
        });
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
    const release = () => {
      spinner.removeEventListener('pointermove', move);
      spinner.removeEventListener('pointerup', release);
      if (!drag.moved) sendControl(c.handle, 'spin', { steps: drag.step });
    };
    spinner.addEventListener('pointermove', move);
    spinner.addEventListener('pointerup', release);
  });
  return spinner;
}

// Rollouts are built anew when their layout changes; otherwise only the controls whose
// description changed are, so that a spinner being dragged keeps its pointer.
export function renderRollouts(rollouts) {
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
    if (again && ((again.tagName === 'INPUT' && again.type === 'text') || again.classList.contains('rc-list'))) again.focus();
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
