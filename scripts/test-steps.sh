#!/usr/bin/env bash
# The test command's steps and its closing summary; sourced by scripts/test.sh, and by the
# test of that command (tests/scripts/test_command_test.sh).
#
# TARVO_TEST_DRY_RUN=1 runs no step: each passes, except those named in TARVO_TEST_FAIL
# (blank-separated), which fail. This shows, in a second, that a failure of any step fails
# the whole command.

tarvo_step_names=()
tarvo_step_status=()

# tarvo_step NAME COMMAND...: runs COMMAND (in dry run: pretends to) and records its status.
tarvo_step() {
    local name=$1 rc=0
    shift
    if [ -n "${TARVO_TEST_DRY_RUN:-}" ]; then
        echo "== step $name (dry run)"
        case " ${TARVO_TEST_FAIL:-} " in
            *" $name "*) rc=1 ;;
        esac
    else
        "$@" || rc=$?
    fi
    tarvo_step_names+=("$name")
    tarvo_step_status+=("$rc")
    return 0
}

# tarvo_summary LOGDIR TREE...: prints CTest's summary line of each TREE (from LOGDIR/TREE),
# the steps that failed and one "N passed, N failed" line. Returns 1 when any recorded step
# failed or a tree's tests failed, else 0.
tarvo_summary() {
    local logs=$1 tree line f t i passed=0 failed=0 bad=()
    shift
    for tree in "$@"; do
        line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$tree" 2>/dev/null |
            tail -1)
        echo "$tree: ${line:-no tests run}"
        if [ -n "$line" ]; then
            f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
            t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
            passed=$((passed + t - f))
            failed=$((failed + f))
        fi
    done
    for i in "${!tarvo_step_names[@]}"; do
        [ "${tarvo_step_status[$i]}" -ne 0 ] && bad+=("${tarvo_step_names[$i]}")
    done
    if [ ${#bad[@]} -gt 0 ]; then
        echo "failed steps: ${bad[*]}"
        [ "$failed" -eq 0 ] && failed=${#bad[@]}
    fi
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
