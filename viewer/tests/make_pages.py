"""Writes the viewer's multi-page fixture: pages3.tif, three 120x90 RGB pages
(red, green, blue), into the folder given as the only argument."""
import os
import sys

from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
pages = [Image.new("RGB", (120, 90), c) for c in ((200, 0, 0), (0, 200, 0), (0, 0, 200))]
pages[0].save(os.path.join(out, "pages3.tif"), save_all=True, append_images=pages[1:],
              compression="raw")
