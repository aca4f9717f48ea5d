#!/usr/bin/env bash
# Draws every example curve and a few families at fixed seeds and compares the pictures,
# the JSON (without its timings) and the OBJ mesh with a reference set made earlier.
#   identity-check.sh --reference DIR [CLI]   writes the reference set into DIR
#   identity-check.sh DIR [CLI]               compares against DIR; exit 1 on a difference
# CLI defaults to build/cli/wendrix-cli. A refactoring that must not change what is drawn
# runs this before (with --reference) and after every step.
set -u
make_reference=0
if [ "${1:-}" = "--reference" ]; then make_reference=1; shift; fi
ref=${1:?usage: identity-check.sh [--reference] DIR [CLI]}
cli=${2:-build/cli/wendrix-cli}
examples=$(dirname "$0")/../examples
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

# name, then the arguments of wendrix-cli draw
cases=()
for file in "$examples"/*.wdx; do
  name=$(basename "$file" .wdx)
  cases+=("$name-s1|$file --seed 1")
  cases+=("$name-s7|$file --seed 7")
done
cases+=("torus-p|-x (2+p*cos(3t))*cos(2t) -y (2+p*cos(3t))*sin(2t) -z p*sin(3t+q) -p 0.75 --seed 3")
cases+=("lissajous|-x sin(3t) -y sin(4t+q) -z sin(5t) -q 0.4 --seed 5")
cases+=("helix-loop|-x cos(t) -y sin(t) -z sin(2t)*p -p 2 --seed 2")
cases+=("stereo-drag|$examples/default-curve.wdx --seed 1 --stereo --drag 200,200,230,215 --drag 200,200,200,150,shift")
cases+=("shaded-drag|$examples/trefoil-knot.wdx --seed 4 --drag 150,180,210,200 --drag 10,10,40,30,ctrl")

status=0
for entry in "${cases[@]}"; do
  name=${entry%%|*}
  read -r -a args <<<"${entry#*|}"
  dir=$out/$name
  mkdir -p "$dir"
  if ! "$cli" draw "${args[@]}" --quiet --png "$dir/png" --json "$dir/full.json" --obj "$dir/hull.obj" \
      >"$dir/stdout" 2>"$dir/stderr"; then
    echo "exit $? for $name" >>"$dir/stderr"
  fi
  if [ -f "$dir/full.json" ]; then
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); d.pop("timings_ms",None); print(json.dumps(d,sort_keys=True))' \
      "$dir/full.json" >"$dir/figure.json"
    rm "$dir/full.json"
  fi
  if [ $make_reference = 1 ]; then
    rm -rf "${ref:?}/$name"
    mkdir -p "$ref"
    cp -r "$dir" "$ref/$name"
  elif ! diff -r "$ref/$name" "$dir" >/dev/null; then
    echo "DIFFERENT: $name"
    diff -rq "$ref/$name" "$dir"
    status=1
  fi
done
if [ $make_reference = 1 ]; then
  echo "reference of ${#cases[@]} drawings written to $ref"
elif [ $status = 0 ]; then
  echo "identical: ${#cases[@]} drawings (pictures, JSON without timings, OBJ)"
fi
exit $status
