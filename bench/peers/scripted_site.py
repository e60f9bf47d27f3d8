"""Generates a site of pages whose pictures only their scripts put there.

Four kinds, `copies` pages of each, all linked from the start page (a plain list of links):
a gallery fed by a JSON list, an endless list that appends a picture for each of 10 steps
as it is scrolled, a carousel below the fold that loads each slide's picture when the slide
is shown, and a list of cards drawn by a small framework. No picture's URL appears whole in
any page: the scripts put the names together, as real ones do from their data.

Every picture is a valid PNG of a few KiB with a name unique across the site.
"""

import json
import os
import random
import struct
import zlib

GALLERY_PICTURES = 6
SCROLL_STEPS = 10
CAROUSEL_SLIDES = 6
LIST_CARDS = 8
KINDS = ("gallery", "scroll", "carousel", "list")


def png(seed, side=32):
    """A `side` x `side` RGB PNG of noise: about 3 KiB that does not compress."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    noise = random.Random(seed)
    rows = b"".join(b"\x00" + bytes(noise.getrandbits(8) for _ in range(side * 3))
                    for _ in range(side))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


GALLERY = """<!DOCTYPE html>
<html><head><title>Gallery {n}</title></head>
<body>
<h1>Gallery {n}</h1>
<div id="gallery">Loading...</div>
<script>
fetch("feed/gallery-{n}.json")
  .then((answer) => answer.json())
  .then((entries) => {{
    const gallery = document.getElementById("gallery");
    gallery.textContent = "";
    for (const entry of entries) {{
      const picture = document.createElement("img");
      picture.src = "pics/" + entry.name + "." + entry.kind;
      picture.alt = entry.name;
      gallery.appendChild(picture);
    }}
  }});
</script>
</body></html>
"""

SCROLL = """<!DOCTYPE html>
<html><head><title>Endless list {n}</title>
<style>.step {{ height: 1400px; border-bottom: 1px solid #888; }}</style></head>
<body>
<div id="list"></div>
<script>
const list = document.getElementById("list");
const kind = "png";
let next = 1;
let loading = false;
let finished = false;
function add(name) {{
  const step = document.createElement("div");
  step.className = "step";
  const picture = document.createElement("img");
  picture.src = "pics/" + name + "." + kind;
  step.appendChild(picture);
  list.appendChild(step);
}}
function more() {{
  if (loading || finished) return;
  if (window.scrollY + window.innerHeight < document.documentElement.scrollHeight - 300) return;
  loading = true;
  fetch("feed/scroll-{n}-" + next + ".json")
    .then((answer) => answer.json())
    .then((page) => {{
      add(page.picture);
      next += 1;
      finished = page.last;
      loading = false;
    }});
}}
add(["s{n}", 0].join("-"));
window.addEventListener("scroll", more);
</script>
</body></html>
"""

# The carousel starts turning when it comes into view, a slide every 200 ms, and a
# slide's picture is asked for only when the slide is shown.
CAROUSEL = """<!DOCTYPE html>
<html><head><title>Carousel {n}</title>
<style>
header {{ height: 1600px; }}
#track {{ width: 600px; height: 400px; overflow: hidden; white-space: nowrap; }}
.slide {{ display: inline-block; width: 600px; height: 400px; }}
</style></head>
<body>
<header><h1>Carousel {n}</h1></header>
<div id="track"></div>
<script>
const track = document.getElementById("track");
const slides = [];
for (let i = 1; i <= {slides}; ++i) {{
  const slide = document.createElement("div");
  slide.className = "slide";
  slide.dataset.number = i;
  track.appendChild(slide);
  slides.push(slide);
}}
function show(index) {{
  const slide = slides[index];
  if (!slide.firstChild) {{
    const picture = document.createElement("img");
    picture.src = ["pics", "c{n}-" + slide.dataset.number].join("/") + ".png";
    slide.appendChild(picture);
  }}
  track.scrollLeft = index * 600;
}}
function turn() {{
  let current = 0;
  show(current);
  const turning = setInterval(() => {{
    current += 1;
    if (current >= slides.length) {{
      clearInterval(turning);
      return;
    }}
    show(current);
  }}, 200);
}}
const watcher = new IntersectionObserver((seen) => {{
  if (seen.some((entry) => entry.isIntersecting)) {{
    watcher.disconnect();
    turn();
  }}
}});
watcher.observe(track);
</script>
</body></html>
"""

LIST = """<!DOCTYPE html>
<html><head><title>Cards {n}</title></head>
<body>
<div id="app"></div>
<script>
// A very small framework: components are functions from state to elements,
// drawn again when the store changes.
function h(tag, attributes, ...children) {{
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {{}})) element.setAttribute(name, value);
  for (const child of children)
    element.appendChild(typeof child === "string" ? document.createTextNode(child) : child);
  return element;
}}
function Card(item) {{
  return h("li", {{ class: "card" }}, h("img", {{ src: item.picture, alt: item.title }}), item.title);
}}
function App(state) {{
  return h("ul", {{ class: "cards" }}, ...state.items.map(Card));
}}
const store = {{ state: {{ items: [] }}, set(items) {{
  this.state = {{ items }};
  document.getElementById("app").replaceChildren(App(this.state));
}} }};
requestAnimationFrame(() => {{
  const items = [];
  for (let id = 1; id <= {cards}; ++id)
    items.push({{ title: "Card " + id, picture: "pics/f{n}-" + id + ".png" }});
  Promise.resolve().then(() => store.set(items));
}});
</script>
</body></html>
"""


def generate(root, copies=3):
    """Writes the site under `root`; returns (the pages' paths by kind, every picture's name)."""
    os.makedirs(os.path.join(root, "feed"), exist_ok=True)
    os.makedirs(os.path.join(root, "pics"), exist_ok=True)
    names = []
    pages = {kind: [] for kind in KINDS}

    def picture(name):
        with open(os.path.join(root, "pics", name + ".png"), "wb") as out:
            out.write(png(len(names) + 1))
        names.append(name + ".png")

    def write(path, text):
        with open(os.path.join(root, path), "w") as out:
            out.write(text)

    for n in range(1, copies + 1):
        entries = []
        for i in range(1, GALLERY_PICTURES + 1):
            picture("g%d-%d" % (n, i))
            entries.append({"name": "g%d-%d" % (n, i), "kind": "png"})
        write("feed/gallery-%d.json" % n, json.dumps(entries))
        write("gallery-%d.html" % n, GALLERY.format(n=n))
        picture("s%d-0" % n)
        for step in range(1, SCROLL_STEPS + 1):
            picture("s%d-%d" % (n, step))
            write("feed/scroll-%d-%d.json" % (n, step),
                  json.dumps({"picture": "s%d-%d" % (n, step), "last": step == SCROLL_STEPS}))
        write("scroll-%d.html" % n, SCROLL.format(n=n))
        for i in range(1, CAROUSEL_SLIDES + 1):
            picture("c%d-%d" % (n, i))
        write("carousel-%d.html" % n, CAROUSEL.format(n=n, slides=CAROUSEL_SLIDES))
        for i in range(1, LIST_CARDS + 1):
            picture("f%d-%d" % (n, i))
        write("list-%d.html" % n, LIST.format(n=n, cards=LIST_CARDS))
        for kind in KINDS:
            pages[kind].append("%s-%d.html" % (kind, n))
    links = "".join('<li><a href="%s">%s</a></li>\n' % (page, page[:-5])
                    for kind in KINDS for page in pages[kind])
    write("index.html", "<!DOCTYPE html>\n<html><head><title>Pages built by scripts</title></head>"
          "\n<body>\n<ul>\n%s</ul>\n</body></html>\n" % links)
    return pages, names
