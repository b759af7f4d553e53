'use strict';

// Form1 in the page: the controls that the build wrote from the control table,
// brought to life by the C++ core in gbkhex-core.js.
//
// A text box in a page holds "\n" for a line break where the conversion
// expects CR LF: each line break of Text1 reaches the conversion as CR LF, and
// each CR LF of the result shows as a line break in Text2.
// Text2's text in blocks of whole lines, each a block element of its own
// whose layout the browser skips while it is out of sight (content-visibility
// in form1.css). The browser lays out a block's lines again whenever its text
// changes, and the hexadecimal output is one paragraph: in one block, a key
// typed in the middle of a long output would lay out all of it again. Every
// block but the last holds the same number of lines, so blocks start where
// the lines of one long text would, and the text shows, copies out and reads
// as one.
class OutputBlocks {
  constructor(box) {
    this.box = box;
    this.linesPerBlock = 64;
    // Characters a block holds, for the output the blocks were last made for.
    this.blockSize = 0;
    this.tokensPerLine = 0;
  }

  // How many hexadecimal tokens ("CA ") one line of the box holds, from the
  // browser's own layout of a line of them: the blank after the last one
  // hangs past the edge, as it does in a textarea.
  MeasureLines() {
    const probe = document.createElement('div');
    // Laid out now, where the blocks themselves may still stand in for their room.
    probe.style.contentVisibility = 'visible';
    this.box.append(probe);
    const lines = (tokens) => {
      probe.textContent = '00 '.repeat(tokens);
      return Math.round(probe.getBoundingClientRect().height / this.lineHeight);
    };
    probe.textContent = '0';
    this.lineHeight = probe.getBoundingClientRect().height;
    let tokens = 1;
    // A box that is not laid out has no lines to measure; any count will do.
    if (this.lineHeight === 0) tokens = 26;
    while (this.lineHeight !== 0 && lines(tokens + 1) === 1 && tokens < 1000) ++tokens;
    probe.remove();
    this.tokensPerLine = tokens;
    this.box.style.setProperty('--lines-per-block', String(this.linesPerBlock));
  }

  // A C line is 80 characters and its line break; a line of hexadecimal
  // output as many tokens as fit.
  SizeFor(hexadecimal) {
    if (this.tokensPerLine === 0) this.MeasureLines();
    return this.linesPerBlock * (hexadecimal ? 3 * this.tokensPerLine : 81);
  }

  // Brings the blocks to `update` (from the core's refresh).
  Apply(update, hexadecimal) {
    const size = this.SizeFor(hexadecimal);
    const blocks = this.box.children;
    const count = Math.ceil(update.size / size);
    let from = 0;
    let to = count;
    if (update.whole || size !== this.blockSize) {
      this.blockSize = size;
      this.box.replaceChildren();
    } else {
      from = Math.floor(update.start / size);
      // Unless the change keeps the length, every later block's text moves.
      if (update.removed === update.inserted) {
        to = Math.ceil((update.start + update.inserted) / size);
      }
    }
    for (let i = from; i < to; ++i) {
      const text = update.output(i * size, (i + 1) * size);
      const block = blocks[i];
      if (block === undefined) {
        const made = document.createElement('div');
        made.append(new Text(text));
        this.box.append(made);
      } else if (block.textContent !== text) {
        block.firstChild.data = text;
      }
    }
    while (blocks.length > count) this.box.lastChild.remove();
  }
}

class Form1 {
  constructor(core) {
    this.core = core;
    this.form = document.getElementById('Form1');
    this.text1 = document.getElementById('Text1');
    this.text2 = document.getElementById('Text2');
    this.option1 = document.getElementById('Option1');
    this.option2 = document.getElementById('Option2');
    this.command1 = document.getElementById('Command1');
    this.output = new OutputBlocks(this.text2);
    // Sees every change of Text2; the refresh takes back the records of its own.
    this.text2Changes = new MutationObserver(() => this.core.text2Edited());
  }

  // Whatever was typed before the core was ready is converted now.
  Load() {
    this.option1.checked = true;
    this.option2.checked = false;
    this.Refresh();

    // An input method's keystrokes change nothing until it commits its text.
    this.text1.addEventListener('input', (event) => {
      if (!event.isComposing) this.Refresh();
    });
    this.text1.addEventListener('compositionend', () => this.Refresh());
    // Arrow keys that move the selection click the option they select.
    this.option1.addEventListener('click', () => this.Refresh());
    this.option2.addEventListener('click', () => this.Refresh());
    this.text2Changes.observe(this.text2, { childList: true, characterData: true, subtree: true });
    // The blocks are one text: what is copied, cut or dragged out is the
    // selected text alone, without line breaks between blocks.
    for (const type of ['copy', 'cut']) {
      this.text2.addEventListener(type, (event) => this.CopyOut(event, event.clipboardData));
    }
    this.text2.addEventListener('dragstart', (event) => this.CopyOut(event, event.dataTransfer));
    this.command1.addEventListener('click', () => this.OpenHomePage());
    this.form.addEventListener('keydown', (event) => this.WrapTabOrder(event));
  }

  // Tab from the last control goes round to the first, and Shift+Tab from the
  // first to the last, as in a window of its own. The option buttons make one
  // stop, the selected one.
  WrapTabOrder(event) {
    if (event.key !== 'Tab' || event.altKey || event.ctrlKey || event.metaKey) return;
    const stops = [
      ...this.form.querySelectorAll('textarea, [role=textbox], input[type=radio]:checked, button'),
    ];
    const [first, last] = [stops[0], stops[stops.length - 1]];
    if (event.target !== (event.shiftKey ? first : last)) return;
    event.preventDefault();
    (event.shiftKey ? last : first).focus();
  }

  // `num` as a field of 2 * bytLen upper-case hexadecimal digits.
  NumToStrHex(num, bytLen) {
    return this.core.numToStrHex(num, bytLen);
  }

  // The code page 936 bytes of `val` (line breaks as CR LF) in the format that
  // the option buttons select at the moment of the call.
  FormatNameToMac(val) {
    return this.core.formatNameToMac(val, this.option1.checked);
  }

  // Text2 ends up holding exactly the new result, as if emptied and set. Only
  // the span that differs from what it showed is replaced, so the browser
  // lays out again only around it.
  Refresh() {
    // A change of Text2 in this same task, as when text is dragged from it
    // into Text1, has not been reported yet.
    if (this.text2Changes.takeRecords().length !== 0) this.core.text2Edited();
    const update = this.core.refresh(this.text1.value, this.option1.checked);
    if (update.whole || update.removed !== 0 || update.inserted !== 0) {
      this.output.Apply(update, this.option1.checked);
    }
    this.text2Changes.takeRecords();
  }

  CopyOut(event, data) {
    const selection = document.getSelection();
    if (selection.rangeCount === 0 || selection.isCollapsed) return;
    data.setData('text/plain', selection.getRangeAt(0).toString());
    if (event.type === 'copy' || event.type === 'cut') event.preventDefault();
    // A cut takes the text out as the editing of the box would, undoably.
    if (event.type === 'cut') document.execCommand('delete');
  }

  OpenHomePage() {
    window.open(this.form.dataset.homePage, '_blank', 'noopener');
  }
}

createGbkhexCore().then((core) => {
  const form1 = new Form1(core);
  form1.Load();
  window.form1 = form1;
});
