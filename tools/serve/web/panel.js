// The arrow panel's page. It shows what the server answers and sends the user's actions
// back; the server performs each one through the host and returns the new state. The
// page computes no geometry and decides no enabling itself.
'use strict';

const MAX_UPLOAD = 1024 * 1024;
let state = null;
let selected = null;
// The tree item that has the keyboard focus (roving), folded objects, and the object the
// keyboard picked up to move.
let focusedNode = null;
const folded = new Set();
let moving = null;
// A value the server refused: {parameter, message}, shown at its field until the next
// change goes through.
let fieldError = null;
// The document's version that the page shows; every answer carries the server's.
let version = 0;
const hostLog = [];
const pendingDialogs = [];

const $ = (id) => document.getElementById(id);

// The server takes API requests only with this header, which no page of another origin
// can send to it.
const PANEL_HEADER = { 'X-Keelvane-Panel': '1' };

function showError(message) {
  $('error-text').textContent = message;
  $('error').hidden = false;
}

function clearError() {
  $('error').hidden = true;
}

function showNotice(message) {
  $('notice-text').textContent = message;
  $('notice').hidden = false;
}

// Sends one request; on success renders the returned state, on failure shows the
// server's message. Returns the state, or null on failure.
async function call(method, path, body) {
  $('notice').hidden = true;
  const options = { method, headers: { ...PANEL_HEADER } };
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = JSON.stringify(body);
  }
  return finish(await fetch(path, options));
}

async function finish(response) {
  let data = null;
  try {
    data = await response.json();
  } catch (e) {
    data = { error: `the server answered ${response.status} without a readable body` };
  }
  if (!response.ok) {
    const message = data.error || `the server answered ${response.status}`;
    const field = data.parameter !== undefined && state && state.object &&
        state.object.parameters.find((p) => p.id === data.parameter);
    if (field) {
      clearError();
      fieldError = { parameter: field.id, message };
      renderPanel();
    } else {
      showError(message);
    }
    catchUp(response);
    return null;
  }
  clearError();
  fieldError = null;
  render(data);
  return data;
}

// Another tab (or a script) changed the document: shows it as it now is.
function catchUp(response) {
  const seen = Number(response.headers.get('X-Keelvane-Version'));
  if (seen > version) refresh();
}

function refresh() {
  return fetch(`/api/state${selected === null ? '' : `?object=${selected}`}`, { headers: PANEL_HEADER })
    .then((response) => (response.ok ? response.json() : null))
    .then((data) => { if (data) render(data); })
    .catch(() => {});
}

// A tab that shows the page looks every second whether the document has changed.
function watchVersion() {
  if (document.hidden) return;
  fetch('/api/version', { headers: PANEL_HEADER })
    .then((response) => (response.ok ? response.json() : null))
    .then((data) => { if (data && data.version > version) refresh(); })
    .catch(() => {});
}

function act(path, body) {
  return call('POST', path, Object.assign({ object: selected }, body));
}

// ---- Rendering -----------------------------------------------------------------------

function render(next) {
  for (const text of next.dialogs) pendingDialogs.push(text);
  for (const n of next.notices || []) showNotice(n);
  // Answers can arrive out of order: a state older than the one shown is not shown.
  if (next.version < version) {
    showNextDialog();
    return;
  }
  version = next.version;
  state = next;
  selected = next.selected;
  const active = document.activeElement;
  const inTree = $('tree').contains(active);
  const activeId = active && active.id;
  renderTree();
  renderPanel();
  renderPreview();
  // The re-rendered page keeps the keyboard where it was.
  if (inTree) treeItemOf(focusedNode)?.focus();
  else if (activeId && $(activeId) && !$(activeId).disabled && document.activeElement !== $(activeId)) $(activeId).focus();
  for (const e of next.hostErrors) hostLog.push('host: ' + e);
  $('console').textContent = next.console.concat(hostLog).join('\n');
  $('undo').disabled = next.undo.undo === 0;
  $('redo').disabled = next.undo.redo === 0;
  showNextDialog();
}

function renderTree() {
  const tree = $('tree');
  const ids = [];
  const walk = (nodes) => nodes.forEach((n) => { ids.push(n.id); walk(n.children); });
  walk(state.tree);
  if (!ids.includes(focusedNode)) focusedNode = ids.includes(selected) ? selected : (ids[0] ?? null);
  if (moving !== null && !ids.includes(moving)) setMoving(null);
  tree.replaceChildren(...state.tree.map((n) => treeItem(n, 1)));
}

// An object of the tree: a tree item that holds its children's group. One item at a time
// is in the tab order; the arrow keys move between them.
function treeItem(node, level) {
  const li = document.createElement('li');
  li.setAttribute('role', 'treeitem');
  li.setAttribute('aria-level', String(level));
  li.setAttribute('aria-selected', String(node.id === selected));
  li.tabIndex = node.id === focusedNode ? 0 : -1;
  li.dataset.id = node.id;
  const span = document.createElement('span');
  span.className = 'node' + (node.id === selected ? ' selected' : '') + (node.id === moving ? ' moving' : '');
  const twisty = document.createElement('span');
  twisty.className = 'twisty';
  twisty.setAttribute('aria-hidden', 'true');
  span.appendChild(twisty);
  span.appendChild(document.createTextNode(node.label));
  span.dataset.id = node.id;
  span.dataset.label = node.label;
  span.draggable = true;
  span.addEventListener('click', (e) => {
    focusedNode = node.id;
    if (e.target === twisty && node.children.length > 0) return toggleFold(node.id);
    selectObject(node.id);
  });
  span.addEventListener('dragstart', (e) => e.dataTransfer.setData('text/plain', String(node.id)));
  dropTarget(span, node.id);
  li.appendChild(span);
  if (node.children.length > 0) {
    li.setAttribute('aria-expanded', String(!folded.has(node.id)));
    twisty.textContent = folded.has(node.id) ? '\u25B8' : '\u25BE';
    const ul = document.createElement('ul');
    ul.setAttribute('role', 'group');
    ul.replaceChildren(...node.children.map((c) => treeItem(c, level + 1)));
    li.appendChild(ul);
  }
  return li;
}

function treeItemOf(id) {
  return id === null ? null : $('tree').querySelector(`li[data-id="${id}"]`);
}

function selectObject(id) {
  return call('GET', `/api/state?object=${id}`);
}

function toggleFold(id) {
  if (folded.has(id)) folded.delete(id);
  else folded.add(id);
  renderTree();
  treeItemOf(id)?.focus();
}

// The tree items a user can reach now: those not inside a folded object, in order.
function visibleItems() {
  return [...$('tree').querySelectorAll('li[role=treeitem]')].filter((li) => li.offsetParent !== null);
}

function focusItem(li) {
  if (!li) return;
  for (const other of $('tree').querySelectorAll('li[tabindex="0"]')) other.tabIndex = -1;
  li.tabIndex = 0;
  focusedNode = Number(li.dataset.id);
  li.focus();
}

function labelOf(id) {
  const o = state.objects.find((x) => x.id === id);
  return o ? o.label : `#${id}`;
}

function setMoving(id) {
  moving = id;
  $('move-status').textContent = id === null ? ''
    : `Moving ${labelOf(id)}: go to its new parent and press Enter, or press the top level button; Escape keeps it where it is.`;
  for (const n of $('tree').querySelectorAll('.node')) n.classList.toggle('moving', Number(n.dataset.id) === id);
}

// Puts the picked object last under parent (null: the top level), as a drop does.
function dropMoving(parent) {
  const object = moving;
  setMoving(null);
  if (object === null || object === parent) return;
  focusedNode = object;
  call('POST', '/api/move', { object, parent, last: true });
}

function onTreeKey(e) {
  const li = e.target.closest('li[role=treeitem]');
  if (!li || e.altKey || e.ctrlKey || e.metaKey) return;
  const id = Number(li.dataset.id);
  const items = visibleItems();
  const at = items.indexOf(li);
  const expandable = li.hasAttribute('aria-expanded');
  const open = li.getAttribute('aria-expanded') === 'true';
  switch (e.key) {
    case 'ArrowDown': focusItem(items[at + 1]); break;
    case 'ArrowUp': focusItem(items[at - 1]); break;
    case 'Home': focusItem(items[0]); break;
    case 'End': focusItem(items[items.length - 1]); break;
    case 'ArrowRight':
      if (expandable && !open) toggleFold(id);
      else if (open) focusItem(li.querySelector('li[role=treeitem]'));
      break;
    case 'ArrowLeft':
      if (open) toggleFold(id);
      else focusItem(li.parentElement.closest('li[role=treeitem]'));
      break;
    case 'Enter':
    case ' ':
      if (moving !== null) dropMoving(id);
      else selectObject(id);
      break;
    case 'm':
    case 'M':
      setMoving(id);
      break;
    case 'Escape':
      if (moving === null) return;
      setMoving(null);
      break;
    default:
      return;
  }
  e.preventDefault();
}

// A drop moves the dragged object last under parent (null: the top level), as the
// user's drag in the host's object manager.
function dropTarget(element, parent) {
  element.addEventListener('dragover', (e) => {
    e.preventDefault();
    element.classList.add('drop-target');
  });
  element.addEventListener('dragleave', () => element.classList.remove('drop-target'));
  element.addEventListener('drop', (e) => {
    e.preventDefault();
    element.classList.remove('drop-target');
    const dragged = Number(e.dataTransfer.getData('text/plain'));
    if (!dragged || dragged === parent) return;
    call('POST', '/api/move', { object: dragged, parent, last: true });
  });
}

function renderPanel() {
  const form = $('panel');
  const focused = document.activeElement && document.activeElement.id;
  const object = state.object;
  if (!object) {
    $('panel-title').textContent = 'Attributes';
    form.replaceChildren(note('No object in the document. Add an arrow.'));
    return;
  }
  $('panel-title').textContent = `Attributes: ${object.label}` +
      (object.editable ? '' : ' (read-only)');
  const byGroup = new Map();
  for (const p of object.parameters) {
    if (!byGroup.has(p.group)) byGroup.set(p.group, []);
    byGroup.get(p.group).push(p);
  }
  const children = (parent) => object.groups.filter((g) => g.parent === parent);
  const fill = (container, symbol) => {
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    for (const p of byGroup.get(symbol) || []) {
      if (p.kind === 'button') buttons.appendChild(button(p));
      else container.appendChild(field(p, object.editable));
    }
    if (buttons.children.length > 0) container.appendChild(buttons);
    for (const g of children(symbol)) {
      const set = document.createElement('fieldset');
      const legend = document.createElement('legend');
      legend.textContent = g.label;
      set.appendChild(legend);
      fill(set, g.symbol);
      set.dataset.group = g.symbol;
      container.appendChild(set);
    }
  };
  form.replaceChildren();
  fill(form, '');
  if (object.parameters.length === 0) form.appendChild(note('This object has no parameters the arrow uses.'));
  if (focused && $(focused) && !$(focused).disabled && document.activeElement !== $(focused)) $(focused).focus();
}

// A host object's value as its own panel would show it.
function readOnlyText(p) {
  if (p.kind === 'link') return p.value === null ? 'none' : labelOf(p.value);
  if (p.value === null) return 'not set';
  const choice = p.cycle && p.cycle.find((c) => c.value === p.value);
  if (choice) return choice.label;
  if (typeof p.value === 'boolean') return p.value ? 'on' : 'off';
  if (Array.isArray(p.value)) return p.value.join(', ');
  return String(p.value);
}

function note(text) {
  const p = document.createElement('p');
  p.className = 'muted';
  p.textContent = text;
  return p;
}

function field(p, editable) {
  const row = document.createElement('div');
  row.className = 'field' + (p.enabled || !editable ? '' : ' disabled');
  const label = document.createElement(editable ? 'label' : 'span');
  label.textContent = p.label;
  if (editable) label.htmlFor = 'p-' + p.symbol;
  else label.className = 'label';
  row.appendChild(label);
  const cell = document.createElement('div');
  let input;
  if (!editable) {
    input = document.createElement('span');
    input.className = 'readonly';
    input.textContent = readOnlyText(p);
  } else if (p.kind === 'bool') {
    input = document.createElement('input');
    input.type = 'checkbox';
    input.checked = p.value;
    input.addEventListener('change', () => set(p, input.checked));
  } else if (p.cycle || p.kind === 'link') {
    input = document.createElement('select');
    const choices = p.cycle
      ? p.cycle.map((c) => [String(c.value), c.label])
      : [['', 'none']].concat(state.objects.filter((o) => o.id !== state.object.id)
          .map((o) => [String(o.id), o.label]));
    for (const [value, text] of choices) {
      const option = document.createElement('option');
      option.value = value;
      option.textContent = text;
      input.appendChild(option);
    }
    input.value = p.value === null ? '' : String(p.value);
    input.addEventListener('change', () => {
      if (p.kind === 'link') set(p, input.value === '' ? null : Number(input.value));
      else set(p, Number(input.value));
    });
  } else {
    input = document.createElement('input');
    input.type = 'text';
    input.value = String(p.value);
    if (p.kind !== 'string') input.inputMode = 'decimal';
    // Enter sends the value and leaves the keyboard in the field; so does leaving it.
    const shown = input.value;
    const commit = () => {
      if (input.value === shown || input.dataset.sent === input.value) return;
      input.dataset.sent = input.value;
      set(p, input.value.trim());
    };
    input.addEventListener('change', commit);
    input.addEventListener('keydown', (e) => {
      if (e.key !== 'Enter') return;
      e.preventDefault();
      commit();
    });
  }
  input.id = 'p-' + p.symbol;
  if (editable) input.disabled = !p.enabled;
  cell.appendChild(input);
  if (p.unit) {
    const unit = document.createElement('span');
    unit.className = 'unit';
    unit.textContent = { METER: 'm', PERCENT: '%', DEGREE: '°' }[p.unit] || '';
    cell.appendChild(unit);
  }
  row.appendChild(cell);
  if (fieldError && fieldError.parameter === p.id && editable) {
    const error = document.createElement('div');
    error.className = 'field-error';
    error.id = 'error-' + p.symbol;
    error.setAttribute('role', 'alert');
    error.textContent = fieldError.message;
    input.setAttribute('aria-invalid', 'true');
    input.setAttribute('aria-describedby', error.id);
    row.appendChild(error);
  }
  return row;
}

// Text is sent as typed: the server parses it and checks the range.
function set(p, value) {
  act('/api/set', { id: p.id, value }).then((ok) => { if (!ok) renderPanel(); });
}

function button(p) {
  const b = document.createElement('button');
  b.type = 'button';
  b.id = 'b-' + p.symbol;
  b.textContent = p.label;
  b.disabled = !p.enabled;
  if (p.symbol === 'ARROW_PRESET_LOAD') b.addEventListener('click', () => $('preset-file').click());
  else if (p.symbol === 'ARROW_PRESET_SAVE') b.addEventListener('click', savePreset);
  else b.addEventListener('click', () => act('/api/press', { id: p.id }));
  return b;
}

function renderPreview() {
  const preview = $('preview');
  const info = $('preview-info');
  const view = state.object && state.object.preview;
  if (!view) {
    preview.replaceChildren(note('Select an arrow to see its contour.'));
    preview.firstChild.className = 'none';
    info.textContent = '';
  } else if (view.error) {
    preview.replaceChildren(note(view.error));
    info.textContent = '';
  } else {
    // The server builds this SVG from the contour the module returned: numbers only.
    preview.innerHTML = view.svg;
    info.textContent = `${view.points} points, ${view.plane} plane${view.reverse ? ', reversed' : ''}`;
  }
}

// The module's message boxes, one at a time, as a modal dialog: the page behind takes
// no input, Tab stays on its button, Escape or OK close it, and the keyboard goes back to
// where it was.
let dialogOpener = null;

function showNextDialog() {
  const modal = $('modal');
  if (modal.open || pendingDialogs.length === 0) return;
  $('modal-text').textContent = pendingDialogs.shift();
  const active = document.activeElement;
  dialogOpener = active && active !== document.body ? (active.id || null) : dialogOpener;
  modal.showModal();
  $('modal-ok').focus();
}

function dialogClosed() {
  if (pendingDialogs.length > 0) return showNextDialog();
  const opener = dialogOpener && $(dialogOpener);
  dialogOpener = null;
  if (opener && !opener.disabled) opener.focus();
}

// ---- Presets --------------------------------------------------------------------------

async function loadPreset(file) {
  if (file.size > MAX_UPLOAD) {
    showError(`'${file.name}' is ${file.size} bytes; a preset upload may be at most 1 MiB`);
    return;
  }
  const path = `/api/preset/load?object=${selected}&name=${encodeURIComponent(file.name)}`;
  await finish(await fetch(path, {
    method: 'POST',
    headers: { ...PANEL_HEADER, 'Content-Type': 'application/octet-stream' },
    body: file,
  }));
}

async function savePreset() {
  const response = await fetch('/api/preset/save', {
    method: 'POST',
    headers: { ...PANEL_HEADER, 'Content-Type': 'application/json' },
    body: JSON.stringify({ object: selected }),
  });
  if (!response.ok) {
    await finish(response);
    return;
  }
  const disposition = response.headers.get('Content-Disposition') || '';
  const utf8 = /filename\*=UTF-8''([^;]+)/.exec(disposition);
  const plain = /filename="([^"]+)"/.exec(disposition);
  const link = document.createElement('a');
  link.href = URL.createObjectURL(await response.blob());
  link.download = utf8 ? decodeURIComponent(utf8[1]) : plain ? plain[1] : 'arrow.kvp';
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  call('GET', `/api/state?object=${selected}`);
}

// ---- Wiring ---------------------------------------------------------------------------

$('add-arrow').addEventListener('click', () => act('/api/add', { kind: 'arrow' }));
$('add-spline').addEventListener('click', () => act('/api/add', { kind: 'spline' }));
// With the version shown: the server refuses to undo what this tab has not seen.
$('undo').addEventListener('click', () => act('/api/undo', { version }));
$('redo').addEventListener('click', () => act('/api/redo', { version }));
$('error-close').addEventListener('click', clearError);
$('notice-close').addEventListener('click', () => { $('notice').hidden = true; });
$('tree').addEventListener('keydown', onTreeKey);
$('top-drop').addEventListener('click', () => {
  if (moving !== null) return dropMoving(null);
  if (selected === null) return;
  // Without an object picked up, the selected one goes to the top level.
  moving = selected;
  dropMoving(null);
});
$('panel').addEventListener('submit', (e) => e.preventDefault());
$('modal-ok').addEventListener('click', () => $('modal').close());
$('modal').addEventListener('close', dialogClosed);
$('modal').addEventListener('keydown', (e) => {
  if (e.key !== 'Tab') return;
  e.preventDefault();
  $('modal-ok').focus();
});
// Undo and redo from the keyboard, except in a text field, where they undo the typing.
document.addEventListener('keydown', (e) => {
  if (!(e.ctrlKey || e.metaKey) || e.altKey || $('modal').open) return;
  const key = e.key.toLowerCase();
  const redo = key === 'y' || (key === 'z' && e.shiftKey);
  if (key !== 'z' && key !== 'y') return;
  const t = e.target;
  if (t.isContentEditable || t.tagName === 'TEXTAREA' || (t.tagName === 'INPUT' && t.type === 'text')) return;
  e.preventDefault();
  const b = $(redo ? 'redo' : 'undo');
  if (!b.disabled) b.click();
});
$('preset-file').addEventListener('change', (e) => {
  const file = e.target.files[0];
  e.target.value = '';
  if (file) loadPreset(file);
});
dropTarget($('top-drop'), null);
call('GET', '/api/state');
setInterval(watchVersion, 1000);
document.addEventListener('visibilitychange', watchVersion);
