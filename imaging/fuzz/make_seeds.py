#!/usr/bin/python3
"""Writes seed inputs for byte_stream_fuzz into the folder given as argument.

Each seed is a sequence of operations in the format described in
byte_stream_driver.h: opcode byte, then little-endian arguments.
"""
import os
import struct
import sys


def u16(v):
    return struct.pack('<H', v)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def allocate(capacity):
    return b'\x00' + u16(capacity)


def attach(capacity, size, data):
    return b'\x01' + u16(capacity) + u16(size) + data.ljust(capacity, b'\x00')


def attach_read_only(data):
    return b'\x02' + u16(len(data)) + data


def grow(capacity):
    return b'\x04' + u16(capacity)


def read(count):
    return b'\x05' + u16(count)


def write(data, grow_allowed=True):
    return b'\x06' + u16(len(data)) + bytes([1 if grow_allowed else 0]) + data


def seek(offset, origin):
    return b'\x07' + u32(offset) + bytes([origin])


def typed_read(kind):
    return b'\x08' + bytes([kind])


def typed_write(kind, value):
    return b'\x09' + bytes([kind]) + u32(value)


def big_endian(on):
    return b'\x0a' + bytes([1 if on else 0])


SEEDS = {
    # Growth of an owned stream: capacity 8, position 6, writes of 5 and 20 bytes.
    'growth': allocate(8) + seek(6, 0) + write(b'ABCDE') + seek(6, 0) + write(b'x' * 20),
    # Seeking around attached bytes, including exactly to the limit.
    'attached_seek': attach(10, 10, bytes(range(10))) + seek(9, 0) + seek(10, 0) + seek(1, 2)
    + read(4) + typed_read(4),
    # Byte orders of the typed reads and writes.
    'byte_order': typed_write(2, 0x2A) + typed_write(4, 0x12345678) + seek(0, 0) + big_endian(True)
    + typed_read(1) + typed_read(4) + big_endian(False) + seek(0, 0) + typed_read(1),
    # Overwrite inside the data, then seek past the size and read and write there.
    'overwrite': write(bytes(10)) + seek(2, 0) + write(b'abc') + attach(16, 4, b'wxyz')
    + seek(10, 0) + read(4) + write(b'1234') + write(b'5678') + write(b'9'),
    # Read-only view, shrinking and freeing.
    'read_only': attach_read_only(b'const') + write(b'no') + read(2) + grow(64) + b'\x03'
    + allocate(4) + write(b'abcd', False) + grow(2) + grow(0),
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, 'byte_stream_' + name + '.bin'), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
