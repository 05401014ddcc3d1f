#!/usr/bin/env bash
# HylaFAX's pagesend, a TAP client we did not write, pages through modemsim on a
# pseudo-terminal; the pages modemsim recorded are compared with the jobs.
# Usage: pagesend_test.sh MODEMSIM CASE, CASE being one of: plain, password,
# two-pagers, nak, two-jobs, block-limit. Exits 77 (skipped) without pagesend or root.
set -euo pipefail

readonly kSkip=77
readonly modemsim=$1 case_name=$2
readonly pagesend=${PAGESEND:-/usr/lib/hylafax/bin/pagesend}
readonly number=5551234

if [[ ! -x $pagesend ]]; then
    echo "SKIP: $pagesend not found (Debian package hylafax-server)"
    exit $kSkip
fi
if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: pagesend opens the modem device as root; run this test as root"
    exit $kSkip
fi

# pagesend opens /dev/ID with each '_' of the device ID read as '/', so ".."
# followed by our path with '_' for '/' reaches a link in our own directory.
# mktemp's random letters and digits keep the path free of '_'.
work=$(mktemp -d /tmp/modemsim-pagesend.XXXXXX)
readonly work link=$work/modem spool=$work/spool
readonly devid=..${link//\//_}
sim_pid=

cleanup() {
    if [[ -n $sim_pid ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($case_name): $*"
    echo "--- modemsim log"
    cat "$work/sim.log" 2>/dev/null || true
    echo "--- pagesend session logs"
    cat "$spool"/log/c* 2>/dev/null || true
    exit 1
}

# start_sim [OPTION...]: modemsim on $link, waiting until it is ready.
start_sim() {
    "$modemsim" --link "$link" --log "$work/sim.log" --record "$work/pages.rec" \
        --ready-file "$work/ready" --connect-delay 20 "$@" >"$work/sim.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        [[ -s $work/ready ]] && return 0
        sleep 0.05
    done
    fail "modemsim did not start: $(cat "$work/sim.out")"
}

# The spool: pagesend runs in its top directory. The modem configuration keeps
# the stock settings except for shorter reset pauses and ID= probe interval.
make_spool() {
    mkdir -p "$spool"/{etc,log,status,info,sendq,docq}
    cat >"$spool/etc/config.$devid" <<EOF
SessionTracing: 0xFFF
ModemResetDelay: 200
ModemSoftResetCmdDelay: 200
IXOIDProbe: 1
PriorityScheduling: no
$*
EOF
}

# make_job NAME MESSAGE PAGER...: a paging job with one message for each pager.
make_job() {
    local name=$1 message=$2 pager
    shift 2
    printf '%s' "$message" >"$spool/docq/$name"
    {
        printf 'state:6\njobid:%s\njobtype:pager\nnumber:%s\nexternal:%s\n' \
            "$name" "$number" "$number"
        printf 'mailaddr:root@localhost\nsender:root\nowner:root\nclient:localhost\n'
        printf 'modem:%s\nmaxdials:1\nmaxtries:1\n' "$devid"
        for pager in "$@"; do
            printf 'page:%s\n' "$pager"
        done
        printf 'data:docq/%s\n' "$name"
    } >"$spool/sendq/q$name"
}

# run_job NAME STATUS: pagesend's exit status is 2 when the job is done, 1 when
# it failed for good and 0 when it should be tried again.
run_job() {
    local rc=0
    (cd "$spool" && timeout 30 "$pagesend" -m "$devid" "sendq/q$1") || rc=$?
    [[ $rc -eq $2 ]] || fail "job $1: pagesend exit status $rc, expected $2"
}

# wait_log TEXT: modemsim sees the line changes within its poll interval.
wait_log() {
    for _ in $(seq 100); do
        grep -qF -- "$1" "$work/sim.log" && return 0
        sleep 0.05
    done
    fail "modemsim never logged: $1"
}

# expect_pages LINE...: the record file, speed and block bytes left out.
expect_pages() {
    local want got
    want=$(printf '%s\n' "$@")
    got=$(sed 's/ speed=[0-9]* block_hex=[0-9a-f]*$//' "$work/pages.rec")
    [[ $got == "$want" ]] || fail "recorded pages differ"$'\n'"want:"$'\n'"$want"$'\n'"got:"$'\n'"$got"
}

count_log() {
    grep -cF -- "$1" "$work/sim.log" || true
}

case $case_name in
plain)
    make_spool
    start_sim
    make_job 1 "Plain page from HylaFAX" 12345
    run_job 1 2
    expect_pages "page pager=12345 message=Plain page from HylaFAX password="
    ;;
password)
    # Without the password every logon is refused: NAK twice, then ESC EOT.
    make_spool
    start_sim --password SECRET
    make_job 1 "No password" 12345
    run_job 1 1
    [[ $(count_log 'wrong password ""') -eq 3 ]] || fail "expected three refused logons"
    expect_pages
    printf 'pagerPassword: SECRET\n' >"$spool/info/$number"
    make_job 2 "With the password" 12345
    run_job 2 2
    expect_pages "page pager=12345 message=With the password password=SECRET"
    ;;
two-pagers)
    make_spool
    start_sim
    make_job 1 "Same text for both" 11111 22222
    run_job 1 2
    expect_pages "page pager=11111 message=Same text for both password=" \
        "page pager=22222 message=Same text for both password="
    [[ $(count_log 'EVENT dial ') -eq 1 ]] || fail "expected both pages in one call"
    ;;
nak)
    make_spool
    start_sim --scenario nak-once
    make_job 1 "Sent twice" 12345
    run_job 1 2
    expect_pages "page pager=12345 message=Sent twice password="
    [[ $(count_log 'DTE> <2>12345<13>Sent twice') -eq 2 ]] || fail "expected one retransmission"
    ;;
two-jobs)
    make_spool
    start_sim
    make_job 1 "First job" 12345
    make_job 2 "Second job" 67890
    start=$SECONDS
    run_job 1 2
    run_job 2 2
    ((SECONDS - start < 30)) || fail "two jobs took $((SECONDS - start)) s"
    expect_pages "page pager=12345 message=First job password=" \
        "page pager=67890 message=Second job password="
    ;;
block-limit)
    # A block over the limit is answered RS and the terminal keeps the line;
    # pagesend's ATH0 then reaches the terminal as data, and only its DTR drop
    # ends the call, in time for the next job. 5 + 1 + 244 + 1 = 251 characters.
    make_spool "PagerMaxMsgLength: 300"
    start_sim --max-block 250
    long=$(printf 'x%.0s' $(seq 244))
    make_job 1 "$long" 12345
    run_job 1 1
    wait_log "block refused: 251 characters, more than 250"
    wait_log "hangup (DTR dropped)"
    make_job 2 "${long:1}" 12345
    run_job 2 2
    expect_pages "page pager=12345 message=${long:1} password="
    ;;
*)
    echo "unknown case: $case_name" >&2
    exit 2
    ;;
esac
echo "PASS ($case_name)"
