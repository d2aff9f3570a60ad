// Draws the program's icon (a light triangle on a rounded blue square) and
// writes resources/player/play.ico with 16x16 and 32x32 32-bit images.
'use strict';
var fs = require('fs');
var path = require('path');

function pixel(size, x, y) {
  var c = (x + 0.5) / size, r = (y + 0.5) / size; // 0..1, y downwards
  var radius = 0.2, inset = 0.03;
  var dx = Math.max(inset + radius - c, c - (1 - inset - radius), 0);
  var dy = Math.max(inset + radius - r, r - (1 - inset - radius), 0);
  if (dx * dx + dy * dy > radius * radius) return [0, 0, 0, 0];
  // Triangle pointing right: (0.36,0.26) (0.36,0.74) (0.74,0.5).
  var inTriangle = c >= 0.36 && r >= 0.26 + (c - 0.36) * (0.24 / 0.38) && r <= 0.74 - (c - 0.36) * (0.24 / 0.38);
  if (inTriangle) return [250, 250, 245, 255];
  var shade = Math.round(40 * r);
  return [30 + shade, 90 + shade, 190 + shade / 2, 255]; // r, g, b, a
}

function image(size) {
  var header = Buffer.alloc(40);
  header.writeUInt32LE(40, 0);
  header.writeInt32LE(size, 4);
  header.writeInt32LE(size * 2, 8); // colour and mask halves
  header.writeUInt16LE(1, 12);
  header.writeUInt16LE(32, 14);
  var colour = Buffer.alloc(size * size * 4);
  for (var y = 0; y < size; y++) {
    for (var x = 0; x < size; x++) {
      var p = pixel(size, x, size - 1 - y); // rows are stored bottom-up
      var o = (y * size + x) * 4;
      colour[o] = p[2]; colour[o + 1] = p[1]; colour[o + 2] = p[0]; colour[o + 3] = p[3];
    }
  }
  var maskRow = Math.ceil(size / 32) * 4;
  var mask = Buffer.alloc(maskRow * size);
  for (y = 0; y < size; y++) {
    for (x = 0; x < size; x++) {
      if (pixel(size, x, size - 1 - y)[3] === 0) mask[y * maskRow + (x >> 3)] |= 0x80 >> (x & 7);
    }
  }
  return Buffer.concat([header, colour, mask]);
}

var sizes = [16, 32];
var images = sizes.map(image);
var dir = Buffer.alloc(6 + 16 * sizes.length);
dir.writeUInt16LE(0, 0);
dir.writeUInt16LE(1, 2);
dir.writeUInt16LE(sizes.length, 4);
var offset = dir.length;
sizes.forEach(function (size, i) {
  var e = 6 + 16 * i;
  dir[e] = size; dir[e + 1] = size;
  dir.writeUInt16LE(1, e + 4);
  dir.writeUInt16LE(32, e + 6);
  dir.writeUInt32LE(images[i].length, e + 8);
  dir.writeUInt32LE(offset, e + 12);
  offset += images[i].length;
});
var out = path.join(__dirname, '..', 'resources', 'player', 'play.ico');
fs.writeFileSync(out, Buffer.concat([dir].concat(images)));
console.log('wrote ' + out);
