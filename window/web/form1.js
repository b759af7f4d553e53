'use strict';

// Form1 in the page: the controls that the build wrote from the control table,
// brought to life by the C++ core in gbkhex-core.js.
//
// A text box in a page holds "\n" for a line break where the conversion
// expects CR LF: each line break of Text1 reaches the conversion as CR LF, and
// each CR LF of the result shows as a line break in Text2.
// Text2's text, in text nodes of some thousands of characters. Whenever a
// text node changes, the browser shapes all of its text anew: split, an edit
// of a long output reshapes one node instead of all of Text2 (a keystroke at
// 100,000 characters of input gets several times quicker). Inline text nodes
// show and copy out as one text.
class ChunkedText {
  constructor(box) {
    this.box = box;
    this.chunk = 1 << 15;
  }

  SetAll(text) {
    const nodes = [];
    for (let at = 0; at < text.length; at += this.chunk) {
      nodes.push(new Text(text.slice(at, at + this.chunk)));
    }
    this.box.replaceChildren(...nodes);
  }

  // Puts `text` in the place of the `removed` characters from `start`.
  Replace(start, removed, text) {
    if (!this.box.firstChild) this.box.append(new Text());
    let node = this.box.firstChild;
    let offset = start;
    while (offset > node.length) {
      offset -= node.length;
      node = node.nextSibling;
    }
    const here = Math.min(removed, node.length - offset);
    node.replaceData(offset, here, text);
    for (let left = removed - here; left > 0; ) {
      const next = node.nextSibling;
      const gone = Math.min(left, next.length);
      if (gone === next.length) next.remove();
      else next.deleteData(0, gone);
      left -= gone;
    }
    for (let rest = node; rest.length > 2 * this.chunk; ) rest = rest.splitText(this.chunk);
    if (node.length === 0 && this.box.childNodes.length > 1) node.remove();
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
    this.output = new ChunkedText(this.text2);
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
    if (update.whole) {
      this.output.SetAll(update.text);
    } else if (update.removed !== 0 || update.text.length !== 0) {
      this.output.Replace(update.start, update.removed, update.text);
    }
    this.text2Changes.takeRecords();
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
