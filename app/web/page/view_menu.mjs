// The menu a view's label opens: the projection the view shows, framing the selection
// or the whole scene, and maximising the view. What it asks for the host does; the
// new camera comes back in the host's state.
import { outbox } from './host_link.mjs';
import { PROJECTIONS } from './layout.mjs';
import { page } from './page_state.mjs';

let menu = null;

function close() {
  if (!menu) return;
  menu.remove();
  menu = null;
  document.removeEventListener('pointerdown', outside, true);
  document.removeEventListener('keydown', escape, true);
}

function outside(e) {
  if (menu && !menu.contains(e.target) && !e.target.closest('.viewport .label')) close();
}

function escape(e) {
  if (e.key !== 'Escape') return;
  e.stopPropagation();
  close();
}

// Frames the selected nodes (every node when none is) in `view`, or, with `all`, the
// whole scene.
export function frameView(view, all) {
  outbox.send({ type: 'frameView', view: view.index, all });
}

function item(text, key, checked, action) {
  const button = document.createElement('button');
  button.type = 'button';
  button.setAttribute('role', 'menuitem');
  button.className = checked ? 'checked' : '';
  const name = document.createElement('span');
  name.textContent = text;
  const hint = document.createElement('kbd');
  hint.textContent = key;
  button.append(name, hint);
  button.addEventListener('click', () => {
    close();
    action();
  });
  return button;
}

// Opens the menu of `view` under its label, or closes the one open (null, or the same
// view's label again).
export function openViewMenu(view, { toggleMaximized } = {}) {
  const again = menu && view && menu.dataset.view === String(view.index);
  close();
  if (!view || again) return;
  const info = page.state && page.state.views[view.index];
  menu = document.createElement('div');
  menu.className = 'view-menu';
  menu.setAttribute('role', 'menu');
  menu.dataset.view = String(view.index);
  for (const [projection, title] of PROJECTIONS) {
    menu.append(item(title, '', !!info && info.projection === projection,
      () => outbox.send({ type: 'projection', view: view.index, projection })));
  }
  menu.append(document.createElement('hr'));
  menu.append(item('Frame Selected', 'Z', false, () => frameView(view, false)));
  menu.append(item('Zoom Extents', 'Shift+Z', false, () => frameView(view, true)));
  if (toggleMaximized) {
    menu.append(document.createElement('hr'));
    menu.append(item(page.layout === 1 ? 'Restore Layout' : 'Maximize View', 'Alt+W', false, toggleMaximized));
  }
  const box = view.label.getBoundingClientRect();
  menu.style.left = `${box.left}px`;
  menu.style.top = `${box.bottom + 2}px`;
  document.body.append(menu);
  document.addEventListener('pointerdown', outside, true);
  document.addEventListener('keydown', escape, true);
}
