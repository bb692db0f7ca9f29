#!/usr/bin/env bash
# Runs the browser test of `keelvane serve`: installs playwright-core (no browser; it
# drives Debian's /usr/bin/chromium) and axe-core (the accessibility checks) if missing,
# starts the server on a free port, runs the test, stops the server. Exit status non-zero when anything failed.
#   tests/browser/run.sh [KEELVANE_BINARY]   (default: build/bin/keelvane)
# With KEELVANE_SCREENSHOT=path it also writes the page's screenshot there.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
tool="${1:-$root/build/bin/keelvane}"

[[ -x "$tool" ]] || { echo "browser test: no tool at $tool (build it first)" >&2; exit 1; }
[[ -x /usr/bin/chromium ]] || { echo "browser test: /usr/bin/chromium is missing (run scripts/setup.sh browser)" >&2; exit 1; }
# npm installs the lock's versions, checked against its integrity hashes, whenever one of
# them is missing.
if [[ ! -d "$here/node_modules/playwright-core" || ! -f "$here/node_modules/axe-core/axe.min.js" ]]; then
  (cd "$here" && npm ci --no-audit --no-fund)
fi

log="$(mktemp)"
"$tool" serve --port 0 >"$log" 2>&1 &
server=$!
stop() {
  kill -TERM "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  rm -f "$log"
}
trap stop EXIT

url=""
for _ in $(seq 100); do
  url="$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$log" || true)"
  [[ -n "$url" ]] && break
  kill -0 "$server" 2>/dev/null || { cat "$log" >&2; echo "browser test: the server did not start" >&2; exit 1; }
  sleep 0.1
done
[[ -n "$url" ]] || { cat "$log" >&2; echo "browser test: the server printed no address" >&2; exit 1; }

node "$here/panel.test.mjs" "$url" ${KEELVANE_SCREENSHOT:+"$KEELVANE_SCREENSHOT"}
