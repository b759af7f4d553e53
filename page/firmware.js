// The firmware page: each form's fields go, by their names (gbkhex-cli's long
// options without their dashes), to a worker that runs the libraries compiled
// to WebAssembly; what it makes is offered as downloads, the header shown, the
// glyphs drawn. Every message shown is the libraries' own.
'use strict';

// Chromium starts no worker from a file beside a page opened from file://; a
// Blob URL of the worker's script it does.
const worker = new Worker(
  URL.createObjectURL(new Blob([gbkhexFirmwareWorker], { type: 'text/javascript' })));
const pending = [];
// The messages follow the browser's language, as gbkhex-cli's follow the locale.
worker.postMessage({
  module: Uint8Array.from(atob(gbkhexFirmwareModule), (c) => c.charCodeAt(0)),
  language: navigator.languages?.[0] ?? navigator.language ?? '',
});
worker.onmessage = (event) => pending.shift()(event.data);
worker.onerror = (event) => pending.shift()({
  status: 1, messages: event.message, files: [], picture: new Uint8Array(0),
});

function request(message) {
  return new Promise((resolve) => {
    pending.push(resolve);
    worker.postMessage(message);
  });
}

// The fields as the command line would take them: every named field that the
// form submits, files aside; a checkbox only when ticked.
function fieldsOf(form) {
  const fields = [];
  for (const [name, value] of new FormData(form)) {
    if (typeof value === 'string') fields.push([name, value]);
  }
  return fields;
}

// The files of the inputs named `name`, in order: the inputs', and within one
// input (which may take several) the order they were picked in.
function fontsOf(form, name) {
  return [...form.querySelectorAll(`input[type=file][name="${name}"]`)]
    .flatMap((input) => [...input.files]);
}

const offered = new Map();  // form -> the Blob URLs of its links

function showResult(form, result) {
  const section = form.querySelector('.result');
  for (const url of offered.get(form) || []) URL.revokeObjectURL(url);
  const urls = [];
  section.querySelector('.messages').textContent = result.messages;
  const list = section.querySelector('.files');
  list.replaceChildren();
  let header = '';
  for (const file of result.files) {
    if (file.role === 'output') header = new TextDecoder().decode(file.bytes);
    if (file.name === '') continue;
    const url = URL.createObjectURL(new Blob([file.bytes]));
    urls.push(url);
    const link = document.createElement('a');
    link.href = url;
    link.download = file.name;
    link.textContent = file.name;
    link.dataset.role = file.role;
    const item = document.createElement('li');
    item.append(link, ` (${file.bytes.length} B)`);
    list.append(item);
  }
  offered.set(form, urls);
  section.querySelector('.header').value = header;
  form.dataset.milliseconds = String(result.milliseconds ?? '');
  return drawPicture(form, result.picture);
}

async function drawPicture(form, png) {
  const canvas = form.querySelector('canvas.glyphs');
  if (!canvas) return;
  if (png.length === 0) {
    canvas.width = 0;
    canvas.height = 0;
    return;
  }
  const bitmap = await createImageBitmap(new Blob([png], { type: 'image/png' }));
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  canvas.getContext('2d').drawImage(bitmap, 0, 0);
  zoom(form);
}

function zoom(form) {
  const canvas = form.querySelector('canvas.glyphs');
  const factor = Number(form.querySelector('#glyphs-zoom').value);
  canvas.style.width = `${canvas.width * factor}px`;
  canvas.style.height = `${canvas.height * factor}px`;
}

function whenSubmitted(form, part) {
  form.addEventListener('submit', async (event) => {
    event.preventDefault();
    const button = form.querySelector('button[type=submit]');
    button.disabled = true;
    form.dataset.state = 'busy';
    try {
      const result = await request({
        part,
        fields: fieldsOf(form),
        fonts: fontsOf(form, 'font'),
        narrowFont: fontsOf(form, 'narrow-font')[0] || null,
      });
      await showResult(form, result);
    } finally {
      button.disabled = false;
      form.dataset.state = 'done';
    }
  });
}

const tableForm = document.getElementById('table-form');
const glyphsForm = document.getElementById('glyphs-form');
whenSubmitted(tableForm, 0);
whenSubmitted(glyphsForm, 1);

document.getElementById('table-load').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  if (file) tableForm.elements.table.value = await file.text();
});

// The header's name follows the arrays' name until the user gives it one.
const glyphsName = glyphsForm.elements.glyphs;
const glyphsOutput = glyphsForm.elements.output;
let outputEdited = false;
glyphsOutput.addEventListener('input', () => { outputEdited = true; });
glyphsForm.addEventListener('reset', () => { outputEdited = false; });
glyphsName.addEventListener('input', () => {
  if (!outputEdited) glyphsOutput.value = `${glyphsName.value}.h`;
});

// A whole font reads no text, and its charset is the one --whole names.
const whole = glyphsForm.elements.whole;
function followWhole() {
  glyphsForm.elements.text.disabled = whole.value !== '';
  glyphsForm.elements.charset.disabled = whole.value !== '';
}
whole.addEventListener('change', followWhole);
// Also as the form is sent, for a value set without its change event.
glyphsForm.addEventListener('submit', followWhole, { capture: true });
followWhole();

// Each fallback font is one more file input named font, after the others.
glyphsForm.querySelector('.more-fonts').addEventListener('click', (event) => {
  const inputs = glyphsForm.querySelectorAll('input[type=file][name=font]');
  const input = document.createElement('input');
  input.type = 'file';
  input.name = 'font';
  input.id = `glyphs-font-${inputs.length + 1}`;
  input.accept = inputs[0].accept;
  const label = document.createElement('label');
  label.htmlFor = input.id;
  label.textContent = `后备字体 ${inputs.length} `;
  const small = document.createElement('small');
  small.textContent = '--font';
  label.append(small);
  event.target.before(label, input);
});

glyphsForm.querySelector('#glyphs-zoom').addEventListener('change', () => zoom(glyphsForm));
document.body.dataset.readyAt = String(performance.now());
document.body.dataset.ready = 'true';
