"""Seed archives for the zip fuzz targets: small archives of every kind the
reader handles. Usage: make_seeds.py <out-dir>"""
import io
import os
import struct
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "fixtures"))
from zipcraft import Entry, Keys, build  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
data = b"seed data for the archive reader " * 8


def save(name, blob):
    with open(os.path.join(out, name), "wb") as f:
        f.write(blob)


save("empty.zip", build([]))
save("stored.zip", build([Entry("a.jpg", data, method=0)]))
save("deflated.zip", build([Entry("dir/", b"", method=0, ext_attr=0x10),
                            Entry("dir/b.bmp", data)], comment=b"comment"))
save("prefixed.zip", build([Entry("c.txt", data)], prefix=b"MZ" + b"\x00" * 62))
described = Entry("d.jpg", data, flags=8, local={"crc": 0, "csize": 0, "usize": 0})
described.descriptor = struct.pack("<IIII", 0x08074B50, described.crc, described.csize,
                                   described.usize)
save("descriptor.zip", build([described]))
# Traditional encryption with the password "secret", checked by the CRC.
plain = Entry("e.jpg", data)
keys = Keys(b"secret")
header = keys.encrypt(bytes(range(10)) + bytes([(plain.crc >> 16) & 0xFF, plain.crc >> 24]))
enc = Entry("e.jpg", data, flags=1)
enc.payload = header + keys.encrypt(plain.payload)
enc.csize = len(enc.payload)
save("encrypted.zip", build([enc]))
buf = io.BytesIO()
with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("py/one.txt", data)
    z.writestr("py/two.txt", data[::-1])
save("python.zip", buf.getvalue())
