#!/usr/bin/env python3
"""Writes the KOVA icon in the hicolor theme's sizes: FOLDER/NxN/apps/kova.png.

The picture is the one tools/make_icon.py draws for the Windows icon, drawn afresh at each size
rather than scaled, so that the cells stay sharp. Usage: hicolor_icons.py FOLDER
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tools"))
from make_icon import draw, png  # noqa: E402

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: hicolor_icons.py FOLDER")
    for size in SIZES:
        folder = Path(sys.argv[1]) / f"{size}x{size}" / "apps"
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "kova.png").write_bytes(png(draw(size)))


if __name__ == "__main__":
    main()
