# Writes a 4 x 4 GIF of three frames: red (delay 10), green (20), blue (0).
import struct

def lzw(indices, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    table = {(i,): i for i in range(clear)}
    nxt, width = eoi + 1, min_size + 1
    out, bits, nbits = bytearray(), 0, 0
    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits; nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF); bits >>= 8; nbits -= 8
    emit(clear)
    w = ()
    for k in indices:
        wk = w + (k,)
        if wk in table:
            w = wk
        else:
            emit(table[w])
            table[wk] = nxt; nxt += 1
            if nxt > (1 << width) and width < 12: width += 1
            w = (k,)
    emit(table[w]); emit(eoi)
    if nbits: out.append(bits & 0xFF)
    return bytes(out)

palette = bytes([255,0,0, 0,255,0, 0,0,255, 0,0,0])
gif = bytearray(b'GIF89a' + struct.pack('<HHBBB', 4, 4, 0xF1, 0, 0) + palette)
gif += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00'
for index, delay in ((0, 10), (1, 20), (2, 0)):
    gif += b'\x21\xF9\x04' + struct.pack('<BHB', 0, delay, 0) + b'\x00'
    gif += b'\x2C' + struct.pack('<HHHHB', 0, 0, 4, 4, 0)
    data = lzw([index] * 16, 2)
    gif += bytes([2])
    for i in range(0, len(data), 255):
        chunk = data[i:i+255]; gif += bytes([len(chunk)]) + chunk
    gif += b'\x00'
gif += b'\x3B'
open(__file__.replace('make_frames_gif.py', 'frames.gif'), 'wb').write(gif)
