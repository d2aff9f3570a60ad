'use strict';
// Whether a Windows image of the build under test is 32- or 64-bit, read from
// its PE header: the registry view a library registers in and the view a
// player finds browsers in follow from it.
const fs = require('node:fs');

function imageBits(file) {
  const image = fs.readFileSync(file);
  const header = image.readUInt32LE(0x3c);
  // The optional header's magic: 0x10b for PE32, 0x20b for PE32+.
  return image.readUInt16LE(header + 24) === 0x20b ? 64 : 32;
}

module.exports = { imageBits };
