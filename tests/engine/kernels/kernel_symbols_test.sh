#!/usr/bin/env bash
# No object of an instruction set's kernels (engine/kernels/isa/) defines a weak symbol: each is
# built with its own instructions, and a weak symbol is one that the linker may take from any
# object that defines it, so that a copy built for wide vectors could stand in for the one that
# code built for fewer instructions calls (kernel_set.hpp). Exits non-zero on any. clang's function
# sanitizer at -O0 keeps out-of-line copies of the always-inlined helpers, which this reports too
# though nothing calls them: build sanitizer trees at -O1 (tools/test.sh does).
#   kernel_symbols_test.sh NM OBJECTS     OBJECTS: the kova_kernels library's objects, ;-separated
set -euo pipefail
nm=$1
IFS=';' read -r -a objects <<<"$2"
checked=0
failed=0
for object in "${objects[@]}"; do
  case $object in */kernels/isa/*) ;; *) continue ;; esac
  checked=$((checked + 1))
  # DW.ref.__gxx_personality_v0 (unoptimised builds) is the exception personality's address, and
  # "typeinfo" (the type descriptions clang's UndefinedBehaviorSanitizer checks calls against) is
  # a type's description: the same data in every object, not code built for an instruction set.
  weak=$("$nm" -C --defined-only "$object" | awk '$2 ~ /^[WwVvu]$/ && $3 !~ /^DW\.ref\./ && $3 !~ /^typeinfo$/')
  if [ -n "$weak" ]; then
    echo "FAIL: $object defines weak symbols:"
    echo "$weak"
    failed=1
  fi
done
[ $checked -gt 0 ] || { echo "FAIL: no object of engine/kernels/isa/ among: $2"; exit 1; }
[ $failed -eq 0 ] && echo "$checked objects of instruction sets' kernels, none with a weak symbol"
exit $failed
