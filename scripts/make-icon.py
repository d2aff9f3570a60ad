#!/usr/bin/env python3
"""Writes the toolbar button's icon (resources/extension/hintora.ico): a
blue disc with a white "H", drawn at 16x16 and 32x32, 32-bit with alpha."""
import struct
import sys


def image(size):
    half = size / 2.0
    radius = half - 0.5
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x + 0.5 - half, y + 0.5 - half
            inside = dx * dx + dy * dy <= radius * radius
            # The letter: two bars and a cross bar, in the middle half.
            u, v = (x + 0.5) / size, (y + 0.5) / size
            stroke = 0.14
            letter = 0.25 <= v <= 0.75 and (
                0.28 <= u <= 0.28 + stroke or 0.72 - stroke <= u <= 0.72
                or (0.28 <= u <= 0.72 and 0.5 - stroke / 2 <= v <= 0.5 + stroke / 2))
            if not inside:
                row.append((0, 0, 0, 0))
            elif letter:
                row.append((255, 255, 255, 255))
            else:
                row.append((0xC0, 0x70, 0x20, 255))  # BGRA: a mid blue
        pixels.append(row)
    # Bottom-up rows, then an all-zero AND mask (alpha does the work).
    body = b"".join(bytes(p) for row in reversed(pixels) for p in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * mask_row * size
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(body) + len(mask), 0, 0, 0, 0)
    return header + body + mask


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/extension/hintora.ico")
