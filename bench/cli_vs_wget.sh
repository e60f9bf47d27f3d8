#!/usr/bin/env bash
# Files per second of harvel-cli (with VeskDownloader) next to wget on the same
# local site: 100 pages with 10 small pictures each (1,000 pictures), served by
# nginx on 127.0.0.1. Everything runs in a temporary folder
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

mkdir -p "$work/site" "$work/runtime" "$work/h" "$work/w"
chmod 755 "$work" && chmod 700 "$work/runtime"  # nginx workers read the site
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

# nginx on 127.0.0.1 (keep-alive, as a real web server).
port=$(python3 -c "import socket; s = socket.socket(); s.bind(('127.0.0.1', 0)); print(s.getsockname()[1])")
mkdir -p "$work/nginx/tmp"
cat > "$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log warn;
events { worker_connections 256; }
http {
  include /etc/nginx/mime.types;
  access_log off;
  keepalive_requests 100000;
  client_body_temp_path $work/nginx/tmp;
  proxy_temp_path $work/nginx/tmp;
  fastcgi_temp_path $work/nginx/tmp;
  uwsgi_temp_path $work/nginx/tmp;
  scgi_temp_path $work/nginx/tmp;
  server { listen 127.0.0.1:$port; root $work/site; }
}
CONF
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" 2>/dev/null &
server_pid=$!
for _ in $(seq 100); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
  sleep 0.05
done
url="http://127.0.0.1:$port/index.html"

count() { find "$1" -type f \( -name '*.gif' -o -name '*.jpg' -o -name '*.png' \) | wc -l; }
rate() { python3 -c "print('%.1f' % ($1 / $2))"; }

export XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/runtime"
start=$(date +%s.%N)
# A page follows at most LEVEL page links: the start page links 99 pages.
"$bin/harvel-cli" --quiet --speed 0 --dir "$work/h" bench "$url" 99
h_time=$(python3 -c "import time; print(time.time() - $start)")
h_files=$(count "$work/h")

start=$(date +%s.%N)
wget -q -r -l 2 -nd -A gif,jpg,png -P "$work/w" "$url" || true
w_time=$(python3 -c "import time; print(time.time() - $start)")
w_files=$(count "$work/w")

printf '%-10s %6s %9s %10s\n' tool files seconds files/s
printf '%-10s %6d %9.2f %10s\n' harvel-cli "$h_files" "$h_time" "$(rate "$h_files" "$h_time")"
h_crawl=$(python3 -c "print($h_time - 2)")
printf '%-10s %6d %9.2f %10s\n' '  no pause' "$h_files" "$h_crawl" "$(rate "$h_files" "$h_crawl")"
printf '%-10s %6d %9.2f %10s\n' wget "$w_files" "$w_time" "$(rate "$w_files" "$w_time")"
echo "(harvel-cli's time includes the crawl window's 2 s pause at completion; 'no pause' leaves it out)"
