// The arrow panel's page. It shows what the server answers and sends the user's actions
// back; the server performs each one through the host and returns the new state. The
// page computes no geometry and decides no enabling itself.
'use strict';

const MAX_UPLOAD = 1024 * 1024;
let state = null;
let selected = null;
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

// Sends one request; on success renders the returned state, on failure shows the
// server's message. Returns the state, or null on failure.
async function call(method, path, body) {
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
    showError(data.error || `the server answered ${response.status}`);
    catchUp(response);
    return null;
  }
  clearError();
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
  // Answers can arrive out of order: a state older than the one shown is not shown.
  if (next.version < version) {
    showNextDialog();
    return;
  }
  version = next.version;
  state = next;
  selected = next.selected;
  renderTree();
  renderPanel();
  renderPreview();
  for (const e of next.hostErrors) hostLog.push('host: ' + e);
  $('console').textContent = next.console.concat(hostLog).join('\n');
  $('undo').disabled = next.undo.undo === 0;
  $('redo').disabled = next.undo.redo === 0;
  showNextDialog();
}

function renderTree() {
  const tree = $('tree');
  tree.replaceChildren(...state.tree.map(treeItem));
}

function treeItem(node) {
  const li = document.createElement('li');
  const span = document.createElement('span');
  span.className = 'node' + (node.id === selected ? ' selected' : '');
  span.textContent = `${node.label} #${node.id}`;
  span.dataset.id = node.id;
  span.dataset.label = node.label;
  span.draggable = true;
  span.addEventListener('click', () => call('GET', `/api/state?object=${node.id}`));
  span.addEventListener('dragstart', (e) => e.dataTransfer.setData('text/plain', String(node.id)));
  dropTarget(span, node.id);
  li.appendChild(span);
  if (node.children.length > 0) {
    const ul = document.createElement('ul');
    ul.replaceChildren(...node.children.map(treeItem));
    li.appendChild(ul);
  }
  return li;
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
  $('panel-title').textContent = `Attributes: ${object.label} #${object.id}` +
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
  if (focused && $(focused) && !$(focused).disabled) $(focused).focus();
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
  const label = document.createElement('label');
  label.textContent = p.label;
  label.htmlFor = 'p-' + p.symbol;
  row.appendChild(label);
  const cell = document.createElement('div');
  let input;
  if (!editable) {
    input = document.createElement('span');
    input.className = 'readonly';
    input.textContent = p.value === null ? 'none' : String(p.value);
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
          .map((o) => [String(o.id), `${o.label} #${o.id}`]));
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
    input.addEventListener('change', () => set(p, input.value.trim()));
    input.addEventListener('keydown', (e) => { if (e.key === 'Enter') input.blur(); });
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
    preview.innerHTML = '<div class="none">Select an arrow to see its contour.</div>';
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

function showNextDialog() {
  if (!$('modal').hidden || pendingDialogs.length === 0) return;
  $('modal-text').textContent = pendingDialogs.shift();
  $('modal').hidden = false;
  $('modal-ok').focus();
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
$('panel').addEventListener('submit', (e) => e.preventDefault());
$('modal-ok').addEventListener('click', () => {
  $('modal').hidden = true;
  showNextDialog();
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
