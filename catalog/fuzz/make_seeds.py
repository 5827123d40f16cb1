#!/usr/bin/python3
"""Writes seed corpora for the database fuzz targets.

    make_seeds.py OUTDIR

OUTDIR/open/ gets small database files built byte by byte from the format
(an empty database, one with a named index, and a few damaged variants);
OUTDIR/ops/ gets operation streams for the operation fuzzer.
"""
import os
import random
import struct
import sys

PAGE = 8192


def spec(root, count=0, fixed_key=0, fixed_value=0, key_type=1, leaves=1, flags=0, height=0,
         inner=0, ool=0):
    return struct.pack('<IBIIIIBIIIIQB3x', root, height, count, 0, fixed_key, fixed_value,
                       key_type, inner, leaves, root, root, ool, flags)


def header(pages, append, user=(0xFFFFFFFF, 0)):
    return (b'Velm' + b'\0' + struct.pack('<I', 2) + b'\0' * 12 + struct.pack('<HI', PAGE, pages)
            + struct.pack('<IH', *append) + struct.pack('<IH', 1, 0) + struct.pack('<IH', 1, 50)
            + struct.pack('<IH', *user) + b'DB')


def leaf(entries):
    body = b''.join(entries)
    page = bytearray(PAGE)
    page[0:10] = struct.pack('<HII', len(entries), 0xFFFFFFFF, 0xFFFFFFFF)
    page[10:10 + len(body)] = body
    offset = 10
    for i, e in enumerate(entries):
        offset += len(e)
        if (i + 1) % 4 == 0:
            g = (i + 1) // 4
            page[PAGE - 2 * g:PAGE - 2 * g + 2] = struct.pack('<H', offset)
    return bytes(page)


def record_page(data):
    page = bytearray(PAGE)
    page[0:6] = struct.pack('<IH', 0, len(data))
    page[6:6 + len(data)] = data
    return bytes(page)


def database(named=None):
    """An empty database, or one with index 'Names' holding the given pairs."""
    catalogue = []
    pages = [None, None, None, leaf([])]
    named_spec = b''
    if named is not None:
        entries = [bytes([len(k)]) + k + bytes([len(v)]) + v for k, v in named]
        named_spec = spec(4, count=len(named))
        catalogue = [b'\x05Names' + struct.pack('<IH', 1, 100)]
        pages.append(leaf(entries))
    specs = (spec(2, count=len(catalogue), fixed_value=6) +
             spec(3, fixed_key=4, key_type=3, flags=1) + named_spec)
    pages[0] = header(len(pages), (1, len(specs))).ljust(PAGE, b'\0')
    pages[1] = record_page(specs)
    pages[2] = leaf(catalogue)
    return b''.join(pages)


def main():
    out = sys.argv[1]
    open_dir = os.path.join(out, 'open')
    ops_dir = os.path.join(out, 'ops')
    os.makedirs(open_dir, exist_ok=True)
    os.makedirs(ops_dir, exist_ok=True)
    pairs = [(b'key%03d' % i, b'value-%d' % (i * i)) for i in range(40)]
    seeds = {'empty.tdb': database(), 'names.tdb': database(pairs)}
    damaged = bytearray(seeds['names.tdb'])
    damaged[4 * PAGE:4 * PAGE + 2] = struct.pack('<H', 900)  # entry count past the page
    seeds['count-past-page.tdb'] = bytes(damaged)
    damaged = bytearray(seeds['names.tdb'])
    damaged[23:27] = struct.pack('<I', 524293)  # page count that wraps to the file size
    seeds['page-count-wraps.tdb'] = bytes(damaged)
    damaged = bytearray(seeds['names.tdb'])
    damaged[4 * PAGE + 6:4 * PAGE + 10] = struct.pack('<I', 4)  # leaf links to itself
    seeds['leaf-loop.tdb'] = bytes(damaged)
    for name, data in seeds.items():
        with open(os.path.join(open_dir, name), 'wb') as f:
            f.write(data)
    rng = random.Random(4)
    for i in range(8):
        with open(os.path.join(ops_dir, 'stream%d.bin' % i), 'wb') as f:
            f.write(bytes(rng.randrange(256) for _ in range(600 + 400 * i)))


if __name__ == '__main__':
    main()
