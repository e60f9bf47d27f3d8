"""Generates the deterministic static site that the peer comparison crawls.

The pages form a binomial tree: a page of level k links k child pages whose levels are
k-1, k-2, ..., 0, in that order, and nothing else links a page. A Harvel page of level k
follows at most k page links, with exactly those levels, so a crawl from the start page at
level L reaches all 2**L pages; the deepest page is L links from the start and its pictures
one more, so `wget -l L+1` reaches the same files.

Names are unique across the site, so crawlers that store files flat keep every one.
Links use a mix of forms: relative, "../", "/absolute" and "http://127.0.0.1:PORT/...".
"""

import os
import struct
import zlib

PICTURE_BYTES = 2048


def _gif(seed):
    header = b"GIF89a" + struct.pack("<HH", 16, 16) + b"\x80\x00\x00"
    palette = bytes((seed + i) % 256 for i in range(6))
    body = b",\x00\x00\x00\x00\x10\x00\x10\x00\x00\x02\x02\x44\x01\x00;"
    return header + palette + body


def _png(seed):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)
    idat = zlib.compress(bytes([0, seed % 256, 0, 0]))
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", idat)


def _jpeg(seed):
    return b"\xff\xd8\xff\xe0" + struct.pack(">H", 16) + b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00" + bytes([seed % 256])


def picture_bytes(kind, seed, size=PICTURE_BYTES):
    """A valid picture header padded to `size` bytes, the padding ending in the EOI/trailer."""
    head = {"gif": _gif, "png": _png, "jpg": _jpeg}[kind](seed)
    filler = bytes(((seed * 31 + i) % 251) + 1 for i in range(size - len(head) - 2))
    tail = b"\xff\xd9" if kind == "jpg" else b"\x00;"
    return head + filler + tail


class Page:
    def __init__(self, number, level):
        self.number = number
        self.level = level
        self.children = []

    @property
    def folder(self):
        return "" if self.number == 0 else "d%02d/" % (self.number % 16)

    @property
    def name(self):
        return "index.html" if self.number == 0 else "page%04d.html" % self.number

    @property
    def path(self):
        return self.folder + self.name


def _build_tree(level):
    pages = []

    def make(lvl):
        page = Page(len(pages), lvl)
        pages.append(page)
        for child_level in range(lvl - 1, -1, -1):
            page.children.append(make(child_level))
        return page

    make(level)
    return pages


def _link(from_page, target_path, form, port):
    """The link text from `from_page` to the site path `target_path` in one of four forms."""
    if form == 0:
        # relative to the page's own folder
        if from_page.folder and target_path.startswith(from_page.folder):
            return target_path[len(from_page.folder):]
        return ("../" if from_page.folder else "") + target_path
    if form == 1 and from_page.folder:
        return "../" + target_path
    if form == 2:
        return "/" + target_path
    return "http://127.0.0.1:%d/%s" % (port, target_path)


def generate(root, level, pictures_per_page, port):
    """Writes the site under `root`; returns the site paths of every file a crawl should fetch."""
    kinds = ("gif", "png", "jpg")
    pages = _build_tree(level)
    files = []
    for page in pages:
        lines = ["<html><head><title>page %d</title></head><body>" % page.number]
        for i in range(pictures_per_page):
            kind = kinds[(page.number + i) % 3]
            picture = "img/%02d/p%04d_%d.%s" % (page.number % 32, page.number, i, kind)
            target = os.path.join(root, picture)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as out:
                out.write(picture_bytes(kind, page.number * 8 + i))
            files.append(picture)
            lines.append('<img src="%s" alt="">' % _link(page, picture, (page.number + i) % 4, port))
        for j, child in enumerate(page.children):
            lines.append('<p><a href="%s">page %d</a></p>' % (
                _link(page, child.path, (page.number + j) % 4, port), child.number))
        lines.append("</body></html>")
        target = os.path.join(root, page.path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", newline="\r\n") as out:
            out.write("\n".join(lines) + "\n")
        files.append(page.path)
    return files


def generate_flat(root, port):
    """The flat site: 100 pages of 10 pictures (1 KiB each), the start page linking the
    other 99, all in one folder; returns the site paths a crawl should fetch. A crawl
    from the start page at level 99 (wget: -l 2) reaches every file."""
    kinds = ("gif", "jpg", "png")
    files = []
    os.makedirs(root, exist_ok=True)
    for n in range(100):
        pictures = ["p%03d_%d.%s" % (n, i, kinds[i % 3]) for i in range(10)]
        for i, picture in enumerate(pictures):
            with open(os.path.join(root, picture), "wb") as out:
                out.write(picture_bytes(kinds[i % 3], n * 16 + i, 1024))
        files.extend(pictures)
        links = "".join('<a href="page%03d.html">%d</a>' % (m, m)
                        for m in range(1, 100)) if n == 0 else ""
        name = "index.html" if n == 0 else "page%03d.html" % n
        with open(os.path.join(root, name), "w") as out:
            out.write("<html><body>%s%s</body></html>\n" % (
                "".join('<img src="%s">' % p for p in pictures), links))
        files.append(name)
    return files
