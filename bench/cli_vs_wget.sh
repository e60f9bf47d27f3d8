#!/usr/bin/env bash
# Files per second of harvel-cli (with VeskDownloader) next to wget on the same
# local site: 100 pages with 10 small pictures each (1,000 pictures), served by a
# keep-alive HTTP/1.1 server on 127.0.0.1. Everything runs in a temporary folder
# and is removed at the end.
#
#   bench/cli_vs_wget.sh [BUILD_DIR]     (default build/default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build/default}/bin"
work="$(mktemp -d)"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/site" "$work/runtime" && chmod 700 "$work/runtime"
python3 - "$work/site" <<'PY'
import os, sys
site = sys.argv[1]
def page(n):
    pics = "".join('<img src="p%03d_%d.%s">' % (n, i, ("gif", "jpg", "png")[i % 3]) for i in range(10))
    links = "".join('<a href="page%03d.html">%d</a>' % (m, m) for m in range(1, 100)) if n == 0 else ""
    return "<html><body>%s%s</body></html>" % (pics, links)
for n in range(100):
    open(os.path.join(site, "index.html" if n == 0 else "page%03d.html" % n), "w").write(page(n))
    for i in range(10):
        open(os.path.join(site, "p%03d_%d.%s" % (n, i, ("gif", "jpg", "png")[i % 3])), "wb").write(bytes(1024))
PY

port_file="$work/port"
python3 - "$work/site" "$port_file" <<'PY' &
import functools, http.server, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"  # keep-alive, as a real web server
    def log_message(self, *args): pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=sys.argv[1]))
open(sys.argv[2], "w").write(str(server.server_address[1]))
server.serve_forever()
PY
server_pid=$!
for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done
url="http://127.0.0.1:$(cat "$port_file")/index.html"

count() { find "$1" -type f \( -name '*.gif' -o -name '*.jpg' -o -name '*.png' \) | wc -l; }
rate() { python3 -c "print('%.1f' % ($1 / $2))"; }

export XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/runtime"
start=$(date +%s.%N)
"$bin/harvel-cli" --quiet --speed 0 --dir "$work/h" bench "$url" 1
h_time=$(python3 -c "import time; print(time.time() - $start)")
h_files=$(count "$work/h")

start=$(date +%s.%N)
wget -q -r -l 2 -nd -A gif,jpg,png -P "$work/w" "$url" || true
w_time=$(python3 -c "import time; print(time.time() - $start)")
w_files=$(count "$work/w")

printf '%-10s %6s %9s %10s\n' tool files seconds files/s
printf '%-10s %6d %9.2f %10s\n' harvel-cli "$h_files" "$h_time" "$(rate "$h_files" "$h_time")"
printf '%-10s %6d %9.2f %10s\n' wget "$w_files" "$w_time" "$(rate "$w_files" "$w_time")"
echo "(harvel-cli's time includes the crawl window's 2 s pause at completion)"
