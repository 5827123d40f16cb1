"""Decodes an image with PIL and writes its pixels as an expected-pixel file.

  /usr/bin/python3 pil_decode.py <image> <out.raw>

The tests use it to check that files written by the program's writers read
back the same in an independent decoder. Format: see fixtures/expected_pixels.py.
"""

import os
import sys

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures"))
from expected_pixels import write_raw_from_pil  # noqa: E402


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: pil_decode.py <image> <out.raw>")
    with Image.open(sys.argv[1]) as image:
        image.load()
        write_raw_from_pil(sys.argv[2], image)


if __name__ == "__main__":
    main()
