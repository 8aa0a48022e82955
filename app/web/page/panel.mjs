// The command panel around the rollouts: the Create and Modify tabs, the classes that
// can be created, the scene's node list, the header of what is edited, and the list
// offered while a rollout picks a node.
import { outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';
import { renderRollouts } from './rollouts.mjs';

export function showTab(name) {
  for (const tab of document.querySelectorAll('.tabs button')) tab.classList.toggle('active', tab.dataset.tab === name);
  for (const tabPage of document.querySelectorAll('.tab-page')) tabPage.hidden = tabPage.dataset.page !== name;
}

export function renderClasses() {
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
      // Clicking the class being created again stays in create mode: leaving it
      // silently would make the next drag move the last object instead.
      button.addEventListener('click', () => outbox.send({ type: 'create', class: cls.id }));
      grid.append(button);
    }
    list.append(title, grid);
  }
}

export function renderToolState() {
  const creating = page.state.create;
  $('select-tool').classList.toggle('active', !creating);
  for (const button of $('class-list').querySelectorAll('button')) {
    button.classList.toggle('active', button.dataset.classId === creating);
  }
}

function selectedNames() {
  return page.state ? page.state.nodes.filter((n) => n.selected).map((n) => n.name) : [];
}

export function renderNodes() {
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

export function renderModify(panel) {
  const names = selectedNames();
  $('modify-header').textContent = names.length === 0 ? 'Nothing selected'
    : names.length === 1 ? names[0] : `${names.length} objects selected \u2014 select one to edit it`;
  renderNodeEdit(panel.node);
  if (panel.rollouts) renderRollouts(panel.rollouts);
  renderPicking(panel.picking);
  // While creating, the new object's rollouts stand under the classes to create.
  const editHost = page.state.create && panel.edited ? $('create-edit-host') : $('modify-edit-host');
  if ($('edit-area').parentElement !== editHost) editHost.append($('edit-area'));
  // Selecting an object brings its rollouts to the front, except while creating.
  if (panel.edited && panel.edited !== page.edited && !page.state.create) showTab('modify');
  page.edited = panel.edited;
}

// The selected node's name, wire colour and transform; a field being typed in keeps
// what the user typed until it is committed.
function renderNodeEdit(node) {
  $('node-edit').hidden = !node;
  if (!node) return;
  const show = (input, value) => {
    if (document.activeElement !== input) input.value = value;
    input.dataset.shown = value;
  };
  show($('node-name'), node.name);
  show($('node-color'), node.color);
  for (const row of document.querySelectorAll('#node-edit .xyz')) {
    row.querySelectorAll('input').forEach((input, i) => show(input, String(+node[row.dataset.channel][i].toFixed(4))));
  }
}

function wireNodeEdit() {
  const node = () => page.state && page.state.panel.node && page.state.panel.node.name;
  $('node-name').addEventListener('change', (e) => {
    if (node() && e.target.value !== node()) outbox.send({ type: 'rename', node: node(), name: e.target.value });
  });
  $('node-color').addEventListener('change', (e) => {
    if (node()) outbox.send({ type: 'wireColor', node: node(), color: e.target.value });
  });
  for (const row of document.querySelectorAll('#node-edit .xyz')) {
    for (const input of row.querySelectorAll('input')) {
      input.addEventListener('change', () => {
        const value = [...row.querySelectorAll('input')].map((i) => Number(i.value));
        if (!node() || value.some((v) => !Number.isFinite(v)) || input.value.trim() === '') {
          input.value = input.dataset.shown;
          return;
        }
        outbox.send({ type: 'transform', node: node(), channel: row.dataset.channel, value });
      });
    }
  }
  for (const input of document.querySelectorAll('#node-edit input')) {
    input.addEventListener('keydown', (e) => {
      if (e.key === 'Enter') input.blur();
      if (e.key === 'Escape') { input.value = input.dataset.shown; input.blur(); }
    });
    // Once left, a field shows the stored value again: a refused edit does not linger.
    input.addEventListener('blur', () => { input.value = input.dataset.shown; });
  }
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
  // Only the nodes the list would take are offered.
  const pickable = page.state.panel.pickable;
  for (const node of page.state.nodes) {
    if (pickable && !pickable.includes(node.name)) continue;
    const item = document.createElement('li');
    item.textContent = node.name;
    item.addEventListener('click', () => outbox.send({ type: 'pick', node: node.name }));
    list.append(item);
  }
}

export function wirePanel() {
  wireNodeEdit();
  $('select-tool').addEventListener('click', () => outbox.send({ type: 'selectMode' }));
  $('picking-cancel').addEventListener('click', () => outbox.send({ type: 'key', key: 'Escape' }));
  for (const tab of document.querySelectorAll('.tabs button')) {
    tab.addEventListener('click', () => showTab(tab.dataset.tab));
  }
}
