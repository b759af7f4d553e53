// Appended to the WebAssembly module's loader, inside its scope: the core's
// functions for the page, with JavaScript strings in and out.

var asciiDecoder = new TextDecoder();

// Copies the UTF-16 units of `text` into the core; returns how many.
function copyIn(text) {
  var first = _gbkhex_room(text.length) >>> 1;
  // Read after the call: making room may have grown the memory.
  var heap = HEAPU16;
  for (var i = 0; i < text.length; ++i) heap[first + i] = text.charCodeAt(i);
  return text.length;
}

function ascii(at, size) {
  return asciiDecoder.decode(HEAPU8.subarray(at, at + size));
}

function output(size) {
  return ascii(_gbkhex_output(), size);
}

Module['formatNameToMac'] = function (val, hexadecimal) {
  return output(_gbkhex_convert(copyIn(val), hexadecimal ? 1 : 0));
};

Module['numToStrHex'] = function (num, bytLen) {
  return output(_gbkhex_num_to_str_hex(num, bytLen));
};

// What Text2 needs to hold the output for `text1` (a text box's value, "\n"
// for a line break, which the conversion writes as CR LF): { whole, start,
// removed, inserted, output }. With `whole` set, all of Text2 is to be the
// output; otherwise the `removed` characters from `start` give way to the
// `inserted` from `start` of the output. output(from, to) is the new output's
// text from `from` to `to`, valid until the next call into the core.
Module['refresh'] = function (text1, hexadecimal) {
  var at = _gbkhex_refresh(copyIn(text1), hexadecimal ? 1 : 0) >>> 2;
  var words = HEAPU32;
  var output = words[at + 4];
  var size = words[at + 5];
  return {
    whole: words[at] !== 0,
    start: words[at + 1],
    removed: words[at + 2],
    inserted: words[at + 3],
    size: size,
    output: function (from, to) {
      return ascii(output + from, Math.min(to, size) - from);
    },
  };
};

// Text2 was changed by someone else than the refresh.
Module['text2Edited'] = function () {
  _gbkhex_text2_edited();
};
