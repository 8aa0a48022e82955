// The rollouts of the command panel: each control stands where the host laid it out,
// in pixels, and reports the user's edits to the host, which answers with the values
// the parameters took.
import { outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';

function sendControl(handle, action, extra = {}, mergeKey = undefined, answered = undefined) {
  outbox.send({ type: 'control', control: handle, action, ...extra }, mergeKey, answered);
}

const number = (v) => String(Number(v.toPrecision(6)));

// The text a control of `controls` (one rollout's, titled `title`) shows under the
// pointer: what it is called (the text to its left on its row, for fields and
// spinners), the range it takes and how to use it.
export function tooltipOf(c, controls, title = '') {
  const labelOf = (field) => {
    const row = controls.filter((o) => o.kind === 'static' && o.text.trim() && o.x < field.x &&
      o.y < field.y + field.h && field.y < o.y + o.h);
    row.sort((a, b) => b.x - a.x);
    return row.length ? row[0].text.trim().replace(/:$/, '') : '';
  };
  const range = c.range ? `from ${number(c.range[0])} to ${number(c.range[1])}${c.whole ? ', whole numbers' : ''}` : '';
  const named = (what, rest) => [what, rest].filter(Boolean).join(': ');
  switch (c.kind) {
    case 'edit': return named(labelOf(c), [range, 'type a value and press Enter'].filter(Boolean).join('; '));
    case 'spinner': return named(labelOf(c), [range, 'click the arrows or drag up and down'].filter(Boolean).join('; '));
    case 'static': {
      const field = controls.find((o) => (o.kind === 'edit' || o.kind === 'spinner') && labelOf(o) === c.text.trim().replace(/:$/, ''));
      return field ? tooltipOf(field, controls) : c.text || title;
    }
    case 'check': return `${c.text}: click to switch on or off`;
    case 'button': return c.role === 'add' ? `${c.text}: then click a node in a viewport, or choose it from the list`
      : c.role === 'remove' ? `${c.text}: takes the selected entry out of the list` : c.text;
    case 'list': return 'Click an entry to select it';
    default: return c.text || title;
  }
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
      // Once the host has answered, the field shows the value the parameter took, even
      // when that did not change (a value clamped to where it already was).
      input.addEventListener('change', () => sendControl(c.handle, 'text', { text: input.value }, undefined, () => {
        const stored = page.rollouts.flatMap((r) => r.controls).find((o) => o.handle === c.handle);
        const field = $('rollouts').querySelector(`[data-handle="${c.handle}"]`);
        if (stored && field && document.activeElement !== field) field.value = stored.text;
      }));
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
      const rollout = rollouts.find((r) => r.controls.includes(c));
      if (element && fresh) element.replaceWith(withTooltip(fresh, c, rollout));
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

function withTooltip(element, c, rollout) {
  element.title = tooltipOf(c, rollout.controls, rollout.title);
  return element;
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
    if (element) body.append(withTooltip(element, c, r));
  }
  rollout.append(title, body);
  return rollout;
}
