#!/usr/bin/env bash
# The test command fails whenever one of its steps fails: scripts/test.sh in dry run (no step
# runs) with each step in turn made to fail, and its closing count read from CTest summaries.
set -uo pipefail
cd "$(dirname "$0")/../.."
failures=0
check() {  # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

out=$(TARVO_TEST_DRY_RUN=1 TARVO_TEST_FAIL= bash scripts/test.sh 2>&1)
rc=$?
check "every step passing: exit 0" test "$rc" -eq 0
check "every step passing: the count says so" grep -qx '0 passed, 0 failed' <<<"$out"
mapfile -t steps < <(sed -n 's/^== step \(.*\) (dry run)$/\1/p' <<<"$out")
check "the dry run names the steps (found: ${steps[*]})" test "${#steps[@]}" -ge 5
for step in "${steps[@]}"; do
    out=$(TARVO_TEST_DRY_RUN=1 TARVO_TEST_FAIL="$step" bash scripts/test.sh 2>&1)
    rc=$?
    check "step $step failing: the command fails" test "$rc" -ne 0
    check "step $step failing: named and counted" \
        grep -qzE "failed steps: $step"$'\n''0 passed, 1 failed' <<<"$out"
done

# The closing count from CTest's summary lines, with and without a failing step.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
echo '100% tests passed, 0 tests failed out of 7' >"$logs/host"
echo '90% tests passed, 1 tests failed out of 10' >"$logs/win64"
summary() {  # summary STATUS-OF-ONE-STEP TREE...
    (
        source scripts/test-steps.sh
        tarvo_step only "$1"
        shift
        tarvo_summary "$logs" "$@"
    )
}
out=$(summary true host)
check "passing tests and steps: exit 0" test $? -eq 0
check "passing tests: counted" grep -qx '7 passed, 0 failed' <<<"$out"
out=$(summary true host win64)
check "a failed test fails the command" test $? -ne 0
check "a failed test: counted over both trees" grep -qx '16 passed, 1 failed' <<<"$out"
out=$(summary false host)
check "a failed step with passing tests fails the command" test $? -ne 0
check "a failed step with passing tests: counted" grep -qx '7 passed, 1 failed' <<<"$out"
out=$(summary true host missing)
check "a tree without a log: said, and no failure by itself" test $? -eq 0
check "a tree without a log: said" grep -qx 'missing: no tests run' <<<"$out"

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
