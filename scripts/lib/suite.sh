# Shared by demo.sh and bench.sh: the administrator's steps around the suite in
# a Wine prefix (the network adapter the installer reads, the distribution
# folder, unattended runs of the installer, the state of the suite's services)
# and where an installation puts its pieces. The wine commands run in the
# caller's environment (harness_env in lib/wine_prefix.sh).
# shellcheck shell=bash
# shellcheck disable=SC2034 # the constants and paths are for the scripts that source this

readonly SUITE_HOST=mail.example.com
readonly SUITE_ADDRESS=192.168.7.10
readonly SUITE_INSTALL_DIR='C:\Program Files\Postern'
readonly SUITE_KEY='HKLM\SOFTWARE\Corvane\Postern'
readonly SUITE_SERVICES=(RELAYSVC DROPSVC PLANSVC DIRSVC PASSSVC WATCHSVC TERMSVC LOGSVC)

# suite_paths: the Linux paths, in the prefix $WINEPREFIX, of the distribution
# folder C:\DIST, the installation folder SUITE_INSTALL_DIR, the program group,
# the HOSTS file and the applet in the system folder.
suite_paths() {
    local c=$WINEPREFIX/drive_c
    SUITE_DIST=$c/DIST
    SUITE_INSTALLED="$c/Program Files/Postern"
    SUITE_GROUP="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Postern"
    SUITE_HOSTS=$c/windows/system32/drivers/etc/hosts
    SUITE_APPLET=$c/windows/system32/postern.cpl
}

# A prefix has no NT adapter settings; one bound adapter with the suite's
# address lets the installer write its HOSTS line.
suite_seed_network() {
    if ! wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Linkage' /v Bind \
        /t REG_MULTI_SZ /d '\Device\PSTNET1' /f >/dev/null 2>&1 ||
        ! wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\PSTNET1\Parameters\TCPIP' \
            /v IPAddress /t REG_MULTI_SZ /d "$SUITE_ADDRESS" /f >/dev/null 2>&1; then
        echo "cannot record the network adapter PSTNET1 ($SUITE_ADDRESS) in $WINEPREFIX" >&2
        return 1
    fi
}

# suite_lay_out_distribution WIN64_BUILD: C:\DIST made afresh from the build's
# distribution folder (the installer, its toolkit and what the description
# file lists).
suite_lay_out_distribution() {
    rm -rf "$SUITE_DIST"
    cp -r "$1/dist" "$SUITE_DIST"
}

# suite_setup NAME [TIMEOUT_S]: runs the installer unattended in C:\DIST with
# the answer file NAME.ini, given CRLF line ends first, and a fresh run log
# NAME.log. Returns the installer's exit status (124 when it was stopped after
# TIMEOUT_S seconds).
suite_setup() {
    local name=$1 limit=()
    [[ -z ${2:-} ]] || limit=(timeout "$2")
    sed -i 's/\r*$/\r/' "$SUITE_DIST/$name.ini"
    rm -f "$SUITE_DIST/$name.log"
    (cd "$SUITE_DIST" &&
        exec "${limit[@]}" wine pstsetup.exe /answers "C:\\DIST\\$name.ini" /log "C:\\DIST\\$name.log")
}

# suite_service_state NAME: RUNNING, STOPPED, ..., or nothing for a service
# that does not exist.
suite_service_state() {
    { wine sc query "$1" 2>/dev/null || true; } | tr -d '\r' | awk '$1 == "STATE" { print $4 }'
}
