// Appended to the WebAssembly module's loader, inside its scope: one run of a
// part of the firmware page, with JavaScript values in and out.

var utf8Encoder = new TextEncoder();
var utf8Decoder = new TextDecoder();

// `bytes` copied into the module; the caller frees the copy.
function copyIn(bytes) {
  var at = _malloc(bytes.length + 1);
  HEAPU8.set(bytes, at);
  HEAPU8[at + bytes.length] = 0;
  return at;
}

function textAt(at) {
  var end = at;
  while (HEAPU8[end] !== 0) ++end;
  return utf8Decoder.decode(HEAPU8.subarray(at, end));
}

// The browser's language, a BCP 47 tag such as zh-CN: the messages' from now on.
Module['setLanguage'] = function (tag) {
  var at = copyIn(utf8Encoder.encode(tag));
  _gbkhex_fw_language(at);
  _free(at);
};

// The message for a run that stopped the module before this one, with the
// browser's `reason`.
Module['stoppedMessage'] = function (reason) {
  var at = copyIn(utf8Encoder.encode(reason));
  _gbkhex_fw_stopped(at);
  _free(at);
  var messages = _gbkhex_fw_messages();
  return utf8Decoder.decode(HEAPU8.subarray(messages, messages + _gbkhex_fw_messages_size()));
};

// part: 0 the string table, 1 the glyphs; fields: [name, value] pairs as the
// form gives them; fonts: the bytes of each font file picked, in order, as
// { name, bytes }; narrowFont: one more, or null. Returns { status, messages,
// files: [{ role, name, bytes }], picture }, picture the PNG for the canvas.
Module['run'] = function (part, fields, fonts, narrowFont) {
  fields.forEach(function (field) {
    var name = copyIn(utf8Encoder.encode(field[0]));
    var value = utf8Encoder.encode(field[1]);
    var at = copyIn(value);
    _gbkhex_fw_field(name, at, value.length);
    _free(at);
    _free(name);
  });
  function giveFont(font, narrow) {
    var name = copyIn(utf8Encoder.encode(font.name));
    var at = copyIn(font.bytes);
    _gbkhex_fw_font(name, at, font.bytes.length, narrow);
    _free(at);
    _free(name);
  }
  fonts.forEach(function (font) { giveFont(font, 0); });
  if (narrowFont) giveFont(narrowFont, 1);
  var status = _gbkhex_fw_run(part);
  var files = [];
  for (var i = 0, count = _gbkhex_fw_file_count(); i < count; ++i) {
    var data = _gbkhex_fw_file_data(i);
    files.push({
      role: textAt(_gbkhex_fw_file_role(i)),
      name: textAt(_gbkhex_fw_file_name(i)),
      bytes: HEAPU8.slice(data, data + _gbkhex_fw_file_size(i)),
    });
  }
  var messages = _gbkhex_fw_messages();
  var picture = _gbkhex_fw_picture();
  return {
    status: status,
    messages: utf8Decoder.decode(HEAPU8.subarray(messages, messages + _gbkhex_fw_messages_size())),
    files: files,
    picture: HEAPU8.slice(picture, picture + _gbkhex_fw_picture_size()),
  };
};
