# Writes the solid-colour pictures of the zskin test skin.
import os, struct, zlib

def png(path, width, height, rgba):
    raw = b''.join(b'\x00' + bytes(rgba) * width for _ in range(height))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

here = os.path.dirname(os.path.abspath(__file__))
png(os.path.join(here, 'img', 'logo.png'), 40, 20, (0x57, 0x4D, 0xED, 0xFF))
png(os.path.join(here, 'img', 'checked.png'), 14, 14, (0x20, 0xA0, 0x20, 0xFF))
png(os.path.join(here, 'img', 'close.png'), 12, 12, (0x80, 0x80, 0x80, 0xFF))
