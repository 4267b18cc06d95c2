#!/bin/sh
# The programs we ship carry a manifest that asks for asInvoker (no
# elevation, and no file virtualization that would put their files
# elsewhere than they say) and names Windows 7 to 10/11 as supported, and a
# version record of the build's version: read from the files themselves.
#   exe_resources_test.sh VERSION EXE...
set -u
VERSION=$1; shift
failures=0 passed=0
verdict() {  # name, status
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "ok   $1"
  else failures=$((failures + 1)); echo "FAIL $1"; fi
}
for exe in "$@"; do
  name=$(basename "$exe")
  manifest=$(strings "$exe" | tr -d '\n' | grep -o '<assembly.*</assembly>')
  printf '%s' "$manifest" | grep -q 'requestedExecutionLevel level="asInvoker"'
  verdict "$name: asInvoker" $?
  for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
            1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    printf '%s' "$manifest" | grep -qi "supportedOS Id=\"{$os}\""
    verdict "$name: supported OS {$os}" $?
  done
  strings -el "$exe" | grep -A1 -x FileVersion | grep -qx "$VERSION"
  verdict "$name: version record $VERSION" $?
done
echo "exe resources: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
