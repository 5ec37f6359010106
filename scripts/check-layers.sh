#!/usr/bin/env bash
# The layers' fences, beyond what the include roots already refuse:
#
#   bash scripts/check-layers.sh includes        (part of every build)
#   bash scripts/check-layers.sh links BUILD     (scripts/test.sh)
#
# "includes" refuses an include that climbs out of its folder ("../"), which
# would pass by the include roots. "links" reads the targets' link graph
# (cmake --graphviz) and refuses a library that reaches one it must not: the
# processor (plug-in object, update check, engine, framework's plug-in half)
# never reaches the drawing or window-system libraries, the plug-in object,
# its editor and the framework's plug-in half no plug-in format, the engine no other
# library of ours, the framework's editor half only the graphics types, and
# the meter only the VST 2 interface, the version, the platform layer and
# its own libraries.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

case "${1:-}" in
  includes)
    found=$(cd "$root" && grep -rn --include='*.cpp' --include='*.h' -E '^\s*#\s*include\s+"\.\./' \
      engine plugin editor framework graphics platform resources tools vst2 version module tests bench fuzz \
      2>/dev/null || true)
    if [[ -n $found ]]; then
      echo "includes that climb out of their folder (use the include roots):" >&2
      echo "$found" >&2
      exit 1
    fi
    ;;
  links)
    build=${2:?usage: check-layers.sh links BUILD}
    dot=$build/layers/deps.dot
    mkdir -p "$build/layers"
    cmake --graphviz="$dot" "$build" >/dev/null
    python3 - "$dot" <<'EOF'
import re, sys
labels, edges, programs = {}, {}, set()
for line in open(sys.argv[1]):
    node = re.match(r'\s*"(node\d+)" \[ label = "([^"]+)", shape = (\w+)', line)
    if node:
        labels[node.group(1)] = node.group(2)
        # A program a library depends on is a build step (a generator), not a link.
        if node.group(3) == "egg":
            programs.add(node.group(1))
    edge = re.match(r'\s*"(node\d+)" -> "(node\d+)"', line)
    if edge:
        edges.setdefault(edge.group(1), set()).add(edge.group(2))
ids = {label: node for node, label in labels.items()}

def reach(label):
    seen, todo = set(), [ids[label]]
    while todo:
        for nxt in edges.get(todo.pop(), ()):
            if nxt not in seen and nxt not in programs:
                seen.add(nxt)
                todo.append(nxt)
    return {labels[n] for n in seen}

drawing = re.compile(r'kalvo5_graphics$|kalvo5_igraphics|kalvo5_editor|_resources$|CAIRO|cairo|X11|Xext|FONTCONFIG|freetype')
rules = [
    # target, what it must not reach, why
    ("kalvo5_plugin", drawing, "the plug-in object draws nothing"),
    ("kalvo5_update", drawing, "the update check draws nothing"),
    ("kalvo5_plugin", re.compile(r'vst2|lv2'), "the plug-in object knows no plug-in format"),
    ("kalvo5_editor", re.compile(r'vst2|lv2'), "the editor knows no plug-in format"),
    ("kalvo5_iplug", re.compile(r'kalvo5_'), "the framework's plug-in half knows no plug-in format"),
    ("kalvo5_iplug_vst2", re.compile(r'kalvo5_(?!(iplug|vst2)$)'), "the VST 2 binding stands on the framework and the VST 2 interface only"),
    ("kalvo5_engine", re.compile(r'kalvo5_'), "the engine stands on the standard library only"),
    ("kalvo5_igraphics", re.compile(r'kalvo5_graphics$|CAIRO|X11'), "the editor framework reaches the back end through its table only"),
    ("kalvo5_graphics", re.compile(r'kalvo5_(iplug|igraphics|plugin|engine|editor)'), "graphics knows nothing above it"),
    ("kalvo5_platform", re.compile(r'kalvo5_'), "the platform layer knows nothing above it"),
    ("kalvo5_meter_host", re.compile(r'kalvo5_(?!(vst2|version|platform)$)'), "the meter is a host: VST 2, version and platform only"),
]
failed = False
for target, forbidden, why in rules:
    if target not in ids:
        continue
    bad = sorted(name for name in reach(target) if forbidden.search(name))
    if bad:
        failed = True
        print(f"{target} reaches {', '.join(bad)}: {why}", file=sys.stderr)
sys.exit(1 if failed else 0)
EOF
    ;;
  *)
    echo "usage: check-layers.sh includes | links BUILD" >&2
    exit 2
    ;;
esac
